#include "box/termel.h"

#include <cstring>

void copyCardText(char* dest, const char* text) {
  if (text == nullptr) text = "";
  size_t n = std::strlen(text);
  if (n > tTermel::kTextSize - 1) n = tTermel::kTextSize - 1;
  std::memcpy(dest, text, n);
  dest[n] = '\0';
}

void tTermel::clear() {
  front[0] = '\0';
  back[0] = '\0';
}

void tTermel::set(const char* frontText, const char* backText) {
  copyCardText(front, frontText);
  copyCardText(back, backText);
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
