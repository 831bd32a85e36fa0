// National characters between code page 1252 (memory and screen) and code page 850
// (character fields of table files), and the backslash escapes with which a user
// types them (\"u for ü). All conversions work in place on NUL-terminated texts.
#ifndef TERMEL_STORAGE_CHARSET_H_
#define TERMEL_STORAGE_CHARSET_H_

#include <cstddef>
#include <string>

struct tCharRow {
  unsigned char oem;   // code page 850
  unsigned char ansi;  // code page 1252
  char escape[3];      // one or two characters after the backslash, zero-filled
};

constexpr int kCharTableRows = 80;
extern const tCharRow charTable[kCharTableRows];

// Index of the first row whose escape begins text, or -1.
int findEscape(const char* text);
char ansiCharToOem(char c);
char oemCharToAnsi(char c);
// For storing: characters to code page 850, escapes expanded to OEM codes.
void toFileCharset(char* text);
// The same from text into dest, stopping after maxLength characters; dest needs room for
// maxLength + 1. Lets a caller convert a long text into a short field without a copy.
void toFileCharset(const char* text, char* dest, size_t maxLength);
// For storing a text that is already what it means: each character to code page 850
// through the table, a backslash as any other character. What the learner typed has
// had its escapes expanded once where it came in; expanding them again on every save
// would eat a stored backslash and the letter after it.
void toFileCharsetOnly(const char* text, char* dest, size_t maxLength);
// For display: every byte of 0x80 or above to code page 1252.
void toScreenCharset(char* text);
// The same from the length bytes at text into dest (length + 1 bytes, NUL added).
void copyToScreenCharset(char* dest, const char* text, size_t length);
// The same for the first length bytes of text, in place; the NUL goes to text[length].
void toScreenCharset(char* text, size_t length);
// Expands escapes to code page 1252 codes; other characters are left alone.
void expandEscapes(char* text);
// For editing a stored text: each backslash doubled, so that expandEscapes gives the
// text back unchanged however many backslashes it holds.
std::string doubleBackslashes(const char* text);

#endif  // TERMEL_STORAGE_CHARSET_H_
