// Word lists of other programs through "Import..." and "Export...": the samples of each
// format come into a box and go out again, the dialogs ask what the format needs, and
// refused lines are listed with their line numbers in the import summary.
#include <wx/filedlg.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "box/card_box.h"
#include "gui_test.h"
#include "import_summary_expectation.h"
#include "main_frame_fixture.h"
#include "wordlists/word_list_format.h"

namespace {

using Strings = std::vector<std::string>;

// "Enthält die erste Zeile Spaltennamen (etwa „Deutsch“ und „Englisch“)?..."
const char kHeaderQuestion[] =
    "Enthält die erste Zeile Spaltennamen (etwa „Deutsch“ und „Englisch“)?\n"
    "Mit „Ja“ wird sie nicht als Karte übernommen.";
const long kHeaderStyle = wxYES_NO | wxCANCEL | wxNO_DEFAULT | wxICON_QUESTION;
// Questions whose OK throws cards away have Abbrechen as their default button.
const long kOkCancel = wxOK | wxCANCEL | wxCANCEL_DEFAULT | wxICON_QUESTION;
// Indexes of the filters in the word-list dialogs.
enum { kTextFilter, kCsvFilter, kTsvFilter, kKvtmlFilter, kAllFilter };
// Import offers flashcard packages before "Alle (*.*)".
constexpr int kPackageFilter = kAllFilter, kImportAllFilter = kAllFilter + 1;

std::string sample(const std::string& name) {
  return std::string(TERMEL_TEST_DATA_DIR) + "/wordlists/" + name;
}

std::string readAll(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// A word-list dialog that shows the learner one filter per format and answers with
// path, chosen under the filter `filter`.
class tExpectWordList : public tExpectFile {
 public:
  tExpectWordList(const std::string& path, bool save, int filter)
      : tExpectFile(path, look(save)), filter_(filter), save_(save) {}

 protected:
  int OnInvoked(wxFileDialog* dialog) const override {
    // Import shows every file at first, export starts with the first format.
    EXPECT_EQ(dialog->GetFilterIndex(), save_ ? kTextFilter : kImportAllFilter);
    dialog->SetFilterIndex(filter_);
    return tExpectFile::OnInvoked(dialog);
  }

 private:
  static tFileDialogLook look(bool save) {
    tFileDialogLook look;
    look.title = save ? "Wortliste exportieren" : "Wortliste importieren";
    look.wildcard = save ? wordListFileFilter() : wordListImportFilter();
    look.style = save ? wxFD_SAVE | wxFD_OVERWRITE_PROMPT : wxFD_OPEN | wxFD_FILE_MUST_EXIST;
    return look;
  }

  int filter_;
  bool save_;
};

tExpectWordList importDialog(const std::string& path) {
  return tExpectWordList(path, false, kImportAllFilter);
}

tExpectWordList exportDialog(const std::string& path, int filter = kAllFilter) {
  return tExpectWordList(path, true, filter);
}

// The sentence of the import summary about lines with typographic characters replaced.
std::string replacedSentence(int lines) {
  return (lines == 1 ? std::string("In 1 Zeile") : "In " + std::to_string(lines) + " Zeilen") +
         " wurden typografische Zeichen durch einfache ersetzt (Anführungszeichen, Striche, "
         "Auslassungspunkte, Euro-Zeichen, geschützte Leerzeichen).";
}

tExpectBox headerQuestion(int answer) {
  return tExpectBox(wxString::FromUTF8(kHeaderQuestion), "Wortliste importieren", kHeaderStyle,
                    answer);
}

// Every card of the box as "compartment:front;back known/unknown", box order.
Strings wholeBox() {
  Strings cards;
  tTermel c;
  for (int n = theCardBox.firstCard(&c); n != 0; n = theCardBox.nextCard(&c)) {
    cards.push_back(std::to_string(n) + ":" + c.front + ";" + c.back + " " +
                    std::to_string(c.timesKnown) + "/" + std::to_string(c.timesUnknown));
  }
  return cards;
}

class WordListWindowTest : public MainFrameTest {
 protected:
  // "Neu" confirmed, the changes given up: the box is empty for the file to come back
  // into.
  void emptyBox() {
    if (window_->modified()) {
      wxTEST_DIALOG(menu(CM_NEU), tExpectBox("Bisherige Daten sichern", "Achtung",
                                             wxYES_NO | wxICON_NONE, wxID_NO));
    } else {
      wxTEST_DIALOG(menu(CM_NEU),
                    tExpectBox("Alle Termeln werden geloescht!", "Warnung", kOkCancel, wxID_OK));
    }
    ASSERT_EQ(theCardBox.totalCount(), 0);
  }
};

}  // namespace

TEST_F(WordListWindowTest, SpreadsheetCsvWithQuotedSeparatorsComesInAndGoesOutAgain) {
  start();
  const std::string csv = sample("spreadsheet.csv");
  wxTEST_DIALOG(
      menu(CM_IMPORT), importDialog(csv), headerQuestion(wxID_YES),
      importSummary({"6 Karten übernommen.\n4 Zeilen nicht übernommen, davon 1 schon in der "
                     "Kartei.\n2 Felder mit Zeilenumbrüchen zu einer Zeile zusammengefügt.\n"
                     "Trennzeichen: Semikolon.\n" +
                         replacedSentence(1) + "\nDatei: " + csv,
                     // each line as it stands in the file
                     {"Zeile 4: Weitere Spalten ignoriert: \"Er sagte \"\"ja\"\"\";\"He said "
                      "\"\"yes\"\"\";Zitat",
                      "Zeile 11: Zweiter Begriff fehlt: Apfel;",
                      "Zeile 12: Zeichen nicht darstellbar: Pfeil ? rechts;arrow;",
                      "Zeile 13: Kein Trennzeichen: nur ein Feld",
                      "Zeile 15: Karte schon vorhanden: Haus;house;doppelt"}}));
  const Strings imported = {
      "1:Haus;house 0/0",
      "1:Stra\xDF"
      "e; Weg;street; road 0/0",
      "1:Er sagte \"ja\";He said \"yes\" 0/0", "1:Zeile eins Zeile zwei;line one line two 0/0",
      // Typographic characters come in plain form.
      "1:\"Anf\xFChrung\" - Gedankenstrich...;'quotes' - dash... 0/0", "1:Baum;tree 0/0"};
  EXPECT_EQ(wholeBox(), imported);
  EXPECT_EQ(label(ID_QUESTION), "Haus") << "the new cards are asked at once";
  EXPECT_TRUE(window_->modified());

  const std::string out = path("zurueck.csv");
  wxTEST_DIALOG(menu(CM_EXPORT), exportDialog(out));
  const std::string start =
      "Haus,house\r\n\"Stra\xC3\x9F"
      "e; Weg\",\"street; road\"\r\n\"Er sagte \"\"ja\"\"\",\"He said \"\"yes\"\"\"\r\n";
  EXPECT_EQ(readAll(out).substr(0, start.size()), start);

  emptyBox();
  wxTEST_DIALOG(menu(CM_IMPORT), importDialog(out), headerQuestion(wxID_NO));
  EXPECT_EQ(wholeBox(), imported) << "no line of the export names columns";
}

TEST_F(WordListWindowTest, CancellingTheHeaderQuestionImportsNothing) {
  start();
  wxTEST_DIALOG(menu(CM_IMPORT), importDialog(sample("comma.csv")), headerQuestion(wxID_CANCEL));
  EXPECT_EQ(theCardBox.totalCount(), 0);
  EXPECT_FALSE(window_->modified());
  // Without the header line skipped, the column names become a card.
  wxTEST_DIALOG(menu(CM_IMPORT), importDialog(sample("plain.tsv")), headerQuestion(wxID_NO));
  EXPECT_EQ(frontsIn(1).front(), "Wolke");
  EXPECT_EQ(theCardBox.totalCount(), 4);
}

// A vocabulary app's tab-separated list named .txt: asked about its first line like a
// .tsv file, read by tabs, and the summary says so.
TEST_F(WordListWindowTest, TabSeparatedTxtListComesInByItsTabs) {
  start();
  const std::string list = sample("word_import.txt");
  wxTEST_DIALOG(
      menu(CM_IMPORT), importDialog(list), headerQuestion(wxID_NO),
      importSummary({"5 Karten übernommen.\nTrennzeichen: Tabulator.\nDatei: " + list, {}}));
  EXPECT_EQ(frontsIn(1),
            Strings({"Question 1", "Question 2", "Question 3", "Question 4", "Question 5"}));
}

TEST_F(WordListWindowTest, FlashcardExportWithHeaderLinesComesInWithoutQuestionAndGoesOut) {
  start(writeBox("karten.trm", {{3, "Brot", "bread"}}));
  const std::string flashcards = sample("flashcards.tsv");
  wxTEST_DIALOG(
      menu(CM_IMPORT), importDialog(flashcards),
      importSummary(
          {"7 Karten übernommen.\n" + replacedSentence(2) + "\nDatei: " + flashcards, {}}));
  EXPECT_EQ(frontsIn(1),
            (Strings{"K\xE4se", "Br\xF6tchen", "Fisch & Chips", "\"Zitat\"", "Zeile mit Tab",
                     "Stra\xDF"
                     "e 1",
                     "<tag>"}));
  EXPECT_TRUE(window_->modified());

  const std::string out = path("zurueck.tsv");
  wxTEST_DIALOG(menu(CM_EXPORT), exportDialog(out));
  const std::string start = "#separator:tab\n#html:false\nK\xC3\xA4se\tcheese\n";
  EXPECT_EQ(readAll(out).substr(0, start.size()), start);
  const Strings before = wholeBox();
  emptyBox();
  wxTEST_DIALOG(menu(CM_IMPORT), importDialog(out));
  // The file holds no compartments: every card comes back to the 1st, in file order.
  Strings flat = before;
  for (std::string& card : flat) card[0] = '1';
  EXPECT_EQ(wholeBox(), flat);
  EXPECT_EQ(frontsIn(1).back(), "Brot");
}

TEST_F(WordListWindowTest, KvtmlComesInWithItsGradesAndGoesOutToAFileKdeReads) {
  start();
  const std::string kvtml = sample("vokabeln.kvtml");
  wxTEST_DIALOG(menu(CM_IMPORT), importDialog(kvtml),
                importSummary({"7 Karten übernommen.\n1 Zeile nicht übernommen.\nDatei: " + kvtml,
                               {"Zeile 88: Zweiter Begriff fehlt: Fenster;"}}));
  const Strings imported = {"1:Tisch;table 0/0",
                            "1:Teppich;rug 0/3",
                            "2:B\xFC"
                            "cherregal;bookshelf 2/0",
                            "3:Stuhl;chair 5/2",
                            "5:Schrank & Kommode;cupboard & chest 8/1",
                            "6:Spiegel;mirror 4/4",
                            "7:Lampe;lamp 12/0"};
  EXPECT_EQ(wholeBox(), imported);

  // Named without extension under the KVTML filter, the file gets the filter's.
  wxTEST_DIALOG(menu(CM_EXPORT), exportDialog(path("moebel"), kKvtmlFilter));
  const std::string xml = readAll(path("moebel.kvtml"));
  EXPECT_NE(xml.find("<kvtml version=\"2.0\""), std::string::npos);
  EXPECT_NE(xml.find("<name>Deutsch</name>"), std::string::npos);
  emptyBox();
  wxTEST_DIALOG(menu(CM_IMPORT), importDialog(path("moebel.kvtml")));
  EXPECT_EQ(wholeBox(), imported) << "grades and counters come back";

  // Under "Alle (*.*)" a name without extension stays as it is and is a text file.
  wxTEST_DIALOG(menu(CM_EXPORT), exportDialog(path("liste"), kAllFilter));
  EXPECT_EQ(readAll(path("liste")).substr(0, 12), "Tisch;table\n");
}

TEST_F(WordListWindowTest, KdesOlderKvtmlExampleComesInGermanFirst) {
  start();
  // Version 1: German is the original, English the first of two translations; the
  // grammar tables and the French column stay out. Nothing to report: no summary.
  wxTEST_DIALOG(menu(CM_IMPORT), importDialog(sample("kvtml1-beispiel.kvtml")));
  const Strings cards = wholeBox();
  ASSERT_EQ(cards.size(), 20u);
  EXPECT_EQ(cards.front(), "1:gehen;go 0/0");
  EXPECT_EQ(cards[2], "1:gut;good 0/0");
  EXPECT_EQ(cards.back(), "1:Verfall;decline 1/0");
}

TEST_F(WordListWindowTest, GermanCsvWithCommasAndAStrayQuoteComesInWhole) {
  start();
  const std::string csv = path("formen.csv");
  std::ofstream(csv, std::ios::binary)
      << "sep=;\r\nDeutsch;Englisch\r\ngehen, ging, gegangen;to go, went, gone\r\n"
         "5\" Diskette ; floppy disk\r\n";
  wxTEST_DIALOG(menu(CM_IMPORT), importDialog(csv), headerQuestion(wxID_YES),
                importSummary({"2 Karten übernommen.\nTrennzeichen: Semikolon.\nDatei: " + csv,
                               {"Zeile 4: Anführungszeichen als Text übernommen: 5\" Diskette ; "
                                "floppy disk"}}));
  EXPECT_EQ(wholeBox(), Strings({"1:gehen, ging, gegangen;to go, went, gone 0/0",
                                 "1:5\" Diskette;floppy disk 0/0"}));
}

TEST_F(WordListWindowTest, FlashcardPackageComesInWithItsProgressAndListsEveryNoteNotTaken) {
  start();
  const std::string package = std::string(TERMEL_TEST_DATA_DIR) + "/decks/deutsch_englisch.apkg";
  wxTEST_DIALOG(
      menu(CM_IMPORT), tExpectWordList(package, false, kPackageFilter),
      importSummary({"172 Karten übernommen.\n1 Notiz nicht übernommen, davon 1 schon in der "
                     "Kartei.\n1 Karte auf 63 Zeichen gekürzt.\nIn 24 Notizen wurden "
                     "typografische Zeichen durch einfache ersetzt (Anführungszeichen, Striche, "
                     "Auslassungspunkte, Euro-Zeichen, geschützte Leerzeichen).\nDatei: " +
                         package,
                     {"Mediendateien ignoriert: 1 Datei (Bilder, Aufnahmen)",
                      "Karte schon vorhanden: Notiz 48 (ID 1634323363164): wieder;again",
                      "auf 63 Zeichen gekürzt: Notiz 65 (ID 1634457209532): Der Film war ziemlich "
                      "langweilig;quite boring zeimlich -- (zeim - lisch) langweilig"
                      "\u00A0(lang-weilisch)"}}));
  // Reviewed a day or two ago, the first cards are asked from the 2nd compartment;
  // those with intervals of 60 days and more rest in the archive.
  std::vector<int> counts;
  for (int n = 1; n <= theCardBox.compartmentCount(); ++n) counts.push_back(theCardBox.countIn(n));
  EXPECT_EQ(counts, (std::vector<int>{0, 14, 8, 12, 1, 6, 131}));
  EXPECT_EQ(label(ID_QUESTION), "schwierig (sch-wei-rich)");
  EXPECT_TRUE(window_->modified());
}
