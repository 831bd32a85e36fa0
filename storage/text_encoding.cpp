#include "storage/text_encoding.h"

#include <iconv.h>

#include <cerrno>
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

}  // namespace

bool isValidUtf8(const std::string& bytes) {
  size_t i = hasByteOrderMark(bytes) ? 3 : 0;
  while (i < bytes.size()) {
    const unsigned char lead = static_cast<unsigned char>(bytes[i]);
    const int more = continuationCount(lead);
    if (more < 0 || i + more >= bytes.size()) return false;
    for (int k = 1; k <= more; ++k) {
      const unsigned char c = static_cast<unsigned char>(bytes[i + k]);
      if ((c & 0xC0) != 0x80) return false;
      if (k == 1 && !firstContinuationFits(lead, c)) return false;
    }
    i += 1 + more;
  }
  return true;
}

bool utf8ToCp1252(const std::string& utf8, std::string* out) {
  if (!isValidUtf8(utf8)) return false;
  const std::string text = hasByteOrderMark(utf8) ? utf8.substr(3) : utf8;
  return convert("CP1252", "UTF-8", text, out, [](std::string*) { return false; });
}

std::string cp1252ToUtf8(const std::string& cp1252) {
  std::string out;
  convert("UTF-8", "CP1252", cp1252, &out, [](std::string* o) {
    o->append(kReplacement);
    return true;
  });
  return out;
}
