// tFoundList: the result list of "Karte suchen", a virtual report list over a
// tCardSearch with the columns "Deutsch", "Übersetzung" and "Fach". It draws only the
// rows in view, so showing 200,000 found cards costs no more than showing ten. The
// search must outlive the list.
#ifndef TERMEL_DIALOGS_FOUND_LIST_H_
#define TERMEL_DIALOGS_FOUND_LIST_H_

#include <wx/listctrl.h>

#include <cstdint>
#include <vector>

#include "box/card_search.h"

class tFoundList : public wxListCtrl {
 public:
  enum Column { kFront, kBack, kCompartment };

  tFoundList(wxWindow* parent, wxWindowID id, const tCardSearch* search);

  // Shows rows rows of the search anew with only row selected (the nearest row when
  // it is beyond the end, none when there are no rows) and in view.
  void showRows(int32_t rows, int32_t row);
  // The selected rows in ascending order.
  std::vector<int32_t> selectedRows() const;
  // The first selected row, -1 for none.
  int32_t selectedRow() const;
  // Selects only row (in range) and brings it into view.
  void selectOnly(int32_t row);
  // "1" to "6" for the learning compartments, "Ablage" for the archive.
  static wxString compartmentText(int compartment);

 private:
  wxString OnGetItemText(long item, long column) const override;
  void onKey(wxKeyEvent& event);
  // Umschalt+Up/Down: the selection runs from the anchor to the row moved to.
  void extendSelection(int32_t step);

  const tCardSearch* search_;
  // Where a selection made with Umschalt starts: the row chosen last without it.
  int32_t anchor_;
};

#endif  // TERMEL_DIALOGS_FOUND_LIST_H_
