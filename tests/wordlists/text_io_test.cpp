#include "wordlists/text_io.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <tuple>
#include <vector>

#include "kartei/card_file.h"
#include "storage/text_encoding.h"
#include "tests/box/box_test_support.h"
#include "wordlists/line_reader.h"

namespace {

using Texts = std::vector<std::string>;

struct Report {
  int line;
  std::string caption, text;
  bool operator==(const Report& o) const {
    return line == o.line && caption == o.caption && text == o.text;
  }
};

std::ostream& operator<<(std::ostream& os, const Report& r) {
  return os << "Zeile " << r.line << ": [" << r.caption << "] \"" << r.text << "\"";
}

using Reports = std::vector<Report>;

std::string textSample(const std::string& name) {
  return std::string(TERMEL_TEST_DATA_DIR) + "/text/" + name;
}

class TextIoTest : public CardBoxTest {
 protected:
  tImportResult importPath(const std::string& path) {
    reports_.clear();
    return importTextFile(
        path.c_str(), [this](int code, const char* caption, const char* text, int line) {
          EXPECT_STREQ(caption, code == kImportAlreadyPresent ? "Karte schon vorhanden"
                                : code == kImportCut          ? "auf 63 Zeichen gek\xFCrzt"
                                                              : importCaption(code));
          reports_.push_back({line, caption, text});
        });
  }

  tImportResult importFile(const std::string& bytes) {
    const std::string path = dir_.file("woerter.txt");
    writeBytes(path, bytes);
    return importPath(path);
  }

  ScratchDir dir_;
  Reports reports_;
};

TEST_F(TextIoTest, LineSplitsAtFirstSemicolonAndLosesBlanksAndTabsAtBothEnds) {
  fill(1, 1, "vorher");
  EXPECT_EQ(importLine("Haus;house\n"), kImportAdded);
  EXPECT_EQ(importLine(" Baum ; tree  \r\n"), kImportAdded);
  EXPECT_EQ(importLine("a;b;c"), kImportAdded);
  EXPECT_EQ(importLine("\tTab\t;\tx\t"), kImportAdded);
  EXPECT_EQ(importLine("Wort\tmit Tab;x"), kImportAdded);
  EXPECT_EQ(textsIn(1), Texts({"vorher1;vorher1", "Haus;house", "Baum;tree", "a;b;c", "Tab;x",
                               "Wort mit Tab;x"}));
  EXPECT_EQ(theCardBox.findBoth(card("Haus", "house"))->timesKnown, 0);
  EXPECT_EQ(theCardBox.findBoth(card("Haus", "house"))->timesUnknown, 0);
  EXPECT_EQ(importLine(std::string(70, 'l') + ";" + std::string(70, 'r')), kImportAdded);
  EXPECT_EQ(textsIn(1).back(), std::string(63, 'l') + ";" + std::string(63, 'r'));
}

TEST_F(TextIoTest, LineThatHoldsNoCardGetsItsCode) {
  EXPECT_EQ(importLine("Haus\n"), kImportNoSeparator);
  EXPECT_EQ(importLine("  ;house\n"), kImportNoFirstTerm);
  EXPECT_EQ(importLine("Haus  ; \t \n"), kImportNoSecondTerm);
  EXPECT_EQ(importLine("\x0C"
                       "Seite;page"),
            kImportControlStart);
  EXPECT_EQ(importLine("5 \xB5m;x\n"), kImportNotEncodable);
  EXPECT_EQ(importLine(" \t \n"), kImportAdded) << "a blank line is no fault";
  EXPECT_EQ(theCardBox.totalCount(), 0);
  theCardBox.addCardTo(card("Haus", "house", 3, 0), 7);
  EXPECT_EQ(importLine("Haus;house\n"), kImportAlreadyPresent);
  EXPECT_EQ(importLine("Haus;House\n"), kImportAdded);
  EXPECT_EQ(theCardBox.totalCount(), 2);
  EXPECT_STREQ(importCaption(kImportNoSeparator), "Kein Trennzeichen");
  EXPECT_STREQ(importCaption(kImportNotUtf8), "Kein g\xFCltiges UTF-8");
  EXPECT_EQ(importCaption(kImportAdded), nullptr);
}

// Every line not taken is reported with its number, skipped duplicates and cut texts
// too; blank lines are not counted as faults but are counted as lines.
TEST_F(TextIoTest, EveryLineNotTakenIsReportedWithItsNumber) {
  theCardBox.addCardTo(card("Haus", "house"), 4);
  const std::string longer(70, 'x');
  const tImportResult result =
      importFile("Haus;house\n\n\tTab;x\n\xC4pfel;apple\nkein\n;leer\nNur;\ncrlf;ende\r\n   \n" +
                 longer + ";lang\n\x01;y\n\xC4pfel;apple\nletzte;zeile");
  EXPECT_TRUE(result.opened);
  EXPECT_EQ(result.added, 5);
  EXPECT_EQ(result.malformed, 4);
  EXPECT_EQ(result.alreadyPresent, 2);
  EXPECT_EQ(result.cut, 1);
  EXPECT_EQ(textsIn(1), Texts({"Tab;x", "\xC4pfel;apple", "crlf;ende",
                               std::string(63, 'x') + ";lang", "letzte;zeile"}));
  EXPECT_EQ(reports_, Reports({{1, "Karte schon vorhanden", "Haus;house"},
                               {5, "Kein Trennzeichen", "kein"},
                               {6, "Erster Begriff fehlt", ";leer"},
                               {7, "Zweiter Begriff fehlt", "Nur;"},
                               {10, "auf 63 Zeichen gek\xFCrzt", longer + ";lang"},
                               {11, "Steuerzeichen am Zeilenanfang", "\x01;y"},
                               {12, "Karte schon vorhanden", "\xC4pfel;apple"}}));
  EXPECT_EQ(importFile("\xC4pfel;apple\nletzte;zeile").added, 0) << "a second import adds nothing";
}

// Plain ASCII lines take a shorter way than the rest; a tab at the end of each line,
// which the import trims, sends them the general way, so both must give the same cards,
// counts and reports, in a file of code page 1252 and in one of UTF-8 alike. The lines
// come many times over, so cards that wait to be added, whose reports show their lines
// from the reader's buffer, meet every point at which it reads on.
TEST_F(TextIoTest, PlainLinesGiveWhatTheGeneralWayGives) {
  const Texts lines = {"Haus;house",
                       "  Haus  ;  house  ",
                       "a;b;c",
                       ";leer",
                       "leer;",
                       "   ;   ",
                       "kein Trennzeichen",
                       "abc;def",
                       "abcd;efg",
                       "abcd;efgh",
                       "abcdefgh;",
                       "abcdefghij;k",
                       "ab;cdefghij;kl",
                       "1234567890123456;x",
                       std::string(70, 'l') + ";r",
                       std::string(62, 'x') + "   yy;z",
                       "a;" + std::string(63, 'b') + " ",
                       "a;" + std::string(64, 'b'),
                       "Tilde~;DEL\x7F",
                       "a\\;b",
                       "Haus;house",
                       "x;y",
                       "x;y "};
  const auto run = [this, &lines](const std::string& first, const std::string& end) {
    theCardBox.clearAll();
    std::string bytes = first;
    for (int copy = 0; copy < 400; ++copy) {
      for (const std::string& line : lines) bytes += line + end + "\n";
    }
    const tImportResult result = importFile(bytes);
    for (Report& report : reports_) {
      if (!report.text.empty() && report.text.back() == '\t') report.text.pop_back();
    }
    Texts cards;  // front and back apart, as ';' may stand in either
    tTermel buffer;
    for (tTermel* c = theCardBox.firstIn(1, &buffer); c; c = theCardBox.nextIn(1, &buffer)) {
      cards.insert(cards.end(), {buffer.front, buffer.back});
    }
    return std::make_tuple(cards, reports_, result.added, result.malformed, result.alreadyPresent,
                           result.cut);
  };
  for (const std::string first : {"",
                                  "Gr\xC3\xB6\xC3\x9F"
                                  "e;size\n"}) {
    const auto plain = run(first, "");
    EXPECT_EQ(plain, run(first, "\t")) << first;
    EXPECT_EQ(std::get<2>(plain), first.empty() ? 13 : 14) << first;
  }
}

// LF, CRLF and the CR of old Mac files each end one line, however the reads cut them.
TEST_F(TextIoTest, LineEndsOfEveryKindAreCountedOnceEvenAcrossReads) {
  for (size_t filler = 16370; filler < 16390; ++filler) {
    std::string bytes = "a;" + std::string(filler, 'b') + "\r\nc;d\re;f\n\ng;h\r";
    std::FILE* in = fmemopen(&bytes[0], bytes.size(), "rb");
    ASSERT_NE(in, nullptr);
    tLineReader reader(in);
    Texts lines;
    std::vector<int> numbers;
    const char* line;
    size_t size;
    bool cut;
    while (reader.next(&line, &size, &cut)) {
      lines.emplace_back(line, size);
      numbers.push_back(reader.lineNumber());
      EXPECT_FALSE(cut);
    }
    std::fclose(in);
    ASSERT_EQ(lines.size(), 5u) << filler;
    EXPECT_EQ(lines[1], "c;d");
    EXPECT_EQ(lines[2], "e;f");
    EXPECT_EQ(lines[3], "");
    EXPECT_EQ(lines[4], "g;h");
    EXPECT_EQ(numbers.back(), 5);
  }
  const tImportResult result = importPath(textSample("mac-cr.txt"));
  EXPECT_EQ(result.added, 4);
  EXPECT_EQ(textsIn(1),
            Texts({"Apfel;apple", "Birne;pear", "K\xE4se;cheese", "Br\xF6tchen;bread roll"}));
}

// A line of any length is one line: never split into more cards, the lines behind it
// keep their numbers, and memory holds only its start.
TEST_F(TextIoTest, OverlongLineStaysOneLine) {
  const std::string huge = "x;" + std::string(3 * tLineReader::kMaxLine, 'y');
  const std::string noSeparator(3 * tLineReader::kMaxLine, 'z');
  const std::string wide = std::string(5000, 'w') + ";" + std::string(5000, 'v');
  const tImportResult result =
      importFile(huge + "\r\n" + noSeparator + "\r" + wide + "\nok;fine\n");
  EXPECT_EQ(result.added, 2);
  EXPECT_EQ(result.malformed, 2);
  EXPECT_EQ(textsIn(1), Texts({std::string(63, 'w') + ";" + std::string(63, 'v'), "ok;fine"}));
  ASSERT_EQ(reports_.size(), 3u);
  EXPECT_EQ(reports_[0], (Report{1, "Zeile zu lang", huge.substr(0, 80) + "..."}));
  EXPECT_EQ(reports_[1], (Report{2, "Zeile zu lang", noSeparator.substr(0, 80) + "..."}));
  EXPECT_EQ(reports_[2].line, 3);
  EXPECT_EQ(reports_[2].caption, "auf 63 Zeichen gek\xFCrzt");
}

TEST_F(TextIoTest, UnreadableInputIsNotOpened) {
  EXPECT_FALSE(importTextFile(dir_.file("fehlt.txt").c_str(), nullptr).opened);
  EXPECT_FALSE(importTextFile(dir_.path().c_str(), nullptr).opened);
  const std::string fifo = dir_.file("fifo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_FALSE(importTextFile(fifo.c_str(), nullptr).opened);  // and does not wait for a writer
  EXPECT_FALSE(importTextFile("/dev/null", nullptr).opened);
  EXPECT_FALSE(importTextFile(nullptr, nullptr).opened);
  EXPECT_FALSE(exportTextFile(dir_.file("fehlt/aus.txt").c_str()));
  EXPECT_EQ(theCardBox.totalCount(), 0);
}

TEST_F(TextIoTest, BlankLinesImportNothingAndReportNothing) {
  const tImportResult result =
      importFile(std::string(3 * 1024 * 1024, '\n') + "\r\n \t\r\n\r\r" + "\x1A");
  EXPECT_TRUE(result.opened);
  EXPECT_EQ(result.added, 0);
  EXPECT_EQ(result.malformed, 0);
  EXPECT_EQ(reports_, Reports());
}

TEST_F(TextIoTest, ExportWritesCompartmentsInOrderAndReimportsAlike) {
  theCardBox.addCardTo(card("Gl\xFC"
                            "ck",
                            "luck;Gl\xFC"
                            "ck"),
                       2);
  theCardBox.addCardTo(card("Ende", "end"), 7);
  const std::string path = dir_.file("aus.txt");
  ASSERT_TRUE(exportTextFile(path.c_str()));
  EXPECT_EQ(readBytes(path),
            "Gl\xFC"
            "ck;luck;Gl\xFC"
            "ck\nEnde;end\n");
  ASSERT_TRUE(exportTextFile(path.c_str(), true));
  EXPECT_EQ(readBytes(path),
            "Gl\xC3\xBC"
            "ck;luck;Gl\xC3\xBC"
            "ck\nEnde;end\n");
  EXPECT_EQ(cardsTextCannotKeep(), 0);
  theCardBox.clearAll();
  EXPECT_EQ(importTextFile(path.c_str(), nullptr).added, 2);
  EXPECT_EQ(textsIn(1), Texts({"Gl\xFC"
                               "ck;luck;Gl\xFC"
                               "ck",
                               "Ende;end"}));
  EXPECT_EQ(dir_.entries(), std::set<std::string>({"aus.txt"}));
}

// What a text file cannot give back: the first ";" of a line ends the term, blanks at
// either end go, and escapes are expanded.
TEST_F(TextIoTest, CardsATextExportCannotKeepAreCounted) {
  theCardBox.addCardTo(card("a;b", "c"), 1);
  theCardBox.addCardTo(card(" einger\xFC"
                            "ckt",
                            "indented"),
                       2);
  theCardBox.addCardTo(card("K\\\"ase", "typed as it stands"), 3);
  theCardBox.addCardTo(card("Haus", "house;home"), 7);
  EXPECT_EQ(cardsTextCannotKeep(), 3);
  // The note names each reason with its count.
  EXPECT_EQ(textExportNote(textExportLoss()),
            "3 Karten lassen sich aus der Textdatei nicht unver\xE4ndert zur\xFC"
            "cklesen (Semikolon im Begriff: 1, Leerzeichen am Anfang oder Ende: 1, "
            "Backslash: 1). Als CSV-Datei (*.csv) exportiert bleiben sie, wie sie sind.");
}

TEST_F(TextIoTest, Utf8FileWithOrWithoutByteOrderMark) {
  EXPECT_EQ(importFile("\xEF\xBB\xBFGl\xC3\xBC"
                       "ck;luck\n")
                .added,
            1);
  EXPECT_EQ(importFile("Stra\xC3\x9F"
                       "e;street\n\xE2\x82\xAC;euro\n")
                .added,
            2);
  EXPECT_EQ(textsIn(1), Texts({"Gl\xFC"
                               "ck;luck",
                               "Stra\xDF"
                               "e;street",
                               "EUR;euro"}));
  EXPECT_EQ(reports_, Reports());
}

// One pasted line in another encoding no longer turns every umlaut of the file into
// two wrong characters: the file is read as UTF-8 and those lines are reported,
// shown as the code page 1252 they most likely are.
TEST_F(TextIoTest, MostlyUtf8FileIsReadAsUtf8AndItsOtherLinesReported) {
  const tImportResult result = importPath(textSample("gemischt-utf8.txt"));
  EXPECT_EQ(result.added, 4);
  EXPECT_EQ(result.malformed, 2);
  EXPECT_EQ(textsIn(1), Texts({"Gl\xFC"
                               "ck;luck",
                               "\xDC"
                               "bung;exercise",
                               "Stra\xDF"
                               "e;street",
                               "sch\xF6n;beautiful"}));
  EXPECT_EQ(reports_, Reports({{3, "Kein g\xFCltiges UTF-8",
                                "S\xFC"
                                "d;south"},
                               {5, "Kein g\xFCltiges UTF-8", "K\xE4se;cheese"}}));
  // Without a single multi-byte character a file stays code page 1252, however far
  // behind its first lines the byte that decides it stands.
  std::string filler;
  for (int i = 0; i < 50000; ++i) filler += "x;y\n";
  theCardBox.clearAll();
  importFile(filler +
             "S\xFC"
             "d;south\n");
  EXPECT_EQ(cardAt(1, 1).front, std::string("S\xFC"
                                            "d"));
}

// The encoding is that of the whole file, though it is settled only at the first
// byte that is not ASCII: far behind the first read, or in the passed-over rest of a
// line too long.
TEST_F(TextIoTest, EncodingIsThatOfTheWholeFileWhereverItsFirstOtherByteStands) {
  std::string filler;
  for (int i = 0; i < 5000; ++i) filler += "x;y\n";
  const struct {
    std::string bytes;
    Texts cards;
    int malformed;
  } cases[] = {
      {filler + "Gr\xC3\xB6\xC3\x9F"
                "e;size\nS\xFC"
                "d;south\n",
       {"x;y",
        "Gr\xF6\xDF"
        "e;size"},
       1},
      {std::string(3 * tLineReader::kMaxLine, 'a') + "\xC3\xB6\xC3\xB6\nS\xFC"
                                                     "d;s\xFC"
                                                     "d\n",
       {},
       2},
  };
  for (const auto& c : cases) {
    theCardBox.clearAll();
    EXPECT_EQ(importFile(c.bytes).malformed, c.malformed) << c.bytes.substr(c.bytes.size() - 20);
    EXPECT_EQ(textsIn(1), c.cards) << c.bytes.substr(c.bytes.size() - 20);
  }
}

// A spreadsheet's "Unicode text": the same list in either byte order.
TEST_F(TextIoTest, Utf16WithByteOrderMarkInEitherOrder) {
  for (const char* name : {"tabelle-utf16le.txt", "tabelle-utf16be.txt"}) {
    theCardBox.clearAll();
    const tImportResult result = importPath(textSample(name));
    EXPECT_EQ(result.added, 6) << name;
    EXPECT_EQ(result.replaced, 4) << name;
    EXPECT_EQ(textsIn(1), Texts({"\"Guten Tag\";\"good day\"", "Preis - 5 EUR;price - 5 EUR",
                                 "und so weiter ...;and so on...",
                                 "Stra\xDF"
                                 "e;street",
                                 "Gr\xF6\xDF"
                                 "e;size",
                                 "\xC4hre;ear of corn"}))
        << name;
    EXPECT_EQ(reports_, Reports({{6, "Zeichen nicht darstellbar", "Smiley ?;smiley"}})) << name;
  }
  // A surrogate without its partner and an odd byte at the end are reported, not lost.
  importFile(std::string("\xFF\xFEx\0;\0\x00\xD8y\0\n\0a\0;\0b\0\n\0z", 21));
  EXPECT_EQ(reports_, Reports({{1, "Zeichen nicht darstellbar", "x;?y"},
                               {3, "Zeichen nicht darstellbar", "?"}}));
}

// Old word lists hold national characters typed as backslash escapes; they are
// expanded once, and a backslash that starts no escape stays.
TEST_F(TextIoTest, BackslashEscapesAreExpandedExactlyOnce) {
  const tImportResult result = importPath(textSample("dos-escapes.txt"));
  EXPECT_EQ(result.added, 6);
  EXPECT_EQ(reports_, Reports()) << "the end-of-file mark is no line";
  EXPECT_EQ(textsIn(1), Texts({"K\xE4se;cheese",
                               "Gr\xF6\xDF"
                               "e;size",
                               "Caf\xE9;cafe",
                               "Stra\xDF"
                               "e;street",
                               "C:\\DOS;Pfad", "Tab\\t;keine Escape"}));
  theCardBox.clearAll();
  importFile("\\\\\"a;\\\"a\n\\;x\n");
  EXPECT_EQ(textsIn(1), Texts({"\\\"a;\xE4", "\\;x"}));
}

TEST_F(TextIoTest, TypographicCharactersAreReplacedOnTheWholeLineBeforeItIsSplit) {
  // Code page 1252: „ “ – … € and a no-break space that ends the first term.
  tImportResult result = importFile(
      "\x84"
      "Haus\x93\xA0;\x96 5 \x80\x85\nplain;text\n");
  EXPECT_EQ(result.added, 2);
  EXPECT_EQ(result.replaced, 1);
  EXPECT_EQ(textsIn(1), Texts({"\"Haus\";- 5 EUR...", "plain;text"}));
  // The same in UTF-8; a reported line shows the replaced form.
  theCardBox.clearAll();
  result = importFile(
      "\xE2\x80\x9EHaus\xE2\x80\x9C\xC2\xA0;\xE2\x80\x93 5 \xE2\x82\xAC\xE2\x80\xA6\n"
      "\xE2\x80\x98ohne\xE2\x80\x99\n");
  EXPECT_EQ(result.added, 1);
  EXPECT_EQ(result.replaced, 1);
  EXPECT_EQ(textsIn(1), Texts({"\"Haus\";- 5 EUR..."}));
  EXPECT_EQ(reports_, Reports({{2, "Kein Trennzeichen", "'ohne'"}}));
}

TEST_F(TextIoTest, LineWithCharacterNoCardCanHoldIsRefusedInBothEncodings) {
  for (const std::string& bytes :
       {std::string("Gr\xF6\xDF"
                    "e in \xB5m;size\n\x84ok\x93;fine\n"),
        std::string("Gr\xC3\xB6\xC3\x9F"
                    "e in \xC2\xB5m;size\n\xE2\x80\x9Eok\xE2\x80\x9C;fine\n\xE6\x97\xA5;x\n")}) {
    theCardBox.clearAll();
    const tImportResult result = importFile(bytes);
    EXPECT_EQ(result.added, 1);
    EXPECT_EQ(textsIn(1), Texts({"\"ok\";fine"}));
    EXPECT_EQ(reports_[0], (Report{1, "Zeichen nicht darstellbar",
                                   "Gr\xF6\xDF"
                                   "e in \xB5m;size"}));
  }
  EXPECT_EQ(reports_.back(), (Report{3, "Zeichen nicht darstellbar", "?;x"}));
}

// A pipe cannot seek back, so the encoding is decided on a copy.
TEST_F(TextIoTest, ImportsFromAStreamThatCannotSeek) {
  const std::string utf16 = readBytes(textSample("tabelle-utf16le.txt"));
  for (const std::string& bytes : {std::string("\xEF\xBB\xBFGl\xC3\xBC"
                                               "ck;luck\n\xE2\x80\x9E"
                                               "a\xE2\x80\x9C;b\n"),
                                   std::string("Gl\xFC"
                                               "ck;luck\n\x84"
                                               "a\x93;b\n"),
                                   utf16}) {
    theCardBox.clearAll();
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    ASSERT_EQ(write(fds[1], bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    close(fds[1]);
    std::FILE* in = fdopen(fds[0], "rb");
    ASSERT_NE(in, nullptr);
    const tImportResult result = importTextStream(in, nullptr);
    std::fclose(in);
    EXPECT_TRUE(result.opened);
    EXPECT_FALSE(result.readFailed);
    EXPECT_EQ(textsIn(1).front(), bytes == utf16 ? "\"Guten Tag\";\"good day\""
                                                 : "Gl\xFC"
                                                   "ck;luck");
    if (bytes != utf16) {
      EXPECT_EQ(textsIn(1).back(), "\"a\";b");
    }
  }
}

// A word list copied from a word processor, imported, saved, loaded and exported.
TEST_F(TextIoTest, WordProcessorListSurvivesImportSaveLoadAndExport) {
  const Texts expected = {"\"Guten Tag\";\"good day\"",
                          "'s Wirtshaus;the inn",
                          "Preis - 5 EUR;price - 5 EUR",
                          "und so weiter ...;and so on...",
                          "Mr. Smith;Herr Smith",
                          "Gedankenstrich - lang;em dash - long",
                          "'einfach';'single'",
                          "\xDC"
                          "bung;exercise",
                          "Stra\xDF"
                          "e;street",
                          "Einger\xFC"
                          "ckt \"Zeile\";indented"};
  for (const char* name : {"textverarbeitung-utf8.txt", "textverarbeitung-cp1252.txt"}) {
    theCardBox.clearAll();
    const tImportResult result = importPath(textSample(name));
    EXPECT_EQ(result.added, 10) << name;
    EXPECT_EQ(result.replaced, 8) << name;
    ASSERT_EQ(reports_.size(), 1u) << name;
    EXPECT_EQ(reports_[0].caption, "Zeichen nicht darstellbar");
    EXPECT_EQ(reports_[0].text,
              "Gr\xF6\xDF"
              "e in \xB5m;size in \xB5m");
    const std::string box = dir_.file("liste.trm");
    ASSERT_TRUE(saveCardFile(box.c_str()));
    theCardBox.clearAll();
    loadCardFile(box.c_str());
    EXPECT_EQ(textsIn(1), expected) << name;
    const std::string out = dir_.file("aus.txt");
    ASSERT_TRUE(exportTextFile(out.c_str(), true));
    std::string lines;
    for (const std::string& text : expected) lines += text + "\n";
    EXPECT_EQ(readBytes(out), cp1252ToUtf8(lines)) << name;
  }
}

}  // namespace
