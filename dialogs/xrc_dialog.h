// tXrcDialog: the base of every dialog of the program, a wxDialog built from one of the
// dialog templates compiled in from resources/dialog_*.xrc. Templates give positions and
// sizes in dialog units; the dialog's size is its client area. Dialogs open centred on
// their parent, as the window manager places top-level windows anyway.
// A dialog object lives for one modal run; its controls belong to it.
#ifndef TERMEL_DIALOGS_XRC_DIALOG_H_
#define TERMEL_DIALOGS_XRC_DIALOG_H_

#include <wx/dialog.h>

// Makes the program's windows and menus known to wxWidgets. Their labels are shown as
// they stand: wx would otherwise pass each through its own catalog, which turns a
// German "&Info" into "&Information".
void loadTermelResources();

class tXrcDialog : public wxDialog {
 public:
  // After construction loaded() tells whether the template was found and built.
  tXrcDialog(wxWindow* parent, const char* templateName);

  bool loaded() const { return loaded_; }

  // Ends the dialog with result. Also works while a test's modal hook stands in for
  // ShowModal, when the dialog is not really modal: the result is kept either way.
  void closeWith(int result);

 protected:
  // The help topic of this dialog (a keyword or page of the help book): the button
  // helpButton and F1 show it, while the dialog stays open.
  void offerHelp(int helpButton, const char* keyword);

  // The control with the given template id, of the given type, or nullptr.
  template <class T>
  T* control(int id) const {
    return dynamic_cast<T*>(FindWindow(id));
  }

 private:
  bool loaded_;
};

#endif  // TERMEL_DIALOGS_XRC_DIALOG_H_
