// The card entry dialog: new-card mode (type cards, each checked against the box and
// appended to compartment 1) and correction mode (rewrite one stored card's texts).
// The texts being worked on live in the four program-wide buffers below, not in the
// dialog, so a correction opened from inside a new-card dialog shares them.
#ifndef TERMEL_DIALOGS_TERMEL_DIALOG_H_
#define TERMEL_DIALOGS_TERMEL_DIALOG_H_

#include "dialogs/xrc_dialog.h"

struct tTermel;
class wxButton;
class wxTextCtrl;
class wxWindow;

// Working and last-stored texts, shared by every card entry dialog of the run.
extern char workFront[64], workBack[64], lastFront[64], lastBack[64];

class tTermelDialog : public tXrcDialog {
 public:
  // New-card mode when newCardMode, correction mode otherwise; the fields start with
  // workFront and workBack.
  tTermelDialog(wxWindow* parent, bool newCardMode);

 private:
  void onStore(wxCommandEvent& event);
  // Reads both fields into the working texts; false (after telling the user) when a
  // field is empty or holds a character the program cannot keep.
  bool readFields();
  // Stores the card in the working texts unless it repeats the last press or the
  // learner drops it as a duplicate.
  void storeNewCard();
  // Typing stops when a field holds as much as a card; a pasted text too long for the
  // rest of the field is refused whole, and the learner is told.
  void limitLength(wxTextCtrl* field);

  wxTextCtrl* frontField;
  wxTextCtrl* backField;
  wxButton* storeButton;
  wxButton* closeButton;
  bool newCardMode;
};

// New-card mode without a card, correction mode on a stored card. Returns wxID_OK,
// wxID_CANCEL, or -1 when the dialog could not be created.
int runCardEntryDialog(wxWindow* parent, tTermel* card);

#endif  // TERMEL_DIALOGS_TERMEL_DIALOG_H_
