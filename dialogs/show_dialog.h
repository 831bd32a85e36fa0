// The duplicate warning: shows the card already in the box that a new card repeats,
// lets the learner correct that card in place, and asks whether the new card is to be
// stored anyway. The card shown belongs to theCardBox and must outlive the dialog.
#ifndef TERMEL_DIALOGS_SHOW_DIALOG_H_
#define TERMEL_DIALOGS_SHOW_DIALOG_H_

#include "dialogs/xrc_dialog.h"

struct tTermel;
class wxStaticText;
class wxWindow;

class tShowDialog : public tXrcDialog {
 public:
  tShowDialog(wxWindow* parent, tTermel* existingCard);

 private:
  void showCard();
  void onChange(wxCommandEvent& event);
  void onOk(wxCommandEvent& event);

  wxStaticText* frontText;
  wxStaticText* backText;
  tTermel* existingCard;
};

// wxID_OK: store the new card anyway; wxID_CANCEL: drop it; -1: the dialog could not
// be created, which callers treat like wxID_CANCEL.
int runDuplicateDialog(wxWindow* parent, tTermel* existingCard);

#endif  // TERMEL_DIALOGS_SHOW_DIALOG_H_
