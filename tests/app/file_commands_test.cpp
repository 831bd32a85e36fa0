// The file commands and the close query: which files get written, under which name,
// and what the learner is asked on the way.
#include <filesystem>
#include <fstream>
#include <sstream>

#include "box/card_box.h"
#include "gui_test.h"
#include "kartei/card_file.h"
#include "main_frame_fixture.h"

namespace {

const long kYesNo = wxYES_NO | wxICON_NONE;
// Questions whose OK throws cards away have Abbrechen as their default button.
const long kOkCancel = wxOK | wxCANCEL | wxCANCEL_DEFAULT | wxICON_QUESTION;
const std::vector<tBoxCard> kBox = {{1, "Haus", "house"}, {1, "Baum", "tree"}};
const std::vector<tBoxCard> kOtherBox = {{3, "Tisch", "table"}};

tFileDialogLook cardFileDialog(long style) {
  tFileDialogLook look;
  look.title = wxString::FromUTF8(style & wxFD_OPEN ? "Kartei öffnen" : "Kartei sichern unter");
  look.wildcard = "Termeln (*.trm)|*.trm";
  look.style = style;
  return look;
}

tExpectFile openDialog(const std::string& path) {
  return tExpectFile(path, cardFileDialog(wxFD_OPEN | wxFD_FILE_MUST_EXIST));
}

tExpectFile saveDialog(const std::string& path) {
  return tExpectFile(path, cardFileDialog(wxFD_SAVE | wxFD_OVERWRITE_PROMPT));
}

// Fronts per compartment 1 to 7 as a file holds them, read back through a fresh box.
std::vector<std::vector<std::string>> boxInFile(const std::string& file) {
  theCardBox.clearAll();
  tFileReport report;
  loadCardFile(file.c_str(), &report);
  EXPECT_TRUE(report.opened) << file;
  std::vector<std::vector<std::string>> compartments;
  for (int n = 1; n <= 7; ++n) {
    std::vector<std::string> fronts;
    tTermel card;
    for (tTermel* it = theCardBox.firstIn(n, &card); it; it = theCardBox.nextIn(n, &card)) {
      fronts.push_back(card.front);
    }
    compartments.push_back(fronts);
  }
  theCardBox.clearAll();
  return compartments;
}

std::vector<std::string> front1(const std::string& file) {
  return boxInFile(file)[0];
}

}  // namespace

TEST_F(MainFrameTest, CloseQueryNoClosesWithoutWriting) {
  const std::string file = writeBox("close.trm", kBox);
  start(file);
  press(WXK_RETURN);
  press(WXK_RETURN);  // Haus moves to compartment 2
  wxTEST_DIALOG(EXPECT_TRUE(closeFrame()), tExpectBox("Speichern?", "Achtung", kYesNo, wxID_NO));
  EXPECT_EQ(front1(file), (std::vector<std::string>{"Haus", "Baum"}));
}

TEST_F(MainFrameTest, CloseQueryYesSavesIntoTheOpenFile) {
  const std::string file = writeBox("close.trm", kBox);
  start(file);
  press(WXK_RETURN);
  press(WXK_RETURN);
  wxTEST_DIALOG(EXPECT_TRUE(closeFrame()), tExpectBox("Speichern?", "Achtung", kYesNo, wxID_YES));
  EXPECT_EQ(boxInFile(file)[1], std::vector<std::string>{"Haus"});
}

TEST_F(MainFrameTest, CloseQueryYesWithoutFileAsksForNameAndCancelStaysOpen) {
  start();
  const std::string words = path("words.txt");
  std::ofstream(words) << "Haus;house\n";
  wxTEST_DIALOG(menu(CM_IMPORT), tExpectFile(words));
  wxTEST_DIALOG(EXPECT_FALSE(closeFrame()), tExpectBox("Speichern?", "Achtung", kYesNo, wxID_YES),
                saveDialog(""));
  EXPECT_EQ(theCardBox.totalCount(), 1);
  wxTEST_DIALOG(EXPECT_TRUE(closeFrame()), tExpectBox("Speichern?", "Achtung", kYesNo, wxID_NO));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_), {}), 1) << "words.txt only";
}

TEST_F(MainFrameTest, FailedSaveIsReportedAndKeepsTheBoxChanged) {
  start(writeBox("box.trm", kBox));
  press(WXK_ESCAPE);
  // No file can be created there, not even by root.
  const std::string unreachable = "/proc/termel_test.trm";
  // The reason in the system's own words, under the window's German locale.
  const std::string notWritten = "Die Datei " + unreachable +
                                 " kann nicht geschrieben werden: Datei oder Verzeichnis nicht "
                                 "gefunden";
  wxTEST_DIALOG(menu(CM_SICHERN_ALS), saveDialog(unreachable), tExpectError({notWritten}));
  EXPECT_TRUE(window_->modified());
  EXPECT_EQ(currentFileName, path("box.trm"));
  // Nor may a failed save discard the box: with a folder where its file was, opening
  // another file stops, and closing stays open until the learner answers No.
  std::filesystem::remove(path("box.trm"));
  std::filesystem::create_directory(path("box.trm"));
  const tExpectError failed({path("box.trm")});
  const tExpectBox changed(wxString::FromUTF8("Die Datei " + path("box.trm") +
                                              " wurde inzwischen von einem anderen Programm "
                                              "geändert. Trotzdem überschreiben?"),
                           "Achtung", kYesNo | wxNO_DEFAULT, wxID_YES);
  wxTEST_DIALOG(menu(CM_OEFFNEN),
                tExpectBox("Bisherige Daten sichern", "Achtung", kYesNo, wxID_YES), changed,
                failed);
  EXPECT_EQ(theCardBox.totalCount(), 2);
  EXPECT_TRUE(window_->modified());
  wxTEST_DIALOG(EXPECT_FALSE(closeFrame()), tExpectBox("Speichern?", "Achtung", kYesNo, wxID_YES),
                failed);
  wxTEST_DIALOG(EXPECT_TRUE(closeFrame()), tExpectBox("Speichern?", "Achtung", kYesNo, wxID_NO));
}

TEST_F(MainFrameTest, OpenOnChangedBoxOffersToSaveFirst) {
  for (int answer : {wxID_NO, wxID_YES}) {
    SCOPED_TRACE(answer == wxID_YES ? "Yes" : "No");
    const std::string file = writeBox("first.trm", kBox);
    const std::string other = writeBox("other.trm", kOtherBox);
    start(file);
    press(WXK_RETURN);
    press(WXK_RETURN);  // Haus moves to compartment 2
    wxTEST_DIALOG(menu(CM_OEFFNEN),
                  tExpectBox("Bisherige Daten sichern", "Achtung", kYesNo, answer),
                  openDialog(other));
    EXPECT_EQ(currentFileName, other);
    EXPECT_EQ(label(ID_QUESTION), "Tisch");
    EXPECT_EQ(label(ID_COMPARTMENT), "3");
    EXPECT_EQ(status(0), "Fach: 1 Gesamt: 1");
    EXPECT_FALSE(window_->modified());
    stop();
    const std::vector<std::string> saved = {"Haus"};
    EXPECT_EQ(boxInFile(file)[1], answer == wxID_YES ? saved : std::vector<std::string>{});
  }
}

TEST_F(MainFrameTest, CancelledOpenKeepsTheBoxAndItsChanges) {
  const std::string file = writeBox("first.trm", kBox);
  start(file);
  press(WXK_RETURN);
  press(WXK_ESCAPE);  // Haus rotates behind Baum
  wxTEST_DIALOG(menu(CM_OEFFNEN), tExpectBox("Bisherige Daten sichern", "Achtung", kYesNo, wxID_NO),
                openDialog(""));
  EXPECT_EQ(label(ID_QUESTION), "Baum");
  EXPECT_EQ(status(0), "Fach: 2 Gesamt: 2");
  EXPECT_TRUE(menuEnabled(CM_LOESCHEN));
  EXPECT_EQ(currentFileName, file);
  EXPECT_TRUE(window_->modified());
  // Saved on closing, the file gets the box with the learner's answer, not an empty one.
  wxTEST_DIALOG(EXPECT_TRUE(closeFrame()), tExpectBox("Speichern?", "Achtung", kYesNo, wxID_YES));
  EXPECT_EQ(front1(file), (std::vector<std::string>{"Baum", "Haus"}));
}

TEST_F(MainFrameTest, LoadErrorsAreShownOnceInOneMessage) {
  const std::string bad = path("bad.trm");
  std::ofstream(bad) << "this is no table file at all, just some text";
  start();
  wxTEST_DIALOG(menu(CM_OEFFNEN), openDialog(bad),
                tExpectError({"Die Datei " + bad + " ist keine Kartei."}));
  EXPECT_EQ(currentFileName, "") << "no later save may replace it unasked";
  EXPECT_EQ(status(0), "Fach: 0 Gesamt: 0");
  stop();
  // Named on the command line, the errors appear once the frame is up.
  wxTEST_DIALOG(start(bad), tExpectError({"Die Datei " + bad + " ist keine Kartei."}));
  EXPECT_EQ(status(0), "Fach: 0 Gesamt: 0");
  stop();
  // A file that is not there at all is named too, with its non-ASCII characters.
  const std::string missing = path("Wörter – fehlt.trm");
  wxTEST_DIALOG(start(missing), tExpectError({"Die Datei " + missing + " gibt es nicht."}));
  EXPECT_EQ(currentFileName, missing) << "the first save creates it";
}

TEST_F(MainFrameTest, SaveAsWritesTheFileAndLaterSavesUseItsName) {
  start(writeBox("first.trm", kBox));
  const std::string copy = path("copy.trm");
  std::ofstream(copy) << "replaced after a question";
  press(WXK_ESCAPE);
  wxTEST_DIALOG(menu(CM_SICHERN_ALS), saveDialog(copy),
                tExpectBox(wxString::FromUTF8("Die Datei " + copy +
                                              " ist keine Kartei. Trotzdem überschreiben?"),
                           "Achtung", kYesNo | wxNO_DEFAULT, wxID_YES));
  EXPECT_EQ(front1(copy), (std::vector<std::string>{"Haus", "Baum"}));
  EXPECT_EQ(currentFileName, copy);
  EXPECT_FALSE(window_->modified());
  EXPECT_TRUE(std::filesystem::exists(path("copy.kas")));
}

TEST_F(MainFrameTest, SaveAsWithThePatternLeftAsNameAsksAgain) {
  start(writeBox("box.trm", kBox));
  tFileDialogLook look = cardFileDialog(wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
  look.fileName = "*.trm";
  const std::string file = path("named.trm");
  wxTEST_DIALOG(menu(CM_SICHERN_ALS), tExpectFile(path("*.trm"), look), tExpectFile(file, look));
  EXPECT_EQ(currentFileName, file);
  EXPECT_EQ(front1(file), (std::vector<std::string>{"Haus", "Baum"}));
  EXPECT_FALSE(std::filesystem::exists(path("*.trm")));
  // Cancelled the second time, nothing is written and the old name stays.
  wxTEST_DIALOG(menu(CM_SICHERN_ALS), tExpectFile(path("*.trm"), look), saveDialog(""));
  EXPECT_EQ(currentFileName, file);
  EXPECT_FALSE(std::filesystem::exists(path("*.trm")));
}

TEST_F(MainFrameTest, SaveWithoutFileAsksForAName) {
  start();
  press(WXK_ESCAPE);
  wxTEST_DIALOG(menu(CM_SICHERN), saveDialog(path("named.trm")));
  EXPECT_EQ(currentFileName, path("named.trm"));
  EXPECT_TRUE(std::filesystem::exists(path("named.trm")));
  EXPECT_FALSE(window_->modified());
}

TEST_F(MainFrameTest, LongPathsAreSavedOrRefusedWithAMessage) {
  std::string deep = dir_;
  while (deep.size() < 200) deep += "/ein_langer_ordnername";
  std::filesystem::create_directories(deep);
  start(writeBox("box.trm", kBox));
  const std::string file = deep + "/box.trm";
  wxTEST_DIALOG(menu(CM_SICHERN_ALS), saveDialog(file));
  EXPECT_EQ(currentFileName, file);
  EXPECT_EQ(front1(file), (std::vector<std::string>{"Haus", "Baum"}));

  // A name longer than the file system allows is refused.
  const std::string tooLong = deep + "/" + std::string(300, 'k') + ".trm";
  press(WXK_ESCAPE);
  wxTEST_DIALOG(menu(CM_SICHERN_ALS), saveDialog(tooLong),
                tExpectError({"Der Dateiname " + tooLong + " ist zu lang."}));
  EXPECT_EQ(currentFileName, file);
  EXPECT_TRUE(window_->modified());
  std::error_code error;
  EXPECT_FALSE(std::filesystem::exists(tooLong, error));
}

TEST_F(MainFrameTest, NewBoxEmptiesAndForgetsTheFileName) {
  const std::string file = writeBox("box.trm", kBox);
  start(file);
  wxTEST_DIALOG(menu(CM_NEU),
                tExpectBox("Alle Termeln werden geloescht!", "Warnung", kOkCancel, wxID_CANCEL));
  EXPECT_EQ(theCardBox.totalCount(), 2);
  wxTEST_DIALOG(menu(CM_NEU),
                tExpectBox("Alle Termeln werden geloescht!", "Warnung", kOkCancel, wxID_OK));
  EXPECT_EQ(theCardBox.totalCount(), 0);
  EXPECT_EQ(label(ID_QUESTION), emptyBoxHint());
  EXPECT_EQ(status(1), " --- ");
  EXPECT_FALSE(window_->modified());
  EXPECT_EQ(currentFileName, "");
  // Saving asks for a name; cancelled, the old file keeps its cards.
  wxTEST_DIALOG(menu(CM_SICHERN), saveDialog(""));
  EXPECT_EQ(front1(file), (std::vector<std::string>{"Haus", "Baum"}));
  menu(CM_NEU);  // on an empty box: nothing to lose, no question
  EXPECT_EQ(currentFileName, "");
}

TEST_F(MainFrameTest, OpeningABoxRemovesTheTemporaryFilesOfAKilledSaveOnlyOfThatBox) {
  const std::string box = writeBox("box.trm", kBox);
  const std::string other = writeBox("andere.trm", kBox);
  for (const char* name :
       {".box.trm.tmp-Ab12Cd", ".box.kas.tmp-xY98zZ", ".andere.trm.tmp-Ab12Cd"}) {
    std::ofstream(path(name)) << "halb geschrieben";
  }
  start(box);
  EXPECT_EQ(status(0), "Fach: 2 Gesamt: 2");
  EXPECT_FALSE(std::filesystem::exists(path(".box.trm.tmp-Ab12Cd")));
  EXPECT_FALSE(std::filesystem::exists(path(".box.kas.tmp-xY98zZ")));
  EXPECT_TRUE(std::filesystem::exists(path(".andere.trm.tmp-Ab12Cd")));
  EXPECT_TRUE(std::filesystem::exists(other));
}
