// Import and export of text files through the file menu.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "box/card_box.h"
#include "gui_test.h"
#include "import_summary_expectation.h"
#include "main_frame_fixture.h"
#include "wordlists/word_list_format.h"

namespace {

tExpectFile importDialog(const std::string& path) {
  tFileDialogLook look;
  look.title = "Wortliste importieren";
  look.wildcard = wordListImportFilter();
  look.style = wxFD_OPEN | wxFD_FILE_MUST_EXIST;
  return tExpectFile(path, look);
}

tExpectFile exportDialog(const std::string& path) {
  tFileDialogLook look;
  look.title = "Wortliste exportieren";
  look.wildcard = wordListFileFilter();
  look.style = wxFD_SAVE | wxFD_OVERWRITE_PROMPT;
  return tExpectFile(path, look);
}

// Chooses the file, then takes it away before the program can read it.
class tExpectVanishingFile : public tExpectFile {
 public:
  explicit tExpectVanishingFile(const std::string& path) : tExpectFile(path), path_(path) {}

 protected:
  int OnInvoked(wxFileDialog* dialog) const override {
    const int result = tExpectFile::OnInvoked(dialog);
    std::remove(path_.c_str());
    return result;
  }

 private:
  std::string path_;
};

std::string readAll(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

TEST_F(MainFrameTest, ImportSummaryListsEveryLineNotTakenWithItsNumber) {
  start();
  const std::string file = path("karten.txt");
  std::ofstream(file, std::ios::binary)
      << "Haus;house\nkaputt\n;leer\nBaum;\n\n\tTab;tab\nTisch;table\nHaus;house\n";
  wxTEST_DIALOG(
      menu(CM_IMPORT), importDialog(file),
      importSummary({"3 Karten übernommen.\n"
                     "4 Zeilen nicht übernommen, davon 1 schon in der Kartei.\n"
                     "Datei: " +
                         file,
                     {"Zeile 2: Kein Trennzeichen: kaputt", "Zeile 3: Erster Begriff fehlt: ;leer",
                      "Zeile 4: Zweiter Begriff fehlt: Baum;",
                      "Zeile 8: Karte schon vorhanden: Haus;house"}}));
  EXPECT_EQ(frontsIn(1), (std::vector<std::string>{"Haus", "Tab", "Tisch"}));
  EXPECT_EQ(label(ID_QUESTION), "Haus") << "the window shows the imported cards at once";
  EXPECT_EQ(status(0), "Fach: 3 Gesamt: 3");
  EXPECT_EQ(status(1), "Gewusst: 0 Unbekannt: 0");
  EXPECT_TRUE(window_->modified()) << "imported cards must not be lost without a question";
}

// A spreadsheet's "Unicode text" (UTF-16) and a UTF-8 list with pasted lines in
// another encoding: what was replaced, cut and refused is in one summary each.
TEST_F(MainFrameTest, ImportSummaryOfUnicodeTextAndOfAMostlyUtf8List) {
  start();
  const std::string data = std::string(TERMEL_TEST_DATA_DIR) + "/text/";
  const std::string utf16 = data + "tabelle-utf16le.txt";
  wxTEST_DIALOG(
      menu(CM_IMPORT), importDialog(utf16),
      importSummary({"6 Karten übernommen.\n1 Zeile nicht übernommen.\n"
                     "In 4 Zeilen wurden typografische Zeichen durch einfache ersetzt "
                     "(Anführungszeichen, Striche, Auslassungspunkte, Euro-Zeichen, geschützte "
                     "Leerzeichen).\nDatei: " +
                         utf16,
                     {"Zeile 6: Zeichen nicht darstellbar: Smiley ?;smiley"},
                     WXK_ESCAPE}));
  EXPECT_EQ(frontsIn(1).front(), "\"Guten Tag\"");
  EXPECT_EQ(status(0), "Fach: 6 Gesamt: 6");

  const std::string mixed = data + "gemischt-utf8.txt";
  wxTEST_DIALOG(menu(CM_IMPORT), importDialog(mixed),
                importSummary({"3 Karten übernommen.\n"
                               "3 Zeilen nicht übernommen, davon 1 schon in der Kartei.\n"
                               "Datei: " +
                                   mixed,
                               {"Zeile 3: Kein gültiges UTF-8: Süd;south",
                                "Zeile 4: Karte schon vorhanden: Straße;street",
                                "Zeile 5: Kein gültiges UTF-8: Käse;cheese"}}));
  EXPECT_EQ(frontsIn(1).back(), "sch\xF6n");
  EXPECT_EQ(status(0), "Fach: 9 Gesamt: 9");
}

TEST_F(MainFrameTest, ImportCancelledOrUnreadable) {
  start();
  wxTEST_DIALOG(menu(CM_IMPORT), importDialog(""));
  EXPECT_EQ(label(ID_QUESTION), emptyBoxHint()) << "a cancelled import changes nothing";
  const std::string file = path("weg.txt");
  std::ofstream(file) << "Haus;house\n";
  wxTEST_DIALOG(menu(CM_IMPORT), tExpectVanishingFile(file),
                tExpectError({"Die Datei kann nicht gelesen werden:", file}));
  EXPECT_EQ(status(0), "Fach: 0 Gesamt: 0");
  EXPECT_FALSE(window_->modified()) << "nothing was imported";
}

TEST_F(MainFrameTest, ExportWritesTheCardsCompartmentByCompartment) {
  start(writeBox("box.trm", {{7, "Ablage", "archive"},
                             {2, "Zwei;a", "two a"},
                             {1, "Eins", "one"},
                             {2, "Zwei b", "two b"}}));
  const std::string file = path("export.txt");
  // The term "Zwei;a" will be split when the file is read back: the learner is told.
  wxTEST_DIALOG(menu(CM_EXPORT), exportDialog(file),
                tExpectBox(wxString::FromUTF8("1 Karte lässt sich aus der Textdatei nicht "
                                              "unverändert zurücklesen (Semikolon im "
                                              "Begriff: 1). Als CSV-Datei (*.csv) "
                                              "exportiert bleibt sie, wie sie ist."),
                           "Wortliste exportieren", wxOK | wxICON_INFORMATION, wxID_OK));
  EXPECT_EQ(readAll(file), "Eins;one\nZwei;a;two a\nZwei b;two b\nAblage;archive\n");
  EXPECT_EQ(theCardBox.totalCount(), 4);
  EXPECT_FALSE(window_->modified());

  wxTEST_DIALOG(
      menu(CM_EXPORT), exportDialog("/proc/termel_export.txt"),
      tExpectError({"Die Datei kann nicht geschrieben werden:", "/proc/termel_export.txt"}));
}
