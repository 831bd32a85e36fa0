// The backups dialog ("Sicherungen"): lists the kept versions of the open box, newest
// first, with date, time and card count ("?" where the card file cannot be read), and
// lets the learner choose one to restore; one that cannot be read cannot be chosen.
// Loading the chosen backup is left to the caller.
#ifndef TERMEL_DIALOGS_BACKUPS_DIALOG_H_
#define TERMEL_DIALOGS_BACKUPS_DIALOG_H_

#include <string>
#include <vector>

#include "dialogs/xrc_dialog.h"
#include "kartei/backups.h"

struct tFileReport;
class wxButton;
class wxListCtrl;
class wxListEvent;
class wxWindow;

class tBackupsDialog : public tXrcDialog {
 public:
  // The newest backup starts selected.
  tBackupsDialog(wxWindow* parent, std::vector<tBackup> backups);

  // The card file of the backup chosen with "Wiederherstellen" (or Enter), empty before.
  const std::string& chosenPath() const { return chosen; }

 private:
  void fillList();
  void updateButton();
  long selected() const;  // -1 without selection
  bool restorable(long item) const;
  void restore(long item);
  void onRestore(wxCommandEvent& event);
  void onActivated(wxListEvent& event);

  wxListCtrl* backupList;
  wxButton* restoreButton;
  std::vector<tBackup> backups;
  std::string chosen;
};

// Shows the backups of the box in cardPath. True when the learner chose one to
// restore; its card file is then in *chosenBackupPath.
bool runBackupsDialog(wxWindow* parent, const std::string& cardPath, std::string* chosenBackupPath);

// "Sicherungen..." of the main window: shows the dialog and, when the learner chose a
// backup, replaces the cards of theCardBox by those of the backup (errors in *report,
// the backup's card file, which they concern, in *backupPath when given).
// The caller keeps the box's own file name, marks the box changed and shows it anew,
// so the next save writes the restored cards back (keeping the version they replace).
bool restoreBackup(wxWindow* parent, const std::string& cardPath, tFileReport* report,
                   std::string* backupPath = nullptr);

#endif  // TERMEL_DIALOGS_BACKUPS_DIALOG_H_
