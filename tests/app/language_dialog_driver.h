// Lets wxTEST_DIALOG answer the language dialog by running a test's action on it, on
// screen, in place of ShowModal; the action's result is ShowModal's.
#ifndef TERMEL_TESTS_APP_LANGUAGE_DIALOG_DRIVER_H_
#define TERMEL_TESTS_APP_LANGUAGE_DIALOG_DRIVER_H_

#include <wx/testing.h>
#include <wx/toplevel.h>

#include <functional>
#include <utility>

#include "dialogs/sprache_dialog.h"
#include "gui_test.h"

template <>
class wxExpectModal<tSpracheDialog> : public wxExpectModalBase<tSpracheDialog> {
 public:
  explicit wxExpectModal(std::function<int(tSpracheDialog*)> action) : action_(std::move(action)) {}

 protected:
  int OnInvoked(tSpracheDialog* dialog) const override {
    // Shown and brought to the front as the window manager does with a new dialog;
    // the X server of the tests has no window manager to hand it the keyboard.
    dialog->Show();
    dialog->Raise();
    guitest::waitFor([dialog] { return dialog->IsShownOnScreen(); });
    guitest::yield(100);
    const int result = action_(dialog);
    // A window manager hands the keyboard back to the frame when a dialog closes.
    dialog->Hide();
    wxGetTopLevelParent(dialog->GetParent())->Raise();
    guitest::yield(100);
    return result;
  }

 private:
  std::function<int(tSpracheDialog*)> action_;
};

#endif  // TERMEL_TESTS_APP_LANGUAGE_DIALOG_DRIVER_H_
