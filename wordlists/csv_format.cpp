#include "wordlists/csv_format.h"

#include <tuple>

#include "wordlists/delimited_format.h"
#include "wordlists/delimited_records.h"

namespace {

// Enough records to tell the separator even behind a title line or two.
constexpr int kRecordsLooked = 20;

// The separators a file may use, in the order a tie goes: German spreadsheets write
// semicolons, since the comma is their decimal point, and German word lists use
// commas inside a text ("gehen, ging, gegangen").
constexpr char kSeparators[] = {';', '\t', ','};

// How separator splits the first records of utf8 from start on.
struct tSplit {
  // Every record into the same number of fields, at least two, with every quote where
  // it belongs (a separator inside quotes leaves quotes where they don't).
  bool even = true;
  // For files that no separator splits evenly: how many records it splits with every
  // quote where it belongs, how many quoted fields it finds, how many fields it makes.
  std::tuple<int, int, size_t> score;
};

tSplit splitOf(const std::string& utf8, size_t start, char separator) {
  tDelimitedRecords records(utf8, separator, start);
  tDelimitedRecord record;
  tSplit split;
  int clean = 0, quoted = 0;
  size_t fields = 0, width = 0;
  for (int n = 0; n < kRecordsLooked && records.next(&record);) {
    if (record.blank()) continue;
    ++n;
    if (width == 0) width = record.fields.size();
    split.even = split.even && width >= 2 && record.fields.size() == width && !record.openQuote &&
                 !record.looseQuote;
    if (record.fields.size() > 1 && !record.looseQuote && !record.openQuote) ++clean;
    quoted += record.quotedFields;
    fields += record.fields.size();
  }
  split.even = split.even && width >= 2;
  split.score = std::make_tuple(clean, quoted, fields);
  return split;
}

// The separator a first line "sep=;" names, as spreadsheets write it; 0 for none.
char namedSeparator(const std::string& utf8) {
  if (utf8.compare(0, 4, "sep=") != 0 || utf8.size() < 5) return 0;
  const char separator = utf8[4];
  const bool lineEnds = utf8.size() == 5 || utf8[5] == '\n' || utf8[5] == '\r';
  return lineEnds && separator != '"' && separator != '\n' && separator != '\r' ? separator : 0;
}

// Where the records start: behind a "sep=" line.
size_t recordsStart(const std::string& utf8) {
  if (namedSeparator(utf8) == 0) return 0;
  const size_t end = utf8.find('\n');
  return end == std::string::npos ? utf8.size() : end + 1;
}

char guessedSeparator(const std::string& utf8, size_t start) {
  char best = 0;
  std::tuple<int, int, size_t> bestScore;
  for (const char separator : kSeparators) {
    const tSplit split = splitOf(utf8, start, separator);
    if (split.even) return separator;
    if (best == 0 || split.score > bestScore) {
      best = separator;
      bestScore = split.score;
    }
  }
  return best;
}

}  // namespace

char csvSeparatorOf(const std::string& utf8) {
  const char named = namedSeparator(utf8);
  return named != 0 ? named : guessedSeparator(utf8, 0);
}

void importCsv(const std::string& utf8, bool skipHeader, tCardIntake* intake) {
  tDelimitedLayout layout;
  layout.separator = csvSeparatorOf(utf8);
  layout.start = recordsStart(utf8);
  layout.firstLine = layout.start == 0 ? 1 : 2;
  layout.skipHeader = skipHeader;
  layout.reportStrayQuotes = true;
  importDelimited(utf8, layout, intake);
}

std::string csvFromBox() {
  // Semicolons are quoted too, so a reader that guesses the separator can't mistake it.
  return delimitedFromBox(',', ",;", "\r\n");
}
