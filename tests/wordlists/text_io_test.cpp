#include "wordlists/text_io.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "kartei/card_file.h"
#include "storage/text_encoding.h"
#include "tests/box/box_test_support.h"
#include "wordlists/line_reader.h"

namespace {

using Texts = std::vector<std::string>;

struct Report {
  int code;
  std::string caption, text;
  bool operator==(const Report& o) const {
    return code == o.code && caption == o.caption && text == o.text;
  }
};

std::ostream& operator<<(std::ostream& os, const Report& r) {
  return os << r.code << " [" << r.caption << "] \"" << r.text << "\"";
}

class TextIoTest : public CardBoxTest {
 protected:
  int importText(const std::string& line) {
    char buffer[1024];
    snprintf(buffer, sizeof buffer, "%s", line.c_str());
    const int code = importLine(buffer);
    lastLine_ = buffer;
    return code;
  }

  tImportResult importFile(const std::string& bytes) {
    const std::string path = dir_.file("woerter.txt");
    writeBytes(path, bytes);
    reports_.clear();
    return importTextFile(path.c_str(), [this](int code, const char* caption, const char* text) {
      reports_.push_back({code, caption, text});
    });
  }

  ScratchDir dir_;
  std::string lastLine_;
  std::vector<Report> reports_;
};

TEST_F(TextIoTest, ImportLineSplitsAtFirstSemicolonAndTrimsTrailingSpaces) {
  fill(1, 1, "vorher");
  EXPECT_EQ(importText("Haus;house\n"), kImportAdded);
  EXPECT_EQ(importText("Baum ; tree  \n"), kImportAdded);
  EXPECT_EQ(importText("a;b;c"), kImportAdded);
  EXPECT_EQ(importText("\tTab;x\r\n"), kImportAdded);
  EXPECT_EQ(textsIn(1), Texts({"vorher1;vorher1", "Haus;house", "Baum; tree", "a;b;c", "\tTab;x"}));
  EXPECT_EQ(theCardBox.findBoth(card("Haus", "house"))->timesKnown, 0);
  EXPECT_EQ(theCardBox.findBoth(card("Haus", "house"))->timesUnknown, 0);

  EXPECT_EQ(importText(std::string(70, 'l') + ";" + std::string(70, 'r')), kImportAdded);
  EXPECT_EQ(textsIn(1).back(), std::string(63, 'l') + ";" + std::string(63, 'r'));
}

TEST_F(TextIoTest, ImportLineReportsMalformedLinesAsItLeftThem) {
  EXPECT_EQ(importText("Haus\n"), kImportNoSeparator);
  EXPECT_EQ(lastLine_, "Haus\n");
  EXPECT_EQ(importText("    "), kImportNoSeparator);
  EXPECT_EQ(importText("  ;house\n"), kImportNoFirstTerm);
  EXPECT_EQ(lastLine_, "");
  EXPECT_EQ(importText("Haus  ;   \n"), kImportNoSecondTerm);
  EXPECT_EQ(lastLine_, "Haus");
  EXPECT_EQ(theCardBox.totalCount(), 0);
  EXPECT_STREQ(importCaption(kImportNoSeparator), "Kein Trennzeichen");
  EXPECT_STREQ(importCaption(kImportNoFirstTerm), "Erster Begriff fehlt");
  EXPECT_STREQ(importCaption(kImportNoSecondTerm), "Zweiter Begriff fehlt");
  EXPECT_STREQ(importCaption(kImportNotEncodable), "Zeichen nicht darstellbar");
  EXPECT_EQ(importCaption(kImportAdded), nullptr);
}

TEST_F(TextIoTest, ImportLineSkipsCardPresentInAnyCompartment) {
  theCardBox.addCardTo(card("Haus", "house", 3, 0), 7);
  EXPECT_EQ(importText("Haus;house\n"), kImportAlreadyPresent);
  EXPECT_EQ(importText("Haus;House\n"), kImportAdded);
  EXPECT_EQ(theCardBox.totalCount(), 2);
}

TEST_F(TextIoTest, ImportsCodePage1252FileLineByLine) {
  theCardBox.addCardTo(card("Haus", "house"), 4);
  const tImportResult result = importFile(
      "Haus;house\n\n\tTab;x\n\xC4pfel;apple\nkein\n;leer\nNur;\ncrlf;ende\r\n   \nletzte;zeile");
  EXPECT_TRUE(result.opened);
  EXPECT_EQ(result.added, 3);  // Haus is already in compartment 4
  EXPECT_EQ(result.malformed, 4);
  EXPECT_EQ(textsIn(1), Texts({"\xC4pfel;apple", "crlf;ende", "letzte;zeile"}));
  EXPECT_EQ(reports_, std::vector<Report>({{1301, "Kein Trennzeichen", "kein\n"},
                                           {1302, "Erster Begriff fehlt", ""},
                                           {1303, "Zweiter Begriff fehlt", "Nur"},
                                           {1301, "Kein Trennzeichen", "   \n"}}));
  // A second import of the same file adds nothing.
  EXPECT_EQ(importFile("\xC4pfel;apple\nletzte;zeile").added, 0);
  EXPECT_EQ(theCardBox.totalCount(), 4);
}

TEST_F(TextIoTest, ImportsUtf8FileWithOrWithoutByteOrderMark) {
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
  EXPECT_TRUE(reports_.empty());
}

TEST_F(TextIoTest, LineWithCharacterOutsideCodePageIsReportedAndSkipped) {
  const tImportResult result = importFile(
      "Gr\xC3\xBC\xC3\x9F"
      "e \xE6\x97\xA5;x\r\nGl\xC3\xBC"
      "ck;luck\n");
  EXPECT_EQ(result.added, 1);
  EXPECT_EQ(result.malformed, 1);
  EXPECT_EQ(reports_, std::vector<Report>({{1304, "Zeichen nicht darstellbar",
                                            "Gr\xFC\xDF"
                                            "e ?;x"}}));
  EXPECT_EQ(textsIn(1), Texts({"Gl\xFC"
                               "ck;luck"}));
}

TEST_F(TextIoTest, LongLinesAreReadInPiecesOf1023Characters) {
  const std::string exact = "x;" + std::string(1021, 'y') + "\n";  // 1024 with its line end
  const std::string longer = std::string(1030, 'a') + ";b\n";
  const tImportResult result = importFile(exact + longer);
  EXPECT_EQ(result.added, 2);
  ASSERT_EQ(reports_.size(), 1u);
  EXPECT_EQ(reports_[0].code, kImportNoSeparator);
  EXPECT_EQ(reports_[0].text, std::string(1023, 'a'));
  EXPECT_EQ(textsIn(1), Texts({"x;" + std::string(63, 'y'), "aaaaaaa;b"}));
}

TEST_F(TextIoTest, MissingFileIsNotOpened) {
  const tImportResult result = importTextFile(dir_.file("fehlt.txt").c_str(), nullptr);
  EXPECT_FALSE(result.opened);
  EXPECT_FALSE(exportTextFile(dir_.file("fehlt/aus.txt").c_str()));
}

TEST_F(TextIoTest, ExportWritesCompartmentsInOrderAndReimportsAlike) {
  theCardBox.addCardTo(card("a;b", "c"), 2);
  theCardBox.addCardTo(card("Gl\xFC"
                            "ck",
                            "luck"),
                       2);
  theCardBox.addCardTo(card("Ende", "end"), 7);
  const std::string path = dir_.file("aus.txt");
  ASSERT_TRUE(exportTextFile(path.c_str()));
  EXPECT_EQ(readBytes(path),
            "a;b;c\nGl\xFC"
            "ck;luck\nEnde;end\n");
  ASSERT_TRUE(exportTextFile(path.c_str(), true));
  EXPECT_EQ(readBytes(path),
            "a;b;c\nGl\xC3\xBC"
            "ck;luck\nEnde;end\n");

  theCardBox.clearAll();
  EXPECT_EQ(importTextFile(path.c_str(), nullptr).added, 3);
  EXPECT_EQ(textsIn(1), Texts({"a;b;c",
                               "Gl\xFC"
                               "ck;luck",
                               "Ende;end"}));
  EXPECT_EQ(dir_.entries(), std::set<std::string>({"aus.txt"}));
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
  EXPECT_EQ(reports_, std::vector<Report>({{1301, "Kein Trennzeichen", "'ohne'\n"}}));
}

TEST_F(TextIoTest, LineWithCharacterNoCardCanHoldIsRefusedInBothEncodings) {
  for (const std::string& bytes :
       {std::string("Gr\xF6\xDF"
                    "e in \xB5m;size\n\x84ok\x93;fine\n"),
        std::string("Gr\xC3\xB6\xC3\x9F"
                    "e in \xC2\xB5m;size\n\xE2\x80\x9Eok\xE2\x80\x9C;fine\n")}) {
    theCardBox.clearAll();
    const tImportResult result = importFile(bytes);
    EXPECT_EQ(result.added, 1);
    EXPECT_EQ(result.malformed, 1);
    EXPECT_EQ(reports_, std::vector<Report>({{1304, "Zeichen nicht darstellbar",
                                              "Gr\xF6\xDF"
                                              "e in \xB5m;size"}}));
    EXPECT_EQ(textsIn(1), Texts({"\"ok\";fine"}));
  }
}

TEST_F(TextIoTest, LineBeginningWithControlCharacterIsSkippedWhateverItHolds) {
  const tImportResult result = importFile(
      "\t\xE6\x97\xA5;x\n\t\xC2\xB5;y\r\nGl\xC3\xBC"
      "ck;luck\n");
  EXPECT_EQ(result.added, 1);
  EXPECT_EQ(result.malformed, 0);
  EXPECT_TRUE(reports_.empty());
}

TEST_F(TextIoTest, ImportLineFitsTheLineFirst) {
  EXPECT_EQ(importText("\x84"
                       "Haus\x93;house\n"),
            kImportAdded);
  EXPECT_EQ(importText("\x84"
                       "Haus\x93\n"),
            kImportNoSeparator);
  EXPECT_EQ(lastLine_, "\"Haus\"\n");
  EXPECT_EQ(importText("5 \xB5m;x\n"), kImportNotEncodable);
  EXPECT_EQ(textsIn(1), Texts({"\"Haus\";house"}));
}

TEST_F(TextIoTest, AnythingButARegularFileIsNotOpened) {
  EXPECT_FALSE(importTextFile(dir_.path().c_str(), nullptr).opened);
  const std::string fifo = dir_.file("fifo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_FALSE(importTextFile(fifo.c_str(), nullptr).opened);  // and does not wait for a writer
  EXPECT_FALSE(importTextFile("/dev/null", nullptr).opened);
  EXPECT_FALSE(importTextFile(nullptr, nullptr).opened);
  EXPECT_EQ(theCardBox.totalCount(), 0);
}

TEST_F(TextIoTest, BlankLinesImportNothing) {
  const tImportResult result = importFile(std::string(3 * 1024 * 1024, '\n') + "\r\n\r\n");
  EXPECT_TRUE(result.opened);
  EXPECT_EQ(result.added, 0);
  EXPECT_EQ(result.malformed, 0);
  EXPECT_EQ(theCardBox.totalCount(), 0);
}

// A pipe cannot seek back, so the encoding is decided on a copy.
TEST_F(TextIoTest, ImportsFromAStreamThatCannotSeek) {
  for (const bool utf8 : {true, false}) {
    theCardBox.clearAll();
    const std::string bytes = utf8 ? "\xEF\xBB\xBFGl\xC3\xBC"
                                     "ck;luck\n\xE2\x80\x9E"
                                     "a\xE2\x80\x9C;b\n"
                                   : "Gl\xFC"
                                     "ck;luck\n\x84"
                                     "a\x93;b\n";
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    ASSERT_EQ(write(fds[1], bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    close(fds[1]);
    std::FILE* in = fdopen(fds[0], "rb");
    ASSERT_NE(in, nullptr);
    const tImportResult result = importTextStream(in, nullptr);
    std::fclose(in);
    EXPECT_TRUE(result.opened);
    EXPECT_EQ(result.added, 2);
    EXPECT_EQ(textsIn(1), Texts({"Gl\xFC"
                                 "ck;luck",
                                 "\"a\";b"}))
        << utf8;
  }
}

// A file is UTF-8 only when all of it is, however far behind its first lines the
// byte that decides it stands.
TEST_F(TextIoTest, EncodingIsDecidedByTheWholeFile) {
  std::string filler;
  for (int i = 0; i < 50000; ++i) filler += "x;y\n";
  importFile(
      "Gl\xC3\xBC"
      "ck;luck\n" +
      filler +
      ";y\nS\xFC"
      "d;south\n");
  EXPECT_EQ(cardAt(1, 0).front, std::string("Gl\xC3\xBC"
                                            "ck"));
  theCardBox.clearAll();
  importFile(
      "Gl\xC3\xBC"
      "ck;luck\n" +
      filler +
      ";y\nS\xC3\xBC"
      "d;south\n");
  EXPECT_EQ(cardAt(1, 0).front, std::string("Gl\xFC"
                                            "ck"));
  EXPECT_EQ(cardAt(1, 2).front, std::string("S\xFC"
                                            "d"));
}

TEST(LineReaderTest, CutsOverlongLinesBetweenCharacters) {
  // A two-byte character straddles the cut at kMaxLine bytes.
  std::string bytes(tLineReader::kMaxLine - 1, 'a');
  bytes += "\xC3\xBC";
  bytes += std::string(10, 'b') + "\nend";
  for (const bool utf8 : {true, false}) {
    std::FILE* in = fmemopen(&bytes[0], bytes.size(), "rb");
    ASSERT_NE(in, nullptr);
    tLineReader reader(in, utf8);
    std::vector<std::string> lines;
    const char* line;
    size_t size;
    while (reader.next(&line, &size)) lines.emplace_back(line, size);
    std::fclose(in);
    const size_t first = utf8 ? tLineReader::kMaxLine - 1 : tLineReader::kMaxLine;
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], bytes.substr(0, first));
    EXPECT_EQ(lines[1], bytes.substr(first, bytes.size() - 3 - first));
    EXPECT_EQ(lines[2], "end");
    EXPECT_FALSE(reader.failed());
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
                          "e;street"};
  for (const char* name : {"textverarbeitung-utf8.txt", "textverarbeitung-cp1252.txt"}) {
    theCardBox.clearAll();
    const std::string source = std::string(TERMEL_TEST_DATA_DIR) + "/text/" + name;
    reports_.clear();
    const tImportResult result =
        importTextFile(source.c_str(), [this](int code, const char* caption, const char* text) {
          reports_.push_back({code, caption, text});
        });
    EXPECT_EQ(result.added, 9) << name;
    EXPECT_EQ(result.replaced, 7) << name;
    EXPECT_EQ(reports_, std::vector<Report>({{1304, "Zeichen nicht darstellbar",
                                              "Gr\xF6\xDF"
                                              "e in \xB5m;size in \xB5m"}}))
        << name;
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
