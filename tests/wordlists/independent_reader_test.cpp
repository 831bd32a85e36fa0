// Real and hand-made word lists separated by tabs, bars, semicolons, each imported and
// compared with what Python's csv module reads from the same file: every record of the
// file's usual width becomes its card, every other one is reported with its line.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "box/card_text.h"
#include "storage/text_encoding.h"
#include "tests/wordlists/word_list_test_support.h"

namespace {

using Codes = std::vector<std::pair<int, int>>;

struct tRecord {
  int line = 0;
  std::vector<std::string> fields;
};

// The records Python's csv module reads from path with separator ("tab" for a tab).
std::vector<tRecord> pythonRecords(const std::string& path, const std::string& separator) {
  const std::string command = "python3 '" + std::string(TERMEL_TEST_DATA_DIR) +
                              "/../wordlists/csv_fields.py' '" + path + "' '" + separator + "'";
  std::FILE* in = popen(command.c_str(), "r");
  std::string output;
  char chunk[4096];
  for (size_t n; in != nullptr && (n = std::fread(chunk, 1, sizeof chunk, in)) > 0;) {
    output.append(chunk, n);
  }
  EXPECT_TRUE(in != nullptr && pclose(in) == 0) << command;
  std::vector<tRecord> records;
  std::istringstream lines(output);
  for (std::string line; std::getline(lines, line);) {
    tRecord record;
    std::istringstream fields(line);
    std::string field;
    std::getline(fields, field, '\x1f');
    record.line = std::stoi(field);
    while (std::getline(fields, field, '\x1f')) record.fields.push_back(field);
    if (!line.empty() && line.back() == '\x1f') record.fields.emplace_back();
    records.push_back(record);
  }
  return records;
}

size_t usualWidth(const std::vector<tRecord>& records) {
  std::map<size_t, int> widths;
  for (const tRecord& record : records) ++widths[record.fields.size()];
  size_t usual = 0;
  for (const auto& width : widths) {
    if (usual == 0 || width.second > widths[usual]) usual = width.first;
  }
  return usual;
}

// A card as the box holds it: code page 1252, typographic characters plain; false
// when it has no such form.
bool cardText(const std::string& utf8, std::string* text) {
  return utf8ToCp1252(utf8, text) && fitCardText(text).fits;
}

class IndependentReaderTest : public WordListTest {};

TEST_F(IndependentReaderTest, CardsAndRefusedRecordsAreThoseOfPythonsCsvReader) {
  const struct {
    const char* file;
    const char* separator;
  } lists[] = {
      {"word_import.txt", "tab"},  // a flashcard program's tab list: BOM, CR line ends
      {"pipe-deck.csv", "|"},
      {"spreadsheet.csv", ";"},
      // (plain.tsv is not here: a quote that opens a field followed by more text
      // after its close is text to us, as tab-separated lists mean it, and quoting to
      // Python.)
  };
  for (const auto& list : lists) {
    SCOPED_TRACE(list.file);
    theCardBox.clearAll();
    const std::vector<tRecord> records = pythonRecords(sample(list.file), list.separator);
    ASSERT_FALSE(records.empty());
    const size_t usual = usualWidth(records);
    Texts cards;
    Codes refused;
    for (const tRecord& record : records) {
      const std::vector<std::string>& f = record.fields;
      if (f.size() < 2) {
        refused.emplace_back(kImportNoSeparator, record.line);
        continue;
      }
      bool usualWidth = f.size() >= usual;
      for (size_t i = usual; i < f.size(); ++i) usualWidth = usualWidth && f[i].empty();
      std::string front, back;
      if (f[0].empty() || f[1].empty() || !cardText(f[0], &front) || !cardText(f[1], &back)) {
        continue;  // what the intake refuses is no question of the separator
      }
      if (!usualWidth) {
        refused.emplace_back(kImportFieldCount, record.line);
      } else if (std::find(cards.begin(), cards.end(), front + ";" + back) == cards.end()) {
        cards.push_back(front + ";" + back);
      }
    }
    import(sample(list.file));
    EXPECT_EQ(textsIn(1), cards);
    Codes ours;
    for (const auto& code : reported()) {
      if (code.first == kImportNoSeparator || code.first == kImportFieldCount) ours.push_back(code);
    }
    EXPECT_EQ(ours, refused);
  }
}

}  // namespace

namespace {

using namespace std::string_literals;

// What an import tells besides its cards: the separator it found, the fields it
// joined, and each line refused or noted as it stands in the file.
TEST_F(IndependentReaderTest, ImportTellsSeparatorJoinedFieldsAndLinesAsTheyStand) {
  const struct {
    const char* file;
    std::string bytes;
    Texts cards;
    char separator;
    int joined;
    std::vector<Report> reports;
  } cases[] = {
      {"tabs.txt", "Haus\thouse\r\nBaum\ttree\r\n", {"Haus;house", "Baum;tree"}, '\t', 0, {}},
      {"unicode.txt",
       utf16("K\xE4se\tcheese\r\nBrot\tbread\r\n", false),
       {"K\xE4se;cheese", "Brot;bread"},
       '\t',
       0,
       {}},
      {"semikolon.txt",
       "Haus;house\nBaum\tgro\xDF;big tree\n",
       {"Haus;house", "Baum gro\xDF;big tree"},
       0,
       0,
       {{kImportTabInText,
         "Tabulator als Leerzeichen \xFC"
         "bernommen",
         "Baum\tgro\xDF;big tree", 2}}},
      {"umbruch.csv",
       "a,\"upon \n  a time\"\n\"x\n\ny\",z\n",
       {"a;upon a time", "x y;z"},
       ',',
       2,
       {}},
      {"genau.csv",
       "Nimm dir, was du willst.|Take it.\nx\0y|z\nA | B|C\n"s,
       {"Nimm dir, was du willst.;Take it."},
       '|',
       0,
       {{kImportNotEncodable, "Zeichen nicht darstellbar", "x\\0y|z", 2},
        {kImportFieldCount,
         "Andere Spaltenzahl als die \xFC"
         "brigen Zeilen",
         "A | B|C", 3}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    theCardBox.clearAll();
    const tImportResult result = importBytes(c.file, c.bytes);
    EXPECT_EQ(textsIn(1), c.cards);
    EXPECT_EQ(result.separator, c.separator);
    EXPECT_EQ(result.joined, c.joined);
    EXPECT_EQ(reports_, c.reports);
  }
}

}  // namespace
