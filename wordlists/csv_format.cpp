#include "wordlists/csv_format.h"

#include <tuple>
#include <vector>

#include "wordlists/card_intake.h"
#include "wordlists/delimited_format.h"
#include "wordlists/delimited_records.h"

namespace {

// Enough records to tell the separator even behind a title line or two.
constexpr int kRecordsLooked = 20;
// The lines read ahead to find them, bounded so a file of long lines costs little.
constexpr size_t kLinesLooked = 200;
constexpr size_t kBytesLooked = 1 << 20;

// The separators a file may use, in the order a tie goes: German spreadsheets write
// semicolons, since the comma is their decimal point, and German word lists use
// commas inside a text ("gehen, ging, gegangen"), and so do the sentences of decks
// that part them with bars.
constexpr char kSeparators[] = {';', '\t', '|', ','};

// How separator splits the first records of lines.
struct tSplit {
  // Every record into the same number of fields, at least two, with every quote where
  // it belongs (a separator inside quotes leaves quotes where they don't).
  bool even = true;
  // For files that no separator splits evenly: how many records it splits with every
  // quote where it belongs, how many quoted fields it finds, how many fields it makes.
  std::tuple<int, int, size_t> score;
};

tSplit splitOf(const std::vector<tTextLine>& lines, char separator) {
  tTextLines ahead(lines);
  tDelimitedRecords records(&ahead, separator);
  tDelimitedRecord record;
  tSplit split;
  int clean = 0, quoted = 0;
  size_t fields = 0, width = 0;
  for (int n = 0; n < kRecordsLooked && records.next(&record);) {
    if (record.blank() || record.cut) continue;
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
char namedSeparator(const std::vector<tTextLine>& lines) {
  if (lines.empty() || lines[0].number != 1) return 0;
  const std::string& first = lines[0].text;
  if (first.size() != 5 || first.compare(0, 4, "sep=") != 0) return 0;
  return first[4] != '"' ? first[4] : 0;
}

char guessedSeparator(const std::vector<tTextLine>& lines) {
  char best = 0;
  std::tuple<int, int, size_t> bestScore;
  for (const char separator : kSeparators) {
    const tSplit split = splitOf(lines, separator);
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
  tTextLines lines(utf8);
  const std::vector<tTextLine> ahead = lines.peek(kLinesLooked, kBytesLooked);
  const char named = namedSeparator(ahead);
  return named != 0 ? named : guessedSeparator(ahead);
}

void importCsv(tTextLines* lines, bool skipHeader, tCardIntake* intake) {
  std::vector<tTextLine> ahead = lines->peek(kLinesLooked, kBytesLooked);
  tDelimitedLayout layout;
  layout.separator = namedSeparator(ahead);
  if (layout.separator != 0) {
    tTextLine named;
    lines->next(&named);  // the "sep=" line is no record
    ahead.erase(ahead.begin());
  } else {
    layout.separator = guessedSeparator(ahead);
  }
  layout.skipHeader = skipHeader;
  layout.reportStrayQuotes = true;
  layout.usualFields = usualFieldCount(ahead, layout.separator, kRecordsLooked);
  intake->separatorFound(layout.separator);
  importDelimited(lines, layout, intake);
}

void importCsv(const std::string& utf8, bool skipHeader, tCardIntake* intake) {
  tTextLines lines(utf8);
  importCsv(&lines, skipHeader, intake);
}

std::string csvFromBox() {
  // Semicolons and bars are quoted too, so a reader that guesses the separator can't
  // mistake them.
  return delimitedFromBox(',', ",;|", "\r\n");
}
