// Word lists as tab-separated text, including the plain-text exports of flashcard
// programs, which open with header lines such as "#separator:tab", "#html:true" and
// "#columns:Front<TAB>Back". The first two card columns are front and back; columns a
// header names as note type, deck, tags or GUID are not card texts. Without an
// "#html:" line, fields are read as HTML when the first records hold HTML elements;
// "[sound:...]" references to recordings are left out.
#ifndef TERMEL_WORDLISTS_TSV_FORMAT_H_
#define TERMEL_WORDLISTS_TSV_FORMAT_H_

#include <string>

#include "wordlists/text_lines.h"

class tCardIntake;

// Hands the cards of lines to intake; skipHeader passes over the first record behind
// the header lines, which names the columns. Records with another number of fields
// than most of the first records are refused.
void importTsv(tTextLines* lines, bool skipHeader, tCardIntake* intake);
// The same for a text in memory (UTF-8, no byte-order mark).
void importTsv(const std::string& utf8, bool skipHeader, tCardIntake* intake);

// True when utf8 opens with header lines of a flashcard program, which name the
// columns themselves, so no record behind them does.
bool tsvHasHeaderLines(const std::string& utf8);

// Every card of theCardBox as "front<TAB>back" lines (UTF-8), behind the header lines
// "#separator:tab" and "#html:false", so flashcard programs need not ask.
std::string tsvFromBox();

#endif  // TERMEL_WORDLISTS_TSV_FORMAT_H_
