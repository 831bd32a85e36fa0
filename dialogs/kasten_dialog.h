// The move target dialog: asks for the compartment into which the card editing dialog
// moves the selected cards. The choice is left in moveTarget.
#ifndef TERMEL_DIALOGS_KASTEN_DIALOG_H_
#define TERMEL_DIALOGS_KASTEN_DIALOG_H_

#include <cstdint>

#include "dialogs/xrc_dialog.h"

class wxListBox;
class wxWindow;

// 0-based index of the chosen compartment, -1 when none was chosen. Set to -1 by each
// new tKastenDialog; holds the choice after it closes with wxID_OK.
extern int32_t moveTarget;

class tKastenDialog : public tXrcDialog {
 public:
  explicit tKastenDialog(wxWindow* parent);

 private:
  void onAccept(wxCommandEvent& event);

  wxListBox* targetList;
};

#endif  // TERMEL_DIALOGS_KASTEN_DIALOG_H_
