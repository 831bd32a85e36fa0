// Commands that give up the open box (closing, "Öffnen...", "Neu", "Ablage leeren")
// and saves under a new name: every Abbrechen on the way, and every save that fails,
// leaves the program open with the box as it was, and no file that is not a box is
// written over unasked.
#include <filesystem>
#include <fstream>
#include <sstream>

#include "box/card_box.h"
#include "gui_test.h"
#include "import_summary_expectation.h"
#include "kartei/card_file.h"
#include "main_frame_fixture.h"

namespace {

using Fronts = std::vector<std::string>;

const long kYesNo = wxYES_NO | wxICON_NONE;
const long kYesNoDefaultNo = kYesNo | wxNO_DEFAULT;
const std::vector<tBoxCard> kBox = {{1, "Haus", "house"}, {1, "Baum", "tree"}};
// No file can be created there, not even by root.
const char kUnwritable[] = "/proc/termel_test.trm";

tExpectFile saveDialog(const std::string& path) {
  tFileDialogLook look;
  look.title = "Kartei sichern unter";
  look.style = wxFD_SAVE | wxFD_OVERWRITE_PROMPT;
  return tExpectFile(path, look);
}

tExpectBox keepChanges(int answer) {
  return tExpectBox("Bisherige Daten sichern", "Achtung", kYesNo, answer);
}

tExpectBox saveOnClose(int answer) {
  return tExpectBox("Speichern?", "Achtung", kYesNo, answer);
}

tExpectBox notABox(const std::string& file, int answer) {
  return tExpectBox(
      wxString::FromUTF8("Die Datei " + file + " ist keine Kartei. Trotzdem überschreiben?"),
      "Achtung", kYesNoDefaultNo, answer);
}

std::string readAll(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Fronts of all cards as the file holds them, read through a fresh box.
Fronts frontsInFile(const std::string& file) {
  theCardBox.clearAll();
  loadCardFile(file.c_str());
  Fronts fronts;
  tTermel card;
  for (int n = theCardBox.firstCard(&card); n != 0; n = theCardBox.nextCard(&card)) {
    fronts.push_back(card.front);
  }
  theCardBox.clearAll();
  return fronts;
}

class SafeCommandsTest : public MainFrameTest {
 protected:
  // A word list with typographic quotes and CRLF line ends, as a word processor saves it.
  std::string wordList() {
    const std::string file = path("woerter.txt");
    std::ofstream(file, std::ios::binary)
        << "Apfel;apple\r\n\xE2\x80\x9EGru\xC3\x9F\xE2\x80\x9C;greeting\r\n";
    return file;
  }
  // Cards that exist nowhere but in memory, in a box without a file.
  void importCards() {
    const std::string list = wordList();
    wxTEST_DIALOG(menu(CM_IMPORT), tExpectFile(wxString::FromUTF8(list)),
                  importSummary({"2 Karten übernommen.\nIn 1 Zeile wurden typografische Zeichen "
                                 "durch einfache ersetzt (Anführungszeichen, Striche, "
                                 "Auslassungspunkte, Euro-Zeichen, geschützte Leerzeichen).\n"
                                 "Datei: " +
                                     list,
                                 {}}));
    ASSERT_TRUE(window_->modified());
    ASSERT_EQ(frontsIn(1), (Fronts{"Apfel", "\"Gru\xDF\""}));
  }
  void expectBoxKept(const Fronts& fronts) {
    EXPECT_TRUE(frame_) << "the program stays open";
    EXPECT_EQ(frontsIn(1), fronts);
    EXPECT_EQ(label(ID_QUESTION), fronts.empty() ? "" : wxString(fronts[0]));
    EXPECT_TRUE(window_->modified());
  }
};

// The three commands that give up a changed box, each run up to its save question.
enum class tGiveUp { kClose, kOpen, kNew };
const tGiveUp kGiveUps[] = {tGiveUp::kClose, tGiveUp::kOpen, tGiveUp::kNew};

const char* nameOf(tGiveUp command) {
  switch (command) {
    case tGiveUp::kClose:
      return "close";
    case tGiveUp::kOpen:
      return "open";
    default:
      return "new";
  }
}

}  // namespace

TEST_F(SafeCommandsTest, CancelledSaveDialogAfterJaKeepsTheProgramOpenWithTheBox) {
  for (tGiveUp command : kGiveUps) {
    SCOPED_TRACE(nameOf(command));
    start();
    importCards();
    switch (command) {
      case tGiveUp::kClose:
        wxTEST_DIALOG(EXPECT_FALSE(closeFrame()), saveOnClose(wxID_YES), saveDialog(""));
        break;
      case tGiveUp::kOpen:  // no open dialog follows
        wxTEST_DIALOG(menu(CM_OEFFNEN), keepChanges(wxID_YES), saveDialog(""));
        break;
      case tGiveUp::kNew:
        wxTEST_DIALOG(menu(CM_NEU), keepChanges(wxID_YES), saveDialog(""));
        break;
    }
    expectBoxKept({"Apfel", "\"Gru\xDF\""});
    EXPECT_EQ(currentFileName, "");
    EXPECT_EQ(std::filesystem::directory_iterator(dir_)->path().filename(), "woerter.txt");
    // A question closed without an answer (Esc, its close box) stops the command too.
    if (command == tGiveUp::kClose) {
      wxTEST_DIALOG(EXPECT_FALSE(closeFrame()), saveOnClose(wxID_CANCEL));
    } else {
      wxTEST_DIALOG(menu(command == tGiveUp::kOpen ? CM_OEFFNEN : CM_NEU),
                    keepChanges(wxID_CANCEL));
    }
    expectBoxKept({"Apfel", "\"Gru\xDF\""});
    // Closed with Nein, nothing is written.
    wxTEST_DIALOG(EXPECT_TRUE(closeFrame()), saveOnClose(wxID_NO));
    stop();
  }
}

TEST_F(SafeCommandsTest, FailedSaveAfterJaKeepsTheProgramOpenWithTheBox) {
  for (tGiveUp command : kGiveUps) {
    SCOPED_TRACE(nameOf(command));
    start();
    importCards();
    const tExpectError failed({kUnwritable});
    switch (command) {
      case tGiveUp::kClose:
        wxTEST_DIALOG(EXPECT_FALSE(closeFrame()), saveOnClose(wxID_YES), saveDialog(kUnwritable),
                      failed);
        break;
      case tGiveUp::kOpen:
        wxTEST_DIALOG(menu(CM_OEFFNEN), keepChanges(wxID_YES), saveDialog(kUnwritable), failed);
        break;
      case tGiveUp::kNew:
        wxTEST_DIALOG(menu(CM_NEU), keepChanges(wxID_YES), saveDialog(kUnwritable), failed);
        break;
    }
    expectBoxKept({"Apfel", "\"Gru\xDF\""});
    EXPECT_EQ(currentFileName, "") << "a failed save gives the box no name";
    wxTEST_DIALOG(EXPECT_TRUE(closeFrame()), saveOnClose(wxID_NO));
    stop();
  }
}

// Saved on the way, the box is in its file before the command goes on.
TEST_F(SafeCommandsTest, NewOnAChangedBoxAsksLikeOpenAndJaSavesFirst) {
  const std::string file = writeBox("box.trm", kBox);
  start(file);
  press(WXK_RETURN);
  press(WXK_ESCAPE);  // Haus goes behind Baum
  wxTEST_DIALOG(menu(CM_NEU), keepChanges(wxID_YES));
  EXPECT_EQ(theCardBox.totalCount(), 0);
  EXPECT_EQ(currentFileName, "");
  EXPECT_FALSE(window_->modified()) << "nothing of the new box is unsaved";
  EXPECT_EQ(frontsInFile(file), (Fronts{"Baum", "Haus"}));

  // Nein gives the changes up on purpose.
  start(file);
  press(WXK_RETURN);
  press(WXK_ESCAPE);
  wxTEST_DIALOG(menu(CM_NEU), keepChanges(wxID_NO));
  EXPECT_EQ(theCardBox.totalCount(), 0);
  EXPECT_EQ(frontsInFile(file), (Fronts{"Baum", "Haus"}));
}

// A text file opened as a box by mistake is never written over by a later save.
TEST_F(SafeCommandsTest, FileThatFailedToLoadIsNotOverwrittenUnasked) {
  const std::string text = path("notizen.trm");
  const std::string notes = "Einkaufsliste:\r\n\xE2\x80\x9E\x42rot\xE2\x80\x9C \xE2\x80\x93 2\r\n";
  std::ofstream(text, std::ios::binary) << notes;
  wxTEST_DIALOG(start(text), tExpectError({text}));
  EXPECT_EQ(currentFileName, "") << "the box has no file";
  importCards();
  // "Sichern" asks for a name; cancelled, nothing is written.
  wxTEST_DIALOG(menu(CM_SICHERN), saveDialog(""));
  // Picked in the dialog, the text file is named in a question whose default is Nein.
  wxTEST_DIALOG(menu(CM_SICHERN), saveDialog(text), notABox(text, wxID_NO));
  EXPECT_EQ(readAll(text), notes);
  EXPECT_EQ(currentFileName, "");
  EXPECT_TRUE(window_->modified());
  // Closing asks the same.
  wxTEST_DIALOG(EXPECT_FALSE(closeFrame()), saveOnClose(wxID_YES), saveDialog(text),
                notABox(text, wxID_NO));
  EXPECT_EQ(readAll(text), notes);
  // Ja writes the box over it, as the learner wants.
  wxTEST_DIALOG(menu(CM_SICHERN_ALS), saveDialog(text), notABox(text, wxID_YES));
  EXPECT_EQ(currentFileName, text);
  EXPECT_FALSE(window_->modified());
  stop();
  EXPECT_EQ(frontsInFile(text), (Fronts{"Apfel", "\"Gru\xDF\""}));
}

TEST_F(SafeCommandsTest, SavingOverABoxOrIntoANewFileAsksNothing) {
  const std::string other = writeBox("other.trm", {{3, "Tisch", "table"}});
  start(writeBox("box.trm", kBox));
  wxTEST_DIALOG(menu(CM_SICHERN_ALS), saveDialog(other));
  EXPECT_EQ(frontsInFile(other), (Fronts{"Haus", "Baum"}));
  wxTEST_DIALOG(menu(CM_SICHERN_ALS), saveDialog(path("neu.trm")));
  EXPECT_EQ(currentFileName, path("neu.trm"));
}

TEST_F(SafeCommandsTest, FailedSaveAsKeepsTheBoxWithItsFile) {
  const std::string file = writeBox("box.trm", kBox);
  start(file);
  press(WXK_RETURN);
  press(WXK_ESCAPE);
  wxTEST_DIALOG(menu(CM_SICHERN_ALS), saveDialog(kUnwritable), tExpectError({kUnwritable}));
  EXPECT_EQ(currentFileName, file);
  EXPECT_TRUE(window_->modified());
  // "Sichern" still writes the box's own file, without any question.
  menu(CM_SICHERN);
  EXPECT_FALSE(window_->modified());
  EXPECT_EQ(frontsInFile(file), (Fronts{"Baum", "Haus"}));
}
