// The card editing dialog: list the cards of any compartment, correct one, move the
// selected ones to another compartment. Works on theCardBox directly: every change
// takes effect at once. The list's items carry references to the stored cards, valid
// until the list is next refilled; afterwards the caller must pick its current card
// anew, since moved cards are new records.
#ifndef TERMEL_DIALOGS_BEARB_DIALOG_H_
#define TERMEL_DIALOGS_BEARB_DIALOG_H_

#include <cstdint>

#include "dialogs/xrc_dialog.h"

class wxButton;
class wxChoice;
class wxListBox;
class wxWindow;

class tBearbDialog : public tXrcDialog {
 public:
  explicit tBearbDialog(wxWindow* parent);

 private:
  void onCompartmentChosen(wxCommandEvent& event);
  void onSelectionChanged(wxCommandEvent& event);
  void onChange(wxCommandEvent& event);
  void onDoubleClick(wxMouseEvent& event);
  void onMove(wxCommandEvent& event);
  void onHelp(wxCommandEvent& event);
  void onClose(wxCommandEvent& event);
  void onKey(wxKeyEvent& event);
  void onCloseBox(wxCloseEvent& event);
  // Shows the cards of shownCompartment again, with no selection and the card buttons off.
  void refill();
  void moveSelectedTo(int target);

  int32_t shownCompartment;  // 0-based
  wxListBox* cardList;
  wxChoice* compartmentBox;
  wxButton* changeButton;
  wxButton* moveButton;
};

// Runs the dialog modally on theCardBox; returns its result.
int runCardEditingDialog(wxWindow* parent);

// Fills list with the front texts of compartment n (1-based) in queue order, each item
// carrying the reference to its stored card.
void fillCardList(wxListBox* list, int n);

#endif  // TERMEL_DIALOGS_BEARB_DIALOG_H_
