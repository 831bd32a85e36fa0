#include "wordlists/delimited_records.h"

#include <algorithm>

bool tDelimitedRecord::blank() const {
  return std::all_of(fields.begin(), fields.end(), [](const std::string& field) {
    return field.find_first_not_of(' ') == std::string::npos;
  });
}

tDelimitedRecords::tDelimitedRecords(const std::string& text, char separator, size_t start,
                                     int firstLine)
    : text_(text), separator_(separator), pos_(start), line_(firstLine) {}

bool tDelimitedRecords::atLineEnd() const {
  return pos_ >= text_.size() || text_[pos_] == '\n' || text_[pos_] == '\r';
}

void tDelimitedRecords::skipLineEnd() {
  if (pos_ >= text_.size()) return;
  if (text_[pos_] == '\r' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '\n') ++pos_;
  ++pos_;
  ++line_;
}

bool tDelimitedRecords::next(tDelimitedRecord* record) {
  if (pos_ >= text_.size()) return false;
  record->fields.clear();
  record->line = line_;
  record->openQuote = false;
  record->looseQuote = false;
  record->quotedFields = 0;
  for (;;) {
    record->fields.emplace_back();
    readField(record, &record->fields.back());
    if (atLineEnd()) break;
    ++pos_;  // the separator
  }
  skipLineEnd();
  return true;
}

bool tDelimitedRecords::isBlank(size_t pos) const {
  return pos < text_.size() && text_[pos] != separator_ &&
         (text_[pos] == ' ' || text_[pos] == '\t');
}

void tDelimitedRecords::readField(tDelimitedRecord* record, std::string* field) {
  while (isBlank(pos_)) ++pos_;
  if (pos_ < text_.size() && text_[pos_] == '"' && readQuoted(field, record)) return;
  readPlain(field, record);
}

bool tDelimitedRecords::readQuoted(std::string* field, tDelimitedRecord* record) {
  const size_t start = pos_;
  const int startLine = line_;
  field->clear();
  for (size_t i = start + 1; i < text_.size(); ++i) {
    const char c = text_[i];
    if (c != '"') {
      if (c == '\n' || (c == '\r' && (i + 1 >= text_.size() || text_[i + 1] != '\n'))) ++line_;
      field->push_back(c);
      continue;
    }
    if (i + 1 < text_.size() && text_[i + 1] == '"') {
      field->push_back('"');
      ++i;
      continue;
    }
    pos_ = i + 1;
    while (isBlank(pos_)) ++pos_;
    if (atLineEnd() || text_[pos_] == separator_) {
      ++record->quotedFields;
      return true;
    }
    break;  // text after the closing quote: not a quoted field after all
  }
  // A quote closed on its own line and followed by more text is part of the text
  // ("Haus" am See); one that finds no end on its line was meant to quote and wasn't
  // closed.
  if (pos_ <= start || line_ != startLine) record->openQuote = true;
  pos_ = start;
  line_ = startLine;
  field->clear();
  return false;
}

void tDelimitedRecords::readPlain(std::string* field, tDelimitedRecord* record) {
  const size_t start = pos_;
  while (!atLineEnd() && text_[pos_] != separator_) ++pos_;
  size_t end = pos_;
  while (end > start && isBlank(end - 1)) --end;
  field->assign(text_, start, end - start);
  if (field->find('"') != std::string::npos) record->looseQuote = true;
}

std::string quotedField(const std::string& text, const char* separators) {
  const bool needsQuotes =
      text.find_first_of(std::string("\"\r\n") + separators) != std::string::npos ||
      (!text.empty() && (text.front() == ' ' || text.front() == '#' || text.back() == ' '));
  if (!needsQuotes) return text;
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  quoted += '"';
  return quoted;
}
