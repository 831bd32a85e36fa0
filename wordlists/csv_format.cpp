#include "wordlists/csv_format.h"

#include <tuple>

#include "wordlists/delimited_format.h"
#include "wordlists/delimited_records.h"

namespace {

// Enough records to tell the separator even behind a title line or two.
constexpr int kRecordsLooked = 20;

// How well separator splits the first records: how many of them it splits with every
// quote where RFC 4180 wants it, then how many quoted fields it finds (a separator
// inside quotes splits the text between them), then how many fields it makes.
std::tuple<int, int, size_t> splitScore(const std::string& utf8, char separator) {
  tDelimitedRecords records(utf8, separator);
  tDelimitedRecord record;
  int clean = 0, quoted = 0;
  size_t fields = 0;
  for (int n = 0; n < kRecordsLooked && records.next(&record);) {
    if (record.blank()) continue;
    ++n;
    if (record.fields.size() > 1 && !record.looseQuote && !record.openQuote) ++clean;
    quoted += record.quotedFields;
    fields += record.fields.size();
  }
  return std::make_tuple(clean, quoted, fields);
}

}  // namespace

char csvSeparatorOf(const std::string& utf8) {
  // German spreadsheets write semicolons, since the comma is their decimal point; a
  // tie goes to them.
  return splitScore(utf8, ',') > splitScore(utf8, ';') ? ',' : ';';
}

void importCsv(const std::string& utf8, bool skipHeader, tCardIntake* intake) {
  tDelimitedLayout layout;
  layout.separator = csvSeparatorOf(utf8);
  layout.skipHeader = skipHeader;
  importDelimited(utf8, layout, intake);
}

std::string csvFromBox() {
  // Semicolons are quoted too, so a reader that guesses the separator can't mistake it.
  return delimitedFromBox(',', ",;", "\r\n");
}
