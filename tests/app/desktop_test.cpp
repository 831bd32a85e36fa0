// The main frame as a desktop program: its shortcut keys, its title and where its
// file dialogs start.
#include <wx/menu.h>

#include <filesystem>

#include "app/haupt_fenster.h"
#include "dialogs/help.h"
#include "gui_test.h"
#include "kartei/box_lock.h"
#include "main_frame_fixture.h"

namespace {

const std::vector<tBoxCard> kBox = {{1, "Haus", "house"}, {1, "Baum", "tree"}};
const long kCardSave = wxFD_SAVE | wxFD_OVERWRITE_PROMPT;
const long kCardOpen = wxFD_OPEN | wxFD_FILE_MUST_EXIST;

tExpectFile cardDialog(const std::string& path, long style, const std::string& folder = "") {
  tFileDialogLook look;
  look.title = wxString::FromUTF8(style & wxFD_OPEN ? "Kartei öffnen" : "Kartei sichern unter");
  look.style = style;
  look.directory = wxString::FromUTF8(folder);
  return tExpectFile(wxString::FromUTF8(path), look);
}

std::string title(wxFrame* frame) {
  return frame->GetTitle().utf8_string();
}

}  // namespace

TEST_F(MainFrameTest, FileShortcutsAndF1AreShownInTheMenusAndAct) {
  start(writeBox("haus.trm", kBox));
  wxMenuBar* bar = frame_->GetMenuBar();
  const std::pair<int, const char*> shown[] = {
      {CM_NEU, "Ctrl+N"},     {CM_OEFFNEN, "Ctrl+O"},
      {CM_SICHERN, "Ctrl+S"}, {CM_SICHERN_ALS, "Ctrl+Shift+S"},
      {CM_BEENDEN, "Ctrl+Q"}, {CM_HILFE_INHALT, "F1"}};
  for (const auto& [id, keys] : shown) {
    ASSERT_NE(bar->FindItem(id), nullptr);
    EXPECT_EQ(bar->FindItem(id)->GetItemLabel().AfterFirst('\t'), keys);
  }

  wxTEST_DIALOG(press('O', wxMOD_CONTROL), cardDialog("", kCardOpen));
  wxTEST_DIALOG(press('S', wxMOD_CONTROL | wxMOD_SHIFT), cardDialog("", kCardSave));
  wxTEST_DIALOG(press('N', wxMOD_CONTROL),
                tExpectBox("Alle Termeln werden geloescht!", "Warnung",
                           wxOK | wxCANCEL | wxICON_QUESTION, wxID_CANCEL));
  EXPECT_EQ(status(0), "Fach: 2 Gesamt: 2");

  press(WXK_RETURN);
  press(WXK_RETURN);  // Haus known: the box is changed
  ASSERT_TRUE(window_->modified());
  press('S', wxMOD_CONTROL);
  EXPECT_FALSE(window_->modified());

  press(WXK_F1);
  EXPECT_EQ(lastHelpRequest(), "contents");
  callHelp(nullptr, tHelpCommand::Quit);

  // The frame still has the keyboard: Strg+Q ends the program without a question, as
  // the box is saved.
  frame_->Raise();
  guitest::yield(100);
  press('Q', wxMOD_CONTROL);
  EXPECT_TRUE(guitest::waitFor([this] { return !frame_; }, 1000));
}

TEST_F(MainFrameTest, TitleNamesTheBoxMarksChangesAndWriteProtection) {
  start();
  EXPECT_EQ(title(frame_), "Deruvuvodiru");
  stop();

  const std::string file = writeBox("grundwortschatz.trm", kBox);
  start(file);
  EXPECT_EQ(title(frame_), "grundwortschatz.trm – Deruvuvodiru");
  press(WXK_RETURN);
  press(WXK_RETURN);
  guitest::yield(50);
  EXPECT_EQ(title(frame_), "*grundwortschatz.trm – Deruvuvodiru");
  press('S', wxMOD_CONTROL);
  EXPECT_EQ(title(frame_), "grundwortschatz.trm – Deruvuvodiru");

  // A new box has no file yet.
  wxTEST_DIALOG(press('N', wxMOD_CONTROL), tExpectBox("Alle Termeln werden geloescht!", "Warnung",
                                                      wxOK | wxCANCEL | wxICON_QUESTION, wxID_OK));
  guitest::yield(50);
  EXPECT_EQ(title(frame_), "Deruvuvodiru");
  stop();

  // Another program has the box open: opened only to read, it cannot be saved there.
  tBoxLock other;
  ASSERT_EQ(other.acquire(file), tLockState::kHeld);
  wxTEST_DIALOG(start(file), tExpectBox("Achtung", wxYES_NO | wxICON_NONE, wxID_YES));
  guitest::yield(50);
  EXPECT_EQ(title(frame_), "grundwortschatz.trm (schreibgeschützt) – Deruvuvodiru");
}

TEST_F(MainFrameTest, FileDialogsStartInTheBoxFolderElseTheFolderLastUsed) {
  const std::string folder = path("karteien");
  std::filesystem::create_directory(folder);
  const std::string file = writeBox("karteien/haus.trm", kBox);
  start(file);
  wxTEST_DIALOG(press('O', wxMOD_CONTROL), cardDialog("", kCardOpen, folder));
  // Saved elsewhere, the box's new folder is where the next dialog starts.
  const std::string copy = path("kopie.trm");
  wxTEST_DIALOG(press('S', wxMOD_CONTROL | wxMOD_SHIFT), cardDialog(copy, kCardSave, folder));
  wxTEST_DIALOG(press('S', wxMOD_CONTROL | wxMOD_SHIFT), cardDialog("", kCardSave, dir_));

  // Without a box the dialogs start where a file was last chosen, also after a restart.
  wxTEST_DIALOG(press('N', wxMOD_CONTROL), tExpectBox("Alle Termeln werden geloescht!", "Warnung",
                                                      wxOK | wxCANCEL | wxICON_QUESTION, wxID_OK));
  wxTEST_DIALOG(press('O', wxMOD_CONTROL), cardDialog(file, kCardOpen, dir_));
  wxTEST_DIALOG(press('N', wxMOD_CONTROL), tExpectBox("Alle Termeln werden geloescht!", "Warnung",
                                                      wxOK | wxCANCEL | wxICON_QUESTION, wxID_OK));
  wxTEST_DIALOG(press('O', wxMOD_CONTROL), cardDialog("", kCardOpen, folder));
  stop();
  start();
  wxTEST_DIALOG(press('O', wxMOD_CONTROL), cardDialog("", kCardOpen, folder));
}
