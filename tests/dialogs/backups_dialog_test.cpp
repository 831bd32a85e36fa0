// The backups dialog: what it lists, and choosing a backup with the keyboard.
#include "dialogs/backups_dialog.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>
#include <wx/listctrl.h>
#include <wx/uiaction.h>

#include <ctime>
#include <string>
#include <vector>

#include "box/card_box.h"
#include "dialog_test.h"
#include "kartei/card_file.h"
#include "tests/kartei/file_times.h"

template <>
class wxExpectModal<tBackupsDialog> : public tDriveDialog<tBackupsDialog> {
  using tDriveDialog::tDriveDialog;
};

namespace {

using Strings = std::vector<std::string>;

class BackupsDialogTest : public testing::Test {
 protected:
  void SetUp() override {
    char name[] = "/tmp/termel-backups-dialog-XXXXXX";
    ASSERT_NE(mkdtemp(name), nullptr);
    dir_ = name;
    setenv("XDG_DATA_HOME", (dir_ + "/data").c_str(), 1);
    box_ = dir_ + "/Grundwortschatz.trm";
    dialogtest::resetBox();
  }
  void TearDown() override {
    dialogtest::resetBox();
    const std::string command = "rm -rf '" + dir_ + "'";
    EXPECT_EQ(std::system(command.c_str()), 0);
  }

  // Saves a box of `cards` cards dated `when`; the next save keeps it as a backup.
  void saveVersion(int cards, std::time_t when) {
    dialogtest::resetBox();
    for (int i = 0; i < cards; ++i) {
      const std::string text = "Wort " + std::to_string(i);
      dialogtest::addCard(1, text.c_str(), text.c_str());
    }
    ASSERT_TRUE(saveCardFile(box_.c_str()));
    setModified(box_, when);
  }

  std::string dir_, box_;
};

wxListCtrl* listOf(wxWindow* dialog) {
  return dynamic_cast<wxListCtrl*>(dialog->FindWindow(701));
}

// "date time count" of every row, top down.
Strings rows(wxListCtrl* list) {
  Strings result;
  for (int i = 0; i < list->GetItemCount(); ++i) {
    result.push_back(u8(list->GetItemText(i, 0) + " " + list->GetItemText(i, 1) + " " +
                        list->GetItemText(i, 2)));
  }
  return result;
}

bool focusIsIn(wxWindow* window) {
  for (wxWindow* w = wxWindow::FindFocus(); w != nullptr; w = w->GetParent()) {
    if (w == window) return true;
  }
  return false;
}

// Once the list has the keyboard, presses key there and returns the result the dialog
// closes with (0 if it stays open).
int resultAfterKey(tBackupsDialog* dialog, int key) {
  EXPECT_TRUE(guitest::waitFor([&] { return focusIsIn(listOf(dialog)); }));
  wxUIActionSimulator input;
  input.Char(key);
  guitest::waitFor([&] { return dialogtest::resultOf(dialog) != 0; });
  return dialogtest::resultOf(dialog);
}

}  // namespace

TEST_F(BackupsDialogTest, ListsNewestFirstAndRestoresTheOneChosenWithArrowAndEnter) {
  saveVersion(3, localTime(2026, 10, 2, 9, 15, 0));
  saveVersion(12, localTime(2026, 11, 20, 18, 5, 42));
  saveVersion(1, localTime(2026, 11, 21, 7, 0, 3));
  saveVersion(4, localTime(2026, 11, 22, 7, 0, 3));  // the open box, not a backup yet
  std::string chosen;
  bool restored = false;
  wxTEST_DIALOG(restored = runBackupsDialog(nullptr, box_, &chosen),
                wxExpectModal<tBackupsDialog>([](tBackupsDialog* dialog) {
                  EXPECT_EQ(u8(dialog->GetTitle()), "Sicherungen");
                  EXPECT_EQ(u8(guitest::labelOf(dialog, 702)), "Wiederherstellen");
                  EXPECT_EQ(u8(guitest::labelOf(dialog, wxID_CANCEL)), "Schließen");
                  wxListCtrl* list = listOf(dialog);
                  EXPECT_EQ(rows(list), (Strings{"21.11.2026 07:00:03 1", "20.11.2026 18:05:42 12",
                                                 "02.10.2026 09:15:00 3"}));
                  EXPECT_TRUE(guitest::isEnabled(dialog, 702)) << "the newest starts selected";
                  EXPECT_TRUE(guitest::waitFor([&] { return focusIsIn(list); }));
                  wxUIActionSimulator input;
                  input.Char(WXK_DOWN);
                  EXPECT_TRUE(guitest::waitFor(
                      [&] { return list->GetItemState(1, wxLIST_STATE_SELECTED) != 0; }));
                  EXPECT_EQ(dialogtest::resultOf(dialog), 0);
                  input.Char(WXK_RETURN);
                  EXPECT_TRUE(guitest::waitFor([&] { return dialogtest::resultOf(dialog) != 0; }));
                  return dialogtest::resultOf(dialog);
                }));
  EXPECT_TRUE(restored);
  EXPECT_EQ(chosen,
            tBackupStore::forUser().folderOf(box_) + "/Grundwortschatz-20261120-180542.trm");
}

TEST_F(BackupsDialogTest, RestoringReplacesTheCardsOfTheBoxByTheBackups) {
  saveVersion(3, localTime(2026, 10, 2, 9, 15, 0));
  saveVersion(4, localTime(2026, 10, 3, 9, 15, 0));
  tFileReport report;
  bool restored = false;
  wxTEST_DIALOG(restored = restoreBackup(nullptr, box_, &report),
                wxExpectModal<tBackupsDialog>(
                    [](tBackupsDialog* dialog) { return resultAfterKey(dialog, WXK_RETURN); }));
  EXPECT_TRUE(restored);
  EXPECT_TRUE(report.opened);
  EXPECT_EQ(dialogtest::fronts(1), (Strings{"Wort 0", "Wort 1", "Wort 2"}));
  EXPECT_EQ(theCardBox.totalCount(), 3);

  wxTEST_DIALOG(restored = restoreBackup(nullptr, box_, &report),
                wxExpectModal<tBackupsDialog>([](tBackupsDialog*) { return wxID_CANCEL; }));
  EXPECT_FALSE(restored);
  EXPECT_EQ(theCardBox.totalCount(), 3) << "a closed dialog leaves the box alone";
}

TEST_F(BackupsDialogTest, EscapeClosesWithoutChoosing) {
  saveVersion(2, localTime(2026, 1, 5, 10, 0, 0));
  saveVersion(3, localTime(2026, 1, 6, 10, 0, 0));
  std::string chosen = "unchanged";
  bool restored = true;
  wxTEST_DIALOG(restored = runBackupsDialog(nullptr, box_, &chosen),
                wxExpectModal<tBackupsDialog>([](tBackupsDialog* dialog) {
                  EXPECT_EQ(rows(listOf(dialog)), (Strings{"05.01.2026 10:00:00 2"}));
                  const int result = resultAfterKey(dialog, WXK_ESCAPE);
                  EXPECT_EQ(result, wxID_CANCEL);
                  return result;
                }));
  EXPECT_FALSE(restored);
  EXPECT_EQ(chosen, "unchanged");
}

TEST_F(BackupsDialogTest, ABoxWithoutBackupsOffersNothingToRestore) {
  saveVersion(2, localTime(2026, 1, 5, 10, 0, 0));
  wxTEST_DIALOG(runBackupsDialog(nullptr, box_, nullptr),
                wxExpectModal<tBackupsDialog>([](tBackupsDialog* dialog) {
                  EXPECT_EQ(listOf(dialog)->GetItemCount(), 0);
                  EXPECT_FALSE(guitest::isEnabled(dialog, 702));
                  return wxID_CANCEL;
                }));
}

TEST_F(BackupsDialogTest, AnUnreadableBackupCannotBeRestoredAndAClickRestoresAnother) {
  saveVersion(5, localTime(2026, 4, 1, 8, 0, 0));
  saveVersion(6, localTime(2026, 4, 2, 8, 0, 0));
  const std::string backups = tBackupStore::forUser().folderOf(box_) + "/";
  std::FILE* f = std::fopen((backups + "Grundwortschatz-20260403-080000.trm").c_str(), "w");
  ASSERT_NE(f, nullptr);
  std::fputs("kein Kasten", f);
  std::fclose(f);
  std::string chosen;
  wxTEST_DIALOG(
      runBackupsDialog(nullptr, box_, &chosen),
      wxExpectModal<tBackupsDialog>([](tBackupsDialog* dialog) {
        wxListCtrl* list = listOf(dialog);
        EXPECT_EQ(rows(list), (Strings{"03.04.2026 08:00:00 ?", "01.04.2026 08:00:00 5"}));
        EXPECT_FALSE(guitest::isEnabled(dialog, 702));
        EXPECT_TRUE(guitest::waitFor([&] { return focusIsIn(list); }));
        wxUIActionSimulator input;
        input.Char(WXK_RETURN);  // nothing to restore
        guitest::yield(200);
        EXPECT_EQ(dialogtest::resultOf(dialog), 0);
        input.Char(WXK_DOWN);
        EXPECT_TRUE(guitest::waitFor([&] { return guitest::isEnabled(dialog, 702); }));
        input.MouseMove(dialog->FindWindow(702)->GetScreenRect().GetPosition() + wxPoint(10, 6));
        guitest::yield(100);
        input.MouseClick();
        EXPECT_TRUE(guitest::waitFor([&] { return dialogtest::resultOf(dialog) != 0; }));
        return dialogtest::resultOf(dialog);
      }));
  EXPECT_EQ(chosen, backups + "Grundwortschatz-20260401-080000.trm");
}
