#include "wordlists/tsv_format.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "wordlists/delimited_format.h"
#include "wordlists/delimited_records.h"
#include "wordlists/html_text.h"

namespace {

// Enough records to tell HTML from plain text behind a few plain cards, and the lines
// read ahead to find them, bounded so a file of long lines costs little.
constexpr int kRecordsLooked = 50;
constexpr size_t kLinesLooked = 500;
constexpr size_t kBytesLooked = 1 << 20;

std::string lowerCase(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// The separator a "#separator:" header names, by name or as the character itself;
// 0 for one we can't use.
char separatorNamed(const std::string& value) {
  const std::string name = lowerCase(value);
  if (name == "tab") return '\t';
  if (name == "comma") return ',';
  if (name == "semicolon") return ';';
  if (name == "space") return ' ';
  if (name == "pipe") return '|';
  if (name == "colon") return ':';
  if (value.size() == 1 && value[0] != '"') return value[0];
  return 0;
}

bool endsWith(const std::string& text, const char* end) {
  const size_t n = std::strlen(end);
  return text.size() >= n && text.compare(text.size() - n, n, end) == 0;
}

// The header lines flashcard programs write; a line starting with '#' that is none
// of them is a card.
bool isHeaderKey(const std::string& key) {
  return key == "separator" || key == "html" || key == "columns" || key == "tags" ||
         key == "deck" || key == "notetype" || key == "if matches" || endsWith(key, " column");
}

// Takes in line if it is a header line "#key:value"; false if not.
bool readHeader(const std::string& line, tDelimitedLayout* layout, bool* htmlNamed) {
  if (line.empty() || line[0] != '#') return false;
  const size_t colon = line.find(':');
  if (colon == std::string::npos) return false;
  const std::string key = lowerCase(line.substr(1, colon - 1));
  if (!isHeaderKey(key)) return false;
  std::string value = line.substr(colon + 1);
  while (!value.empty() && value.back() == ' ') value.pop_back();
  value.erase(0, std::min(value.size(), value.find_first_not_of(' ')));  // "#separator: comma"
  if (key == "separator") {
    if (const char separator = separatorNamed(value)) layout->separator = separator;
  } else if (key == "html") {
    layout->html = lowerCase(value) == "true";
    *htmlNamed = true;
  } else if (endsWith(key, " column")) {
    // "#deck column:3": a column, counted from 1, that holds no card text.
    const long column = std::strtol(value.c_str(), nullptr, 10);
    if (column >= 1 && column <= 1000) layout->otherColumns.insert(static_cast<size_t>(column - 1));
  }
  return true;
}

// Whether a field of the first records holds HTML.
bool recordsHoldHtml(const std::vector<tTextLine>& ahead, const tDelimitedLayout& layout) {
  tTextLines lines(ahead);
  tDelimitedRecords records(&lines, layout.separator);
  tDelimitedRecord record;
  for (int n = 0; n < kRecordsLooked && records.next(&record); ++n) {
    if (std::any_of(record.fields.begin(), record.fields.end(), holdsHtml)) return true;
  }
  return false;
}

// Reads the header lines at the top of lines and the layout they describe; the
// lines go on behind them. Without a "#html:" line the fields are HTML when they
// look like it. *headerLines counts the header lines.
tDelimitedLayout layoutOf(tTextLines* lines, int* headerLines) {
  tDelimitedLayout layout;
  layout.separator = '\t';
  layout.sounds = true;
  bool htmlNamed = false;
  *headerLines = 0;
  tTextLine line;
  while (lines->next(&line)) {
    if (line.cut || !readHeader(line.text, &layout, &htmlNamed)) {
      lines->putBack({std::move(line)});
      break;
    }
    ++*headerLines;
  }
  const std::vector<tTextLine> ahead = lines->peek(kLinesLooked, kBytesLooked);
  if (!htmlNamed) layout.html = recordsHoldHtml(ahead, layout);
  layout.usualFields = usualFieldCount(ahead, layout.separator, kRecordsLooked);
  return layout;
}

}  // namespace

void importTsv(tTextLines* lines, bool skipHeader, tCardIntake* intake) {
  int headerLines = 0;
  tDelimitedLayout layout = layoutOf(lines, &headerLines);
  layout.skipHeader = skipHeader;
  importDelimited(lines, layout, intake);
}

void importTsv(const std::string& utf8, bool skipHeader, tCardIntake* intake) {
  tTextLines lines(utf8);
  importTsv(&lines, skipHeader, intake);
}

bool tsvHasHeaderLines(const std::string& utf8) {
  tTextLines lines(utf8);
  int headerLines = 0;
  layoutOf(&lines, &headerLines);
  return headerLines > 0;
}

std::string tsvFromBox() {
  return "#separator:tab\n#html:false\n" + delimitedFromBox('\t', "\t", "\n");
}
