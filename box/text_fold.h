// How the tolerant comparisons of card texts spell a character: the check of a typed
// answer and the search for cards both compare texts folded this way, so "Strasse"
// finds and answers "Straße" alike. Texts are code page 1252.
#ifndef TERMEL_BOX_TEXT_FOLD_H_
#define TERMEL_BOX_TEXT_FOLD_H_

#include <string>

// Lower case, the German special letters written out ("ß" as "ss", "ä" as "ae", ...),
// typographic marks as the plain ones a keyboard gives ("…" as "...", curly quotes as
// straight ones, dashes as "-"), tabs, line ends and no-break spaces as ' '.
std::string foldedSpelling(unsigned char c);

// As foldedSpelling, and other accented letters without their accent ("é" as "e",
// "ç" as "c", "ø" as "o", "œ" as "oe").
std::string foldedSpellingWithoutAccents(unsigned char c);

// The whole text spelled by foldedSpellingWithoutAccents, runs of spaces kept as they
// are.
std::string foldWithoutAccents(const std::string& text);
// The same for a NUL-terminated text, appended to *out.
void appendFoldedWithoutAccents(const char* text, std::string* out);

#endif  // TERMEL_BOX_TEXT_FOLD_H_
