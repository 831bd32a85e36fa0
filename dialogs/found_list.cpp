#include "dialogs/found_list.h"

#include <algorithm>

#include "box/card_box.h"
#include "dialogs/accessible.h"
#include "dialogs/list_columns.h"
#include "dialogs/wx_text.h"

tFoundList::tFoundList(wxWindow* parent, wxWindowID id, const tCardSearch* search)
    : wxListCtrl(parent, id, wxDefaultPosition, wxSize(300, 200),
                 wxLC_REPORT | wxLC_VIRTUAL | wxBORDER_THEME),
      search_(search),
      anchor_(-1) {
  InsertColumn(kFront, "Deutsch", wxLIST_FORMAT_LEFT, 200);
  InsertColumn(kBack, wxString::FromUTF8("Übersetzung"), wxLIST_FORMAT_LEFT, 200);
  InsertColumn(kCompartment, "Fach");
  // "Ablage" is the widest a compartment is named; the texts share the rest of the row.
  fitColumnTo(this, kCompartment,
              {compartmentText(1), compartmentText(theCardBox.compartmentCount())});
  keepSharing(this, {kFront, kBack});
  setAccessibleName(this, "Gefundene Karten");
  Bind(wxEVT_KEY_DOWN, &tFoundList::onKey, this);
}

// wx's own list starts a Umschalt selection from a row of its own, not the one the
// program selected, and so first drops the selection.
void tFoundList::onKey(wxKeyEvent& event) {
  const int key = event.GetKeyCode();
  if (event.GetModifiers() == wxMOD_SHIFT && (key == WXK_DOWN || key == WXK_UP)) {
    extendSelection(key == WXK_DOWN ? 1 : -1);
    return;
  }
  event.Skip();
}

void tFoundList::extendSelection(int32_t step) {
  const int32_t rows = GetItemCount();
  const int32_t focused =
      static_cast<int32_t>(GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_FOCUSED));
  if (rows == 0 || focused < 0) return;
  if (anchor_ < 0 || anchor_ >= rows || GetItemState(anchor_, wxLIST_STATE_SELECTED) == 0)
    anchor_ = focused;
  const int32_t row = std::clamp(focused + step, 0, rows - 1);
  for (int32_t selected : selectedRows()) SetItemState(selected, 0, wxLIST_STATE_SELECTED);
  for (int32_t i = std::min(anchor_, row); i <= std::max(anchor_, row); ++i)
    SetItemState(i, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
  SetItemState(row, wxLIST_STATE_FOCUSED, wxLIST_STATE_FOCUSED);
  EnsureVisible(row);
}

wxString tFoundList::compartmentText(int compartment) {
  if (compartment == theCardBox.compartmentCount()) return "Ablage";
  return wxString::Format("%d", compartment);
}

wxString tFoundList::OnGetItemText(long item, long column) const {
  const tFoundCard found = search_->at(static_cast<int32_t>(item));
  if (found.card == nullptr) return wxString();
  switch (column) {
    case kFront:
      return toWx(found.card->front);
    case kBack:
      return toWx(found.card->back);
    default:
      return compartmentText(found.compartment);
  }
}

void tFoundList::showRows(int32_t rows, int32_t row) {
  // Taking the selection away row by row would cost a call per found card.
  SetItemCount(0);
  SetItemCount(rows);
  if (rows > 0) selectOnly(row < 0 ? 0 : (row < rows ? row : rows - 1));
  Refresh();
}

void tFoundList::selectOnly(int32_t row) {
  for (int32_t selected : selectedRows()) SetItemState(selected, 0, wxLIST_STATE_SELECTED);
  SetItemState(row, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
               wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
  EnsureVisible(row);
  anchor_ = row;
}

std::vector<int32_t> tFoundList::selectedRows() const {
  std::vector<int32_t> rows;
  for (long row = GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED); row != -1;
       row = GetNextItem(row, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED)) {
    rows.push_back(static_cast<int32_t>(row));
  }
  return rows;
}

int32_t tFoundList::selectedRow() const {
  return static_cast<int32_t>(GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED));
}
