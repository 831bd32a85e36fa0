#include "dialogs/history_dialog.h"

#include <wx/button.h>
#include <wx/listctrl.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/xrc/xmlres.h>

#include "dialogs/answer_chart.h"

tHistoryDialog::tHistoryDialog(wxWindow* parent, const tLearningFigures& figures)
    : tXrcDialog(parent, "1480"), figures_(figures) {
  if (!loaded()) return;
  auto* chart = new tAnswerChart(this, ID_CHART, &figures_);
  wxXmlResource::Get()->AttachUnknownControl("1481", chart, this);
  control<wxStaticText>(ID_STREAK)->SetLabel(wxString::Format("%d", figures_.streak));
  control<wxStaticText>(ID_LEARNING_DAYS)->SetLabel(wxString::Format("%d", figures_.learningDays));
  showWeeks();
  offerHelp(ID_HELP, "Lernverlauf");
  SetEscapeId(wxID_CANCEL);
  GetSizer()->SetSizeHints(this);
}

void tHistoryDialog::showWeeks() {
  auto* list = control<wxListCtrl>(ID_WEEKS);
  list->InsertColumn(0, "Woche ab");
  list->InsertColumn(1, "Karten", wxLIST_FORMAT_RIGHT);
  // This week first, as the newest figures are the ones looked for.
  long row = 0;
  for (auto week = figures_.weeks.rbegin(); week != figures_.weeks.rend(); ++week, ++row) {
    list->InsertItem(row, week->monday);
    list->SetItem(row, 1, wxString::Format("%d", week->archived));
  }
  list->SetColumnWidth(0, wxLIST_AUTOSIZE);
  list->SetColumnWidth(1, wxLIST_AUTOSIZE_USEHEADER);
}

int runHistoryDialog(wxWindow* parent, const std::string& cardPath) {
  const tLearningJournal journal =
      cardPath.empty() ? tLearningJournal(std::string()) : tLearningJournal::forBox(cardPath);
  tHistoryDialog dialog(parent, journal.figures(journalNow()));
  if (!dialog.loaded()) return -1;
  return dialog.ShowModal();
}
