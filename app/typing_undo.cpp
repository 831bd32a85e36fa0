#include "app/typing_undo.h"

#include <wx/textctrl.h>

tTypingUndo::tTypingUndo(wxTextCtrl* entry) : entry_(entry) {
  entry_->Bind(wxEVT_TEXT, &tTypingUndo::onText, this);
}

tTypingUndo::~tTypingUndo() {
  entry_->Unbind(wxEVT_TEXT, &tTypingUndo::onText, this);
}

bool tTypingUndo::undo() {
  if (entry_->IsEmpty()) return false;
  wxString previous;
  if (!before_.empty()) {
    previous = before_.back();
    before_.pop_back();
  }
  // ChangeValue sends no text event, so the step taken back is not recorded again.
  entry_->ChangeValue(previous);
  entry_->SetInsertionPointEnd();
  current_ = previous;
  return true;
}

void tTypingUndo::reset() {
  before_.clear();
  current_ = entry_->GetValue();
}

void tTypingUndo::onText(wxCommandEvent& event) {
  before_.push_back(current_);
  current_ = entry_->GetValue();
  event.Skip();
}
