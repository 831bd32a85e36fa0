// tDelimitedRecords: reads separated text (comma, semicolon, tab or bar) record by
// record as RFC 4180 describes it: a field that starts with a double quote runs to the
// next lone double quote, so it may hold separators and line breaks, and a doubled
// quote inside it stands for one. The lines come from tTextLines, so a file of any
// size is read in bounded memory.
//
// Blanks (spaces, and tabs unless they separate) around a field are no part of it;
// inside quotes they are. A line break inside quotes becomes one blank, with the
// blanks around it, since a card shows one line.
//
// Files written by hand are not always that tidy, so the reader forgives: a quote that
// closes a field on its own line but is followed by more text makes the whole field
// plain text, quotes included; a quote that finds no end within kMaxQuotedLines lines
// (or is followed by text where it ends) is reported and the field read as plain text
// up to the end of its line, so the lines after it still count.
#ifndef TERMEL_WORDLISTS_DELIMITED_RECORDS_H_
#define TERMEL_WORDLISTS_DELIMITED_RECORDS_H_

#include <cstddef>
#include <string>
#include <vector>

#include "wordlists/text_lines.h"

struct tDelimitedRecord {
  std::vector<std::string> fields;
  std::string raw;         // the lines of the record as they stand in the file
  int line = 0;            // where the record starts, counted from 1
  bool cut = false;        // a line too long to be read whole; no fields
  bool openQuote = false;  // a quoted field was never closed
  // A quote where RFC 4180 allows none: inside a field that isn't quoted, or behind
  // the closing quote of one.
  bool looseQuote = false;
  int quotedFields = 0;  // fields read as quoted
  int joinedFields = 0;  // quoted fields that ran over more than one line
  // True when no field holds anything but spaces (a blank line, or ";;;").
  bool blank() const;
};

class tDelimitedRecords {
 public:
  // How far a quoted field may run before its quote counts as never closed.
  static constexpr int kMaxQuotedLines = 100;

  // Reads the records of lines, which must outlive the reader.
  tDelimitedRecords(tTextLines* lines, char separator);

  // Reads the next record; false at the end of the lines.
  bool next(tDelimitedRecord* record);

 private:
  bool atLineEnd() const { return pos_ >= line_.text.size(); }
  bool isBlank(size_t pos) const;
  void readField(tDelimitedRecord* record, std::string* field);
  // Reads a quoted field; false when it is not one after all (pos_ and the line are
  // then as before).
  bool readQuoted(std::string* field, tDelimitedRecord* record);
  // Moves on to the next line inside a quoted field; false when there is none within
  // the limit.
  bool continueQuoted(std::string* field, tDelimitedRecord* record, std::vector<tTextLine>* taken);
  void readPlain(std::string* field, tDelimitedRecord* record);

  tTextLines* lines_;
  const char separator_;
  tTextLine line_;  // the line being read
  size_t pos_ = 0;
};

// text as one field of a record: quoted when it holds one of the separators, a quote,
// a line break, or (so any reader keeps them) leading or trailing spaces, or starts
// with '#', which at the top of a file would pass for a header line.
std::string quotedField(const std::string& text, const char* separators);

#endif  // TERMEL_WORDLISTS_DELIMITED_RECORDS_H_
