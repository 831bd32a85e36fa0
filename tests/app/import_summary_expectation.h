// Answers the summary at the end of a word-list import the way the learner does: reads
// what it says, scrolls its list to the end with the keyboard and closes it with Enter
// (or Esc), wherever the dialog put the focus.
#ifndef TERMEL_TESTS_APP_IMPORT_SUMMARY_EXPECTATION_H_
#define TERMEL_TESTS_APP_IMPORT_SUMMARY_EXPECTATION_H_

#include <gtest/gtest.h>
#include <wx/listbox.h>
#include <wx/uiaction.h>

#include <string>
#include <utility>
#include <vector>

#include "dialogs/import_summary_dialog.h"
#include "gui_test.h"
#include "x_focus.h"

// The summary's text and rows (UTF-8); closeKey is WXK_RETURN or WXK_ESCAPE.
struct tSummaryLook {
  std::string text;
  std::vector<std::string> rows;
  int closeKey = WXK_RETURN;
};

template <>
class wxExpectModal<tImportSummaryDialog> : public wxExpectModalBase<tImportSummaryDialog> {
 public:
  explicit wxExpectModal(tSummaryLook look) : look_(std::move(look)) {}

 protected:
  int OnInvoked(tImportSummaryDialog* dialog) const override {
    // Shown and brought to the front as the window manager does with a new dialog.
    dialog->Show();
    dialog->Raise();
    EXPECT_EQ(dialog->summary().utf8_string(), look_.text);
    std::vector<std::string> rows;
    for (const wxString& row : dialog->notes()) rows.push_back(row.utf8_string());
    EXPECT_EQ(rows, look_.rows);
    auto* list = dynamic_cast<wxListBox*>(dialog->FindWindow(182));
    // The X server sends a key to the window it gave the keyboard, which can lag behind
    // the toolkit's own focus; a key sent to the main window would wait there for the
    // question to close, as a key typed ahead must.
    EXPECT_TRUE(guitest::waitFor([&] {
      return keyboardFocus().title == dialog->GetTitle().utf8_string();
    })) << "the X server gives the dialog the keyboard";
    wxUIActionSimulator input;
    if (!look_.rows.empty()) {
      EXPECT_TRUE(guitest::waitFor([&] { return wxWindow::FindFocus() == list; }))
          << "the list has the keyboard";
      input.Char(WXK_END);
      const int last = static_cast<int>(look_.rows.size()) - 1;
      EXPECT_TRUE(guitest::waitFor([&] { return list->GetSelection() == last; }));
    } else {
      EXPECT_FALSE(list->IsShown());
      // The key goes where the focus is: wait until the window manager has given the
      // dialog the keyboard, as the learner would see it in front before pressing.
      EXPECT_TRUE(guitest::waitFor([&] {
        wxWindow* focus = wxWindow::FindFocus();
        return focus != nullptr && wxGetTopLevelParent(focus) == dialog;
      })) << "the dialog has the keyboard";
    }
    input.Char(look_.closeKey);
    EXPECT_TRUE(guitest::waitFor([&] { return dialog->GetReturnCode() != 0; }));
    return dialog->GetReturnCode();
  }

 private:
  tSummaryLook look_;
};

inline wxExpectModal<tImportSummaryDialog> importSummary(tSummaryLook look) {
  return wxExpectModal<tImportSummaryDialog>(std::move(look));
}

#endif  // TERMEL_TESTS_APP_IMPORT_SUMMARY_EXPECTATION_H_
