// The card entry dialog: new-card mode (type cards, each checked against the box and
// appended to compartment 1) and correction mode (rewrite one stored card's texts).
#ifndef TERMEL_DIALOGS_TERMEL_DIALOG_H_
#define TERMEL_DIALOGS_TERMEL_DIALOG_H_

struct tTermel;
class wxWindow;

// Working and last-stored texts, shared by every card entry dialog of the run.
extern char workFront[64], workBack[64], lastFront[64], lastBack[64];

// New-card mode without a card, correction mode on a stored card. Returns wxID_OK,
// wxID_CANCEL, or -1 when the dialog could not be created.
int runCardEntryDialog(wxWindow* parent, tTermel* card);

#endif  // TERMEL_DIALOGS_TERMEL_DIALOG_H_
