// What CSV and tab-separated word lists share: records of separated fields turned
// into cards (the first two card columns are front and back), and the box written
// as such records.
#ifndef TERMEL_WORDLISTS_DELIMITED_FORMAT_H_
#define TERMEL_WORDLISTS_DELIMITED_FORMAT_H_

#include <cstddef>
#include <set>
#include <string>

class tCardIntake;

// How the records of one file are laid out.
struct tDelimitedLayout {
  char separator = ',';
  size_t start = 0;         // offset of the first record, behind any header lines
  int firstLine = 1;        // the line at start
  bool skipHeader = false;  // the first record names the columns
  bool html = false;        // fields hold HTML
  bool sounds = false;      // fields may hold "[sound:...]" references, which go
  // A quote inside a field is worth a notice: in CSV, where quoting is the rule; in
  // tab-separated text quotes are mostly just text.
  bool reportStrayQuotes = false;
  std::set<size_t> otherColumns;  // columns (from 0) that hold no card text
};

// Hands every record of utf8 (no byte-order mark) to intake. Records without any
// text are passed over; a record whose quote is never closed is refused; one with a
// quote taken as text is taken whole (and reported if the layout says so); columns beyond front and
// back are reported once.
void importDelimited(const std::string& utf8, const tDelimitedLayout& layout, tCardIntake* intake);

// Every card of theCardBox as a record "front SEPARATOR back" and lineEnd, fields
// quoted where a reader would otherwise split them; quoteOn names every character
// that makes a field quoted besides quotes and line breaks. UTF-8.
std::string delimitedFromBox(char separator, const char* quoteOn, const char* lineEnd);

#endif  // TERMEL_WORDLISTS_DELIMITED_FORMAT_H_
