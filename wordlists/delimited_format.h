// What CSV and tab-separated word lists share: records of separated fields turned
// into cards (the first two card columns are front and back), and the box written
// as such records.
#ifndef TERMEL_WORDLISTS_DELIMITED_FORMAT_H_
#define TERMEL_WORDLISTS_DELIMITED_FORMAT_H_

#include <cstddef>
#include <set>
#include <string>
#include <vector>

#include "wordlists/text_lines.h"

class tCardIntake;

// How the records of one file are laid out.
struct tDelimitedLayout {
  char separator = ',';
  bool skipHeader = false;  // the first record names the columns
  // The number of fields of the file's records; a record with another number (but for
  // empty fields at its end) is refused rather than turned into a card of fragments.
  // 0: any number.
  size_t usualFields = 0;
  bool html = false;    // fields hold HTML
  bool sounds = false;  // fields may hold "[sound:...]" references, which go
  // A quote inside a field is worth a notice: in CSV, where quoting is the rule; in
  // tab-separated text quotes are mostly just text.
  bool reportStrayQuotes = false;
  std::set<size_t> otherColumns;  // columns (from 0) that hold no card text
};

// Hands every record of lines to intake. Records without any text are passed over; a
// record whose quote is never closed, one on a line too long and one with another
// number of fields than the usual are refused, each shown as it stands in the file; one
// with a quote taken as text is taken whole (and reported if the layout says so);
// columns beyond front and back are reported once.
void importDelimited(tTextLines* lines, const tDelimitedLayout& layout, tCardIntake* intake);

// How many fields most of the records among lines have (lines read ahead, as
// tTextLines::peek gives them), at most looked of them; 0 when there are none.
size_t usualFieldCount(const std::vector<tTextLine>& lines, char separator, int looked);

// Every card of theCardBox as a record "front SEPARATOR back" and lineEnd, fields
// quoted where a reader would otherwise split them; quoteOn names every character
// that makes a field quoted besides quotes and line breaks. UTF-8.
std::string delimitedFromBox(char separator, const char* quoteOn, const char* lineEnd);

#endif  // TERMEL_WORDLISTS_DELIMITED_FORMAT_H_
