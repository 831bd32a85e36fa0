#include "box/text_fold.h"

#include <array>

namespace {

unsigned char lowerCp1252(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 0x20);
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 0x20);
  switch (c) {
    case 0x8A:  // Š
    case 0x8C:  // Œ
    case 0x8E:  // Ž
      return static_cast<unsigned char>(c + 0x10);
    case 0x9F:  // Ÿ
      return 0xFF;
    default:
      return c;
  }
}

// The base letter of a lower-case accented letter; 0 for any other character.
const char* withoutAccent(unsigned char c) {
  if (c >= 0xE0 && c <= 0xE5) return "a";
  if (c >= 0xE8 && c <= 0xEB) return "e";
  if (c >= 0xEC && c <= 0xEF) return "i";
  if ((c >= 0xF2 && c <= 0xF5) || c == 0xF8) return "o";
  if (c >= 0xF9 && c <= 0xFB) return "u";
  switch (c) {
    case 0xE6:
      return "ae";
    case 0xE7:
      return "c";
    case 0xF1:
      return "n";
    case 0xFD:
    case 0xFF:
      return "y";
    case 0x9A:
      return "s";
    case 0x9C:
      return "oe";
    case 0x9E:
      return "z";
    default:
      return nullptr;
  }
}

}  // namespace

std::string foldedSpelling(unsigned char c) {
  c = lowerCp1252(c);
  switch (c) {
    case 0xDF:
      return "ss";
    case 0xE4:
      return "ae";
    case 0xF6:
      return "oe";
    case 0xFC:
      return "ue";
    case 0x85:
      return "...";
    case 0x91:
    case 0x92:
    case 0xB4:
      return "'";
    case 0x84:
    case 0x93:
    case 0x94:
      return "\"";
    case 0x96:
    case 0x97:
      return "-";
    case '\t':
    case '\r':
    case '\n':
    case 0xA0:
      return " ";
    default:
      return std::string(1, static_cast<char>(c));
  }
}

std::string foldedSpellingWithoutAccents(unsigned char c) {
  std::string spelled = foldedSpelling(c);
  if (spelled.size() == 1) {
    if (const char* base = withoutAccent(static_cast<unsigned char>(spelled[0]))) return base;
  }
  return spelled;
}

void appendFoldedWithoutAccents(const char* text, std::string* out) {
  // Searching folds every card of a box; the spellings are looked up, not recomputed.
  static const std::array<std::string, 256> table = [] {
    std::array<std::string, 256> spellings;
    for (int c = 0; c < 256; ++c) {
      spellings[c] = foldedSpellingWithoutAccents(static_cast<unsigned char>(c));
    }
    return spellings;
  }();
  for (const char* c = text; *c != '\0'; ++c) {
    const std::string& spelled = table[static_cast<unsigned char>(*c)];
    if (spelled.size() == 1) {
      out->push_back(spelled[0]);
    } else {
      out->append(spelled);
    }
  }
}

std::string foldWithoutAccents(const std::string& text) {
  std::string folded;
  folded.reserve(text.size() + 4);
  appendFoldedWithoutAccents(text.c_str(), &folded);
  return folded;
}
