#include "wordlists/tsv_format.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>

#include "wordlists/delimited_format.h"
#include "wordlists/delimited_records.h"
#include "wordlists/html_text.h"

namespace {

// Enough records to tell HTML from plain text behind a few plain cards.
constexpr int kRecordsLooked = 50;

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

// Takes in the line at utf8[start] if it is a header line "#key:value"; false if not.
bool readHeader(const std::string& utf8, size_t start, size_t end, tDelimitedLayout* layout,
                bool* htmlNamed) {
  if (utf8[start] != '#') return false;
  const size_t colon = utf8.find(':', start);
  if (colon >= end) return false;
  const std::string key = lowerCase(utf8.substr(start + 1, colon - start - 1));
  if (!isHeaderKey(key)) return false;
  std::string value = utf8.substr(colon + 1, end - colon - 1);
  while (!value.empty() && (value.back() == ' ' || value.back() == '\r')) value.pop_back();
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
bool recordsHoldHtml(const std::string& utf8, const tDelimitedLayout& layout) {
  tDelimitedRecords records(utf8, layout.separator, layout.start, layout.firstLine);
  tDelimitedRecord record;
  for (int n = 0; n < kRecordsLooked && records.next(&record); ++n) {
    if (std::any_of(record.fields.begin(), record.fields.end(), holdsHtml)) return true;
  }
  return false;
}

// The layout the header lines at the top of utf8 describe; start points behind them.
// Without a "#html:" line the fields are HTML when they look like it.
tDelimitedLayout layoutOf(const std::string& utf8) {
  tDelimitedLayout layout;
  layout.separator = '\t';
  layout.sounds = true;
  bool htmlNamed = false;
  while (layout.start < utf8.size()) {
    const size_t end = std::min(utf8.find('\n', layout.start), utf8.size());
    if (!readHeader(utf8, layout.start, end, &layout, &htmlNamed)) break;
    layout.start = end < utf8.size() ? end + 1 : end;
    ++layout.firstLine;
  }
  if (!htmlNamed) layout.html = recordsHoldHtml(utf8, layout);
  return layout;
}

}  // namespace

void importTsv(const std::string& utf8, bool skipHeader, tCardIntake* intake) {
  tDelimitedLayout layout = layoutOf(utf8);
  layout.skipHeader = skipHeader;
  importDelimited(utf8, layout, intake);
}

bool tsvHasHeaderLines(const std::string& utf8) {
  return layoutOf(utf8).firstLine > 1;
}

std::string tsvFromBox() {
  return "#separator:tab\n#html:false\n" + delimitedFromBox('\t', "\t", "\n");
}
