#include "dialogs/import_summary_dialog.h"

#include <wx/listbox.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include "dialogs/typed_ahead.h"

tImportSummaryDialog::tImportSummaryDialog(wxWindow* parent, const wxString& summary,
                                           const wxArrayString& notes)
    : tXrcDialog(parent, "import_summary"),
      summaryGiven(summary),
      summaryText(control<wxStaticText>(181)),
      noteList(control<wxListBox>(182)) {
  if (!loaded()) return;
  // It comes up when an import ends, maybe long after the learner typed on.
  markAsQuestion(this);
  summaryText->SetLabel(summary);
  summaryText->Wrap(ConvertDialogToPixels(wxSize(300, 0)).x);
  showNotes(notes);
  GetSizer()->SetSizeHints(this);
  // Esc, Enter on the list (which GTK reports as activating a row) and the close box
  // all end here, modal or not.
  SetEscapeId(wxID_OK);
  Bind(
      wxEVT_BUTTON, [this](wxCommandEvent&) { closeWith(wxID_OK); }, wxID_OK);
  Bind(
      wxEVT_LISTBOX_DCLICK, [this](wxCommandEvent&) { closeWith(wxID_OK); }, 182);
}

// The list, with the keyboard on its first row; without notes only "OK" is left.
void tImportSummaryDialog::showNotes(const wxArrayString& notes) {
  noteList->Set(notes);
  if (notes.empty()) {
    noteList->Hide();
    FindWindow(183)->Hide();
    FindWindow(wxID_OK)->SetFocus();
    return;
  }
  noteList->SetSelection(0);
  noteList->SetFocus();
}

wxArrayString tImportSummaryDialog::notes() const {
  return noteList->GetStrings();
}
