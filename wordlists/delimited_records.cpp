#include "wordlists/delimited_records.h"

#include <algorithm>
#include <utility>

namespace {

bool isSpaceOrTab(char c) {
  return c == ' ' || c == '\t';
}

}  // namespace

bool tDelimitedRecord::blank() const {
  return std::all_of(fields.begin(), fields.end(), [](const std::string& field) {
    return field.find_first_not_of(' ') == std::string::npos;
  });
}

tDelimitedRecords::tDelimitedRecords(tTextLines* lines, char separator)
    : lines_(lines), separator_(separator) {}

bool tDelimitedRecords::next(tDelimitedRecord* record) {
  if (!lines_->next(&line_)) return false;
  pos_ = 0;
  record->fields.clear();
  record->raw = line_.text;
  record->line = line_.number;
  record->cut = line_.cut;
  record->openQuote = false;
  record->looseQuote = false;
  record->quotedFields = 0;
  record->joinedFields = 0;
  if (record->cut) return true;
  for (;;) {
    record->fields.emplace_back();
    readField(record, &record->fields.back());
    if (atLineEnd()) break;
    ++pos_;  // the separator
  }
  return true;
}

bool tDelimitedRecords::isBlank(size_t pos) const {
  return pos < line_.text.size() && line_.text[pos] != separator_ && isSpaceOrTab(line_.text[pos]);
}

void tDelimitedRecords::readField(tDelimitedRecord* record, std::string* field) {
  while (isBlank(pos_)) ++pos_;
  if (!atLineEnd() && line_.text[pos_] == '"' && readQuoted(field, record)) return;
  readPlain(field, record);
}

bool tDelimitedRecords::readQuoted(std::string* field, tDelimitedRecord* record) {
  const size_t start = pos_;
  const size_t rawSize = record->raw.size();
  std::vector<tTextLine> taken;  // the lines the field ran over, its first line first
  field->clear();
  bool closed = false;
  for (size_t i = start + 1;;) {
    if (i >= line_.text.size()) {
      if (!continueQuoted(field, record, &taken)) break;
      i = pos_;
      continue;
    }
    const char c = line_.text[i];
    if (c != '"') {
      field->push_back(c);
      ++i;
    } else if (i + 1 < line_.text.size() && line_.text[i + 1] == '"') {
      field->push_back('"');
      i += 2;
    } else {
      pos_ = i + 1;
      while (isBlank(pos_)) ++pos_;
      closed = atLineEnd() || line_.text[pos_] == separator_;
      break;  // with text after the closing quote, not a quoted field after all
    }
  }
  if (closed) {
    ++record->quotedFields;
    if (!taken.empty()) ++record->joinedFields;
    return true;
  }
  // A quote closed on its own line and followed by more text is part of the text
  // ("Haus" am See); one that finds no end on its line was meant to quote and wasn't
  // closed.
  if (!taken.empty() || pos_ <= start) record->openQuote = true;
  if (!taken.empty()) {
    line_ = std::move(taken[0]);
    lines_->putBack(std::vector<tTextLine>(std::make_move_iterator(taken.begin() + 1),
                                           std::make_move_iterator(taken.end())));
    record->raw.resize(rawSize);
  }
  pos_ = start;
  field->clear();
  return false;
}

bool tDelimitedRecords::continueQuoted(std::string* field, tDelimitedRecord* record,
                                       std::vector<tTextLine>* taken) {
  if (taken->size() >= static_cast<size_t>(kMaxQuotedLines)) return false;
  if (taken->empty()) taken->push_back(line_);
  tTextLine next;
  if (!lines_->next(&next)) return false;
  taken->push_back(next);
  if (next.cut) return false;
  while (!field->empty() && isSpaceOrTab(field->back())) field->pop_back();
  if (!field->empty()) field->push_back(' ');
  line_ = std::move(next);
  record->raw += '\n';
  record->raw += line_.text;
  pos_ = 0;
  while (pos_ < line_.text.size() && isSpaceOrTab(line_.text[pos_])) ++pos_;
  return true;
}

void tDelimitedRecords::readPlain(std::string* field, tDelimitedRecord* record) {
  const size_t start = pos_;
  while (!atLineEnd() && line_.text[pos_] != separator_) ++pos_;
  size_t end = pos_;
  while (end > start && isBlank(end - 1)) --end;
  field->assign(line_.text, start, end - start);
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
