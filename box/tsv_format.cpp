#include "box/tsv_format.h"

#include <cctype>
#include <cstdlib>

#include "box/delimited_format.h"

namespace {

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

// Takes in one header line "#key:value" (without '#' and line end).
void readHeader(const std::string& line, tDelimitedLayout* layout) {
  const size_t colon = line.find(':');
  if (colon == std::string::npos) return;
  const std::string key = lowerCase(line.substr(0, colon));
  std::string value = line.substr(colon + 1);
  while (!value.empty() && (value.back() == ' ' || value.back() == '\r')) value.pop_back();
  if (key == "separator") {
    if (const char separator = separatorNamed(value)) layout->separator = separator;
  } else if (key == "html") {
    layout->html = lowerCase(value) == "true";
  } else if (key.size() > 7 && key.compare(key.size() - 7, 7, " column") == 0) {
    // "#deck column:3": a column, counted from 1, that holds no card text.
    const long column = std::strtol(value.c_str(), nullptr, 10);
    if (column >= 1 && column <= 1000) layout->otherColumns.insert(static_cast<size_t>(column - 1));
  }
}

// The layout the header lines at the top of utf8 describe; start points behind them.
tDelimitedLayout layoutOf(const std::string& utf8) {
  tDelimitedLayout layout;
  layout.separator = '\t';
  while (layout.start < utf8.size() && utf8[layout.start] == '#') {
    size_t end = utf8.find('\n', layout.start);
    if (end == std::string::npos) end = utf8.size();
    readHeader(utf8.substr(layout.start + 1, end - layout.start - 1), &layout);
    layout.start = end < utf8.size() ? end + 1 : end;
    ++layout.firstLine;
  }
  return layout;
}

}  // namespace

void importTsv(const std::string& utf8, bool skipHeader, tCardIntake* intake) {
  tDelimitedLayout layout = layoutOf(utf8);
  layout.skipHeader = skipHeader;
  importDelimited(utf8, layout, intake);
}

std::string tsvFromBox() {
  return "#separator:tab\n#html:false\n" + delimitedFromBox('\t', "\t", "\n");
}
