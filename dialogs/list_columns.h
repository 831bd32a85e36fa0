// Sizing the columns of a report list to what the learner must read: a column of short
// values (counts, compartments) as wide as its heading and its widest value, the text
// columns sharing the rest of the row, so no value is cut off and the list never needs
// scrolling sideways.
#ifndef TERMEL_DIALOGS_LIST_COLUMNS_H_
#define TERMEL_DIALOGS_LIST_COLUMNS_H_

#include <wx/listctrl.h>
#include <wx/string.h>

#include <vector>

// Sets column of list as wide as its heading and the widest of values, with room
// around them.
void fitColumnTo(wxListCtrl* list, int column, const std::vector<wxString>& values);
// The width the rows are shown in: the list's inside less a vertical scroll bar.
int rowWidth(const wxListCtrl* list);
// The columns shared share equally what the other columns leave of the row width, now
// and whenever the list's size or its scroll bar changes.
void keepSharing(wxListCtrl* list, const std::vector<int>& shared);

#endif  // TERMEL_DIALOGS_LIST_COLUMNS_H_
