#include "dialogs/show_dialog.h"

#include <wx/button.h>
#include <wx/stattext.h>

#include "box/termel.h"
#include "dialogs/fitted_text.h"
#include "dialogs/termel_dialog.h"
#include "dialogs/typed_ahead.h"
#include "dialogs/wx_text.h"

tShowDialog::tShowDialog(wxWindow* parent, tTermel* existingCard)
    : tXrcDialog(parent, "1200"),
      frontText(control<wxStaticText>(1201)),
      backText(control<wxStaticText>(1202)),
      existingCard(existingCard) {
  if (!loaded()) return;
  // It comes up in the middle of typing cards.
  markAsQuestion(this);
  showCard();
  Bind(wxEVT_BUTTON, &tShowDialog::onChange, this, 101);
  offerHelp(9, "Eingabe");
  Bind(wxEVT_BUTTON, &tShowDialog::onOk, this, wxID_OK);
}

void tShowDialog::showCard() {
  // A card's text may hold 63 characters, more than the field shows in its font.
  showFitted(frontText, toWx(existingCard->front));
  showFitted(backText, toWx(existingCard->back));
}

void tShowDialog::onChange(wxCommandEvent&) {
  runCardEntryDialog(this, existingCard);
  showCard();
}

void tShowDialog::onOk(wxCommandEvent&) {
  closeWith(wxID_OK);
}

int runDuplicateDialog(wxWindow* parent, tTermel* existingCard) {
  tShowDialog dialog(parent, existingCard);
  if (!dialog.loaded()) return -1;
  return dialog.ShowModal();
}
