#include "dialogs/sprache_dialog.h"

#include <wx/msgdlg.h>
#include <wx/radiobox.h>
#include <wx/textctrl.h>

#include "dialogs/languages.h"

namespace {

enum : int { ID_CHOICE = 1511, ID_OTHER_CODE = 1512 };

}  // namespace

tSpracheDialog::tSpracheDialog(wxWindow* parent, const std::string& code)
    : tXrcDialog(parent, "1510"),
      choice_(control<wxRadioBox>(ID_CHOICE)),
      otherCode_(control<wxTextCtrl>(ID_OTHER_CODE)),
      code_(code) {
  if (!loaded()) return;
  const size_t listed = listedLanguage(code);
  choice_->SetSelection(static_cast<int>(listed));
  if (listed == kListedLanguages) otherCode_->SetValue(wxString::FromUTF8(code));
  otherCode_->Enable(otherChosen());
  Bind(wxEVT_RADIOBOX, &tSpracheDialog::onChoice, this, ID_CHOICE);
  Bind(wxEVT_BUTTON, &tSpracheDialog::onAccept, this, wxID_OK);
}

bool tSpracheDialog::otherChosen() const {
  return choice_->GetSelection() == static_cast<int>(kListedLanguages);
}

void tSpracheDialog::onChoice(wxCommandEvent&) {
  otherCode_->Enable(otherChosen());
}

void tSpracheDialog::onAccept(wxCommandEvent&) {
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
