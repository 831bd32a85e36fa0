#include "dialogs/backups_dialog.h"

#include <wx/button.h>
#include <wx/listctrl.h>

#include <utility>

#include "box/card_box.h"
#include "dialogs/accessible.h"
#include "kartei/card_file.h"

namespace {

// Column widths in dialog units: date, time, card count.
constexpr int kColumnWidths[] = {64, 50, 60};

}  // namespace

tBackupsDialog::tBackupsDialog(wxWindow* parent, std::vector<tBackup> backups)
    : tXrcDialog(parent, "backups"),
      backupList(control<wxListCtrl>(701)),
      restoreButton(control<wxButton>(702)),
      backups(std::move(backups)) {
  if (!loaded()) return;
  fillList();
  setAccessibleName(backupList, "Sicherungen");
  updateButton();
  Bind(wxEVT_BUTTON, &tBackupsDialog::onRestore, this, 702);
  offerHelp(703, "Sicherungen");
  // "Schließen", Esc and the close box all end here, modal or not.
  Bind(
      wxEVT_BUTTON, [this](wxCommandEvent&) { closeWith(wxID_CANCEL); }, wxID_CANCEL);
  Bind(wxEVT_LIST_ITEM_ACTIVATED, &tBackupsDialog::onActivated, this, 701);
  Bind(
      wxEVT_LIST_ITEM_SELECTED, [this](wxListEvent&) { updateButton(); }, 701);
  Bind(
      wxEVT_LIST_ITEM_DESELECTED, [this](wxListEvent&) { updateButton(); }, 701);
}

void tBackupsDialog::fillList() {
  for (int column = 0; column < backupList->GetColumnCount(); ++column) {
    backupList->SetColumnWidth(column, ConvertDialogToPixels(wxSize(kColumnWidths[column], 0)).x);
  }
  for (size_t i = 0; i < backups.size(); ++i) {
    const tBackup& backup = backups[i];
    const long item = backupList->InsertItem(static_cast<long>(i), backup.date());
    backupList->SetItem(item, 1, backup.time());
    backupList->SetItem(item, 2,
                        backup.cards < 0 ? wxString("?") : wxString::Format("%d", backup.cards));
  }
  if (!backups.empty()) {
    const long state = wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED;
    backupList->SetItemState(0, state, state);
  }
}

// A backup whose card file cannot be read is shown but cannot be restored: loading it
// would leave the learner an empty box in place of the open one.
void tBackupsDialog::updateButton() {
  restoreButton->Enable(restorable(selected()));
}

long tBackupsDialog::selected() const {
  return backupList->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED);
}

bool tBackupsDialog::restorable(long item) const {
  return item >= 0 && static_cast<size_t>(item) < backups.size() &&
         backups[static_cast<size_t>(item)].cards >= 0;
}

void tBackupsDialog::restore(long item) {
  if (!restorable(item)) return;
  chosen = backups[static_cast<size_t>(item)].cardPath;
  closeWith(wxID_OK);
}

void tBackupsDialog::onRestore(wxCommandEvent&) {
  restore(selected());
}

void tBackupsDialog::onActivated(wxListEvent& event) {
  restore(event.GetIndex());
}

bool runBackupsDialog(wxWindow* parent, const std::string& cardPath,
                      std::string* chosenBackupPath) {
  tBackupsDialog dialog(parent, tBackupStore::forUser().list(cardPath));
  if (!dialog.loaded() || dialog.ShowModal() != wxID_OK || dialog.chosenPath().empty()) {
    return false;
  }
  if (chosenBackupPath != nullptr) *chosenBackupPath = dialog.chosenPath();
  return true;
}

bool restoreBackup(wxWindow* parent, const std::string& cardPath, tFileReport* report,
                   std::string* backupPath) {
  std::string backup;
  if (!runBackupsDialog(parent, cardPath, &backup)) return false;
  theCardBox.clearAll();
  loadCardFile(backup.c_str(), report);
  if (backupPath != nullptr) *backupPath = backup;
  return true;
}
