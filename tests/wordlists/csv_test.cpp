// CSV files as spreadsheets, other programs and people write them: the cases of the
// public CSV conformance suites, how the separator is found, and what happens to
// blanks and quotes in the wrong place.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/wordlists/word_list_test_support.h"
#include "wordlists/csv_format.h"

namespace {

using Codes = std::vector<std::pair<int, int>>;

struct CsvCase {
  const char* name;
  std::string bytes;
  Texts cards;
  Codes reports;
};

class CsvTest : public WordListTest {
 protected:
  void expectCase(const CsvCase& c) {
    theCardBox.clearAll();
    importBytes("fall.csv", c.bytes);
    EXPECT_EQ(textsIn(1), c.cards) << c.name;
    EXPECT_EQ(reported(), c.reports) << c.name;
  }
};

TEST_F(CsvTest, ConformanceCases) {
  const CsvCase cases[] = {
      {"simple", "Haus,house\nBaum,tree\n", {"Haus;house", "Baum;tree"}, {}},
      {"simple_crlf", "Haus,house\r\nBaum,tree\r\n", {"Haus;house", "Baum;tree"}, {}},
      {"no final line end", "Haus,house\r\nBaum,tree", {"Haus;house", "Baum;tree"}, {}},
      {"empty file", "", {}, {}},
      {"only line ends", "\r\n\r\n\n", {}, {}},
      {"comma_in_quotes",
       "\"Berlin, Mitte\",\"Berlin, centre\"\nWien,Vienna\n",
       {"Berlin, Mitte;Berlin, centre", "Wien;Vienna"},
       {}},
      {"escaped_quotes",
       "\"Er sagte \"\"ja\"\"\",\"He said \"\"yes\"\"\"\n\"\"\"\",quote\n",
       {"Er sagte \"ja\";He said \"yes\"", "\";quote"},
       {}},
      {"newlines",
       "\"Zeile eins\nZeile zwei\",\"line one\nline two\"\nkaputt\nBaum,tree\n",
       {"Zeile eins Zeile zwei;line one line two", "Baum;tree"},
       {{kImportNoSeparator, 4}}},
      {"newlines_crlf",
       "\"Zeile eins\r\nZeile zwei\",two\r\n\r\nkaputt\r\n",
       {"Zeile eins Zeile zwei;two"},
       {{kImportNoSeparator, 4}}},
      {"quotes_and_newlines", "\"a\"\"\nb\",c\n\"\",x\n", {"a\" b;c"}, {{kImportNoFirstTerm, 3}}},
      {"empty fields",
       "Haus,house,\n,,\nBaum,,tree\n,Apfel,apple\n",
       {"Haus;house"},
       {{kImportExtraColumns, 3}, {kImportNoSecondTerm, 3}, {kImportNoFirstTerm, 4}}},
      {"utf8 with bom",
       "\xEF\xBB\xBFK\xC3\xA4se,cheese\n\xC3\x9C"
       "bung,practice\n",
       {"K\xE4se;cheese",
        "\xDC"
        "bung;practice"},
       {}},
      {"code page 1252", "K\xE4se,cheese\n", {"K\xE4se;cheese"}, {}},
      {"utf16 little endian",
       utf16("K\xE4se,cheese\r\nBrot,bread\r\n", false),
       {"K\xE4se;cheese", "Brot;bread"},
       {}},
      {"utf16 big endian", utf16("\"Brot, Laib\",\"bread\"\r\n", true), {"Brot, Laib;bread"}, {}},
  };
  for (const CsvCase& c : cases) expectCase(c);
}

TEST_F(CsvTest, SeparatorIsTheOneThatSplitsEveryRecordAlike) {
  const CsvCase cases[] = {
      // Commas inside German texts don't split them.
      {"german forms",
       "gehen, ging, gegangen;to go, went, gone\nsehen, sah, gesehen;to see, saw, seen\n"
       "Haus;house\n",
       {"gehen, ging, gegangen;to go, went, gone", "sehen, sah, gesehen;to see, saw, seen",
        "Haus;house"},
       {}},
      // Both split every record alike: semicolons win.
      {"tie", "a,b;c,d\ne,f;g,h\n", {"a,b;c,d", "e,f;g,h"}, {}},
      {"commas", "Haus,\"house; home\"\nBaum,tree\n", {"Haus;house; home", "Baum;tree"}, {}},
      {"tabs", "Haus\thouse, home\nBaum\ttree\n", {"Haus;house, home", "Baum;tree"}, {}},
      // Nothing splits evenly: the one that splits most records.
      {"ragged",
       "Titel der Liste\nHaus,house\nBaum,tree,Notiz\nAst;branch\n",
       {"Haus;house", "Baum;tree"},
       {{kImportNoSeparator, 1}, {kImportExtraColumns, 3}, {kImportNoSeparator, 4}}},
  };
  for (const CsvCase& c : cases) expectCase(c);
  EXPECT_EQ(csvSeparatorOf("a;b\n"), ';');
  EXPECT_EQ(csvSeparatorOf("a\n"), ';');
}

TEST_F(CsvTest, FirstLineSepNamesTheSeparator) {
  const CsvCase cases[] = {
      {"sep comma",
       "sep=,\r\nHaus;Heim,house;home\r\nkaputt\r\n",
       {"Haus;Heim;house;home"},
       {{kImportNoSeparator, 3}}},
      {"sep tab", "sep=\t\nHaus\thouse\n", {"Haus;house"}, {}},
      {"sep with bom", "\xEF\xBB\xBFsep=;\nHaus;house\n", {"Haus;house"}, {}},
      // Not a sep line: more behind the separator.
      {"no sep line", "sep=;x;y\n", {"sep=;x"}, {{kImportExtraColumns, 1}}},
  };
  for (const CsvCase& c : cases) expectCase(c);
  // The header the learner skips is the first record behind the sep line.
  theCardBox.clearAll();
  importBytes("kopf.csv", "sep=;\nDeutsch;Englisch\nHaus;house\n", true);
  EXPECT_EQ(textsIn(1), Texts({"Haus;house"}));
}

TEST_F(CsvTest, BlanksAroundFieldsGoButNotInsideQuotes) {
  const CsvCase cases[] = {
      {"after separator", "Date, Open\n  Haus  ,  house  \n", {"Date;Open", "Haus;house"}, {}},
      {"tabs around", "\tBaum\t;\ttree\t\n", {"Baum;tree"}, {}},
      {"around quotes", "  \"  vorn\"  ;  \"hinten\"  \n", {"  vorn;hinten"}, {}},
      {"blank fields", "Haus;   ;\n", {}, {{kImportNoSecondTerm, 1}}},
  };
  for (const CsvCase& c : cases) expectCase(c);
}

TEST_F(CsvTest, StrayQuoteIsReportedAndTheRecordKeptWhole) {
  const CsvCase cases[] = {
      {"quotes as text",
       "5\" Diskette;floppy disk\n\"Haus\" am See;house by the lake\nBaum;tree\n",
       {"5\" Diskette;floppy disk", "\"Haus\" am See;house by the lake", "Baum;tree"},
       {{kImportStrayQuote, 1}, {kImportStrayQuote, 2}}},
      // An opening quote with no end on its line is refused, even when a later line
      // has a quote, and the lines behind it still count.
      {"never closed",
       "Maus;\"mouse\nVogel;bird\n\"Hund\";dog\n",
       {"Vogel;bird", "Hund;dog"},
       {{kImportOpenQuote, 1}}},
      {"closed lines later",
       "Maus;\"mouse\nVogel;bird\n\"Hund\" bellt;dog barks\n",
       {"Vogel;bird", "\"Hund\" bellt;dog barks"},
       {{kImportOpenQuote, 1}, {kImportStrayQuote, 3}}},
  };
  for (const CsvCase& c : cases) expectCase(c);
  importBytes("text.csv", "5\" Diskette;floppy disk\n");
  ASSERT_EQ(reports_.size(), 1u);
  EXPECT_EQ(reports_[0], (Report{kImportStrayQuote,
                                 "Anf\xFChrungszeichen als Text \xFC"
                                 "bernommen",
                                 "5\" Diskette;floppy disk", 1}));
}

TEST_F(CsvTest, ExportReadsBackWhateverSeparatorsTheCardsHold) {
  // Every text holds a semicolon: quoted, they split every record into three under
  // semicolons too, but leave quotes where they don't belong.
  theCardBox.addCardTo(card("a;b", "c;d"), 1);
  theCardBox.addCardTo(card("e;f", "g;h"), 1);
  expectRoundTrip("semikolon.csv");
  theCardBox.clearAll();
  theCardBox.addCardTo(card("gehen, ging", "to go; went"), 1);
  theCardBox.addCardTo(card("5\" Diskette", "sep=;"), 1);
  expectRoundTrip("gemischt.csv");
}

}  // namespace
