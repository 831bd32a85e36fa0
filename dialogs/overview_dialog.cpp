// Filling the overview from the figures: totals as plain numbers (no decimal separator
// that would differ between locales), the most-missed cards as rows of a report list.
#include "dialogs/overview_dialog.h"

#include <wx/listctrl.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/xrc/xmlres.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "box/card_box.h"
#include "dialogs/box_chart.h"
#include "dialogs/list_columns.h"
#include "dialogs/wx_text.h"

namespace {

enum Column { kFront, kBack, kKnown, kUnknown };

wxString number(int64_t value) {
  return wxString::Format("%lld", static_cast<long long>(value));
}

}  // namespace

tOverviewDialog::tOverviewDialog(wxWindow* parent, const tBoxStats& stats)
    : tXrcDialog(parent, "600"), stats_(stats) {
  if (!loaded()) return;
  auto* chart = new tBoxChart(this, ID_CHART, &stats_);
  wxXmlResource::Get()->AttachUnknownControl("610", chart, this);
  showTotals();
  showMostMissed();
  SetEscapeId(wxID_CANCEL);
  offerHelp(605,
            "\xDC"
            "bersicht");
  GetSizer()->SetSizeHints(this);
}

void tOverviewDialog::showTotals() {
  control<wxStaticText>(ID_CARDS)->SetLabel(number(stats_.cards));
  control<wxStaticText>(ID_KNOWN)->SetLabel(number(stats_.timesKnown));
  control<wxStaticText>(ID_UNKNOWN)->SetLabel(number(stats_.timesUnknown));
  // Whole per cent: no decimal separator, which would differ between locales.
  const long percent = std::lround(stats_.archiveShare * 100);
  control<wxStaticText>(ID_ARCHIVE_SHARE)->SetLabel(wxString::Format("%ld %%", percent));
}

void tOverviewDialog::showMostMissed() {
  auto* list = control<wxListCtrl>(ID_MOST_MISSED);
  list->InsertColumn(kFront, "Deutsch");
  list->InsertColumn(kBack, wxString::FromUTF8("Übersetzung"));
  list->InsertColumn(kKnown, "Gewusst", wxLIST_FORMAT_RIGHT);
  list->InsertColumn(kUnknown, "Unbekannt", wxLIST_FORMAT_RIGHT);
  std::vector<wxString> known;
  std::vector<wxString> unknown;
  long row = 0;
  for (const tTermel& card : stats_.mostMissed) {
    known.push_back(number(card.timesKnown));
    unknown.push_back(number(card.timesUnknown));
    list->InsertItem(row, toWx(card.front));
    list->SetItem(row, kBack, toWx(card.back));
    list->SetItem(row, kKnown, known.back());
    list->SetItem(row, kUnknown, unknown.back());
    ++row;
  }
  // The counts are read in full, the texts share the rest of the row.
  fitColumnTo(list, kKnown, known);
  fitColumnTo(list, kUnknown, unknown);
  keepSharing(list, {kFront, kBack});
}

int runOverviewDialog(wxWindow* parent) {
  tOverviewDialog dialog(parent, computeBoxStats(theCardBox));
  if (!dialog.loaded()) return -1;
  return dialog.ShowModal();
}
