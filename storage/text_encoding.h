// Conversions between the program's code page 1252 texts and UTF-8, for text files
// and terminals. Code page 1252 characters are decoded by table, anything else and
// the encoding by the C library's iconv.
#ifndef TERMEL_STORAGE_TEXT_ENCODING_H_
#define TERMEL_STORAGE_TEXT_ENCODING_H_

#include <cstddef>
#include <cstdint>
#include <string>

// Checks UTF-8 handed over in pieces of any size, so a file need not be held whole
// to be checked: a character may be cut between two pieces.
class tUtf8Check {
 public:
  void feed(const char* bytes, size_t size);
  // False as soon as anything fed so far is not UTF-8; then feeding more changes nothing.
  bool stillValid() const { return !bad_; }
  // Everything fed is valid UTF-8 and ends with a whole character.
  bool valid() const { return !bad_ && pending_ == 0; }

 private:
  int pending_ = 0;  // continuation bytes still due
  unsigned char lead_ = 0;
  bool expectFirst_ = false;  // the next byte is the first continuation of lead_
  bool bad_ = false;
};

// How many of the first size bytes are ASCII before the first that is not.
size_t asciiPrefixLength(const char* bytes, size_t size);
// True when bytes are valid UTF-8 (a leading byte-order mark is allowed).
bool isValidUtf8(const std::string& bytes);
// The code page 1252 byte of the UTF-8 character at the start of bytes (size > 0
// bytes available), or -1 when it has none or is no valid UTF-8. *length gets the
// bytes the character takes, at least 1, so a caller can go on behind it.
int cp1252OfUtf8(const char* bytes, size_t size, size_t* length);
// Converts UTF-8 to code page 1252. False when a character has no code page 1252
// form; out is then unspecified.
bool utf8ToCp1252(const std::string& utf8, std::string* out);
// Converts valid UTF-8 to code page 1252 for showing it: each character without a
// code page 1252 form becomes '?'. Invalid bytes become '?' too.
std::string utf8ToCp1252Shown(const std::string& utf8);
// Appends the UTF-8 form of a Unicode code point (above U+10FFFF and surrogates: U+FFFD).
void appendUtf8(uint32_t codePoint, std::string* out);
// Converts UTF-16 that starts with its byte-order mark (either byte order) to UTF-8
// without one. False when bytes has no such mark or is not valid UTF-16.
bool utf16ToUtf8(const std::string& bytes, std::string* out);
// Converts code page 1252 to UTF-8 (bytes undefined in 1252 pass as U+FFFD).
std::string cp1252ToUtf8(const std::string& cp1252);

#endif  // TERMEL_STORAGE_TEXT_ENCODING_H_
