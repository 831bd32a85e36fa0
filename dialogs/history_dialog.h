// tHistoryDialog: "Lernverlauf", what the learning journal of the open box tells: the
// answers of the last 30 days as stacked bars, the days learnt in a row and in all,
// and the cards that reached the archive week by week. It shows the figures it is
// given and changes nothing.
#ifndef TERMEL_DIALOGS_HISTORY_DIALOG_H_
#define TERMEL_DIALOGS_HISTORY_DIALOG_H_

#include <string>

#include "dialogs/xrc_dialog.h"
#include "kartei/learning_journal.h"

class wxWindow;

class tHistoryDialog : public tXrcDialog {
 public:
  enum : int {
    ID_CHART = 1481,
    ID_STREAK = 1482,
    ID_LEARNING_DAYS = 1483,
    ID_WEEKS = 1484,
    ID_HELP = 1485,
  };

  tHistoryDialog(wxWindow* parent, const tLearningFigures& figures);

  const tLearningFigures& figures() const { return figures_; }

 private:
  void showWeeks();

  tLearningFigures figures_;
};

// Shows the figures of the journal of the box in cardPath as of journalNow(); a box
// without a file has no journal yet and shows none. Returns the dialog's result, -1
// when it could not be created.
int runHistoryDialog(wxWindow* parent, const std::string& cardPath);

#endif  // TERMEL_DIALOGS_HISTORY_DIALOG_H_
