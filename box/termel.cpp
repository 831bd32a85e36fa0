#include "box/termel.h"

#include <cstring>

namespace {

// Copies at most 63 characters so the text always fits with its NUL.
void copyText(char* dest, const char* text) {
  if (text == nullptr) text = "";
  size_t n = std::strlen(text);
  if (n > tTermel::kTextSize - 1) n = tTermel::kTextSize - 1;
  std::memcpy(dest, text, n);
  dest[n] = '\0';
}

}  // namespace

void tTermel::clear() {
  front[0] = '\0';
  back[0] = '\0';
}

void tTermel::set(const char* frontText, const char* backText) {
  copyText(front, frontText);
  copyText(back, backText);
}

bool tTermel::matchesEither(const tTermel& other) const {
  return std::strcmp(back, other.back) == 0 || std::strcmp(front, other.front) == 0;
}

bool tTermel::matchesBoth(const tTermel& other) const {
  return std::strcmp(back, other.back) == 0 && std::strcmp(front, other.front) == 0;
}

tTermel makeCard(const char* front, const char* back) {
  tTermel card;
  card.clear();
  card.set(front, back);
  card.timesKnown = 0;
  card.timesUnknown = 0;
  return card;
}
