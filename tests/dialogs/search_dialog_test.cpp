// The search dialog on its own: a search text the cards cannot hold, several cards
// deleted at once and taken back one by one, and which changes end the answers'
// history.
#include "dialogs/search_dialog.h"

#include <wx/listctrl.h>
#include <wx/uiaction.h>

#include "box/card_box.h"
#include "dialog_test.h"
#include "dialogs/found_list.h"

namespace {

using dialogtest::fronts;

// Clicks row of the found list, the modifiers held.
void clickRow(tFoundList* list, long row, int modifiers = 0) {
  wxRect rect;
  ASSERT_TRUE(list->GetItemRect(row, rect));
  dialogtest::clickAt(list, wxPoint(rect.x + 20, rect.y + rect.height / 2), modifiers);
}

void doubleClickRow(tFoundList* list, long row) {
  wxRect rect;
  ASSERT_TRUE(list->GetItemRect(row, rect));
  wxUIActionSimulator input;
  input.MouseMove(list->ClientToScreen(wxPoint(rect.x + 20, rect.y + rect.height / 2)));
  guitest::yield(30);
  input.MouseDblClick();
  guitest::yield(150);
}

class SearchDialogTest : public testing::Test {
 protected:
  void SetUp() override { dialogtest::resetBox(); }
  void TearDown() override { dialogtest::resetBox(); }

  // Runs the dialog with action in place of the learner.
  void run(std::function<void(tSearchDialog*)> action) {
    changed_ = false;
    wxTEST_DIALOG(runSearchDialog(nullptr, &history_, &undo_, &changed_),
                  wxExpectModal<tSearchDialog>([&](tSearchDialog* dialog) {
                    action(dialog);
                    return wxID_CANCEL;
                  }));
  }

  tAnswerHistory history_{&theCardBox};
  tUndoStack undo_{&theCardBox, &history_};
  bool changed_ = false;
};

TEST_F(SearchDialogTest, ATextTheCardsCannotHoldFindsNothing) {
  dialogtest::addCard(1, "Pfeil", "arrow");
  dialogtest::addCard(2, "Pfeil nach rechts", "right arrow");
  run([](tSearchDialog* dialog) {
    EXPECT_EQ(u8(guitest::labelOf(dialog, tSearchDialog::ID_COUNT)), "2 Karten gefunden");
    dialogtest::type(dialog, tSearchDialog::ID_TEXT, "Pfeil \xE2\x86\x92");  // "→"
    EXPECT_EQ(dialog->list()->GetItemCount(), 0);
    EXPECT_EQ(u8(guitest::labelOf(dialog, tSearchDialog::ID_COUNT)), "Keine Karte gefunden");
    EXPECT_FALSE(guitest::isEnabled(dialog, tSearchDialog::ID_TO_FIRST));
    dialogtest::type(dialog, tSearchDialog::ID_TEXT, "RECHTS");
    EXPECT_EQ(u8(guitest::labelOf(dialog, tSearchDialog::ID_COUNT)), "1 Karte gefunden");
    EXPECT_EQ(u8(dialog->list()->GetItemText(0, tFoundList::kCompartment)), "2");
  });
  EXPECT_FALSE(changed_);
}

TEST_F(SearchDialogTest, CardsDeletedTogetherComeBackOneByOneInTheirPlaces) {
  dialogtest::addCard(1, "eins", "one");
  dialogtest::addCard(1, "zwei", "two");
  dialogtest::addCard(1, "drei", "three");
  dialogtest::addCard(7, "vier", "four");
  theCardBox.chooseNext();
  history_.answerKnown();  // eins to compartment 2: an answer before the deletions
  run([](tSearchDialog* dialog) {
    tFoundList* list = dialog->list();
    ASSERT_TRUE(guitest::waitFor([&] { return list->IsShownOnScreen(); }));
    clickRow(list, 0);
    clickRow(list, 2, wxMOD_CONTROL);  // zwei and eins
    EXPECT_EQ(list->selectedRows(), (std::vector<int32_t>{0, 2}));
    dialogtest::pressKey(WXK_DELETE);
    EXPECT_EQ(u8(guitest::labelOf(dialog, tSearchDialog::ID_COUNT)), "2 Karten gefunden");
    EXPECT_EQ(fronts(1), std::vector<std::string>{"drei"});
    EXPECT_EQ(theCardBox.countIn(2), 0);
    dialogtest::pressKey('Z', wxMOD_CONTROL);
    EXPECT_EQ(theCardBox.countIn(2), 1) << "the card deleted last comes back first";
    dialogtest::pressKey('Z', wxMOD_CONTROL);
    EXPECT_EQ(fronts(1), (std::vector<std::string>{"zwei", "drei"}));
    EXPECT_EQ(u8(guitest::labelOf(dialog, tSearchDialog::ID_COUNT)), "4 Karten gefunden");
    dialogtest::pressKey('Z', wxMOD_CONTROL);  // an answer is the window's to take back
    EXPECT_EQ(theCardBox.countIn(2), 1);
  });
  EXPECT_TRUE(changed_);
  EXPECT_TRUE(history_.canTakeBack()) << "the answer is still there";
}

TEST_F(SearchDialogTest, ADoubleClickCorrectsTheCardAndAbbrechenLeavesItAsItWas) {
  dialogtest::addCard(1, "Haus", "house");
  dialogtest::addCard(3, "Maus", "mouse");
  theCardBox.chooseNext();
  history_.answerKnown();
  changed_ = false;
  wxTEST_DIALOG(runSearchDialog(nullptr, &history_, &undo_, &changed_),
                wxExpectModal<tSearchDialog>([](tSearchDialog* dialog) {
                  tFoundList* list = dialog->list();
                  EXPECT_TRUE(guitest::waitFor([&] { return list->IsShownOnScreen(); }));
                  doubleClickRow(list, 1);
                  EXPECT_EQ(u8(list->GetItemText(1, tFoundList::kFront)), "Maus");
                  return wxID_CANCEL;
                }),
                wxExpectModal<tTermelDialog>([](tTermelDialog* dialog) {
                  EXPECT_EQ(u8(dialogtest::valueOf(dialog, 301)), "Maus");
                  dialogtest::type(dialog, 301, "Mausi");
                  return wxID_CANCEL;
                }));
  EXPECT_FALSE(changed_);
  EXPECT_EQ(dialogtest::fronts(3), std::vector<std::string>{"Maus"});
  EXPECT_TRUE(history_.canTakeBack()) << "nothing changed, so the answer stays";
}

TEST_F(SearchDialogTest, MovingToTheFirstCompartmentIsTakenBackBeforeTheEarlierAnswer) {
  dialogtest::addCard(1, "eins", "one");
  dialogtest::addCard(5, "fuenf", "five");
  theCardBox.chooseNext();
  history_.answerUnknown();
  run([](tSearchDialog* dialog) {
    dialogtest::type(dialog, tSearchDialog::ID_TEXT,
                     "f\xC3\xBC"
                     "nf");  // "fünf"
    dialogtest::click(dialog, tSearchDialog::ID_TO_FIRST);
    EXPECT_EQ(u8(dialog->list()->GetItemText(0, tFoundList::kCompartment)), "1");
  });
  EXPECT_TRUE(changed_);
  EXPECT_EQ(fronts(1), (std::vector<std::string>{"eins", "fuenf"}));
  EXPECT_EQ(undo_.nextLabel(), "In 1. Fach");
  ASSERT_TRUE(undo_.undo());
  EXPECT_EQ(fronts(1), std::vector<std::string>{"eins"});
  EXPECT_EQ(fronts(5), std::vector<std::string>{"fuenf"});
  EXPECT_EQ(undo_.next(), tUndoStack::tNext::kHistory) << "the answer can still be taken back";
}

}  // namespace

TEST_F(SearchDialogTest, FoundListColumnsHoldTheirTextsAndFillTheRow) {
  dialogtest::addCard(1, "Haus", "house");
  dialogtest::addCard(7, "Baum", "tree");
  run([](tSearchDialog* dialog) {
    dialog->Show();
    ASSERT_TRUE(guitest::waitFor([&] { return dialog->IsShownOnScreen(); }));
    auto* list = static_cast<tFoundList*>(dialog->FindWindow(tSearchDialog::ID_LIST));
    for (wxSize grow : {wxSize(0, 0), wxSize(300, 0)}) {
      dialog->SetSize(dialog->GetSize() + grow);
      guitest::yield(200);
      EXPECT_GT(list->GetColumnWidth(tFoundList::kCompartment), list->GetTextExtent("Ablage").x);
      const int widths =
          list->GetColumnWidth(0) + list->GetColumnWidth(1) + list->GetColumnWidth(2);
      EXPECT_LE(widths, list->GetClientSize().x);
      EXPECT_GE(widths, list->GetClientSize().x - 30) << "no empty room beside the columns";
      EXPECT_GT(list->GetColumnWidth(tFoundList::kFront),
                list->GetColumnWidth(tFoundList::kCompartment));
    }
  });
}

// Umschalt+Down and Up in the list grow and shrink the selection from the row the
// keyboard came to; Entf then deletes exactly those cards.
TEST_F(SearchDialogTest, UmschaltArrowsExtendTheSelectionFromTheFocusedRow) {
  for (const char* front : {"eins", "zwei", "drei", "vier", "acht"}) {
    dialogtest::addCard(1, front, "x");
  }
  run([](tSearchDialog* dialog) {
    tFoundList* list = dialog->list();
    ASSERT_TRUE(guitest::waitFor([&] { return list->IsShownOnScreen(); }));
    dialogtest::click(dialog, tSearchDialog::ID_TEXT);
    dialogtest::pressKey(WXK_DOWN);  // from the field: zwei
    dialogtest::pressKey(WXK_TAB);   // into the list
    ASSERT_EQ(wxWindow::FindFocus(), list);
    const std::pair<int, std::vector<int32_t>> steps[] = {{WXK_DOWN, {1, 2}},
                                                          {WXK_DOWN, {1, 2, 3}},
                                                          {WXK_UP, {1, 2}},
                                                          {WXK_UP, {1}},
                                                          {WXK_UP, {0, 1}}};
    for (const auto& [key, selected] : steps) {
      dialogtest::pressKey(key, wxMOD_SHIFT);
      EXPECT_EQ(list->selectedRows(), selected);
    }
    dialogtest::pressKey(WXK_DELETE);
    EXPECT_EQ(fronts(1), (std::vector<std::string>{"drei", "vier", "acht"}));
  });
}
