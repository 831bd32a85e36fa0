// The card editing dialog: list the cards of any compartment, correct one, move the
// selected ones to another compartment.
#ifndef TERMEL_DIALOGS_BEARB_DIALOG_H_
#define TERMEL_DIALOGS_BEARB_DIALOG_H_

class wxWindow;

// Runs the dialog modally on theCardBox; returns its result.
int runCardEditingDialog(wxWindow* parent);

#endif  // TERMEL_DIALOGS_BEARB_DIALOG_H_
