// Word lists as comma-separated values (RFC 4180), as spreadsheets write them: the
// first two columns are front and back. The separator is the one a first line
// "sep=;" names, else the one of semicolon, tab, bar and comma that splits every one
// of the first records into the same number of fields, at least two (in that order
// when several do); when none does, the one that splits the most records cleanly.
// Records with another number of fields than most of the first records are refused.
#ifndef TERMEL_WORDLISTS_CSV_FORMAT_H_
#define TERMEL_WORDLISTS_CSV_FORMAT_H_

#include <string>

#include "wordlists/text_lines.h"

class tCardIntake;

// The separator utf8 is written with.
char csvSeparatorOf(const std::string& utf8);

// Hands the cards of lines to intake and tells it the separator; skipHeader passes
// over the first record, which names the columns.
void importCsv(tTextLines* lines, bool skipHeader, tCardIntake* intake);
// The same for a text in memory (UTF-8, no byte-order mark).
void importCsv(const std::string& utf8, bool skipHeader, tCardIntake* intake);

// Every card of theCardBox as "front,back" records with CR LF line ends (UTF-8).
std::string csvFromBox();

#endif  // TERMEL_WORDLISTS_CSV_FORMAT_H_
