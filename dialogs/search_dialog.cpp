// "Karte suchen": the search text goes through the code page of the cards; a text the
// cards cannot hold finds nothing rather than something near it.
#include "dialogs/search_dialog.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/xrc/xmlres.h>

#include <string>

#include "box/card_box.h"
#include "dialogs/found_list.h"
#include "dialogs/termel_dialog.h"
#include "dialogs/wx_text.h"

tSearchDialog::tSearchDialog(wxWindow* parent, tAnswerHistory* history, tUndoStack* undo)
    : tXrcDialog(parent, "1470"),
      history_(history),
      undo_(undo),
      search_(theCardBox),
      list_(nullptr),
      unmatchable_(false),
      changed_(false) {
  if (!loaded()) return;
  list_ = new tFoundList(this, ID_LIST, &search_);
  wxXmlResource::Get()->AttachUnknownControl("1472", list_, this);
  search_.index();
  search_.find(std::string());
  showFound(0);
  auto* field = control<wxTextCtrl>(ID_TEXT);
  field->Bind(wxEVT_TEXT, &tSearchDialog::onText, this);
  field->Bind(wxEVT_TEXT_ENTER, [this](wxCommandEvent&) { correctSelected(); });
  field->Bind(wxEVT_KEY_DOWN, &tSearchDialog::onFieldKey, this);
  list_->Bind(wxEVT_LIST_ITEM_ACTIVATED, [this](wxListEvent&) { correctSelected(); });
  list_->Bind(wxEVT_LIST_KEY_DOWN, &tSearchDialog::onListKey, this);
  Bind(wxEVT_CHAR_HOOK, &tSearchDialog::onCharHook, this);
  Bind(
      wxEVT_BUTTON, [this](wxCommandEvent&) { moveSelectedToFirst(); }, ID_TO_FIRST);
  offerHelp(ID_HELP, "Karte suchen");
  SetEscapeId(wxID_CANCEL);
  GetSizer()->SetSizeHints(this);
  field->SetFocus();
}

wxString tSearchDialog::countText(int32_t count) {
  if (count == 0) return "Keine Karte gefunden";
  if (count == 1) return "1 Karte gefunden";
  return wxString::Format("%d Karten gefunden", count);
}

void tSearchDialog::showFound(int32_t row) {
  const int32_t rows = unmatchable_ ? 0 : search_.count();
  list_->showRows(rows, row);
  control<wxStaticText>(ID_COUNT)->SetLabel(countText(rows));
  control<wxButton>(ID_TO_FIRST)->Enable(rows > 0);
}

void tSearchDialog::onText(wxCommandEvent&) {
  std::string text;
  unmatchable_ = !fromWx(control<wxTextCtrl>(ID_TEXT)->GetValue(), &text);
  search_.find(unmatchable_ ? std::string() : text);
  showFound(0);
}

// Up and down in the search field move through the list, so the learner can type and
// choose without leaving the field.
void tSearchDialog::onFieldKey(wxKeyEvent& event) {
  const int32_t rows = list_->GetItemCount();
  const int32_t row = list_->selectedRow();
  if (event.GetModifiers() == wxMOD_NONE && rows > 0) {
    if (event.GetKeyCode() == WXK_DOWN && row + 1 < rows) {
      list_->selectOnly(row + 1);
      return;
    }
    if (event.GetKeyCode() == WXK_UP && row > 0) {
      list_->selectOnly(row - 1);
      return;
    }
  }
  event.Skip();
}

void tSearchDialog::onListKey(wxListEvent& event) {
  if (event.GetKeyCode() == WXK_DELETE || event.GetKeyCode() == WXK_NUMPAD_DELETE) {
    deleteSelected();
    return;
  }
  event.Skip();
}

void tSearchDialog::onCharHook(wxKeyEvent& event) {
  if (event.GetModifiers() == wxMOD_CONTROL && event.GetKeyCode() == 'Z') {
    if (undo_->next() == tUndoStack::tNext::kChange) {
      takeBackChange();
      return;
    }
    if (history_->nextIsDeletion()) {
      takeBackDeletion();
      return;
    }
  }
  event.Skip();
}

void tSearchDialog::boxChanged(int32_t row) {
  changed_ = true;
  search_.refresh();
  showFound(row);
}

void tSearchDialog::correctSelected() {
  const int32_t row = list_->selectedRow();
  const tFoundCard found = search_.at(row);
  if (found.card == nullptr) return;
  const tTermel before = *found.card;
  const int32_t position = theCardBox.positionOf(found.card, found.compartment);
  if (runCardEntryDialog(this, found.card) != wxID_OK) return;
  undo_->record("Korrigieren", correctionChange(&theCardBox, found.compartment, position, before));
  boxChanged(row);
}

void tSearchDialog::deleteSelected() {
  const std::vector<int32_t> rows = list_->selectedRows();
  if (rows.empty()) return;
  for (int32_t row : rows) {
    const tFoundCard found = search_.at(row);
    if (found.card != nullptr) history_->deleteCard(found.card, found.compartment);
  }
  // The card that followed the first deleted one takes its place.
  boxChanged(rows.front());
}

void tSearchDialog::takeBackDeletion() {
  const tTermel* card = history_->takeBack();
  if (card == nullptr) return;
  changed_ = true;
  search_.refresh();
  int32_t row = 0;
  while (row < search_.count() && search_.at(row).card != card) ++row;
  showFound(row < search_.count() ? row : 0);
}

void tSearchDialog::takeBackChange() {
  if (!undo_->undo()) return;
  changed_ = true;
  search_.refresh();
  showFound(0);
}

void tSearchDialog::moveSelectedToFirst() {
  const std::vector<int32_t> rows = list_->selectedRows();
  if (rows.empty()) return;
  std::vector<tCardPlace> places;
  search_.moveToFirst(rows, &places);
  undo_->record("In 1. Fach", movedToFirstChange(std::move(places)));
  changed_ = true;
  showFound(rows.front());
}

int runSearchDialog(wxWindow* parent, tAnswerHistory* history, tUndoStack* undo, bool* changed) {
  tSearchDialog dialog(parent, history, undo);
  if (!dialog.loaded()) return -1;
  const int result = dialog.ShowModal();
  if (changed != nullptr) *changed = dialog.changed();
  return result;
}
