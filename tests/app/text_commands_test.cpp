// Import and export of text files through the file menu.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "box/card_box.h"
#include "gui_test.h"
#include "main_frame_fixture.h"
#include "wordlists/word_list_format.h"

namespace {

const long kNoteStyle = wxOK | wxICON_NONE;

tExpectFile importDialog(const std::string& path) {
  tFileDialogLook look;
  look.title = "Wortliste importieren";
  look.wildcard = wordListFileFilter();
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

TEST_F(MainFrameTest, ImportReportsEachMalformedLineAndGoesOn) {
  start();
  const std::string file = path("karten.txt");
  std::ofstream(file, std::ios::binary)
      << "Haus;house\nkaputt\n;leer\nBaum;\n\n\tTab;tab\nTisch;table\nHaus;house\n";
  wxTEST_DIALOG(menu(CM_IMPORT), importDialog(file),
                tExpectBox("kaputt\n", "Kein Trennzeichen", kNoteStyle, wxID_OK),
                tExpectBox("", "Erster Begriff fehlt", kNoteStyle, wxID_OK),
                tExpectBox("Baum", "Zweiter Begriff fehlt", kNoteStyle, wxID_OK));
  EXPECT_EQ(frontsIn(1), (std::vector<std::string>{"Haus", "Tisch"}));
  EXPECT_EQ(label(ID_QUESTION), "Haus") << "the window shows the imported cards at once";
  EXPECT_EQ(status(0), "Fach: 2 Gesamt: 2");
  EXPECT_EQ(status(1), "Gewusst: 0 Unbekannt: 0");
  EXPECT_TRUE(window_->modified()) << "imported cards must not be lost without a question";
}

TEST_F(MainFrameTest, ImportCancelledOrUnreadable) {
  start();
  wxTEST_DIALOG(menu(CM_IMPORT), importDialog(""));
  EXPECT_EQ(status(0), "") << "a cancelled import does not even refresh";
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
  wxTEST_DIALOG(menu(CM_EXPORT), exportDialog(file));
  EXPECT_EQ(readAll(file), "Eins;one\nZwei;a;two a\nZwei b;two b\nAblage;archive\n");
  EXPECT_EQ(theCardBox.totalCount(), 4);
  EXPECT_FALSE(window_->modified());

  wxTEST_DIALOG(
      menu(CM_EXPORT), exportDialog("/proc/termel_export.txt"),
      tExpectError({"Die Datei kann nicht geschrieben werden:", "/proc/termel_export.txt"}));
}
