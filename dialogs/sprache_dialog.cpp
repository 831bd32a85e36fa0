#include "dialogs/sprache_dialog.h"

#include <wx/listbox.h>
#include <wx/msgdlg.h>
#include <wx/textctrl.h>
#include <wx/window.h>

#include "dialogs/languages.h"

namespace {

enum : int { ID_CHOICE = 1511, ID_OTHER_CODE = 1512, ID_HELP = 1513 };

}  // namespace

tSpracheDialog::tSpracheDialog(wxWindow* parent, const std::string& code)
    : tXrcDialog(parent, "1510"),
      choice_(control<wxListBox>(ID_CHOICE)),
      otherCode_(control<wxTextCtrl>(ID_OTHER_CODE)),
      code_(code) {
  if (!loaded()) return;
  const size_t listed = listedLanguage(code);
  choice_->SetSelection(static_cast<int>(listed));
  if (listed == kListedLanguages) otherCode_->SetValue(wxString::FromUTF8(code));
  otherCode_->Enable(otherChosen());
  Bind(wxEVT_LISTBOX, &tSpracheDialog::onChoice, this, ID_CHOICE);
  Bind(wxEVT_LISTBOX_DCLICK, &tSpracheDialog::onListChosen, this, ID_CHOICE);
  Bind(wxEVT_BUTTON, &tSpracheDialog::onAccept, this, wxID_OK);
  Bind(wxEVT_CHAR_HOOK, &tSpracheDialog::onKey, this);
  offerHelp(ID_HELP, "Sprachcode");
}

// Enter means Ok wherever the focus is, except on Abbrechen: the list would take it
// for itself.
void tSpracheDialog::onKey(wxKeyEvent& event) {
  const bool enter = event.GetKeyCode() == WXK_RETURN || event.GetKeyCode() == WXK_NUMPAD_ENTER;
  const wxWindow* focus = wxWindow::FindFocus();
  if (!enter || event.GetModifiers() != wxMOD_NONE ||
      (focus != nullptr && focus->GetId() == wxID_CANCEL)) {
    event.Skip();
    return;
  }
  accept();
}

bool tSpracheDialog::otherChosen() const {
  return choice_->GetSelection() == static_cast<int>(kListedLanguages);
}

void tSpracheDialog::onChoice(wxCommandEvent&) {
  otherCode_->Enable(otherChosen());
}

// Enter or a double click in the list. On "Andere…" it leads on to the code, which
// is still to be typed.
void tSpracheDialog::onListChosen(wxCommandEvent&) {
  if (!otherChosen()) {
    accept();
    return;
  }
  otherCode_->SetFocus();
  otherCode_->SelectAll();
}

void tSpracheDialog::onAccept(wxCommandEvent&) {
  accept();
}

void tSpracheDialog::accept() {
  if (choice_->GetSelection() == wxNOT_FOUND) return;  // nothing chosen yet
  if (!otherChosen()) {
    code_ = kListedCodes[choice_->GetSelection()];
    closeWith(wxID_OK);
    return;
  }
  if (!parseLanguageCode(otherCode_->GetValue().utf8_string(), &code_)) {
    wxMessageDialog message(this,
                            wxString::FromUTF8("„") + otherCode_->GetValue() +
                                wxString::FromUTF8("“ ist kein Sprachcode. Bitte zwei oder drei "
                                                   "Buchstaben eingeben, etwa „pt“, oder mit "
                                                   "Land „pt-BR“."),
                            "Achtung", wxOK | wxICON_WARNING);
    message.SetOKLabel("OK");  // GTK would name it in the desktop's language
    message.ShowModal();
    otherCode_->SetFocus();
    otherCode_->SelectAll();
    return;
  }
  closeWith(wxID_OK);
}

bool chooseTranslationLanguage(wxWindow* parent, std::string* code) {
  tSpracheDialog dialog(parent, *code);
  if (!dialog.loaded() || dialog.ShowModal() != wxID_OK) return false;
  *code = dialog.code();
  return true;
}
