// Driving the program's dialogs from tests: wxExpectModal for each dialog class runs a
// test's action on the dialog instead of showing it and returns the action's result, so
// wxTEST_DIALOG can answer nested dialogs in the order they open. Helpers type into
// fields and press buttons as the learner would, and set up theCardBox.
#ifndef TERMEL_TESTS_DIALOGS_DIALOG_TEST_H_
#define TERMEL_TESTS_DIALOGS_DIALOG_TEST_H_

#include <gtest/gtest.h>
#include <wx/testing.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "box/termel.h"
#include "dialogs/bearb_dialog.h"
#include "dialogs/history_dialog.h"
#include "dialogs/kasten_dialog.h"
#include "dialogs/search_dialog.h"
#include "dialogs/show_dialog.h"
#include "dialogs/sprache_dialog.h"
#include "dialogs/termel_dialog.h"
#include "gui_test.h"

class tCardList;
class wxListBox;

// Texts compared as UTF-8, so literals with umlauts match.
inline std::string u8(const wxString& text) {
  return text.utf8_string();
}

// Runs action(dialog) in place of ShowModal; its return value is ShowModal's result.
template <class T>
class tDriveDialog : public wxExpectModalBase<T, wxExpectModal<T>> {
 public:
  explicit tDriveDialog(std::function<int(T*)> action) : action_(std::move(action)) {}

 protected:
  int OnInvoked(T* dialog) const override {
    dialog->Show();  // so focus and selection behave as on screen
    return action_(dialog);
  }

 private:
  std::function<int(T*)> action_;
};

template <>
class wxExpectModal<tTermelDialog> : public tDriveDialog<tTermelDialog> {
  using tDriveDialog::tDriveDialog;
};
template <>
class wxExpectModal<tShowDialog> : public tDriveDialog<tShowDialog> {
  using tDriveDialog::tDriveDialog;
};
template <>
class wxExpectModal<tKastenDialog> : public tDriveDialog<tKastenDialog> {
  using tDriveDialog::tDriveDialog;
};
template <>
class wxExpectModal<tBearbDialog> : public tDriveDialog<tBearbDialog> {
  using tDriveDialog::tDriveDialog;
};
template <>
class wxExpectModal<tSearchDialog> : public tDriveDialog<tSearchDialog> {
  using tDriveDialog::tDriveDialog;
};
template <>
class wxExpectModal<tHistoryDialog> : public tDriveDialog<tHistoryDialog> {
  using tDriveDialog::tDriveDialog;
};
template <>
class wxExpectModal<tSpracheDialog> : public tDriveDialog<tSpracheDialog> {
  using tDriveDialog::tDriveDialog;
};

namespace dialogtest {

// Empties theCardBox and the card entry buffers, as at program start.
void resetBox();
// Appends a card with these counters to compartment n of theCardBox.
void addCard(int n, const char* front, const char* back, int known = 0, int unknown = 0);
// Front texts, or "front/back/known/unknown" with counters, of compartment n in queue order.
std::vector<std::string> fronts(int n);
std::vector<std::string> cardsWithCounters(int n);

// Sets the text of edit field id as if typed (UTF-8).
void type(wxWindow* dialog, int id, const char* utf8);
wxString valueOf(wxWindow* dialog, int id);
// Clicks button id, which must exist and be enabled.
void press(wxWindow* dialog, int id);
// The dialog's result so far: 0 while it is still open.
int resultOf(wxDialog* dialog);

// Selects exactly these items of a list box and tells the dialog, as clicks would.
void selectItems(wxListBox* list, std::initializer_list<int> items);
void doubleClick(wxListBox* list, int item);
wxListBox* listOf(wxWindow* dialog, int id);
std::vector<std::string> itemsOf(wxListBox* list);
// Chooses entry `index` of the compartment chooser 502 of the card editing dialog.
void chooseCompartment(wxWindow* dialog, int index);

// Real input, through the X server to wherever the pointer and the focus are, and the
// events it causes run. Modifiers (wxMOD_SHIFT, wxMOD_CONTROL) are held during a click.
void clickAt(wxWindow* window, const wxPoint& point, int modifiers = 0);
// Clicks control id of dialog in its middle.
void click(wxWindow* dialog, int id);
void pressKey(int key, int modifiers = 0);

// The card list 501 of the card editing dialog and the front texts of its rows.
tCardList* cardListOf(wxWindow* dialog);
std::vector<std::string> rowsOf(const tCardList* list);
// Clicks a row, which must be in view; twice for a double click.
void clickRow(tCardList* list, int row, int modifiers = 0);
void doubleClickRow(tCardList* list, int row);

}  // namespace dialogtest

#endif  // TERMEL_TESTS_DIALOGS_DIALOG_TEST_H_
