// tDelimitedRecords: reads separated text (comma, semicolon or tab) record by record
// as RFC 4180 describes it: a field that starts with a double quote runs to the next
// lone double quote, so it may hold separators and line breaks, and a doubled quote
// inside it stands for one. Line ends are CR LF, LF or CR alone.
//
// Blanks (spaces, and tabs unless they separate) around a field are no part of it;
// inside quotes they are.
//
// Files written by hand are not always that tidy, so the reader forgives: a quote that
// closes a field on its own line but is followed by more text makes the whole field
// plain text, quotes included; a quote that finds no end on its line is reported and
// the field read as plain text up to the end of its line, so the lines after it still
// count.
//
// The text must outlive the reader.
#ifndef TERMEL_WORDLISTS_DELIMITED_RECORDS_H_
#define TERMEL_WORDLISTS_DELIMITED_RECORDS_H_

#include <cstddef>
#include <string>
#include <vector>

struct tDelimitedRecord {
  std::vector<std::string> fields;
  int line = 0;            // where the record starts, counted from 1
  bool openQuote = false;  // a quoted field was never closed
  // A quote where RFC 4180 allows none: inside a field that isn't quoted, or behind
  // the closing quote of one.
  bool looseQuote = false;
  int quotedFields = 0;  // fields read as quoted
  // True when no field holds anything but spaces (a blank line, or ";;;").
  bool blank() const;
};

class tDelimitedRecords {
 public:
  // Reads text from offset start on, whose line is firstLine.
  tDelimitedRecords(const std::string& text, char separator, size_t start = 0, int firstLine = 1);

  // Reads the next record; false at the end of the text.
  bool next(tDelimitedRecord* record);

 private:
  bool atLineEnd() const;
  bool isBlank(size_t pos) const;
  void skipLineEnd();
  void readField(tDelimitedRecord* record, std::string* field);
  // Reads a quoted field; false when it is not one after all (pos_ is then unchanged).
  bool readQuoted(std::string* field, tDelimitedRecord* record);
  void readPlain(std::string* field, tDelimitedRecord* record);

  const std::string& text_;
  const char separator_;
  size_t pos_;
  int line_;
};

// text as one field of a record: quoted when it holds one of the separators, a quote,
// a line break, or (so any reader keeps them) leading or trailing spaces, or starts
// with '#', which at the top of a file would pass for a header line.
std::string quotedField(const std::string& text, const char* separators);

#endif  // TERMEL_WORDLISTS_DELIMITED_RECORDS_H_
