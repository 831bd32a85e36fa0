#include "kartei/card_file.h"
#include "kartei/box_file_name.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <ctime>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "kartei/version_record.h"
#include "storage/sys_calls.h"
#include "tests/box/box_test_support.h"
#include "tests/kartei/foreign_card_file.h"

namespace {

using Texts = std::vector<std::string>;
using Strings = std::vector<std::string>;

std::string padRight(const std::string& s, size_t width) {
  return s + std::string(width - s.size(), ' ');
}
std::string padLeft(const std::string& s, size_t width) {
  return std::string(width - s.size(), ' ') + s;
}

std::string le16(int v) {
  return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
}
std::string le32(int v) {
  return le16(v & 0xFFFF) + le16(v >> 16);
}

std::string descriptor(const std::string& name, char type, int length) {
  std::string d = name + std::string(11 - name.size(), '\0');
  d += type;
  d += std::string(4, '\0');
  d += static_cast<char>(length);
  d += std::string(3, '\0');
  d += '\x01';
  d += std::string(11, '\0');
  return d;
}

// Header as a fresh table written today holds it; date bytes taken from the clock.
std::string header(int records, int headerLength, int recordLength) {
  const std::time_t now = std::time(nullptr);
  const std::tm* local = std::localtime(&now);
  std::string h = "\x03";
  h += static_cast<char>(local->tm_year);
  h += static_cast<char>(local->tm_mon + 1);
  h += static_cast<char>(local->tm_mday);
  return h + le32(records) + le16(headerLength) + le16(recordLength) + std::string(20, '\0');
}

std::string cardFileHead(int records) {
  return header(records, 225, 144) + descriptor("DEUTSCH", 'C', 64) +
         descriptor("UEBERSETZT", 'C', 64) + descriptor("KASTEN", 'C', 1) +
         descriptor("ALTER", 'N', 4) + descriptor("GEWUSST", 'N', 5) +
         descriptor("UNBEKANNT", 'N', 5) + "\x0D";
}

std::string cardRecord(const std::string& front850, const std::string& back, char letter,
                       const std::string& alter, const std::string& known,
                       const std::string& unknown) {
  return " " + padRight(front850, 64) + padRight(back, 64) + letter + padLeft(alter, 4) +
         padLeft(known, 5) + padLeft(unknown, 5);
}

std::string boxFileHead() {
  return header(7, 193, 30) + descriptor("BEZ", 'C', 1) + descriptor("ANZAHL", 'N', 6) +
         descriptor("NAME", 'C', 10) + descriptor("MAX", 'N', 6) + descriptor("MAXALTER", 'N', 6) +
         "\x0D";
}

std::string boxRecords(const int counts[7]) {
  const char letters[] = "ABCDEFZ";
  const char* maxima[] = {"10", "20", "40", "80", "160", "320", "999999"};
  std::string records;
  for (int i = 0; i < 7; ++i) {
    const std::string name = i == 6 ? "Ablage" : std::to_string(i + 1) + ". Fach";
    const std::string count = std::to_string(counts[i]);
    records += std::string(" ") + letters[i] + padLeft(count, 6) + padRight(name, 10) +
               padLeft(maxima[i], 6) + padLeft(count, 6);
  }
  return records;
}

// Writes a card file record by record, as another program might have.
struct RawCard {
  std::string front, back, kasten;
  int32_t known, unknown;
};

void writeCardFile(const std::string& path, const std::vector<RawCard>& cards) {
  ASSERT_TRUE(createCardTable(path.c_str()));
  tTrmDB db;
  ASSERT_TRUE(db.open(path.c_str()));
  for (const RawCard& c : cards) {
    ASSERT_TRUE(db.append());
    db.DEUTSCH.set(c.front.c_str());
    db.UEBERSETZT.set(c.back.c_str());
    db.KASTEN.set(c.kasten.c_str());
    db.GEWUSST.set(c.known);
    db.UNBEKANNT.set(c.unknown);
  }
  ASSERT_TRUE(db.close());
}

// Umlaut in the text, one counter negative and one too wide for its field.
tTermel luckCard() {
  return card(
      "Gl\xFC"
      "ck",
      "luck", -5, 123456);
}

class CardFileTest : public CardBoxTest {
 protected:
  ScratchDir dir_;
};

TEST_F(CardFileTest, SavedFilesHoldExactBytes) {
  theCardBox.addCardTo(luckCard(), 2);
  theCardBox.addCardTo(card("Haus", "house", 0, 1), 2);
  theCardBox.addCardTo(card("  Baum  ", "tree", 99999, -9999), 2);
  theCardBox.addCardTo(card("Ende", "end", 3, 4), 7);
  const std::string path = dir_.file("karten.trm");
  tFileReport report;
  ASSERT_TRUE(saveCardFile(path.c_str(), &report));
  EXPECT_TRUE(report.errors.empty());

  const std::string expectedCards = cardFileHead(4) +
                                    cardRecord(
                                        "Gl\x81"
                                        "ck",
                                        "luck", 'B', "1", "-5", "*****") +
                                    cardRecord("Haus", "house", 'B', "2", "0", "1") +
                                    cardRecord("  Baum", "tree", 'B', "3", "99999", "-9999") +
                                    cardRecord("Ende", "end", 'Z', "1", "3", "4") + "\x1A";
  EXPECT_EQ(readBytes(path), expectedCards);
  // The counters' layout, spelled out once.
  EXPECT_NE(readBytes(path).find("B   1   -5*****"), std::string::npos);

  const int counts[7] = {0, 3, 0, 0, 0, 0, 1};
  EXPECT_EQ(readBytes(dir_.file("karten.kas")), boxFileHead() + boxRecords(counts) + "\x1A");
  EXPECT_NE(readBytes(dir_.file("karten.kas")).find(" Z     1Ablage    999999     1"),
            std::string::npos);
  EXPECT_EQ(dir_.entries(),
            std::set<std::string>({"karten.trm", "karten.kas", ".karten.trm.versions"}));
}

TEST_F(CardFileTest, EmptyBoxSavesHeaderOnlyCardFileAndSevenCompartments) {
  const std::string path = dir_.file("leer.trm");
  ASSERT_TRUE(saveCardFile(path.c_str()));
  EXPECT_EQ(readBytes(path), cardFileHead(0) + "\x1A");
  const int counts[7] = {};
  EXPECT_EQ(readBytes(dir_.file("leer.kas")), boxFileHead() + boxRecords(counts) + "\x1A");
}

TEST_F(CardFileTest, SaveThenLoadRestoresCompartmentsOrderAndCounters) {
  theCardBox.addCardTo(luckCard(), 2);
  theCardBox.addCardTo(card("  Baum  ", "tree", 7, 8), 2);
  for (int n = 1; n <= 7; ++n) theCardBox.addCardTo(card("k", std::to_string(n).c_str(), n, 0), n);
  const std::string path = dir_.file("rund.trm");
  ASSERT_TRUE(saveCardFile(path.c_str()));
  theCardBox.clearAll();
  tFileReport report;
  loadCardFile(path.c_str(), &report);
  EXPECT_TRUE(report.opened);
  EXPECT_EQ(report.loaded, 9);
  EXPECT_EQ(report.placedInFirst, 0);
  EXPECT_FALSE(report.lossyRewrite);
  EXPECT_EQ(textsIn(2), Texts({"Gl\xFC"
                               "ck;luck",
                               "  Baum;tree", "k;2"}));
  for (int n = 1; n <= 7; ++n) EXPECT_EQ(textsIn(n).back(), "k;" + std::to_string(n));
  EXPECT_EQ(cardAt(2, 0).timesKnown, -5);
  EXPECT_EQ(cardAt(2, 0).timesUnknown, 0);  // too wide for its field: stored as *****
  EXPECT_EQ(theCardBox.firstIn(7, nullptr)->timesKnown, 7);
}

TEST_F(CardFileTest, UnusableCompartmentLettersLoadIntoCompartmentOne) {
  const std::string path = dir_.file("fremd.trm");
  writeCardFile(path, {{"g", "1", "G", 0, 0},
                       {"h", "2", "H", 4, 5},
                       {"blank", "3", "", 0, 0},
                       {"lower", "4", "a", 0, 0},
                       {"digit", "5", "1", 0, 0},
                       {"f", "6", "F", 0, 0},
                       {"z", "7", "Z", 0, 0},
                       {"a", "8", "A", 2, 3}});
  tFileReport report;
  loadCardFile(path.c_str(), &report);
  EXPECT_EQ(report.loaded, 8);
  EXPECT_EQ(report.placedInFirst, 4);
  EXPECT_TRUE(report.errors.empty());
  EXPECT_FALSE(report.lossyRewrite);
  EXPECT_EQ(textsIn(7), Texts({"g;1", "z;7"}));
  EXPECT_EQ(textsIn(6), Texts({"f;6"}));
  EXPECT_EQ(textsIn(1), Texts({"h;2", "blank;3", "lower;4", "digit;5", "a;8"}));
  EXPECT_EQ(cardAt(1, 0).timesKnown, 4);
  EXPECT_EQ(cardAt(1, 0).timesUnknown, 5);
  EXPECT_EQ(cardAt(1, 4).timesUnknown, 3);
  EXPECT_EQ(placedInFirstText(report.placedInFirst),
            "4 Karten ohne g\xFCltiges Fach wurden ins 1. Fach gelegt.");
  EXPECT_EQ(placedInFirstText(1), "1 Karte ohne g\xFCltiges Fach wurde ins 1. Fach gelegt.");
  EXPECT_EQ(placedInFirstText(0), "");

  // A save keeps every card; they are now in compartment 1 for good.
  ASSERT_TRUE(saveCardFile(path.c_str()));
  theCardBox.clearAll();
  tFileReport again;
  loadCardFile(path.c_str(), &again);
  EXPECT_EQ(again.loaded, 8);
  EXPECT_EQ(again.placedInFirst, 0);
  EXPECT_EQ(textsIn(1), Texts({"h;2", "blank;3", "lower;4", "digit;5", "a;8"}));
}

TEST_F(CardFileTest, FileWithColumnsOfItsOwnWouldLoseThemOnRewrite) {
  const std::string path = dir_.file("notizen.trm");
  // The card columns with a note among them and a date behind them.
  const struct {
    const char* name;
    char type;
    int length;
  } columns[] = {{"DEUTSCH", 'C', 64},  {"NOTIZ", 'C', 20}, {"UEBERSETZT", 'C', 64},
                 {"KASTEN", 'C', 1},    {"ALTER", 'N', 4},  {"GEWUSST", 'N', 5},
                 {"UNBEKANNT", 'N', 5}, {"DATUM", 'D', 8}};
  tCreateDBF table;
  for (const auto& column : columns) table.addField(column.name, column.type, column.length, 0);
  ASSERT_TRUE(table.create(path.c_str()));
  {
    tTrmDB db;
    ASSERT_TRUE(db.open(path.c_str()));
    ASSERT_TRUE(db.append());
    db.DEUTSCH.set("Haus");
    db.UEBERSETZT.set("house");
    db.KASTEN.set("B");
  }
  tFileReport report;
  loadCardFile(path.c_str(), &report);
  EXPECT_TRUE(report.errors.empty());
  EXPECT_EQ(report.foreignColumns, 2);
  EXPECT_TRUE(report.lossyRewrite);
  EXPECT_EQ(textsIn(2), Texts({"Haus;house"}));
  EXPECT_STREQ(kLossyRewriteQuestion,
               "Die Datei wird im Kartei-Format neu geschrieben; nicht gelesene Felder gehen "
               "verloren. Trotzdem sichern?");

  // Our own card file is no such file.
  const std::string own = dir_.file("eigen.trm");
  ASSERT_TRUE(saveCardFile(own.c_str()));
  tFileReport ownReport;
  loadCardFile(own.c_str(), &ownReport);
  EXPECT_EQ(ownReport.foreignColumns, 0);
  EXPECT_FALSE(ownReport.lossyRewrite);
}

TEST_F(CardFileTest, RecordThatCannotBeReadMakesTheRewriteLossy) {
  const std::string path = dir_.file("abgeschnitten.trm");
  writeCardFile(path, {{"a", "1", "A", 0, 0}, {"b", "2", "A", 0, 0}});
  const std::string bytes = readBytes(path);
  writeBytes(path, bytes.substr(0, 225 + 144 + 20));
  tFileReport report;
  loadCardFile(path.c_str(), &report);
  EXPECT_EQ(report.loaded, 1);
  EXPECT_EQ(report.errors, Strings({"Die Datei " + path +
                                    " ist besch\xE4"
                                    "digt (nach 1 von 2 Karten)."}));
  EXPECT_TRUE(report.lossyRewrite);
}

TEST_F(CardFileTest, LoadingAppendsBehindCardsAlreadyThere) {
  const std::string path = dir_.file("dazu.trm");
  writeCardFile(path, {{"neu", "new", "A", 0, 0}, {"alt", "old", "Z", 0, 0}});
  theCardBox.addCardTo(card("vorher", "before"), 1);
  theCardBox.addCardTo(card("archiv", "archive"), 7);
  loadCardFile(path.c_str());
  EXPECT_EQ(textsIn(1), Texts({"vorher;before", "neu;new"}));
  EXPECT_EQ(textsIn(7), Texts({"archiv;archive", "alt;old"}));
}

TEST_F(CardFileTest, SixtyFourCharacterTextsAreCutTo63) {
  const std::string path = dir_.file("lang.trm");
  const std::string longText(64, 'x');
  writeCardFile(path, {{longText, longText + "y", "A", 0, 0}});
  loadCardFile(path.c_str());
  tTermel loaded;
  ASSERT_NE(theCardBox.firstIn(1, &loaded), nullptr);
  EXPECT_EQ(std::string(loaded.front), std::string(63, 'x'));
  EXPECT_EQ(std::string(loaded.back), std::string(63, 'x'));
}

TEST_F(CardFileTest, MissingFieldsAreReportedOnceEachAndReadAsEmpty) {
  const std::string path = dir_.file("schmal.trm");
  tCreateDBF table;
  table.addField("DEUTSCH", 'C', 10, 0);
  table.addField("KASTEN", 'C', 1, 0);
  ASSERT_TRUE(table.create(path.c_str()));
  {
    tTrmDB db;
    ASSERT_TRUE(db.open(path.c_str()));
    for (int i = 0; i < 3; ++i) {
      ASSERT_TRUE(db.append());
      db.DEUTSCH.set("Wort");
      db.KASTEN.set("C");
    }
  }
  tFileReport report;
  loadCardFile(path.c_str(), &report);
  const std::string lacks = "In der Datei " + path + " fehlt die Spalte ";
  EXPECT_EQ(report.errors, Strings({lacks + "UEBERSETZT.", lacks + "ALTER.", lacks + "GEWUSST.",
                                    lacks + "UNBEKANNT."}));
  EXPECT_EQ(report.loaded, 3);
  EXPECT_TRUE(report.lossyRewrite);
  EXPECT_EQ(textsIn(3), Texts({"Wort;", "Wort;", "Wort;"}));
}

TEST_F(CardFileTest, MissingOrForeignFileLoadsNothing) {
  theCardBox.addCardTo(card("bleibt", "stays"), 1);
  tFileReport report;
  loadCardFile(dir_.file("gibtsnicht.trm").c_str(), &report);
  EXPECT_FALSE(report.opened);
  EXPECT_EQ(report.errors,
            Strings({"Die Datei " + dir_.file("gibtsnicht.trm") + " gibt es nicht."}));
  writeBytes(dir_.file("kurz.trm"), "\x03\x01\x02");
  tFileReport shortReport;
  loadCardFile(dir_.file("kurz.trm").c_str(), &shortReport);
  EXPECT_FALSE(shortReport.opened);
  EXPECT_EQ(shortReport.errors,
            Strings({"Die Datei " + dir_.file("kurz.trm") + " ist keine Kartei."}));
  tFileReport directoryReport;
  loadCardFile(dir_.path().c_str(), &directoryReport);
  EXPECT_EQ(directoryReport.errors,
            Strings({"Die Datei " + dir_.path() + " ist ein Verzeichnis und keine Kartei."}));
  EXPECT_EQ(textsIn(1), Texts({"bleibt;stays"}));
}

TEST(BoxFileNameTest, ReplacesOnlyTheFileNamesOwnExtension) {
  EXPECT_EQ(boxFileName("ENGLISCH.TRM"), "ENGLISCH.kas");
  EXPECT_EQ(boxFileName("/home/a.b/KARTEN.TRM"), "/home/a.b/KARTEN.kas");
  EXPECT_EQ(boxFileName("/home/a.b/KARTEN"), "/home/a.b/KARTEN.kas");
  EXPECT_EQ(boxFileName("KARTEN"), "KARTEN.kas");
  EXPECT_EQ(boxFileName("dir/x.y.trm"), "dir/x.y.kas");
  EXPECT_EQ(boxFileName("/home/.trm"), "/home/.trm.kas");
  // A card file called .kas must not be overwritten by its own box file.
  EXPECT_EQ(boxFileName("/tmp/box.kas"), "/tmp/box.kas.kas");
}

TEST_F(CardFileTest, CardFileWithoutExtensionGetsBoxFileBesideIt) {
  theCardBox.addCardTo(card("a", "b"), 1);
  const std::string path = dir_.file("ohnepunkt");
  ASSERT_TRUE(saveCardFile(path.c_str()));
  EXPECT_EQ(dir_.entries(),
            std::set<std::string>({"ohnepunkt", "ohnepunkt.kas", ".ohnepunkt.versions"}));
  EXPECT_EQ(readBytes(path).substr(0, 1), "\x03");
  EXPECT_EQ(readBytes(path).size(), 225u + 144u + 1u);
}

}  // namespace

namespace {

// A system on which the card files cannot be read (no permission) and the disk is full.
int refusedOpenat(int dir, const char* path, int flags, mode_t mode) {
  if ((flags & O_ACCMODE) == O_RDONLY && std::string(path).find(".trm") != std::string::npos &&
      std::string(path).find(".tmp-") == std::string::npos) {
    errno = EACCES;
    return -1;
  }
  return libcSysCalls().openat(dir, path, flags, mode);
}
ssize_t fullDiskWrite(int, const void*, size_t) {
  errno = ENOSPC;
  return -1;
}

}  // namespace

TEST_F(CardFileTest, UnreadableFileAndFullDiskAreNamedByTheSystemsReason) {
  const std::string path = dir_.file("gesperrt.trm");
  theCardBox.addCardTo(card("Haus", "house"), 1);
  ASSERT_TRUE(saveCardFile(path.c_str()));
  theCardBox.clearAll();
  tSysCalls calls = libcSysCalls();
  calls.openat = refusedOpenat;
  replaceSysCallsForTesting(&calls);
  tFileReport load;
  loadCardFile(path.c_str(), &load);
  replaceSysCallsForTesting(nullptr);
  EXPECT_FALSE(load.opened);
  EXPECT_FALSE(load.readOnly);
  EXPECT_EQ(load.errors, Strings({"Die Datei " + path +
                                  " kann nicht gelesen werden: " + std::strerror(EACCES)}));

  const std::string before = readBytes(path);
  theCardBox.addCardTo(card("Baum", "tree"), 1);
  calls = libcSysCalls();
  calls.write = fullDiskWrite;
  replaceSysCallsForTesting(&calls);
  tFileReport save;
  EXPECT_FALSE(saveCardFile(path.c_str(), &save));
  replaceSysCallsForTesting(nullptr);
  EXPECT_EQ(save.errors, Strings({"Die Datei " + path +
                                  " kann nicht geschrieben werden: " + std::strerror(ENOSPC)}));
  EXPECT_EQ(readBytes(path), before);
}

namespace {

// Records another dBASE program marked deleted stay deleted: not loaded, told once,
// and gone from the file once it is saved.
TEST_F(CardFileTest, RecordsMarkedDeletedAreNoCardsAndAreNotSavedBack) {
  const std::string path = dir_.file("geloescht.trm");
  writeCardFile(path, {{"Haus", "house", "A", 0, 0},
                       {"weg", "gone", "A", 0, 0},
                       {"Baum", "tree", "B", 0, 0},
                       {"fort", "away", "Z", 0, 0}});
  std::string bytes = readBytes(path);
  bytes[225 + 144] = '*';
  bytes[225 + 3 * 144] = '*';
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;

  tFileReport report;
  loadCardFile(path.c_str(), &report);
  EXPECT_EQ(report.loaded, 2);
  EXPECT_EQ(report.deletedSkipped, 2);
  EXPECT_EQ(report.warnings, Strings({"In der Datei " + path +
                                      " wurden gel\xF6schte S\xE4tze \xFC"
                                      "bergangen: 2."}));
  EXPECT_FALSE(report.lossyRewrite);
  EXPECT_EQ(textsIn(1), Texts({"Haus;house"}));
  EXPECT_EQ(textsIn(2), Texts({"Baum;tree"}));
  EXPECT_EQ(theCardBox.totalCount(), 2);

  ASSERT_TRUE(saveCardFile(path.c_str()));
  EXPECT_EQ(readBytes(path).find('*'), std::string::npos);
  theCardBox.clearAll();
  tFileReport again;
  loadCardFile(path.c_str(), &again);
  EXPECT_EQ(again.loaded, 2);
  EXPECT_EQ(again.deletedSkipped, 0);
  EXPECT_TRUE(again.warnings.empty());
}

// Texts a card cannot hold whole, in columns of any width: the load says so and a save
// over the file, which would cut them, has to be confirmed.
TEST_F(CardFileTest, TextsLongerThanACardHoldsMakeTheRewriteLossy) {
  const struct {
    int width;
    size_t length;
    int longTexts;
  } cases[] = {{64, 63, 0}, {64, 64, 1}, {100, 80, 1}, {100, 63, 0}, {254, 254, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + " " + std::to_string(c.length));
    theCardBox.clearAll();
    const std::string path = dir_.file("breit" + std::to_string(c.width) + ".trm");
    ASSERT_TRUE(writeForeignCardFile(path, c.width, nullptr,
                                     {{"kurz", std::string(c.length, 'x')}, {"Haus", "house"}}));
    tFileReport report;
    loadCardFile(path.c_str(), &report);
    EXPECT_EQ(report.loaded, 2);
    EXPECT_EQ(report.longTexts, c.longTexts);
    EXPECT_EQ(report.lossyRewrite, c.longTexts > 0);
    EXPECT_EQ(report.warnings.size(), c.longTexts > 0 ? 1u : 0u);
    EXPECT_EQ(textsIn(1).front(), "kurz;" + std::string(std::min<size_t>(c.length, 63), 'x'));
  }
}

}  // namespace

// Records of the usual layout are decoded straight from their bytes; the same records
// with wider text columns go through the fields one by one. Both must give the same
// cards, compartments and counts, whatever the bytes hold.
// The usual layout is read many records at a time straight into the box, a wider one
// field by field: both give the same cards and counts, over several runs of records, behind
// a card already in the box, and to a taker as well. A record whose flag is a NUL ends the
// reading in runs without losing a card.
TEST_F(CardFileTest, UsualAndWiderLayoutsLoadTheSameCards) {
  struct Raw {
    std::string flag, front850, back, letter, known, unknown;
  };
  std::vector<Raw> raws = {
      {" ",
       "Gl\x81"
       "ck",
       "luck", "B", "-5", "12"},
      {" ", std::string(64, 'x'), std::string("a\0b", 3) + "ccc", "A", "+7", " 1 2"},
      {" ", "  vorn  ", "back", " ", "0", "0"},
      {" ", "klein", "small", "b", "99999", "-9999"},
      {" ",
       "\x8E"
       "rger",
       "anger", "\x8E", "3", "x4"},
      {"*", "weg", "gone", "A", "1", "1"},
      {" ", "Ende", "end", "Z", "", "7"},
      {" ", "nul", "zero", std::string(1, '\0'), "1", "2"},
  };
  for (int i = 0; i < 9000; ++i) raws.push_back({" ", "w", "v", "F", std::to_string(i), ""});
  raws.insert(raws.begin() + 5000, {std::string(1, '\0'), "flag", "nul", "C", "4", "4"});
  const auto load = [&](int width) {
    std::string bytes = header(static_cast<int>(std::size(raws)), 225, 16 + 2 * width) +
                        descriptor("DEUTSCH", 'C', width) + descriptor("UEBERSETZT", 'C', width) +
                        descriptor("KASTEN", 'C', 1) + descriptor("ALTER", 'N', 4) +
                        descriptor("GEWUSST", 'N', 5) + descriptor("UNBEKANNT", 'N', 5) + "\x0D";
    for (const Raw& r : raws) {
      bytes += r.flag + padRight(r.front850, width) + padRight(r.back, width) + r.letter + "   1" +
               padLeft(r.known, 5) + padLeft(r.unknown, 5);
    }
    const std::string path = dir_.file("breite" + std::to_string(width) + ".trm");
    writeBytes(path, bytes + "\x1A");
    const auto shown = [](int n, const tTermel& c) {
      return std::to_string(n) + ":" + c.front + ";" + c.back + ";" + std::to_string(c.timesKnown) +
             ";" + std::to_string(c.timesUnknown);
    };
    std::vector<std::string> taken;
    readCardFile(path.c_str(), [&](const tTermel& c, int n) {
      if (n < 1 || n > CardBox::kCompartments) return false;
      taken.push_back(shown(n, c));
      return true;
    });
    std::stable_sort(taken.begin(), taken.end(),
                     [](const std::string& a, const std::string& b) { return a[0] < b[0]; });
    theCardBox.clearAll();
    theCardBox.addCardTo(card("vorher", "before"), 1);
    tFileReport report;
    loadCardFile(path.c_str(), &report);
    std::vector<std::string> seen;
    for (int n = 1; n <= CardBox::kCompartments; ++n) {
      tTermel c;
      for (tTermel* at = theCardBox.firstIn(n, &c); at != nullptr; at = theCardBox.nextIn(n, &c)) {
        seen.push_back(shown(n, c));
      }
    }
    EXPECT_EQ(taken, std::vector<std::string>(seen.begin() + 1, seen.end()));
    seen.push_back("loaded " + std::to_string(report.loaded) + ", long " +
                   std::to_string(report.longTexts) + ", first " +
                   std::to_string(report.placedInFirst) + ", deleted " +
                   std::to_string(report.deletedSkipped));
    return seen;
  };
  std::vector<std::string> usual = load(tTermel::kTextSize);
  EXPECT_EQ(usual, load(70));
  ASSERT_EQ(usual.size(), 9010u);
  EXPECT_EQ(usual[9007], "6:w;v;8999;0");
  usual.erase(usual.begin() + 8, usual.begin() + 9008);
  EXPECT_EQ(
      usual,
      Strings({"1:vorher;before;0;0", "1:" + std::string(63, 'x') + ";a;7;1", "1:  vorn;back;0;0",
               "1:klein;small;99999;-9999", "1:\xC4rger;anger;3;0", "1:nul;zero;1;2",
               "2:Gl\xFC"
               "ck;luck;-5;12",
               "3:flag;nul;4;4", "7:Ende;end;0;7", "loaded 9008, long 1, first 4, deleted 1"}));
}

// A save writes its card file in pieces and learns the versions of the new file and of
// the one it replaces from the bytes as they go by: both must be the files' on disk,
// for boxes of one piece and of many, and a position too wide for its column is starred
// as the table code stars it.
TEST_F(CardFileTest, RecordedVersionsAreTheFilesAndWidePositionsAreStarred) {
  const std::string path = dir_.file("viele.trm");
  std::string before;
  for (int cards : {1, 10001, 2}) {
    theCardBox.clearAll();
    for (int i = 0; i < cards; ++i) {
      theCardBox.addCardTo(card(("W\xF6rter " + std::to_string(i)).c_str(), "words", i, 1), 1);
    }
    ASSERT_TRUE(saveCardFile(path.c_str()));
    const std::string bytes = readBytes(path);
    ASSERT_EQ(bytes.size(), 225u + 144u * cards + 1);
    tVersionHash hash;
    hash.add(bytes.data(), bytes.size());
    const tVersionId version = hash.version();
    const tVersionRecord record = tVersionRecord::read(path);
    EXPECT_EQ(record.sizeOf(version.hash), static_cast<int64_t>(bytes.size()));
    // Made from the version it replaced, and from nothing else.
    const std::vector<std::string> common = record.lastCommon(before, version.hash);
    EXPECT_EQ(common, before.empty() ? Strings() : Strings({before}));
    const size_t last = 225 + 144 * static_cast<size_t>(cards - 1);
    EXPECT_EQ(bytes.substr(last + 129, 5),
              cards < 10000 ? "A   " + std::to_string(cards) : "A****");
    before = version.hash;
  }
}

// A save formats its records itself, in one pass per card: they must be the bytes the
// table code writes for the same cards, whatever their texts and numbers, before and
// after the positions outgrow their column.
TEST_F(CardFileTest, SavedRecordsAreWhatTheTableCodeWrites) {
  const std::vector<tTermel> tricky = {
      card("Gl\xFC"
           "ck",
           "luck", 0, 1),
      card(std::string(63, 'z').c_str(), "", 9999, 10000),
      card("\xC4\xD6\xDC\xE4\xF6\xFC\xDF", "\x80\x85\x96\x97 \xA0", 99999, 100000),
      card("", "leer", -1, INT32_MIN),
      card(" vorn", "hinten ", -9999, -10000),
  };
  std::vector<tTermel> cards = tricky;
  for (int i = 0; i < 10000; ++i) cards.push_back(card("w", "v", i, i));
  cards.insert(cards.end(), tricky.begin(), tricky.end());
  for (const tTermel& c : cards) theCardBox.addCardTo(c, 3);
  const std::string saved = dir_.file("gesichert.trm"), table = dir_.file("tabelle.trm");
  ASSERT_TRUE(saveCardFile(saved.c_str()));
  ASSERT_TRUE(createCardTable(table.c_str()));
  tTrmDB db;
  ASSERT_TRUE(db.open(table.c_str()));
  int position = 0;
  for (const tTermel& c : cards) {
    ASSERT_TRUE(db.append());
    db.DEUTSCH.set(c.front);
    db.UEBERSETZT.set(c.back);
    db.KASTEN.set("C");
    db.ALTER.set(++position);
    db.GEWUSST.set(c.timesKnown);
    db.UNBEKANNT.set(c.timesUnknown);
  }
  ASSERT_TRUE(db.close());
  const std::string savedBytes = readBytes(saved), tableBytes = readBytes(table);
  ASSERT_EQ(savedBytes.size(), tableBytes.size());
  for (size_t at = 225; at < savedBytes.size(); at += 144) {
    ASSERT_EQ(savedBytes.substr(at, 144), tableBytes.substr(at, 144))
        << "record " << (at - 225) / 144;
  }
}

// A save learns the version it replaces without reading the file when this program
// wrote it and nothing touched it since. Whatever touched it, even with the same size
// and modification time, the file is read again, so the new version is recorded as
// made from what was really there.
TEST_F(CardFileTest, AFileChangedSinceItWasWrittenIsHashedAgain) {
  const std::string path = dir_.file("fremd.trm");
  const auto hashOf = [](const std::string& bytes) {
    tVersionHash hash;
    hash.add(bytes.data(), bytes.size());
    return hash.version().hash;
  };
  const auto sameTimes = [&path](const struct stat& st) {
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
  };
  const std::function<void()> changes[] = {
      [] {},
      [&] {  // the same number of bytes written in place, the old time put back
        struct stat st;
        ASSERT_EQ(stat(path.c_str(), &st), 0);
        std::string bytes = readBytes(path);
        bytes[226] = 'X';
        std::fstream(path, std::ios::in | std::ios::out | std::ios::binary)
            .write(bytes.data(), bytes.size());
        sameTimes(st);
      },
      [&] {  // a copy of other bytes moved over it, with the old time
        struct stat st;
        ASSERT_EQ(stat(path.c_str(), &st), 0);
        std::string bytes = readBytes(path);
        bytes[227] = 'Y';
        writeBytes(path + ".neu", bytes);
        ASSERT_EQ(std::rename((path + ".neu").c_str(), path.c_str()), 0);
        sameTimes(st);
      },
  };
  for (const auto& change : changes) {
    theCardBox.clearAll();
    theCardBox.addCardTo(card("Haus", "house"), 1);
    ASSERT_TRUE(saveCardFile(path.c_str()));
    change();
    const std::string replaced = hashOf(readBytes(path));
    theCardBox.addCardTo(card("Baum", "tree"), 1);
    ASSERT_TRUE(saveCardFile(path.c_str()));
    const std::string saved = hashOf(readBytes(path));
    EXPECT_EQ(tVersionRecord::read(path).lastCommon(replaced, saved), Strings({replaced}));
  }
}
