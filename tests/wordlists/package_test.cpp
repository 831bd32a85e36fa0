// Flashcard packages: real packages give the cards, compartments and refused notes
// that an independent reading with Python's zipfile and sqlite3 gives, and a package
// that can't be read is refused whole, with the reason, before any card is added.
#include <sqlite3.h>
#include <zip.h>

#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>

#include "storage/text_encoding.h"
#include "tests/wordlists/word_list_test_support.h"
#include "wordlists/card_intake.h"

namespace {

std::string deck(const std::string& name) {
  return std::string(TERMEL_TEST_DATA_DIR) + "/decks/" + name;
}

std::string readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// What read_package.py prints for the package at path.
struct tIndependentReading {
  std::vector<tWordCard> cards;
  std::set<std::string> refusedIds;
  int media = 0;
};

std::vector<std::string> split(const std::string& line) {
  std::vector<std::string> fields;
  std::istringstream in(line);
  for (std::string field; std::getline(in, field, '\t');) fields.push_back(field);
  return fields;
}

tIndependentReading readIndependently(const std::string& path) {
  tIndependentReading reading;
  const std::string command = "python3 " TERMEL_PACKAGE_READER " '" + path + "'";
  FILE* out = popen(command.c_str(), "r");
  std::string text;
  char chunk[4096];
  for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, out)) > 0;) text.append(chunk, n);
  EXPECT_EQ(pclose(out), 0) << command;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    const std::vector<std::string> f = split(line);
    if (f[0] == "media") reading.media = std::stoi(f[1]);
    if (f[0] == "refused") reading.refusedIds.insert(f[1]);
    if (f[0] != "card") continue;
    tWordCard card;
    card.compartment = std::stoi(f[1]);
    card.timesKnown = std::stoi(f[2]);
    card.timesUnknown = std::stoi(f[3]);
    card.front = f.size() > 4 ? f[4] : "";
    card.back = f.size() > 5 ? f[5] : "";
    reading.cards.push_back(card);
  }
  return reading;
}

// The note id a report of a package names, "Notiz 3 (ID 1588109511621): ...".
std::string noteIdOf(const std::string& text) {
  const size_t at = text.find("(ID ");
  return at == std::string::npos ? std::string() : text.substr(at + 4, text.find(')', at) - at - 4);
}

class PackageTest : public WordListTest {
 protected:
  // A zip at name holding the entries, each encrypted when password is given.
  std::string zipOf(const std::string& name,
                    const std::vector<std::pair<std::string, std::string>>& entries,
                    const char* password = nullptr) {
    const std::string path = dir_.file(name);
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    for (const auto& entry : entries) {
      zip_source_t* source =
          zip_source_buffer(archive, entry.second.data(), entry.second.size(), 0);
      const zip_int64_t index = zip_file_add(archive, entry.first.c_str(), source, 0);
      if (password != nullptr) {
        EXPECT_EQ(zip_file_set_encryption(archive, static_cast<zip_uint64_t>(index), ZIP_EM_AES_256,
                                          password),
                  0);
      }
    }
    EXPECT_EQ(zip_close(archive), 0);
    return path;
  }
};

// An SQLite database made by sql, by default one table that is no collection's.
std::string otherDatabase(
    const char* sql = "CREATE TABLE kunden (name TEXT); INSERT INTO kunden VALUES ('Meier')") {
  sqlite3* db = nullptr;
  sqlite3_open(":memory:", &db);
  EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sql;
  sqlite3_int64 size = 0;
  unsigned char* data = sqlite3_serialize(db, "main", &size, 0);
  std::string bytes(reinterpret_cast<char*>(data), static_cast<size_t>(size));
  sqlite3_free(data);
  sqlite3_close(db);
  return bytes;
}

}  // namespace

TEST_F(PackageTest, RealPackagesGiveWhatAnIndependentReaderSees) {
  // Each in another form: both older collections with pictures and reviews, cloze
  // and ten-field note types, the newest form with its placeholder beside it.
  for (const char* name :
       {"deutsch_englisch.apkg", "layouts.apkg", "latex_cloze.apkg", "vietnamesisch.apkg"}) {
    SCOPED_TRACE(name);
    theCardBox.clearAll();
    const tImportResult result = import(deck(name));
    EXPECT_TRUE(result.opened);
    const std::vector<Placed> imported = wholeBox();
    std::set<std::string> refusedIds;
    int mediaNotes = 0;
    for (const Report& report : reports_) {
      EXPECT_NE(report.code, kImportNotAWordList) << report;
      if (report.code == kImportCloze || report.code == kImportFewFields) {
        refusedIds.insert(noteIdOf(report.text));
      }
      mediaNotes += report.code == kImportMediaIgnored;
    }

    const tIndependentReading expected = readIndependently(deck(name));
    theCardBox.clearAll();
    tImportResult again;
    const tWordListReporter quiet;
    tCardIntake intake(quiet, &again);
    for (const tWordCard& card : expected.cards) intake.add(card);
    EXPECT_EQ(imported, wholeBox());
    EXPECT_EQ(refusedIds, expected.refusedIds);
    EXPECT_EQ(mediaNotes, expected.media > 0 ? 1 : 0) << "media are reported once";
    EXPECT_EQ(imported.empty(), expected.cards.empty());
  }
}

TEST_F(PackageTest, PackageThatCannotBeReadIsRefusedWholeWithItsReason) {
  const std::string layouts = readAll(deck("layouts.apkg"));
  std::string scrambled = layouts;
  // Every seventh byte of the entries, the directory at the end left whole.
  for (size_t i = 100; i + 400 < scrambled.size(); i += 7) {
    scrambled[i] = static_cast<char>(scrambled[i] ^ 0x5A);
  }
  struct Case {
    std::string path, reason;
  } cases[] = {
      {zipOf("platzhalter.apkg",
             {{"collection.anki2", otherDatabase()}, {"meta", std::string("\x08\x03", 2)}}),
       "Das Paket enthält nur einen Platzhalter, die Sammlung selbst fehlt"},
      {zipOf("passwort.apkg", {{"collection.anki21", otherDatabase()}}, "geheim"),
       "Das Paket ist mit einem Passwort geschützt"},
      {zipOf("text.apkg", {{"collection.anki2", "Vokabeln;vocabulary\n"}}),
       "Die Sammlung im Paket ist keine SQLite-Datenbank"},
      {zipOf("fremd.colpkg", {{"collection.anki21", otherDatabase()}}),
       "Die Sammlung im Paket ist nicht lesbar (no such table: col)"},
      // Notes that only a view would make: the package's schema runs nothing.
      {zipOf("sicht.apkg",
             {{"collection.anki2",
               otherDatabase("CREATE TABLE col (models TEXT); INSERT INTO col VALUES ('{}');"
                             "CREATE TABLE cards (nid, ord, type, ivl, reps, lapses);"
                             "CREATE VIEW notes AS SELECT 1 AS id, 1 AS mid, "
                             "'Haus' || char(31) || 'house' AS flds")}}),
       "Die Sammlung im Paket ist nicht lesbar (access to view \"notes\" prohibited)"},
      {zipOf("zstd.apkg", {{"collection.anki21b", "\x28\xB5\x2F\xFD kaputt"}}),
       "Das Paket ist beschädigt"},
      {zipOf("leer.apkg", {{"media", "{}"}}), "Das Paket enthält keine Sammlung"},
      {dir_.file("verdreht.apkg"), "Das Paket ist beschädigt"},
      {dir_.file("liste.apkg"), "Das Paket ist kein Zip-Archiv"},
  };
  writeBytes(dir_.file("verdreht.apkg"), scrambled);
  writeBytes(dir_.file("liste.apkg"), "Haus;house\n");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    theCardBox.clearAll();
    theCardBox.addCardTo(card("Baum", "tree"), 2);
    const tImportResult result = import(c.path);
    EXPECT_EQ(result.added, 0);
    ASSERT_EQ(reports_.size(), 1u);
    EXPECT_EQ(reports_[0].code, kImportNotAWordList);
    EXPECT_EQ(reports_[0].text, utf8ToCp1252Shown(c.reason));
    EXPECT_EQ(wholeBox(), (std::vector<Placed>{{2, "Baum", "tree", 0, 0}}));
  }
}
