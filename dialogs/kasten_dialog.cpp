#include "dialogs/kasten_dialog.h"

#include <wx/listbox.h>

#include "dialogs/compartment_names.h"

int32_t moveTarget = -1;

tKastenDialog::tKastenDialog(wxWindow* parent)
    : tXrcDialog(parent, "400"), targetList(control<wxListBox>(401)) {
  moveTarget = -1;
  if (!loaded()) return;
  fillCompartmentNames(targetList);
  if (!targetList->IsEmpty()) targetList->SetSelection(0);
  Bind(wxEVT_BUTTON, &tKastenDialog::onAccept, this, wxID_OK);
  Bind(wxEVT_LISTBOX_DCLICK, &tKastenDialog::onAccept, this, 401);
  offerHelp(402, "Korrektur");
}

void tKastenDialog::onAccept(wxCommandEvent&) {
  moveTarget = targetList->GetSelection();  // wxNOT_FOUND is -1
  closeWith(wxID_OK);
}
