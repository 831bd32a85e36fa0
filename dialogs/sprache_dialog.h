// "Sprache der Übersetzung": the language the translations of the open box are read
// aloud in, one of the listed languages or, under "Andere…", any code the learner
// types. A code that is none is refused with a message and the dialog stays open.
#ifndef TERMEL_DIALOGS_SPRACHE_DIALOG_H_
#define TERMEL_DIALOGS_SPRACHE_DIALOG_H_

#include <string>

#include "dialogs/xrc_dialog.h"

class wxListBox;
class wxTextCtrl;

class tSpracheDialog : public tXrcDialog {
 public:
  // code: the language chosen so far, shown as the dialog's choice.
  tSpracheDialog(wxWindow* parent, const std::string& code);

  // The language chosen, once the dialog closed with wxID_OK.
  const std::string& code() const { return code_; }

 private:
  void onChoice(wxCommandEvent& event);
  void onListChosen(wxCommandEvent& event);
  void onAccept(wxCommandEvent& event);
  void onKey(wxKeyEvent& event);
  // Closes with the language chosen; a typed code that is none is refused.
  void accept();
  bool otherChosen() const;

  wxListBox* choice_;
  wxTextCtrl* otherCode_;
  std::string code_;
};

// Runs the dialog for *code; true, with *code changed, when the learner chose with OK.
bool chooseTranslationLanguage(wxWindow* parent, std::string* code);

#endif  // TERMEL_DIALOGS_SPRACHE_DIALOG_H_
