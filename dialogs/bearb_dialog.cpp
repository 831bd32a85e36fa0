#include "dialogs/bearb_dialog.h"

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/listbox.h>

#include <algorithm>
#include <vector>

#include "box/card_box.h"
#include "box/termel.h"
#include "dialogs/compartment_names.h"
#include "dialogs/help.h"
#include "dialogs/kasten_dialog.h"
#include "dialogs/termel_dialog.h"
#include "dialogs/wx_text.h"

namespace {

// Selected item indices in ascending order.
std::vector<int> selectedIndices(const wxListBox* list) {
  wxArrayInt selections;
  list->GetSelections(selections);
  std::vector<int> indices(selections.begin(), selections.end());
  std::sort(indices.begin(), indices.end());
  return indices;
}

tTermel* cardAt(const wxListBox* list, int index) {
  return static_cast<tTermel*>(list->GetClientData(index));
}

}  // namespace

void fillCardList(wxListBox* list, int n) {
  wxArrayString texts;
  std::vector<void*> cards;
  tTermel buffer;
  for (tTermel* card = theCardBox.firstIn(n, &buffer); card != nullptr;
       card = theCardBox.nextIn(n, &buffer)) {
    texts.Add(toWx(buffer.front));
    cards.push_back(card);
  }
  list->Clear();
  if (!cards.empty()) list->Append(texts, cards.data());
}

tBearbDialog::tBearbDialog(wxWindow* parent)
    : tXrcDialog(parent, "500"),
      shownCompartment(0),
      cardList(control<wxListBox>(501)),
      compartmentBox(control<wxChoice>(502)),
      changeButton(control<wxButton>(503)),
      moveButton(control<wxButton>(504)) {
  if (!loaded()) return;
  // A template's combo box height includes its drop-down list; a wxChoice draws its
  // list itself and would otherwise be as tall as the list.
  compartmentBox->SetInitialSize(wxSize(compartmentBox->GetSize().x, wxDefaultCoord));
  // The list is reached by the mouse only; Tab goes round the chooser and the buttons,
  // and the chooser has the focus first.
  cardList->DisableFocusFromKeyboard();
  compartmentBox->SetFocus();
  fillCompartmentNames(compartmentBox);
  compartmentBox->SetSelection(0);
  refill();
  Bind(wxEVT_CHOICE, &tBearbDialog::onCompartmentChosen, this, 502);
  Bind(wxEVT_LISTBOX, &tBearbDialog::onSelectionChanged, this, 501);
  // The mouse's own double click, not the list's: GTK reports Enter in the list as a
  // list double click too, where Enter must close the dialog.
  cardList->Bind(wxEVT_LEFT_DCLICK, &tBearbDialog::onDoubleClick, this);
  Bind(wxEVT_BUTTON, &tBearbDialog::onChange, this, 503);
  Bind(wxEVT_BUTTON, &tBearbDialog::onMove, this, 504);
  Bind(wxEVT_BUTTON, &tBearbDialog::onHelp, this, 506);
  Bind(wxEVT_BUTTON, &tBearbDialog::onClose, this, wxID_OK);
  Bind(wxEVT_CHAR_HOOK, &tBearbDialog::onKey, this);
  Bind(wxEVT_CLOSE_WINDOW, &tBearbDialog::onCloseBox, this);
}

void tBearbDialog::refill() {
  fillCardList(cardList, shownCompartment + 1);
  changeButton->Disable();
  moveButton->Disable();
}

void tBearbDialog::onCompartmentChosen(wxCommandEvent&) {
  const int chosen = compartmentBox->GetSelection();
  if (chosen == wxNOT_FOUND || chosen == shownCompartment) return;
  shownCompartment = chosen;
  refill();
}

void tBearbDialog::onSelectionChanged(wxCommandEvent&) {
  changeButton->Enable();
  moveButton->Enable();
}

void tBearbDialog::onChange(wxCommandEvent&) {
  const std::vector<int> selected = selectedIndices(cardList);
  if (selected.empty()) return;
  if (runCardEntryDialog(this, cardAt(cardList, selected.front())) == wxID_OK) refill();
}

void tBearbDialog::onDoubleClick(wxMouseEvent& event) {
  event.Skip();
  if (cardList->HitTest(event.GetPosition()) == wxNOT_FOUND) return;
  // After the list has taken the click into its selection; a dialog closed meanwhile
  // discards the pending call, a hidden one ignores it.
  CallAfter([this] {
    wxCommandEvent change;
    if (IsShown()) onChange(change);
  });
}

void tBearbDialog::onMove(wxCommandEvent&) {
  tKastenDialog targetDialog(this);
  if (!targetDialog.loaded() || targetDialog.ShowModal() != wxID_OK) return;
  if (moveTarget < 0 || moveTarget == shownCompartment) return;
  moveSelectedTo(moveTarget);
}

void tBearbDialog::moveSelectedTo(int target) {
  const std::vector<int> selected = selectedIndices(cardList);
  if (selected.empty()) return;
  for (int index : selected) {
    tTermel* stored = cardAt(cardList, index);
    const tTermel copy = *stored;
    // A card that is no longer where the list says stays put rather than being doubled.
    if (theCardBox.removeCard(stored, shownCompartment + 1)) theCardBox.addCardTo(copy, target + 1);
  }
  refill();
}

void tBearbDialog::onHelp(wxCommandEvent&) {
  callHelp(this, tHelpCommand::Keyword, "Korrektur");
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
  if (!dialog.loaded()) return -1;
  return dialog.ShowModal();
}
