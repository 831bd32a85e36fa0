// Word lists as comma-separated values (RFC 4180), as spreadsheets write them: the
// first two columns are front and back. Comma or semicolon, whichever the file uses.
#ifndef TERMEL_WORDLISTS_CSV_FORMAT_H_
#define TERMEL_WORDLISTS_CSV_FORMAT_H_

#include <string>

class tCardIntake;

// The separator utf8 is written with: ',' or ';'.
char csvSeparatorOf(const std::string& utf8);

// Hands the cards of utf8 (no byte-order mark) to intake; skipHeader passes over the
// first record, which names the columns.
void importCsv(const std::string& utf8, bool skipHeader, tCardIntake* intake);

// Every card of theCardBox as "front,back" records with CR LF line ends (UTF-8).
std::string csvFromBox();

#endif  // TERMEL_WORDLISTS_CSV_FORMAT_H_
