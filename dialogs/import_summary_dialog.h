// The summary at the end of a word-list import ("Wortliste importieren"): what came
// in, and every line not taken or cut, with its number, in a list that can be long.
// The list has the keyboard at first, so arrows and Page keys scroll it; Enter and
// Esc close the dialog, as does "OK".
#ifndef TERMEL_DIALOGS_IMPORT_SUMMARY_DIALOG_H_
#define TERMEL_DIALOGS_IMPORT_SUMMARY_DIALOG_H_

#include <wx/arrstr.h>
#include <wx/string.h>

#include "dialogs/xrc_dialog.h"

class wxListBox;
class wxStaticText;
class wxWindow;

class tImportSummaryDialog : public tXrcDialog {
 public:
  // summary: the sentences above the list; notes: one row each.
  tImportSummaryDialog(wxWindow* parent, const wxString& summary, const wxArrayString& notes);

  // The summary as given, before it was wrapped to the dialog's width.
  const wxString& summary() const { return summaryGiven; }
  wxArrayString notes() const;

 private:
  void showNotes(const wxArrayString& notes);

  wxString summaryGiven;
  wxStaticText* summaryText;
  wxListBox* noteList;
};

#endif  // TERMEL_DIALOGS_IMPORT_SUMMARY_DIALOG_H_
