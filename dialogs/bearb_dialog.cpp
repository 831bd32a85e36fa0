#include "dialogs/bearb_dialog.h"

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/xrc/xmlres.h>

#include <vector>

#include "box/card_box.h"
#include "box/termel.h"
#include "dialogs/card_list.h"
#include "dialogs/compartment_names.h"
#include "dialogs/kasten_dialog.h"
#include "dialogs/termel_dialog.h"

namespace {

// The list is built here and put in the place the template keeps for it.
tCardList* attachCardList(wxWindow* dialog) {
  auto* list = new tCardList(dialog, 501);
  if (!wxXmlResource::Get()->AttachUnknownControl("card_list", list, dialog)) {
    list->Destroy();
    return nullptr;
  }
  // The place names its control after itself; the dialog knows the list by its id.
  list->SetId(501);
  return list;
}

}  // namespace

void fillCardList(tCardList* list, int n) {
  list->showCompartment(n);
}

tBearbDialog::tBearbDialog(wxWindow* parent)
    : tXrcDialog(parent, "500"),
      shownCompartment(0),
      cardList(loaded() ? attachCardList(this) : nullptr),
      compartmentBox(control<wxChoice>(502)),
      changeButton(control<wxButton>(503)),
      moveButton(control<wxButton>(504)) {
  if (!loaded() || cardList == nullptr) return;
  // A template's combo box height includes its drop-down list; a wxChoice draws its
  // list itself and would otherwise be as tall as the list.
  compartmentBox->SetInitialSize(wxSize(compartmentBox->GetSize().x, wxDefaultCoord));
  // Tab goes round the chooser and the buttons, and the chooser has the focus first.
  compartmentBox->SetFocus();
  fillCompartmentNames(compartmentBox);
  compartmentBox->SetSelection(0);
  fillCardList(cardList, 1);
  enableCardButtons(false);
  Bind(wxEVT_CHOICE, &tBearbDialog::onCompartmentChosen, this, 502);
  Bind(wxEVT_LISTBOX, &tBearbDialog::onSelectionChanged, this, 501);
  Bind(wxEVT_LISTBOX_DCLICK, &tBearbDialog::onDoubleClick, this, 501);
  Bind(wxEVT_BUTTON, &tBearbDialog::onChange, this, 503);
  Bind(wxEVT_BUTTON, &tBearbDialog::onMove, this, 504);
  offerHelp(506, "Korrektur");
  Bind(wxEVT_BUTTON, &tBearbDialog::onClose, this, wxID_OK);
  Bind(wxEVT_CHAR_HOOK, &tBearbDialog::onKey, this);
  Bind(wxEVT_CLOSE_WINDOW, &tBearbDialog::onCloseBox, this);
}

void tBearbDialog::enableCardButtons(bool on) {
  changeButton->Enable(on);
  moveButton->Enable(on);
  if (!on && FindFocus() != cardList) compartmentBox->SetFocus();
}

void tBearbDialog::onCompartmentChosen(wxCommandEvent&) {
  const int chosen = compartmentBox->GetSelection();
  if (chosen == wxNOT_FOUND || chosen == shownCompartment) return;
  shownCompartment = chosen;
  fillCardList(cardList, shownCompartment + 1);
  enableCardButtons(false);
}

void tBearbDialog::onSelectionChanged(wxCommandEvent&) {
  enableCardButtons(true);
}

void tBearbDialog::onChange(wxCommandEvent&) {
  const std::vector<int32_t> selected = cardList->selectedRows();
  if (selected.empty()) return;
  const int32_t row = selected.front();
  if (runCardEntryDialog(this, cardList->view().at(row)) != wxID_OK) return;
  cardList->showAgainKeeping(row);
  enableCardButtons(false);
}

void tBearbDialog::onDoubleClick(wxCommandEvent&) {
  // After the list has finished with the click; a dialog closed meanwhile discards
  // the pending call, a hidden one ignores it.
  CallAfter([this] {
    wxCommandEvent change;
    if (IsShown()) onChange(change);
  });
}

void tBearbDialog::onMove(wxCommandEvent&) {
  tKastenDialog targetDialog(this);
  if (!targetDialog.loaded() || targetDialog.ShowModal() != wxID_OK) return;
  if (moveTarget < 0 || moveTarget == shownCompartment) return;
  if (cardList->GetSelectedCount() == 0) return;
  cardList->moveSelectedTo(moveTarget + 1);
  enableCardButtons(false);
}

void tBearbDialog::onClose(wxCommandEvent&) {
  closeWith(wxID_OK);
}

void tBearbDialog::onKey(wxKeyEvent& event) {
  const int key = event.GetKeyCode();
  // No button carries the cancel id, so wx would turn Escape into "Schließen".
  if (key == WXK_ESCAPE) {
    closeWith(wxID_CANCEL);
    return;
  }
  // Enter closes unless a button has the focus; the chooser would take it as a request
  // to drop down.
  const bool enter = key == WXK_RETURN || key == WXK_NUMPAD_ENTER;
  if (enter && dynamic_cast<wxButton*>(FindFocus()) == nullptr) {
    closeWith(wxID_OK);
    return;
  }
  event.Skip();
}

void tBearbDialog::onCloseBox(wxCloseEvent&) {
  closeWith(wxID_CANCEL);
}

int runCardEditingDialog(wxWindow* parent) {
  tBearbDialog dialog(parent);
  if (!dialog.loaded() || dialog.FindWindow(501) == nullptr) return -1;
  return dialog.ShowModal();
}
