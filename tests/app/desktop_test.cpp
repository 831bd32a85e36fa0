// The main frame as a desktop program: its shortcut keys, its title and where its
// file dialogs start.
#include <wx/menu.h>
#include <wx/stattext.h>
#include <wx/statusbr.h>
#include <wx/uiaction.h>

#include <filesystem>
#include <map>

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
                           wxOK | wxCANCEL | wxCANCEL_DEFAULT | wxICON_QUESTION, wxID_CANCEL));
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
  wxTEST_DIALOG(press('N', wxMOD_CONTROL),
                tExpectBox("Alle Termeln werden geloescht!", "Warnung",
                           wxOK | wxCANCEL | wxCANCEL_DEFAULT | wxICON_QUESTION, wxID_OK));
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
  wxTEST_DIALOG(press('N', wxMOD_CONTROL),
                tExpectBox("Alle Termeln werden geloescht!", "Warnung",
                           wxOK | wxCANCEL | wxCANCEL_DEFAULT | wxICON_QUESTION, wxID_OK));
  wxTEST_DIALOG(press('O', wxMOD_CONTROL), cardDialog(file, kCardOpen, dir_));
  wxTEST_DIALOG(press('N', wxMOD_CONTROL),
                tExpectBox("Alle Termeln werden geloescht!", "Warnung",
                           wxOK | wxCANCEL | wxCANCEL_DEFAULT | wxICON_QUESTION, wxID_OK));
  wxTEST_DIALOG(press('O', wxMOD_CONTROL), cardDialog("", kCardOpen, folder));
  stop();
  start();
  wxTEST_DIALOG(press('O', wxMOD_CONTROL), cardDialog("", kCardOpen, folder));
}

namespace {

// The training window's visible controls that overlap another one, by id.
std::vector<std::pair<int, int>> overlaps(wxWindow* window) {
  std::vector<wxWindow*> shown;
  for (wxWindow* child : window->GetChildren()) {
    if (child->IsShown()) shown.push_back(child);
  }
  std::vector<std::pair<int, int>> found;
  for (size_t i = 0; i < shown.size(); ++i) {
    for (size_t j = i + 1; j < shown.size(); ++j) {
      if (shown[i]->GetRect().Intersects(shown[j]->GetRect())) {
        found.emplace_back(shown[i]->GetId(), shown[j]->GetId());
      }
    }
  }
  return found;
}

}  // namespace

TEST_F(MainFrameTest, FrameShrinksBackWithTheTextsAndASmallFrameKeepsItsRowsApart) {
  start(writeBox("haus.trm", kBox));
  const wxSize usual = frame_->GetClientSize();
  for (int i = 0; i < 8; ++i) press('+', wxMOD_CONTROL);
  ASSERT_EQ(window_->settings().fontPercent, 300);
  EXPECT_TRUE(guitest::waitFor([&] { return frame_->GetClientSize().y > usual.y; }));
  menu(CM_ANTWORT_EINTIPPEN);
  const int typedHeight = frame_->GetClientSize().y;
  press('0', wxMOD_CONTROL);
  EXPECT_TRUE(guitest::waitFor([&] { return frame_->GetClientSize().y < typedHeight; }));
  menu(CM_ANTWORT_EINTIPPEN);
  EXPECT_TRUE(guitest::waitFor([&] { return frame_->GetClientSize() == usual; }))
      << frame_->GetClientSize().y << " instead of " << usual.y;
  EXPECT_EQ(window_->settings().height, 250) << "the learner's size is the one remembered";

  // However small the learner makes the frame, at 100 % and at 300 %, typing or not.
  for (int step : {0, 8}) {
    for (int i = 0; i < step; ++i) press('+', wxMOD_CONTROL);
    for (bool typed : {false, true}) {
      if (typed) menu(CM_ANTWORT_EINTIPPEN);
      SCOPED_TRACE(testing::Message() << window_->settings().fontPercent << " %, typed " << typed);
      frame_->SetClientSize(120, 60);
      guitest::yield(200);
      EXPECT_GE(frame_->GetClientSize().x, 400);
      EXPECT_EQ(overlaps(window_), (std::vector<std::pair<int, int>>{}));
      if (typed) menu(CM_ANTWORT_EINTIPPEN);
    }
  }
}

TEST_F(MainFrameTest, VerdictAtTheLargestTextSizeIsShownWhole) {
  start(writeBox("haus.trm", kBox));
  menu(CM_ANTWORT_EINTIPPEN);
  for (int i = 0; i < 8; ++i) press('+', wxMOD_CONTROL);
  for (const char* typed : {"xyz", "tree"}) {
    wxUIActionSimulator keys;
    keys.Text(typed);
    guitest::yield(100);
    press(WXK_RETURN);
    auto* verdict = dynamic_cast<wxStaticText*>(window_->FindWindow(ID_URTEIL));
    ASSERT_NE(verdict, nullptr);
    ASSERT_TRUE(verdict->IsShown());
    SCOPED_TRACE(verdict->GetLabel().utf8_string());
    EXPECT_GE(verdict->GetSize().x, verdict->GetTextExtent(verdict->GetLabel()).x);
    EXPECT_GE(verdict->GetRect().GetRight(), 0);
    EXPECT_LE(verdict->GetRect().GetRight(), window_->GetClientSize().x);
    EXPECT_EQ(overlaps(window_), (std::vector<std::pair<int, int>>{}));
    press(WXK_RETURN);
  }
}

// Labels read as the program names them, not as wxWidgets' own catalogue would
// translate them ("&Info" would turn "&Information"), and in every menu each
// underlined letter leads to exactly one item.
TEST_F(MainFrameTest, MenusReadAsNamedAndEachLetterLeadsToOneItem) {
  start(writeBox("haus.trm", kBox));
  wxMenuBar* bar = frame_->GetMenuBar();
  const std::pair<int, const char*> named[] = {
      {CM_HILFE_INFO, "&Info"},
      {CM_HILFE_INHALT, "&Inhalt"},
      {CM_LERNVERLAUF, "Lern&verlauf..."},
      {CM_SPRACHE_UEBERSETZUNG, "&Sprache der Übersetzung..."}};
  for (const auto& [id, label] : named) {
    ASSERT_NE(bar->FindItem(id), nullptr);
    EXPECT_EQ(bar->FindItem(id)->GetItemLabel().BeforeFirst('\t').utf8_string(), label);
  }
  // Only the two help items have shared their letter from the start.
  std::vector<std::string> shared;
  for (size_t m = 0; m < bar->GetMenuCount(); ++m) {
    std::map<wxChar, wxString> letters;
    for (const wxMenuItem* item : bar->GetMenu(m)->GetMenuItems()) {
      if (item->IsSeparator()) continue;
      const wxString label = item->GetItemLabel().BeforeFirst('\t');
      const int at = wxControl::FindAccelIndex(label);
      ASSERT_NE(at, wxNOT_FOUND) << label.utf8_string();
      const auto [first, fresh] =
          letters.emplace(wxTolower(wxControl::RemoveMnemonics(label)[at]), label);
      if (!fresh) shared.push_back(first->second.utf8_string() + " " + label.utf8_string());
    }
  }
  EXPECT_EQ(shared, std::vector<std::string>{"&Inhalt &Info"});
}

// The size grip lies over the end of the last field; "NUM" must still fit beside it.
TEST_F(MainFrameTest, NumLockIndicatorFitsBesideTheSizeGrip) {
  start(writeBox("haus.trm", kBox));
  wxStatusBar* bar = frame_->GetStatusBar();
  wxRect field;
  ASSERT_TRUE(bar->GetFieldRect(bar->GetFieldsCount() - 1, field));
  const int gripLeft = bar->GetClientSize().x - bar->GetClientSize().y;
  EXPECT_GE(gripLeft - field.x, bar->GetTextExtent("NUM").x + 8);
}
