// The card editing dialog: list the cards of any compartment, correct one, move the
// selected ones to another compartment. Works on theCardBox directly: every change
// takes effect at once. The list's rows refer to the stored cards until the list is
// next refilled; afterwards the caller must pick its current card anew, since moved
// cards are new records.
#ifndef TERMEL_DIALOGS_BEARB_DIALOG_H_
#define TERMEL_DIALOGS_BEARB_DIALOG_H_

#include <cstdint>

#include "dialogs/xrc_dialog.h"

class tCardList;
class wxButton;
class wxChoice;
class wxWindow;

class tBearbDialog : public tXrcDialog {
 public:
  explicit tBearbDialog(wxWindow* parent);

 private:
  void onCompartmentChosen(wxCommandEvent& event);
  void onSelectionChanged(wxCommandEvent& event);
  void onChange(wxCommandEvent& event);
  void onDoubleClick(wxCommandEvent& event);
  void onMove(wxCommandEvent& event);
  void onClose(wxCommandEvent& event);
  void onKey(wxKeyEvent& event);
  void onCloseBox(wxCloseEvent& event);
  // Turns buttons 503 and 504 on or off. Off, the keyboard focus leaves them for the
  // chooser: a disabled button keeps no focus, and without a focused control the
  // dialog would see no more keys, Escape included.
  void enableCardButtons(bool on);

  int32_t shownCompartment;  // 0-based
  tCardList* cardList;
  wxChoice* compartmentBox;
  wxButton* changeButton;
  wxButton* moveButton;
};

// Runs the dialog modally on theCardBox; returns its result.
int runCardEditingDialog(wxWindow* parent);

// Shows the cards of compartment n (1-based) in the list in queue order, from the
// top and with no selection.
void fillCardList(tCardList* list, int n);

#endif  // TERMEL_DIALOGS_BEARB_DIALOG_H_
