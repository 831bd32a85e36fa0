#include "box/text_io.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/box/box_test_support.h"

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
                               "\x80;euro"}));
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

}  // namespace
