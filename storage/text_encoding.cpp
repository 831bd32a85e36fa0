#include "storage/text_encoding.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

const char kByteOrderMark[] = "\xEF\xBB\xBF";
const char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

bool hasByteOrderMark(const std::string& bytes) {
  return bytes.compare(0, 3, kByteOrderMark) == 0;
}

// Number of continuation bytes a leading byte announces, or -1 when it leads nothing.
int continuationCount(unsigned char lead) {
  if (lead < 0x80) return 0;
  if (lead >= 0xC2 && lead <= 0xDF) return 1;
  if (lead >= 0xE0 && lead <= 0xEF) return 2;
  if (lead >= 0xF0 && lead <= 0xF4) return 3;
  return -1;
}

// Overlong forms, surrogates and code points above U+10FFFF are refused through the
// allowed range of the first continuation byte.
bool firstContinuationFits(unsigned char lead, unsigned char next) {
  if (lead == 0xE0) return next >= 0xA0;
  if (lead == 0xED) return next <= 0x9F;
  if (lead == 0xF0) return next >= 0x90;
  if (lead == 0xF4) return next <= 0x8F;
  return true;
}

// One iconv conversion of the whole input. onInvalid is called for each input byte
// the conversion refuses; it returns false to give up, or appends a substitute.
template <typename OnInvalid>
bool convert(const char* to, const char* from, const std::string& in, std::string* out,
             OnInvalid onInvalid) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  out->clear();
  char* src = const_cast<char*>(in.data());  // iconv's interface is not const-correct
  size_t srcLeft = in.size();
  std::vector<char> chunk(4096);
  bool ok = true;
  while (ok && srcLeft > 0) {
    char* dst = chunk.data();
    size_t dstLeft = chunk.size();
    const size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    out->append(chunk.data(), chunk.size() - dstLeft);
    if (rc != static_cast<size_t>(-1) || errno == E2BIG) continue;
    ok = onInvalid(out);
    ++src;
    --srcLeft;
  }
  iconv_close(cd);
  return ok;
}

// Code page 1252's characters outside Latin-1, by their byte 0x80 + index; 0 where
// the byte is undefined.
constexpr char16_t kWindowsRow[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// Index of the first byte at or after i that is not ASCII, or size.
size_t skipAscii(const char* bytes, size_t i, size_t size) {
  constexpr uint64_t kHighBits = 0x8080808080808080ull;
  for (uint64_t word; i + 8 <= size; i += 8) {
    std::memcpy(&word, bytes + i, sizeof word);
    if ((word & kHighBits) != 0) break;
  }
  while (i < size && static_cast<unsigned char>(bytes[i]) < 0x80) ++i;
  return i;
}

// The code page 1252 byte of a code point of at most three UTF-8 bytes, or -1.
int windowsByte(uint32_t codePoint) {
  if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF)) {
    return static_cast<int>(codePoint);
  }
  // The row holds nothing outside Œ (U+0152) to ™ (U+2122): most other scripts are
  // refused without a search.
  if (codePoint < 0x0152 || codePoint > 0x2122) return -1;
  for (int i = 0; i < 32; ++i) {
    if (kWindowsRow[i] != 0 && kWindowsRow[i] == codePoint) return 0x80 + i;
  }
  return -1;
}

// Converts valid UTF-8 without iconv as long as every character has a code page 1252
// byte; false at the first that has none (out is then unspecified).
bool decodeToWindows(const char* bytes, size_t size, std::string* out) {
  out->clear();
  out->reserve(size);
  size_t i = 0;
  while (i < size) {
    const size_t ascii = skipAscii(bytes, i, size);
    out->append(bytes + i, ascii - i);
    if ((i = ascii) == size) break;
    const unsigned char lead = static_cast<unsigned char>(bytes[i]);
    const int more = continuationCount(lead);
    if (more > 2) return false;
    uint32_t codePoint = lead & (more == 1 ? 0x1F : 0x0F);
    for (int k = 1; k <= more; ++k) codePoint = (codePoint << 6) | (bytes[i + k] & 0x3F);
    const int byte = windowsByte(codePoint);
    if (byte < 0) return false;
    out->push_back(static_cast<char>(byte));
    i += 1 + more;
  }
  return true;
}

}  // namespace

void tUtf8Check::feed(const char* bytes, size_t size) {
  size_t i = 0;
  while (!bad_ && i < size) {
    if (pending_ == 0) {
      if ((i = skipAscii(bytes, i, size)) == size) break;
      lead_ = static_cast<unsigned char>(bytes[i++]);
      pending_ = continuationCount(lead_);
      bad_ = pending_ < 0;
      expectFirst_ = true;
      continue;
    }
    const unsigned char c = static_cast<unsigned char>(bytes[i++]);
    bad_ = (c & 0xC0) != 0x80 || (expectFirst_ && !firstContinuationFits(lead_, c));
    expectFirst_ = false;
    --pending_;
  }
}

size_t asciiPrefixLength(const char* bytes, size_t size) {
  return skipAscii(bytes, 0, size);
}

bool isValidUtf8(const std::string& bytes) {
  tUtf8Check check;
  check.feed(bytes.data(), bytes.size());
  return check.valid();
}

int cp1252OfUtf8(const char* bytes, size_t size, size_t* length) {
  *length = 1;
  const unsigned char lead = static_cast<unsigned char>(bytes[0]);
  const int more = continuationCount(lead);
  if (more < 0 || static_cast<size_t>(more) >= size) return -1;
  uint32_t codePoint = lead & (more == 0 ? 0x7F : more == 1 ? 0x1F : more == 2 ? 0x0F : 0x07);
  for (int k = 1; k <= more; ++k) {
    const unsigned char c = static_cast<unsigned char>(bytes[k]);
    if ((c & 0xC0) != 0x80 || (k == 1 && !firstContinuationFits(lead, c))) return -1;
    codePoint = (codePoint << 6) | (c & 0x3F);
  }
  *length = 1 + static_cast<size_t>(more);
  return windowsByte(codePoint);
}

bool utf8ToCp1252(const std::string& utf8, std::string* out) {
  if (!isValidUtf8(utf8)) return false;
  const size_t start = hasByteOrderMark(utf8) ? 3 : 0;
  // The table covers every character that has a byte, so whatever it refuses has
  // none. iconv is not asked again: it silently drops some such characters (the tag
  // characters), which would change a card's text without a word.
  return decodeToWindows(utf8.data() + start, utf8.size() - start, out);
}

std::string cp1252ToUtf8(const std::string& cp1252) {
  std::string out;
  convert("UTF-8", "CP1252", cp1252, &out, [](std::string* o) {
    o->append(kReplacement);
    return true;
  });
  return out;
}

std::string utf8ToCp1252Shown(const std::string& utf8) {
  std::string out;
  const size_t size = utf8.size();
  for (size_t i = hasByteOrderMark(utf8) ? 3 : 0; i < size;) {
    const size_t ascii = skipAscii(utf8.data(), i, size);
    out.append(utf8, i, ascii - i);
    if ((i = ascii) == size) break;
    const unsigned char lead = static_cast<unsigned char>(utf8[i]);
    const int more = continuationCount(lead);
    if (more < 1) {
      out.push_back('?');
      ++i;
      continue;
    }
    uint32_t codePoint = lead & (0x3F >> more);
    int k = 1;
    for (; k <= more && i + k < size && (static_cast<unsigned char>(utf8[i + k]) & 0xC0) == 0x80;
         ++k) {
      codePoint = (codePoint << 6) | (utf8[i + k] & 0x3F);
    }
    const int byte = k > more ? windowsByte(codePoint) : -1;
    out.push_back(byte < 0 ? '?' : static_cast<char>(byte));
    i += static_cast<size_t>(k);
  }
  return out;
}

void appendUtf8(uint32_t codePoint, std::string* out) {
  if (codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) codePoint = 0xFFFD;
  if (codePoint < 0x80) {
    out->push_back(static_cast<char>(codePoint));
  } else if (codePoint < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (codePoint >> 6)));
    out->push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
  } else if (codePoint < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (codePoint >> 12)));
    out->push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (codePoint >> 18)));
    out->push_back(static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
  }
}

bool utf16ToUtf8(const std::string& bytes, std::string* out) {
  const bool little = bytes.compare(0, 2, "\xFF\xFE") == 0;
  if (!little && bytes.compare(0, 2, "\xFE\xFF") != 0) return false;
  // The mark says the order; converting without it keeps it out of the text.
  return convert("UTF-8", little ? "UTF-16LE" : "UTF-16BE", bytes.substr(2), out,
                 [](std::string*) { return false; });
}
