#include "wordlists/word_list_format.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <pugixml.hpp>
#include <string>
#include <vector>

#include "tests/wordlists/word_list_test_support.h"
#include "wordlists/html_text.h"

namespace {

TEST_F(WordListTest, FormatFollowsExtension) {
  EXPECT_EQ(wordListFormatOf("a/woerter.csv"), tWordListFormat::kCsv);
  EXPECT_EQ(wordListFormatOf("LISTE.CSV"), tWordListFormat::kCsv);
  EXPECT_EQ(wordListFormatOf("export.tsv"), tWordListFormat::kTsv);
  EXPECT_EQ(wordListFormatOf("haus.kvtml"), tWordListFormat::kKvtml);
  EXPECT_EQ(wordListFormatOf("haus.txt"), tWordListFormat::kText);
  EXPECT_EQ(wordListFormatOf("ohne_endung"), tWordListFormat::kText);
  EXPECT_EQ(wordListFormatOf(".csv"), tWordListFormat::kText);  // a hidden file's name
  EXPECT_NE(std::string(wordListFileFilter()).find("|*.kvtml|"), std::string::npos);
}

TEST_F(WordListTest, SpreadsheetCsvWithHeaderBomAndCrLf) {
  const tImportResult result = import(sample("spreadsheet.csv"), true);
  EXPECT_TRUE(result.opened);
  EXPECT_EQ(result.added, 6);
  EXPECT_EQ(result.malformed, 3);
  EXPECT_EQ(textsIn(1),
            Texts({"Haus;house",
                   "Stra\xDF"
                   "e; Weg;street; road",
                   "Er sagte \"ja\";He said \"yes\"", "Zeile eins Zeile zwei;line one line two",
                   // typographic characters take their plain forms, as in every import
                   "\"Anf\xFChrung\" - Gedankenstrich...;'quotes' - dash...", "Baum;tree"}));
  EXPECT_EQ(result.replaced, 1);
  EXPECT_EQ(reports_,
            std::vector<Report>({
                // each line as it stands in the file
                {kImportExtraColumns, "Weitere Spalten ignoriert",
                 "\"Er sagte \"\"ja\"\"\";\"He said \"\"yes\"\"\";Zitat", 4},
                {kImportNoSecondTerm, "Zweiter Begriff fehlt", "Apfel;", 11},
                {kImportNotEncodable, "Zeichen nicht darstellbar", "Pfeil ? rechts;arrow;", 12},
                {kImportNoSeparator, "Kein Trennzeichen", "nur ein Feld", 13},
                {kImportAlreadyPresent, "Karte schon vorhanden", "Haus;house;doppelt", 15},
            }));
  EXPECT_EQ(result.alreadyPresent, 1);
}

TEST_F(WordListTest, CsvHeaderIsACardUnlessTheLearnerSaysOtherwise) {
  import(sample("spreadsheet.csv"), false);
  EXPECT_EQ(textsIn(1).front(), "Deutsch;Englisch");
  EXPECT_EQ(reports_.front().line, 1);  // "Notiz" is the first further column now
}

TEST_F(WordListTest, CommaCsvRefusesAnOpenQuoteAndGoesOn) {
  const tImportResult result = import(sample("comma.csv"), true);
  EXPECT_EQ(textsIn(1),
            Texts({"Katze;cat", "Hund, der;dog", "Das \"Ende\";the \"end\"", "Vogel;bird"}));
  EXPECT_EQ(result.malformed, 1);
  EXPECT_EQ(reports_,
            std::vector<Report>(
                {{kImportOpenQuote, "Anf\xFChrungszeichen nicht geschlossen", "Maus,\"mouse", 5}}));
}

TEST_F(WordListTest, CsvSeparatorLineEndsAndCodePage) {
  // Semicolons inside quotes don't make them the separator; the lone CR of old
  // Macintosh files ends a line; a file that isn't UTF-8 is code page 1252.
  importBytes("a.csv", "\"a;b\",c\r\"d;e\",f\rK\xE4se,cheese\r\"x\r\ny\",z\r\n,\r\n,q\r\nl,m");
  EXPECT_EQ(textsIn(1), Texts({"a;b;c", "d;e;f", "K\xE4se;cheese", "x y;z", "l;m"}));
  // The blank record "," on line 6 is passed over silently.
  EXPECT_EQ(reports_, std::vector<Report>({{kImportNoFirstTerm, "Erster Begriff fehlt", ",q", 7}}));
}

TEST_F(WordListTest, SpreadsheetUnicodeTextInUtf16) {
  // What spreadsheets save as "Unicode text": UTF-16 little-endian with its mark,
  // tab-separated, CR LF.
  std::string bytes = "\xFF\xFE";
  for (const char c : std::string("K\xE4se\tcheese\r\nBrot\tbread\r\n")) {
    bytes += c;
    bytes += '\0';
  }
  importBytes("unicode.tsv", bytes);
  EXPECT_EQ(textsIn(1), Texts({"K\xE4se;cheese", "Brot;bread"}));
}

// Every format goes through the one card intake: a cut text and a card already in
// the box are reported with their lines, as .txt lines are.
TEST_F(WordListTest, CsvReportsCutTextsControlCharactersAndDuplicates) {
  const std::string longer = std::string(70, 'l') + ";" + std::string(70, 'r');
  const tImportResult result =
      importBytes("b.csv", longer + "\nBell\x07;bell\n" + "\"Haus\";house\nHaus;house\n");
  EXPECT_EQ(textsIn(1), Texts({std::string(63, 'l') + ";" + std::string(63, 'r'), "Haus;house"}));
  EXPECT_EQ(reports_, std::vector<Report>({
                          {kImportCut, "auf 63 Zeichen gek\xFCrzt", longer, 1},
                          {kImportNotEncodable, "Zeichen nicht darstellbar", "Bell\x07;bell", 2},
                          {kImportAlreadyPresent, "Karte schon vorhanden", "Haus;house", 4},
                      }));
  EXPECT_EQ(result.cut, 1);
  EXPECT_EQ(result.malformed, 1);
  EXPECT_EQ(result.alreadyPresent, 1);
}

TEST_F(WordListTest, FlashcardExportWithHtmlHeaderLines) {
  const tImportResult result = import(sample("flashcards.tsv"));
  EXPECT_EQ(result.added, 7);
  EXPECT_EQ(textsIn(1), Texts({"K\xE4se;cheese", "Br\xF6tchen;bread roll",
                               "Fisch & Chips;fish & chips (britisch)", "\"Zitat\";\"quote\"",
                               "Zeile mit Tab;two lines",
                               "Stra\xDF"
                               "e 1;street 1",
                               "<tag>;\"a\" &unknown; x"}));
  EXPECT_EQ(reports_, std::vector<Report>());  // the tags column is no card text
}

TEST_F(WordListTest, PlainTsvKeepsMarkupAndQuotesAsText) {
  import(sample("plain.tsv"));
  EXPECT_EQ(textsIn(1), Texts({"Wolke;cloud", "Regen;rain", "\"Hallo\" sagen;to say hello",
                               "Schnee<b>;snow &amp; ice"}));
}

TEST_F(WordListTest, OnlyFilesWithoutNamedColumnsAskWhetherTheFirstLineNamesThem) {
  EXPECT_TRUE(firstLineMayNameColumns(sample("spreadsheet.csv").c_str()));
  EXPECT_TRUE(firstLineMayNameColumns(sample("plain.tsv").c_str()));
  // Its "#columns:" line names the columns; the first line behind it is a card.
  EXPECT_FALSE(firstLineMayNameColumns(sample("flashcards.tsv").c_str()));
  const std::string marked = dir_.file("markiert.tsv");
  writeBytes(marked, "\xEF\xBB\xBF#separator:tab\r\nHaus\thouse\r\n");
  EXPECT_FALSE(firstLineMayNameColumns(marked.c_str()));
  EXPECT_FALSE(firstLineMayNameColumns(sample("vokabeln.kvtml").c_str()));
  EXPECT_FALSE(firstLineMayNameColumns("liste.txt"));
  EXPECT_TRUE(firstLineMayNameColumns(dir_.file("fehlt.tsv").c_str()));
}

TEST_F(WordListTest, NotesReadAsLineCaptionAndText) {
  EXPECT_EQ(wordListNote("Zweiter Begriff fehlt", "Apfel;", 11),
            "Zeile 11: Zweiter Begriff fehlt: Apfel;");
  EXPECT_EQ(wordListNote("Kein Trennzeichen", "kaputt\r\n", 0), "Kein Trennzeichen: kaputt");
}

TEST_F(WordListTest, TsvHeaderLinesNameSeparatorAndOtherColumns) {
  importBytes("c.tsv",
              "#separator:Semicolon\n#html:false\n#notetype column:1\n#deck column:2\n"
              "Basic;Deutsch;Haus;house;Notiz\n");
  EXPECT_EQ(textsIn(1), Texts({"Haus;house"}));
  ASSERT_EQ(reports_.size(), 1u);
  EXPECT_EQ(reports_[0], (Report{kImportExtraColumns, "Weitere Spalten ignoriert",
                                 "Basic;Deutsch;Haus;house;Notiz", 5}));
  // Only the header lines flashcard programs write are header lines.
  importBytes("d.tsv", "#html:true\n#Raute:Zeichen\thash sign\n#Hashtag\thashtag\n");
  EXPECT_EQ(textsIn(1), Texts({"Haus;house", "#Raute:Zeichen;hash sign", "#Hashtag;hashtag"}));
}

TEST_F(WordListTest, HtmlBecomesPlainText) {
  EXPECT_EQ(htmlToText("  <div>eins</div><div>zwei</div>  "), "eins zwei");
  EXPECT_EQ(htmlToText("a<BR>b<br/>c<br />d"), "a b c d");
  EXPECT_EQ(htmlToText("<span style=\"x\">fett</span>er"), "fetter");
  EXPECT_EQ(htmlToText("&#228;&#xE4;&#XC4;&Auml;&euro;"),
            "\xC3\xA4\xC3\xA4\xC3\x84\xC3\x84\xE2\x82\xAC");
  EXPECT_EQ(htmlToText("1 < 2 &amp 3 &#; &#xZZ; &#0;"), "1 < 2 &amp 3 &#; &#xZZ; &#0;");
  EXPECT_EQ(htmlToText("a<!-- Notiz -->b"), "ab");
  EXPECT_EQ(htmlToText("&#1114112;"), "\xEF\xBF\xBD");  // beyond Unicode
}

TEST_F(WordListTest, KvtmlGradesBecomeCompartments) {
  const tImportResult result = import(sample("vokabeln.kvtml"));
  EXPECT_EQ(result.added, 7);
  EXPECT_EQ(wholeBox(), std::vector<Placed>({
                            {1, "Tisch", "table", 0, 0},
                            {1, "Teppich", "rug", 0, 3},
                            {2,
                             "B\xFC"
                             "cherregal",
                             "bookshelf", 2, 0},
                            {3, "Stuhl", "chair", 5, 2},
                            {5, "Schrank & Kommode", "cupboard & chest", 8, 1},
                            {6, "Spiegel", "mirror", 4, 4},
                            {7, "Lampe", "lamp", 12, 0},
                        }));
  EXPECT_EQ(reports_,
            std::vector<Report>({{kImportNoSecondTerm, "Zweiter Begriff fehlt", "Fenster;", 88}}));
}

TEST_F(WordListTest, KvtmlThatIsNoVocabularyIsRefusedWhole) {
  tImportResult result = importBytes(
      "x.kvtml", "<?xml version=\"1.0\"?>\n<kvtml version=\"2.0\">\n<entries>\n</kvtml>\n");
  EXPECT_TRUE(result.opened);
  ASSERT_EQ(reports_.size(), 1u);
  EXPECT_EQ(reports_[0].code, kImportNotAWordList);
  EXPECT_EQ(reports_[0].caption, "Keine lesbare Vokabeldatei");
  EXPECT_EQ(reports_[0].line, 4);
  importBytes("y.kvtml", "<kvtml version=\"3.0\"><e><o>Haus</o><t>house</t></e></kvtml>");
  ASSERT_EQ(reports_.size(), 1u);
  EXPECT_EQ(reports_[0].code, kImportNotAWordList);
  EXPECT_EQ(reports_[0].text,
            "KVTML-Version \x84"
            "3.0\x93 wird nicht unterst\xFC"
            "tzt");
  EXPECT_EQ(theCardBox.totalCount(), 0);
}

TEST_F(WordListTest, KvtmlWithOtherLanguageIdsAndEncoding) {
  // The first two languages named are front and back, whatever their ids; the XML
  // declaration's encoding is honoured; white space around a text is layout.
  importBytes(
      "z.kvtml",
      "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<kvtml version=\"2.0\">"
      "<identifiers><identifier id=\"3\"/><identifier id=\"1\"/></identifiers>"
      "<entries><entry id=\"0\"><translation id=\"1\"><text>\n  cheese\n</text></translation>"
      "<translation id=\"3\"><text>K\xE4se</text></translation></entry></entries>"
      "</kvtml>");
  EXPECT_EQ(textsIn(1), Texts({"K\xE4se;cheese"}));
}

TEST_F(WordListTest, KvtmlWithByteOrderMarkAndCrLf) {
  importBytes(
      "bom.kvtml",
      "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<kvtml version=\"2.0\">\r\n"
      "<entries>\r\n<entry id=\"0\"><translation id=\"0\"><text>M\xC3\xBC"
      "he</text></translation><translation id=\"1\"><text>effort</text></translation>"
      "</entry>\r\n<entry id=\"1\"><translation id=\"0\"><text>\xE2\x86\x92</text>"
      "</translation><translation id=\"1\"><text>arrow</text></translation></entry>"
      "\r\n</entries></kvtml>\r\n");
  EXPECT_EQ(textsIn(1), Texts({"M\xFChe;effort"}));
  EXPECT_EQ(reports_, std::vector<Report>(
                          {{kImportNotEncodable, "Zeichen nicht darstellbar", "?;arrow", 5}}));
}

TEST_F(WordListTest, FilesThatCantBeReadAreNotOpened) {
  EXPECT_FALSE(import(dir_.file("fehlt.csv")).opened);
  ASSERT_EQ(mkdir(dir_.file("ordner.kvtml").c_str(), 0700), 0);
  EXPECT_FALSE(import(dir_.file("ordner.kvtml")).opened);
  EXPECT_TRUE(reports_.empty());
}

TEST_F(WordListTest, CsvRoundTrip) {
  import(sample("spreadsheet.csv"), true);
  theCardBox.addCardTo(card(" vorn", "Komma, Strich"), 1);
  expectRoundTrip("zurueck.csv");
  const std::string bytes = readBytes(dir_.file("zurueck.csv"));
  const std::string start =
      "Haus,house\r\n\"Stra\xC3\x9F"
      "e; Weg\",\"street; road\"\r\n\"Er sagte \"\"ja\"\"\",";
  EXPECT_EQ(bytes.substr(0, start.size()), start);
  const std::string end = "\" vorn\",\"Komma, Strich\"\r\n";
  EXPECT_EQ(bytes.substr(bytes.size() - end.size()), end);
}

TEST_F(WordListTest, TsvRoundTrip) {
  import(sample("flashcards.tsv"));
  expectRoundTrip("zurueck.tsv");
  const std::string bytes = readBytes(dir_.file("zurueck.tsv"));
  const std::string start = "#separator:tab\n#html:false\nK\xC3\xA4se\tcheese\n";
  EXPECT_EQ(bytes.substr(0, start.size()), start);
}

TEST_F(WordListTest, KvtmlRoundTripKeepsCompartmentsAndCounters) {
  import(sample("vokabeln.kvtml"));
  theCardBox.addCardTo(card(" vorn", "  zwei Blanks"), 1);
  expectRoundTrip("zurueck.kvtml");
  // The export is what KDE's trainers read: two named languages, each card an entry in
  // a lesson, its grade in the translation asked.
  pugi::xml_document document;
  ASSERT_TRUE(document.load_file(dir_.file("zurueck.kvtml").c_str()));
  const pugi::xml_node root = document.child("kvtml");
  EXPECT_STREQ(root.attribute("version").value(), "2.0");
  EXPECT_STREQ(root.child("information").child_value("title"), "zurueck");
  EXPECT_STREQ(root.child("identifiers").first_child().child_value("name"), "Deutsch");
  // The box doesn't know the translations' language, so the export names none.
  EXPECT_STREQ(root.child("identifiers").last_child().child_value("name"),
               "\xC3\x9C"
               "bersetzung");
  EXPECT_FALSE(root.child("identifiers").last_child().child("locale"));
  const pugi::xpath_node lamp = document.select_node("//entry[translation/text='lamp']");
  EXPECT_EQ(lamp.node()
                .child("translation")
                .next_sibling()
                .child("grade")
                .child("currentgrade")
                .text()
                .as_int(),
            7);
  EXPECT_EQ(document.select_nodes("/kvtml/lessons/container/entry").size(), 8u);
}

TEST_F(WordListTest, ExportThatCantBeWrittenFails) {
  fill(1, 2, "Wort");
  for (const char* name : {"x.csv", "x.tsv", "x.kvtml", "x.txt"}) {
    EXPECT_FALSE(
        exportWordList(dir_.file(std::string("fehlt/") + name).c_str(), tWordListOptions()))
        << name;
  }
  EXPECT_TRUE(dir_.entries().empty());
}

TEST_F(WordListTest, TextFilesStayAsTheyWere) {
  importBytes("w.txt", "Haus;house\nkaputt\n");
  EXPECT_EQ(textsIn(1), Texts({"Haus;house"}));
  EXPECT_EQ(reports_,
            std::vector<Report>({{kImportNoSeparator, "Kein Trennzeichen", "kaputt", 2}}));
  ASSERT_TRUE(exportWordList(dir_.file("w2.txt").c_str(), tWordListOptions()));
  EXPECT_EQ(readBytes(dir_.file("w2.txt")), "Haus;house\n");
}

// Flashcard programs save their tab-separated export as .txt by default; its header
// lines say what it is, in UTF-8 or in UTF-16.
TEST_F(WordListTest, TextFileWithFlashcardHeaderLinesIsReadAsTabSeparated) {
  const std::string flashcards = readBytes(sample("flashcards.tsv"));
  EXPECT_TRUE(textIsFlashcardExport(flashcards.substr(0, 20)));
  EXPECT_FALSE(textIsFlashcardExport("#Raute;hash\n#html;x\n"));
  EXPECT_FALSE(firstLineMayNameColumns(dir_.file("karten.txt").c_str()));
  import(sample("flashcards.tsv"));
  const std::vector<Placed> asTsv = wholeBox();
  const std::vector<Report> tsvReports = reports_;
  ASSERT_FALSE(asTsv.empty());
  std::string utf16 = "\xFF\xFE";
  for (const char c : flashcards) utf16 += std::string{c, '\0'};  // the sample is ASCII
  for (const std::string& bytes : {flashcards, utf16}) {
    theCardBox.clearAll();
    importBytes("karten.txt", bytes);
    EXPECT_EQ(wholeBox(), asTsv);
    EXPECT_EQ(reports_, tsvReports);
  }
  theCardBox.clearAll();
  importBytes("raute.txt", "#Raute;hash sign\n");
  EXPECT_EQ(textsIn(1), Texts({"#Raute;hash sign"})) << "a line starting with # is a card";
}

}  // namespace
