#include "box/card_text.h"

#include <array>

#include "storage/charset.h"
#include "storage/text_encoding.h"

namespace {

struct tReplacement {
  unsigned char from;  // code page 1252
  const char* to;
};

// Typographic punctuation a word processor puts into word lists, with the plain forms
// every card file holds.
constexpr tReplacement kReplacements[] = {
    {0x91, "'"},   {0x92, "'"},  {0x82, "'"},    // ‘ ’ ‚
    {0x93, "\""},  {0x94, "\""}, {0x84, "\""},   // “ ” „
    {0x96, "-"},   {0x97, "-"},                  // – —
    {0x85, "..."}, {0xA0, " "},  {0x80, "EUR"},  // … no-break space €
};

// Whether a byte comes back unchanged from the card file, from the conversion table
// itself, so the two can never disagree.
std::array<bool, 256> buildHeld() {
  std::array<bool, 256> held;
  for (int c = 0; c < 256; ++c) {
    char text[2] = {static_cast<char>(c), '\0'};
    // Only the byte itself is asked: a backslash here is no escape.
    text[0] = oemCharToAnsi(ansiCharToOem(text[0]));
    held[c] = static_cast<unsigned char>(text[0]) == c;
  }
  return held;
}

const std::array<bool, 256>& held() {
  static const std::array<bool, 256> table = buildHeld();
  return table;
}

}  // namespace

const char* cardCharReplacement(char c) {
  for (const tReplacement& r : kReplacements) {
    if (r.from == static_cast<unsigned char>(c)) return r.to;
  }
  return nullptr;
}

bool cardCanHold(char c) {
  return held()[static_cast<unsigned char>(c)];
}

tCardTextFit fitCardText(std::string* text) {
  tCardTextFit fit;
  // Every ASCII character is held; most texts are nothing else.
  if (asciiPrefixLength(text->data(), text->size()) == text->size()) return fit;
  const std::array<bool, 256>& holds = held();
  for (char c : *text) {
    if (holds[static_cast<unsigned char>(c)]) continue;
    if (cardCharReplacement(c) != nullptr) {
      fit.replaced = true;
    } else {
      fit.fits = false;
      fit.refused = c;
      fit.replaced = false;
      return fit;
    }
  }
  if (!fit.replaced) return fit;
  std::string plain;
  plain.reserve(text->size() + 8);
  for (char c : *text) {
    const char* replacement = cardCanHold(c) ? nullptr : cardCharReplacement(c);
    if (replacement != nullptr) {
      plain += replacement;
    } else {
      plain += c;
    }
  }
  text->swap(plain);
  return fit;
}

std::string refusedCharMessage(char c) {
  return std::string("Zeichen nicht darstellbar: ") + c;
}
