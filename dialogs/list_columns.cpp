#include "dialogs/list_columns.h"

#include <algorithm>

namespace {

// Room beside a value, as the list itself leaves it, in pixels at 100 %.
constexpr int kColumnRoom = 16;

wxString headingOf(wxListCtrl* list, int column) {
  wxListItem item;
  item.SetMask(wxLIST_MASK_TEXT);
  list->GetColumn(column, item);
  return item.GetText();
}

void share(wxListCtrl* list, const std::vector<int>& shared) {
  int rest = rowWidth(list);
  for (int column = 0; column < list->GetColumnCount(); ++column) {
    if (std::find(shared.begin(), shared.end(), column) == shared.end())
      rest -= list->GetColumnWidth(column);
  }
  const int each = std::max(rest / std::max(static_cast<int>(shared.size()), 1), 0);
  for (int column : shared) {
    if (list->GetColumnWidth(column) != each) list->SetColumnWidth(column, each);
  }
}

}  // namespace

void fitColumnTo(wxListCtrl* list, int column, const std::vector<wxString>& values) {
  int widest = list->GetTextExtent(headingOf(list, column)).x;
  for (const wxString& value : values) widest = std::max(widest, list->GetTextExtent(value).x);
  list->SetColumnWidth(column, widest + list->FromDIP(kColumnRoom));
}

// wx's own list draws its rows in a child window that carries the scroll bars, below
// the child of the headings: the narrowest inside among them is the rows' width.
int rowWidth(const wxListCtrl* list) {
  int width = list->GetClientSize().x;
  for (const wxWindow* child : list->GetChildren()) {
    if (child->IsShown() && child->GetSize().x > 0)
      width = std::min(width, child->GetClientSize().x);
  }
  return width;
}

void keepSharing(wxListCtrl* list, const std::vector<int>& shared) {
  share(list, shared);
  // A scroll bar that comes or goes sends no size event; idle time catches it.
  list->Bind(wxEVT_IDLE, [list, shared](wxIdleEvent& event) {
    event.Skip();
    share(list, shared);
  });
}
