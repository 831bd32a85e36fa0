// "Sicherungen..." in the main window: every save keeps the version it replaces, the
// dialog lists them, and a restored version becomes the open box, to be saved.
#include <wx/listctrl.h>
#include <wx/uiaction.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "box/card_box.h"
#include "dialogs/backups_dialog.h"
#include "gui_test.h"
#include "kartei/backups.h"
#include "kartei/card_file.h"
#include "main_frame_fixture.h"
#include "raised_dialog.h"
#include "tests/kartei/file_times.h"

namespace {

using Strings = std::vector<std::string>;

wxListCtrl* listOf(wxWindow* dialog) {
  return dynamic_cast<wxListCtrl*>(dialog->FindWindow(701));
}

// "date time count" of every row, top down.
Strings rows(wxListCtrl* list) {
  Strings result;
  for (int i = 0; i < list->GetItemCount(); ++i) {
    result.push_back(
        (list->GetItemText(i, 0) + " " + list->GetItemText(i, 1) + " " + list->GetItemText(i, 2))
            .utf8_string());
  }
  return result;
}

bool focusIsIn(wxWindow* window) {
  for (wxWindow* w = wxWindow::FindFocus(); w != nullptr; w = w->GetParent()) {
    if (w == window) return true;
  }
  return false;
}

// The result the dialog closed with; 0 while it is open.
int resultOf(wxDialog* dialog) {
  return dialog->GetReturnCode();
}

class BackupsWindowTest : public MainFrameTest {
 protected:
  void SetUp() override {
    MainFrameTest::SetUp();
    // Backups are kept by box name for the whole test program; each test starts with none.
    std::filesystem::remove_all(tBackupStore::userDirectory());
  }
};

}  // namespace

TEST_F(BackupsWindowTest, AfterTwoSavesTheReplacedVersionsAreListedAndOneComesBack) {
  const std::string file =
      writeBox("sicherung.trm", {{1, "Haus", "house"}, {1, "Baum", "tree"}, {1, "Tisch", "table"}});
  setModified(file, localTime(2026, 11, 30, 8, 0, 0));
  start(file);
  EXPECT_TRUE(menuEnabled(CM_SICHERUNGEN));
  menu(CM_LOESCHEN);  // "Haus" goes
  menu(CM_SICHERN);   // the first version, three cards, is kept
  setModified(file, localTime(2026, 12, 1, 9, 30, 5));
  press(WXK_RETURN);
  press(WXK_RETURN);  // "Baum" known
  // The date set by hand is a change the window did not make: it asks before writing.
  wxTEST_DIALOG(menu(CM_SICHERN),  // the second version, two cards, is kept
                tExpectBox(wxString::FromUTF8("Die Datei ") + wxString::FromUTF8(file) +
                               wxString::FromUTF8(" wurde inzwischen von einem anderen Programm "
                                                  "geändert. Trotzdem überschreiben?"),
                           "Achtung", wxYES_NO | wxNO_DEFAULT | wxICON_NONE, wxID_YES));

  wxTEST_DIALOG(
      menu(CM_SICHERUNGEN), tRaised<tBackupsDialog>([](tBackupsDialog* dialog) {
        wxListCtrl* list = listOf(dialog);
        EXPECT_EQ(rows(list), (Strings{"01.12.2026 09:30:05 2", "30.11.2026 08:00:00 3"}));
        EXPECT_TRUE(guitest::waitFor([&] { return focusIsIn(list); }));
        wxUIActionSimulator input;
        input.Char(WXK_DOWN);
        EXPECT_TRUE(
            guitest::waitFor([&] { return list->GetItemState(1, wxLIST_STATE_SELECTED) != 0; }));
        input.Char(WXK_RETURN);
        EXPECT_TRUE(guitest::waitFor([&] { return resultOf(dialog) != 0; }));
        return resultOf(dialog);
      }));
  EXPECT_EQ(frontsIn(1), (Strings{"Haus", "Baum", "Tisch"}));
  EXPECT_EQ(label(ID_QUESTION), "Haus");
  EXPECT_EQ(status(0), "Fach: 3 Gesamt: 3");
  EXPECT_EQ(currentFileName, file) << "the box keeps its own file";
  EXPECT_TRUE(window_->modified());

  menu(CM_SICHERN);
  theCardBox.clearAll();
  loadCardFile(file.c_str());
  EXPECT_EQ(frontsIn(1), (Strings{"Haus", "Baum", "Tisch"}));
  EXPECT_EQ(tBackupStore::forUser().list(file).size(), 3u)
      << "the version the restored one replaced is kept as well";
}

TEST_F(BackupsWindowTest, ClosingTheDialogChangesNothingAndNoBoxFileOffersNoBackups) {
  start();
  EXPECT_FALSE(menuEnabled(CM_SICHERUNGEN));
  stop();
  start(writeBox("eins.trm", {{2, "Haus", "house"}}));
  wxTEST_DIALOG(menu(CM_SICHERUNGEN), tRaised<tBackupsDialog>([](tBackupsDialog* dialog) {
                  EXPECT_EQ(listOf(dialog)->GetItemCount(), 0);
                  EXPECT_TRUE(guitest::waitFor([&] { return focusIsIn(dialog); }));
                  wxUIActionSimulator().Char(WXK_ESCAPE);
                  EXPECT_TRUE(guitest::waitFor([&] { return resultOf(dialog) != 0; }));
                  return resultOf(dialog);
                }));
  EXPECT_EQ(frontsIn(2), Strings{"Haus"});
  EXPECT_FALSE(window_->modified());
}

TEST_F(BackupsWindowTest, ABackupThatFailsIsReportedAfterTheSaveAndTheBoxIsSavedAllTheSame) {
  const std::string file = writeBox("warnung.trm", {{1, "Haus", "house"}, {1, "Baum", "tree"}});
  start(file);
  press(WXK_RETURN);
  press(WXK_RETURN);
  // The backups' folder cannot be made where a file stands in its way.
  const char* dataHome = std::getenv("XDG_DATA_HOME");
  const std::string savedHome = dataHome != nullptr ? dataHome : "";
  const std::string blocked = path("blockiert");
  std::filesystem::create_directories(blocked);
  std::FILE* block = std::fopen((blocked + "/termel").c_str(), "w");
  ASSERT_NE(block, nullptr);
  std::fclose(block);
  setenv("XDG_DATA_HOME", blocked.c_str(), 1);
  wxTEST_DIALOG(menu(CM_SICHERN),
                tExpectError({"Keine Sicherung: der Ordner f\xC3\xBCr Sicherungen kann nicht "
                              "angelegt werden.",
                              "Datei: " + file}));
  setenv("XDG_DATA_HOME", savedHome.c_str(), 1);
  EXPECT_FALSE(window_->modified());
  stop();
  loadCardFile(file.c_str());
  EXPECT_EQ(frontsIn(2), Strings{"Haus"});
}
