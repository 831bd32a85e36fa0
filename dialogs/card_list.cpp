#include "dialogs/card_list.h"

#include <wx/dc.h>
#include <wx/settings.h>

#include "box/card_box.h"
#include "dialogs/accessible.h"
#include "dialogs/wx_text.h"

namespace {

// Space left of the text and above and below it in a row, in pixels.
constexpr int kTextMargin = 3;

}  // namespace

// Made at some size: the place in the dialog sizes it later, and GTK complains about
// scroll bars laid out in no room at all.
tCardList::tCardList(wxWindow* parent, wxWindowID id)
    : wxVListBox(parent, id, wxDefaultPosition, wxSize(100, 100), wxLB_MULTIPLE | wxBORDER_THEME),
      view_(theCardBox),
      // Every row is one line of the list's font; measured once, since the scrolling
      // asks for row heights often.
      rowHeight_(GetCharHeight() + 2 * kTextMargin) {
  SetBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_LISTBOX));
  Bind(wxEVT_KEY_DOWN, &tCardList::onKey, this);
  setAccessibleRole(this, tAccessibleRole::List);
  setAccessibleName(this, "Karten im Fach");
  // A screen reader finds no rows in a list drawn by the program: it is told the card
  // with the keyboard.
  Bind(wxEVT_LISTBOX, [this](wxCommandEvent& event) {
    const int current = event.GetInt();
    if (current >= 0 && current < static_cast<int>(GetItemCount())) {
      setAccessibleDescription(
          this, textOf(current) + ", " + backOf(current) +
                    wxString::Format(" (Zeile %d von %zu)", current + 1, GetItemCount()));
    }
    event.Skip();
  });
}

void tCardList::reload() {
  DeselectAll();
  SetItemCount(static_cast<size_t>(view_.count()));
  RefreshAll();
}

void tCardList::showCompartment(int n) {
  view_.show(n);
  reload();
  ScrollToRow(0);
}

void tCardList::showAgainKeeping(int32_t row) {
  const size_t top = GetVisibleRowsBegin();
  view_.show(view_.compartment());
  reload();
  ScrollToRow(top);
  if (row >= 0 && row < view_.count() && !IsRowVisible(static_cast<size_t>(row)))
    ScrollToRow(static_cast<size_t>(row));
}

void tCardList::moveSelectedTo(int target) {
  view_.moveRows(selectedRows(), target);
  reload();
  ScrollToRow(0);
}

std::vector<int32_t> tCardList::selectedRows() const {
  std::vector<int32_t> rows;
  unsigned long cookie = 0;
  for (int row = GetFirstSelected(cookie); row != wxNOT_FOUND; row = GetNextSelected(cookie))
    rows.push_back(row);
  return rows;
}

wxString tCardList::textOf(int32_t row) const {
  const tTermel* card = view_.at(row);
  return card != nullptr ? toWx(card->front) : wxString();
}

wxString tCardList::backOf(int32_t row) const {
  const tTermel* card = view_.at(row);
  return card != nullptr ? toWx(card->back) : wxString();
}

// Two columns, the front on the left and the back on the right, each cut off at its
// edge, with a thin line between them.
void tCardList::OnDrawItem(wxDC& dc, const wxRect& rect, size_t n) const {
  dc.SetFont(GetFont());
  dc.SetTextForeground(IsSelected(n) ? wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHTTEXT)
                                     : GetForegroundColour());
  const int row = static_cast<int32_t>(n);
  const int half = rect.width / 2;
  const wxRect front(rect.x, rect.y, half, rect.height);
  const wxRect back(rect.x + half, rect.y, rect.width - half, rect.height);
  // Pango expands tab characters to its tab stops, as a list box does.
  {
    wxDCClipper clip(dc, front);
    dc.DrawText(textOf(row), front.x + kTextMargin, front.y + kTextMargin);
  }
  {
    wxDCClipper clip(dc, back);
    dc.DrawText(backOf(row), back.x + kTextMargin, back.y + kTextMargin);
  }
  dc.SetPen(wxPen(wxSystemSettings::GetColour(wxSYS_COLOUR_3DLIGHT)));
  dc.DrawLine(back.x - 1, rect.y, back.x - 1, rect.GetBottom() + 1);
}

wxCoord tCardList::OnMeasureItem(size_t) const {
  return rowHeight_;
}

bool tCardList::AcceptsFocusFromKeyboard() const {
  return true;
}

void tCardList::onKey(wxKeyEvent& event) {
  if (event.GetModifiers() == wxMOD_CONTROL && event.GetKeyCode() == 'A' && GetItemCount() > 0) {
    SelectAll();
    wxCommandEvent changed(wxEVT_LISTBOX, GetId());
    changed.SetEventObject(this);
    changed.SetInt(0);
    ProcessWindowEvent(changed);
    return;
  }
  event.Skip();
}
