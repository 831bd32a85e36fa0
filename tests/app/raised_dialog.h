// Dialogs opened from the training window, driven by a test: tRaised runs the test's
// action in place of ShowModal with the dialog shown and in front, as the window
// manager puts a new dialog, so real keys (dialogtest::pressKey, typeKeys) reach it:
// the X server of the tests has no window manager to hand a dialog the keyboard.
#ifndef TERMEL_TESTS_APP_RAISED_DIALOG_H_
#define TERMEL_TESTS_APP_RAISED_DIALOG_H_

#include <wx/modalhook.h>
#include <wx/testing.h>
#include <wx/uiaction.h>

#include <functional>
#include <utility>

#include "gui_test.h"

// The action's return value is ShowModal's result.
template <class T>
class tRaised : public wxExpectModalBase<T, tRaised<T>> {
 public:
  explicit tRaised(std::function<int(T*)> action) : action_(std::move(action)) {}

 protected:
  int OnInvoked(T* dialog) const override {
    dialog->Show();
    dialog->Raise();
    return action_(dialog);
  }

 private:
  std::function<int(T*)> action_;
};

// Types ASCII text where the focus is.
inline void typeKeys(const char* text) {
  wxUIActionSimulator input;
  input.Text(text);
  guitest::yield(150);
}

#endif  // TERMEL_TESTS_APP_RAISED_DIALOG_H_
