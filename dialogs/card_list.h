// tCardList: the card list of the card editing dialog. A virtual list over a tCardView
// of theCardBox: it draws only the rows it shows, front and back in two columns, asking
// the view for their texts, so opening and refilling it cost the same for ten cards as
// for 200,000. It selects like an extended list box (Shift and Ctrl with the mouse and
// the arrow keys, Ctrl+A for all) and reports selection changes and double clicks as a
// wxListBox does.
// Unlike the list box it replaces, Tab reaches it too (Umschalt+Tab from the chooser),
// so the dialog can be used from the keyboard and with a screen reader.
// The list owns its view.
#ifndef TERMEL_DIALOGS_CARD_LIST_H_
#define TERMEL_DIALOGS_CARD_LIST_H_

#include <wx/vlbox.h>

#include <cstdint>
#include <vector>

#include "box/card_view.h"

class tCardList : public wxVListBox {
 public:
  tCardList(wxWindow* parent, wxWindowID id);

  // Shows compartment n (1-based) anew: no selection, the first card at the top.
  void showCompartment(int n);
  // Shows the same compartment anew with no selection, keeping the rows in view that
  // were, and row among them.
  void showAgainKeeping(int32_t row);
  // Moves the selected cards to the end of compartment target and shows what is left
  // from the top.
  void moveSelectedTo(int target);
  // The selected rows in ascending order.
  std::vector<int32_t> selectedRows() const;
  const tCardView& view() const { return view_; }
  bool AcceptsFocusFromKeyboard() const override;  // a tab stop, see above
  // The texts of a row's two columns, front and back.
  wxString textOf(int32_t row) const;
  wxString backOf(int32_t row) const;

 private:
  void OnDrawItem(wxDC& dc, const wxRect& rect, size_t n) const override;
  wxCoord OnMeasureItem(size_t n) const override;
  void onKey(wxKeyEvent& event);
  void reload();

  tCardView view_;
  wxCoord rowHeight_;
};

#endif  // TERMEL_DIALOGS_CARD_LIST_H_
