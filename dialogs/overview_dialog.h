// tOverviewDialog: the box overview "Übersicht", a bar chart of the compartments, the
// totals of the box and the cards missed most often. It shows the figures it is given
// and changes nothing; the figures are a copy, so the box may change afterwards.
#ifndef TERMEL_DIALOGS_OVERVIEW_DIALOG_H_
#define TERMEL_DIALOGS_OVERVIEW_DIALOG_H_

#include "box/box_stats.h"
#include "dialogs/xrc_dialog.h"

class wxWindow;

class tOverviewDialog : public tXrcDialog {
 public:
  enum : int {
    ID_CARDS = 601,
    ID_KNOWN = 602,
    ID_UNKNOWN = 603,
    ID_ARCHIVE_SHARE = 604,
    ID_CHART = 610,
    ID_MOST_MISSED = 620,
  };

  tOverviewDialog(wxWindow* parent, const tBoxStats& stats);

  const tBoxStats& stats() const { return stats_; }

 private:
  void showTotals();
  void showMostMissed();

  tBoxStats stats_;
};

// Shows the overview of theCardBox. Returns the dialog's result, -1 when it could not
// be created.
int runOverviewDialog(wxWindow* parent);

#endif  // TERMEL_DIALOGS_OVERVIEW_DIALOG_H_
