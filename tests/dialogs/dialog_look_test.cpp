// What every dialog offers the keyboard and the eye: a "Hilfe" button and F1 for its
// help page, mnemonics on its buttons and the labels of its fields, and lists tall
// enough for their entries.
#include <wx/button.h>
#include <wx/choice.h>
#include <wx/listbox.h>
#include <wx/listctrl.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <cctype>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "box/box_stats.h"
#include "box/card_box.h"
#include "dialog_test.h"
#include "dialogs/backups_dialog.h"
#include "dialogs/help.h"
#include "dialogs/overview_dialog.h"

namespace {

struct tDialogCase {
  const char* title;
  std::function<wxDialog*()> make;
  int helpButton;
  const char* helpPage;
};

std::vector<tDialogCase> everyDialog() {
  static tTermel card;
  static tAnswerHistory history(&theCardBox);
  static tUndoStack undo(&theCardBox, &history);
  return {
      {"Termeln eingeben", [] { return new tTermelDialog(nullptr, true); }, 303, "eingabe.htm"},
      {"Verschieben nach", [] { return new tKastenDialog(nullptr); }, 402, "korrektur.htm"},
      {"Termeln ändern", [] { return new tBearbDialog(nullptr); }, 506, "korrektur.htm"},
      {"Achtung", [] { return new tShowDialog(nullptr, theCardBox.firstIn(1, &card)); }, 9,
       "eingabe.htm"},
      {"Sicherungen", [] { return new tBackupsDialog(nullptr, {}); }, 703, "sicherungen.htm"},
      {"Übersicht", [] { return new tOverviewDialog(nullptr, tBoxStats()); }, 605,
       "uebersicht.htm"},
      {"Karte suchen", [] { return new tSearchDialog(nullptr, &history, &undo); },
       tSearchDialog::ID_HELP, "suchen.htm"},
      {"Lernverlauf", [] { return new tHistoryDialog(nullptr, tLearningFigures()); },
       tHistoryDialog::ID_HELP, "lernverlauf.htm"},
      {"Sprache der Übersetzung", [] { return new tSpracheDialog(nullptr, "en"); }, 1513,
       "vorlesen.htm"},
  };
}

class DialogLookTest : public testing::Test {
 protected:
  void SetUp() override {
    dialogtest::resetBox();
    dialogtest::addCard(1, "Haus", "house");
  }
  void TearDown() override {
    callHelp(nullptr, tHelpCommand::Quit);
    dialogtest::resetBox();
  }
};

// Shown as in a modal run, with the keyboard in the dialog.
std::unique_ptr<wxDialog, void (*)(wxDialog*)> shown(const tDialogCase& which) {
  std::unique_ptr<wxDialog, void (*)(wxDialog*)> dialog(which.make(),
                                                        [](wxDialog* d) { d->Destroy(); });
  dialog->Show();
  dialog->Raise();
  EXPECT_TRUE(guitest::waitFor([&] { return dialog->IsShownOnScreen(); }));
  guitest::yield(200);
  return dialog;
}

// The letter a label's mnemonic gives, lower case; 0 without one.
char mnemonicOf(const wxString& label) {
  wxString shown;
  const int index = wxControl::FindAccelIndex(label, &shown);
  if (index == wxNOT_FOUND) return 0;
  return static_cast<char>(wxTolower(shown[static_cast<size_t>(index)]));
}

bool isField(wxWindow* window) {
  return dynamic_cast<wxTextCtrl*>(window) != nullptr ||
         dynamic_cast<wxListBox*>(window) != nullptr ||
         dynamic_cast<wxChoice*>(window) != nullptr || dynamic_cast<wxListCtrl*>(window) != nullptr;
}

}  // namespace

TEST_F(DialogLookTest, EveryDialogShowsItsHelpPageWithItsButtonAndWithF1) {
  for (const tDialogCase& which : everyDialog()) {
    SCOPED_TRACE(which.title);
    auto dialog = shown(which);
    EXPECT_EQ(u8(dialog->GetTitle()), which.title);
    ASSERT_NE(dialog->FindWindow(which.helpButton), nullptr);
    EXPECT_EQ(u8(guitest::labelOf(dialog.get(), which.helpButton)), "Hilfe");
    dialogtest::pressKey(WXK_F1);
    EXPECT_EQ(u8(shownHelpPage()), which.helpPage);
    callHelp(nullptr, tHelpCommand::Quit);
    guitest::yield(50);
    dialogtest::click(dialog.get(), which.helpButton);
    EXPECT_EQ(u8(shownHelpPage()), which.helpPage);
    EXPECT_TRUE(dialog->IsShown());
    callHelp(nullptr, tHelpCommand::Quit);
    guitest::yield(50);
  }
}

TEST_F(DialogLookTest, ButtonsAndFieldLabelsHaveMnemonicsOfTheirOwn) {
  for (const tDialogCase& which : everyDialog()) {
    SCOPED_TRACE(which.title);
    std::unique_ptr<wxDialog, void (*)(wxDialog*)> dialog(which.make(),
                                                          [](wxDialog* d) { d->Destroy(); });
    std::set<char> letters;
    for (wxWindow* child : dialog->GetChildren()) {
      const bool button = dynamic_cast<wxButton*>(child) != nullptr;
      // A label names the field after it; other texts show values.
      const bool fieldLabel =
          dynamic_cast<wxStaticText*>(child) != nullptr && isField(child->GetNextSibling());
      if (!button && !fieldLabel) continue;
      const char letter = mnemonicOf(child->GetLabel());
      EXPECT_NE(letter, 0) << u8(child->GetLabel());
      EXPECT_TRUE(letters.insert(letter).second) << "twice: " << letter;
    }
  }
}

TEST_F(DialogLookTest, AltWithALabelsLetterMovesTheKeyboardToItsField) {
  auto dialog = shown(everyDialog()[0]);
  ASSERT_EQ(wxWindow::FindFocus(), dialog->FindWindow(301));
  dialogtest::pressKey('b', wxMOD_ALT);  // "übersetzt"
  EXPECT_EQ(wxWindow::FindFocus(), dialog->FindWindow(302));
  dialogtest::pressKey('d', wxMOD_ALT);  // "Deutsch"
  EXPECT_EQ(wxWindow::FindFocus(), dialog->FindWindow(301));
  dialogtest::pressKey('h', wxMOD_ALT);  // "Hilfe"
  EXPECT_TRUE(guitest::waitFor([] { return shownHelpPage() == "eingabe.htm"; }, 1000));
}

TEST_F(DialogLookTest, MoveTargetListShowsAllSevenCompartments) {
  auto dialog = shown(everyDialog()[1]);
  auto* list = dynamic_cast<wxListBox*>(dialog->FindWindow(401));
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->GetCount(), 7u);
  EXPECT_GE(list->GetCountPerPage(), 7);
}
