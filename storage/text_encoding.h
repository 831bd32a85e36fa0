// Conversions between the program's code page 1252 texts and UTF-8, for text files
// and terminals. Code page 1252 characters are decoded by table, anything else and
// the encoding by the C library's iconv.
#ifndef TERMEL_STORAGE_TEXT_ENCODING_H_
#define TERMEL_STORAGE_TEXT_ENCODING_H_

#include <string>

// True when bytes are valid UTF-8 (a leading byte-order mark is allowed).
bool isValidUtf8(const std::string& bytes);
// Converts UTF-8 to code page 1252. False when a character has no code page 1252
// form; out is then unspecified.
bool utf8ToCp1252(const std::string& utf8, std::string* out);
// Converts code page 1252 to UTF-8 (bytes undefined in 1252 pass as U+FFFD).
std::string cp1252ToUtf8(const std::string& cp1252);

#endif  // TERMEL_STORAGE_TEXT_ENCODING_H_
