#include "box/csv_format.h"

#include <utility>

#include "box/delimited_format.h"
#include "box/delimited_records.h"

namespace {

// Enough records to tell the separator even behind a title line or two.
constexpr int kRecordsLooked = 20;

// How well sep splits the first records: how many of them it splits, then how many
// fields it makes.
std::pair<int, size_t> splitScore(const std::string& utf8, char separator) {
  tDelimitedRecords records(utf8, separator);
  tDelimitedRecord record;
  std::pair<int, size_t> score;
  for (int n = 0; n < kRecordsLooked && records.next(&record);) {
    if (record.blank()) continue;
    ++n;
    if (record.fields.size() > 1) ++score.first;
    score.second += record.fields.size();
  }
  return score;
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
