#include "storage/charset.h"

#include <array>
#include <cstdint>
#include <cstring>

// Rows with the same character come once per form of the escape's modifier (acute
// typed as 0xEF or 0xB4, ring as 0xF8 or 0xB0); every lookup takes the first match.
const tCharRow charTable[kCharTableRows] = {
    {0x80, 0xC7, {0x2C, 0x43, 0}},   {0x81, 0xFC, {0x22, 0x75, 0}},
    {0x82, 0xE9, {'\xEF', 0x65, 0}}, {0x82, 0xE9, {'\xB4', 0x65, 0}},
    {0x83, 0xE2, {0x5E, 0x61, 0}},   {0x84, 0xE4, {0x22, 0x61, 0}},
    {0x85, 0xE0, {0x60, 0x61, 0}},   {0x86, 0xE5, {'\xF8', 0x61, 0}},
    {0x86, 0xE5, {'\xB0', 0x61, 0}}, {0x87, 0xE7, {0x2C, 0x63, 0}},
    {0x88, 0xEA, {0x5E, 0x65, 0}},   {0x89, 0xEB, {0x22, 0x65, 0}},
    {0x8A, 0xE8, {0x60, 0x65, 0}},   {0x8B, 0xEF, {0x22, 0x69, 0}},
    {0x8C, 0xEE, {0x5E, 0x69, 0}},   {0x8D, 0xEC, {0x60, 0x69, 0}},
    {0x8E, 0xC4, {0x22, 0x41, 0}},   {0x8F, 0xC5, {'\xF8', 0x41, 0}},
    {0x8F, 0xC5, {'\xB0', 0x41, 0}}, {0x90, 0xC9, {'\xEF', 0x45, 0}},
    {0x90, 0xC9, {'\xB4', 0x45, 0}}, {0x91, 0xE6, {0x61, 0x65, 0}},
    {0x92, 0xC6, {0x41, 0x45, 0}},   {0x93, 0xF4, {0x5E, 0x6F, 0}},
    {0x94, 0xF6, {0x22, 0x6F, 0}},   {0x95, 0xF2, {0x60, 0x6F, 0}},
    {0x96, 0xFB, {0x5E, 0x75, 0}},   {0x97, 0xF9, {0x60, 0x75, 0}},
    {0x98, 0xFF, {0x22, 0x79, 0}},   {0x99, 0xD6, {0x22, 0x4F, 0}},
    {0x9A, 0xDC, {0x22, 0x55, 0}},   {0x9B, 0xF8, {0x2F, 0x6F, 0}},
    {0x9C, 0xA3, {0x4C, 0, 0}},      {0x9D, 0xD8, {0x2F, 0x4F, 0}},
    {0xA0, 0xE1, {'\xEF', 0x61, 0}}, {0xA0, 0xE1, {'\xB4', 0x61, 0}},
    {0xA1, 0xED, {'\xEF', 0x69, 0}}, {0xA1, 0xED, {'\xB4', 0x69, 0}},
    {0xA2, 0xF3, {'\xEF', 0x6F, 0}}, {0xA2, 0xF3, {'\xB4', 0x6F, 0}},
    {0xA3, 0xFA, {'\xEF', 0x75, 0}}, {0xA3, 0xFA, {'\xB4', 0x75, 0}},
    {0xA4, 0xF1, {0x7E, 0x6E, 0}},   {0xA5, 0xD1, {0x7E, 0x4E, 0}},
    {0xA8, 0xBF, {0x3F, 0, 0}},      {0xB5, 0xC1, {'\xEF', 0x41, 0}},
    {0xB5, 0xC1, {'\xB4', 0x41, 0}}, {0xB6, 0xC5, {'\xF8', 0x41, 0}},
    {0xB6, 0xC5, {'\xB0', 0x41, 0}}, {0xB7, 0xC0, {0x60, 0x41, 0}},
    {0xBD, 0xA2, {0x7C, 0x63, 0}},   {0xBE, 0xA5, {0x3D, 0x59, 0}},
    {0xC6, 0xE3, {0x7E, 0x61, 0}},   {0xC7, 0xC3, {0x7E, 0x41, 0}},
    {0xD0, 0xF0, {0x2D, 0x64, 0}},   {0xD1, 0xD0, {0x2D, 0x44, 0}},
    {0xD2, 0xCA, {0x5E, 0x45, 0}},   {0xD3, 0xCB, {0x22, 0x45, 0}},
    {0xD4, 0xC8, {0x60, 0x45, 0}},   {0xD6, 0xCD, {'\xEF', 0x49, 0}},
    {0xD6, 0xCD, {'\xB4', 0x49, 0}}, {0xD7, 0xCE, {0x5E, 0x49, 0}},
    {0xD8, 0xCF, {0x22, 0x49, 0}},   {0xDE, 0xCC, {0x60, 0x49, 0}},
    {0xE0, 0xD3, {'\xEF', 0x4F, 0}}, {0xE0, 0xD3, {'\xB4', 0x4F, 0}},
    {0xE1, 0xDF, {0x22, 0x73, 0}},   {0xE2, 0xD4, {0x5E, 0x4F, 0}},
    {0xE3, 0xD2, {0x60, 0x4F, 0}},   {0xE4, 0xF5, {0x7E, 0x6F, 0}},
    {0xE5, 0xD5, {0x7E, 0x4F, 0}},   {0xE9, 0xDA, {'\xEF', 0x55, 0}},
    {0xE9, 0xDA, {'\xB4', 0x55, 0}}, {0xEA, 0xDB, {0x5E, 0x55, 0}},
    {0xEB, 0xD9, {0x60, 0x55, 0}},   {0xEC, 0xFD, {'\xEF', 0x79, 0}},
    {0xEC, 0xFD, {'\xB4', 0x79, 0}}, {0xED, 0xDD, {'\xEF', 0x59, 0}},
    {0xED, 0xDD, {'\xB4', 0x59, 0}}, {0x00, 0x00, {0x30, 0, 0}},
};

namespace {

using tByteMap = std::array<unsigned char, 256>;

// A byte-indexed copy of one direction of charTable, so converting a text costs one
// lookup per byte. Filling from the last row to the first leaves the first match.
tByteMap buildMap(bool fromAnsi) {
  tByteMap map;
  for (int c = 0; c < 256; ++c) map[c] = static_cast<unsigned char>(c);
  for (int row = kCharTableRows - 1; row >= 0; --row) {
    const tCharRow& r = charTable[row];
    if (fromAnsi) {
      map[r.ansi] = r.oem;
    } else {
      map[r.oem] = r.ansi;
    }
  }
  return map;
}

const tByteMap& byteMap(bool fromAnsi) {
  static const tByteMap maps[2] = {buildMap(false), buildMap(true)};
  return maps[fromAnsi ? 1 : 0];
}

unsigned char mapByte(const tByteMap& map, char c) {
  return map[static_cast<unsigned char>(c)];
}

// The escape reader shared by both conversions. Reads from src and writes at most room
// characters and a NUL to dst, which may be the same buffer: the write position never
// passes the read position.
void convertText(char* dst, const char* src, size_t room, bool toOem) {
  size_t r = 0;
  size_t w = 0;
  while (src[r] != '\0' && w < room) {
    char c = src[r];
    if (toOem && static_cast<unsigned char>(c) >= 0x80) c = ansiCharToOem(c);
    if (c != '\\') {
      dst[w++] = c;
      r += 1;
    } else if (src[r + 1] == '\\') {
      dst[w++] = '\\';
      r += 2;
    } else if (src[r + 1] == '\0') {
      break;
    } else {
      const int row = findEscape(src + r + 1);
      if (row < 0) {
        dst[w++] = src[r + 1];
        r += 2;
        continue;
      }
      const tCharRow& hit = charTable[row];
      const char code = static_cast<char>(toOem ? hit.oem : hit.ansi);
      if (code == '\0') break;
      dst[w++] = code;
      r += 1 + (hit.escape[1] != '\0' ? 2 : 1);
    }
  }
  dst[w] = '\0';
}

}  // namespace

int findEscape(const char* text) {
  for (int row = 0; row < kCharTableRows; ++row) {
    const char* esc = charTable[row].escape;
    if (text[0] == esc[0] && (esc[1] == '\0' || text[1] == esc[1])) return row;
  }
  return -1;
}

char ansiCharToOem(char c) {
  return static_cast<char>(mapByte(byteMap(true), c));
}

char oemCharToAnsi(char c) {
  return static_cast<char>(mapByte(byteMap(false), c));
}

void toFileCharset(char* text) {
  convertText(text, text, SIZE_MAX, true);
}

void toFileCharset(const char* text, char* dest, size_t maxLength) {
  convertText(dest, text, maxLength, true);
}

void toFileCharsetOnly(const char* text, char* dest, size_t maxLength) {
  const tByteMap& map = byteMap(true);
  size_t w = 0;
  for (; text[w] != '\0' && w < maxLength; ++w) dest[w] = static_cast<char>(mapByte(map, text[w]));
  dest[w] = '\0';
}

void expandEscapes(char* text) {
  convertText(text, text, SIZE_MAX, false);
}

std::string doubleBackslashes(const char* text) {
  std::string doubled;
  for (; *text != '\0'; ++text) {
    if (*text == '\\') doubled += '\\';
    doubled += *text;
  }
  return doubled;
}

void toScreenCharset(char* text) {
  toScreenCharset(text, std::strlen(text));
}

void copyToScreenCharset(char* dest, const char* text, size_t length) {
  std::memmove(dest, text, length);
  toScreenCharset(dest, length);
}

void toScreenCharset(char* text, size_t length) {
  // Most texts are plain ASCII, which maps to itself and is left as it is.
  constexpr uint64_t kHighBits = 0x8080808080808080ull;
  uint64_t high = 0;
  size_t i = 0;
  for (uint64_t word; i + 8 <= length; i += 8) {
    std::memcpy(&word, text + i, sizeof word);
    high |= word;
  }
  for (; i < length; ++i) high |= static_cast<unsigned char>(text[i]);
  if ((high & kHighBits) != 0) {
    const tByteMap& map = byteMap(false);
    for (i = 0; i < length; ++i) text[i] = static_cast<char>(mapByte(map, text[i]));
  }
  text[length] = '\0';
}
