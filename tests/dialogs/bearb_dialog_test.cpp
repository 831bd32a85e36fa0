// The card editing dialog and the move target dialog it opens.
#include <wx/dcmemory.h>
#include <wx/dcscreen.h>
#include <wx/listbox.h>
#include <wx/stopwatch.h>
#include <wx/uiaction.h>

#include <iostream>

#include <functional>
#include <string>

#include "box/card_box.h"
#include "dialog_test.h"
#include "dialogs/card_list.h"
#include "dialogs/help.h"

using dialogtest::cardListOf;
using dialogtest::cardsWithCounters;
using dialogtest::click;
using dialogtest::clickRow;
using dialogtest::fronts;
using dialogtest::itemsOf;
using dialogtest::listOf;
using dialogtest::press;
using dialogtest::pressKey;
using dialogtest::rowsOf;
using Strings = std::vector<std::string>;

namespace {

class BearbDialogTest : public testing::Test {
 protected:
  void SetUp() override { dialogtest::resetBox(); }
  void TearDown() override { dialogtest::resetBox(); }
};

bool cardButtonsEnabled(wxWindow* dialog) {
  const bool change = guitest::isEnabled(dialog, 503);
  EXPECT_EQ(change, guitest::isEnabled(dialog, 504)) << "503 and 504 go together";
  return change;
}

// A move target dialog answered by accepting entry `index`.
wxExpectModal<tKastenDialog> moveTo(int index) {
  return wxExpectModal<tKastenDialog>([index](tKastenDialog* dialog) {
    listOf(dialog, 401)->SetSelection(index);
    press(dialog, wxID_OK);
    return dialogtest::resultOf(dialog);
  });
}

// Lets the dialog that a test drives come up on screen, so clicks and keys reach it.
tCardList* shownList(tBearbDialog* dialog) {
  tCardList* list = cardListOf(dialog);
  EXPECT_NE(list, nullptr);
  EXPECT_TRUE(
      guitest::waitFor([&] { return list->IsShownOnScreen() && list->GetClientSize().y > 50; }));
  guitest::yield(100);
  return list;
}

// Answers a card entry dialog in correction mode with these texts.
wxExpectModal<tTermelDialog> correctTo(const char* front, const char* back) {
  return wxExpectModal<tTermelDialog>([front, back](tTermelDialog* dialog) {
    dialogtest::type(dialog, 301, front);
    dialogtest::type(dialog, 302, back);
    press(dialog, wxID_OK);
    return dialogtest::resultOf(dialog);
  });
}

}  // namespace

TEST_F(BearbDialogTest, OpensOnCompartmentOneAndShowsTheChosenCompartment) {
  dialogtest::addCard(2, "Haus", "house");
  dialogtest::addCard(2, "Maus", "mouse");
  wxTEST_DIALOG(runCardEditingDialog(nullptr),
                wxExpectModal<tBearbDialog>([](tBearbDialog* dialog) {
                  tCardList* list = shownList(dialog);
                  EXPECT_EQ(u8(dialog->GetTitle()), "Termeln ändern");
                  EXPECT_EQ(list->GetItemCount(), 0u);
                  EXPECT_FALSE(cardButtonsEnabled(dialog));
                  dialogtest::chooseCompartment(dialog, 1);
                  EXPECT_EQ(rowsOf(list), (Strings{"Haus", "Maus"}));
                  clickRow(list, 1);
                  EXPECT_TRUE(list->IsSelected(1));
                  EXPECT_TRUE(cardButtonsEnabled(dialog));
                  dialogtest::chooseCompartment(dialog, 1);  // the same entry again
                  EXPECT_TRUE(list->IsSelected(1));
                  EXPECT_TRUE(cardButtonsEnabled(dialog));
                  dialogtest::chooseCompartment(dialog, 6);  // the archive
                  EXPECT_EQ(list->GetItemCount(), 0u);
                  EXPECT_FALSE(cardButtonsEnabled(dialog));
                  return wxID_OK;
                }));
}

TEST_F(BearbDialogTest, MovedCardsJoinTheTargetInOrderWithTheirCounters) {
  dialogtest::addCard(1, "Tisch", "table", 9, 9);
  dialogtest::addCard(2, "A", "a", 1, 2);
  dialogtest::addCard(2, "B", "b", 3, 4);
  dialogtest::addCard(2, "C", "c", 5, 6);
  dialogtest::addCard(2, "D", "d", 7, 8);
  wxTEST_DIALOG(runCardEditingDialog(nullptr),
                wxExpectModal<tBearbDialog>([](tBearbDialog* dialog) {
                  tCardList* list = shownList(dialog);
                  dialogtest::chooseCompartment(dialog, 1);
                  clickRow(list, 2);
                  clickRow(list, 3, wxMOD_SHIFT);
                  clickRow(list, 0, wxMOD_CONTROL);
                  EXPECT_EQ(list->selectedRows(), (std::vector<int32_t>{0, 2, 3}));
                  click(dialog, 504);
                  EXPECT_EQ(rowsOf(list), Strings{"B"});
                  EXPECT_FALSE(cardButtonsEnabled(dialog));
                  return wxID_OK;
                }),
                moveTo(0));
  EXPECT_EQ(cardsWithCounters(1), (Strings{"Tisch/table/9/9", "A/a/1/2", "C/c/5/6", "D/d/7/8"}));
  EXPECT_EQ(cardsWithCounters(2), Strings{"B/b/3/4"});
}

TEST_F(BearbDialogTest, CardsMoveIntoAndOutOfTheArchive) {
  dialogtest::addCard(1, "Haus", "house", 2, 1);
  wxTEST_DIALOG(runCardEditingDialog(nullptr),
                wxExpectModal<tBearbDialog>([](tBearbDialog* dialog) {
                  tCardList* list = shownList(dialog);
                  clickRow(list, 0);
                  click(dialog, 504);
                  EXPECT_EQ(fronts(7), Strings{"Haus"});
                  dialogtest::chooseCompartment(dialog, 6);
                  EXPECT_EQ(rowsOf(list), Strings{"Haus"});
                  clickRow(list, 0);
                  click(dialog, 504);
                  return wxID_OK;
                }),
                moveTo(6), moveTo(2));
  EXPECT_EQ(cardsWithCounters(3), Strings{"Haus/house/2/1"});
  EXPECT_TRUE(fronts(7).empty());
  EXPECT_TRUE(fronts(1).empty());
}

TEST_F(BearbDialogTest, CancelledOrSameCompartmentMoveChangesNothing) {
  dialogtest::addCard(1, "Haus", "house");
  wxTEST_DIALOG(
      runCardEditingDialog(nullptr), wxExpectModal<tBearbDialog>([](tBearbDialog* dialog) {
        tCardList* list = shownList(dialog);
        clickRow(list, 0);
        click(dialog, 504);
        click(dialog, 504);
        EXPECT_TRUE(list->IsSelected(0));
        EXPECT_TRUE(cardButtonsEnabled(dialog));
        return wxID_OK;
      }),
      wxExpectModal<tKastenDialog>([](tKastenDialog*) { return wxID_CANCEL; }), moveTo(0));
  EXPECT_EQ(fronts(1), Strings{"Haus"});
}

TEST_F(BearbDialogTest, ChangeCorrectsOnlyTheTopmostSelectedCard) {
  dialogtest::addCard(1, "A", "a");
  dialogtest::addCard(1, "B", "b", 1, 1);
  dialogtest::addCard(1, "C", "c");
  wxTEST_DIALOG(runCardEditingDialog(nullptr),
                wxExpectModal<tBearbDialog>([](tBearbDialog* dialog) {
                  tCardList* list = shownList(dialog);
                  clickRow(list, 2);
                  clickRow(list, 1, wxMOD_CONTROL);
                  click(dialog, 503);
                  EXPECT_EQ(rowsOf(list), (Strings{"A", "Bett", "C"}));
                  EXPECT_FALSE(cardButtonsEnabled(dialog));
                  dialogtest::doubleClickRow(list, 2);
                  EXPECT_TRUE(list->IsSelected(2)) << "a cancelled correction";
                  EXPECT_TRUE(cardButtonsEnabled(dialog));
                  return wxID_OK;
                }),
                wxExpectModal<tTermelDialog>([](tTermelDialog* dialog) {
                  EXPECT_EQ(u8(dialogtest::valueOf(dialog, 301)), "B");
                  dialogtest::type(dialog, 301, "Bett");
                  dialogtest::type(dialog, 302, "bed");
                  press(dialog, wxID_OK);
                  return dialogtest::resultOf(dialog);
                }),
                wxExpectModal<tTermelDialog>([](tTermelDialog* dialog) {
                  EXPECT_EQ(u8(dialogtest::valueOf(dialog, 301)), "C");
                  return wxID_CANCEL;
                }));
  EXPECT_EQ(cardsWithCounters(1), (Strings{"A/a/0/0", "Bett/bed/1/1", "C/c/0/0"}));
}

TEST_F(BearbDialogTest, AfterDeselectingEverythingTheButtonsStayOnButDoNothing) {
  dialogtest::addCard(1, "Haus", "house");
  wxTEST_DIALOG(runCardEditingDialog(nullptr),
                wxExpectModal<tBearbDialog>([](tBearbDialog* dialog) {
                  tCardList* list = shownList(dialog);
                  clickRow(list, 0);
                  guitest::yield(600);  // not a double click
                  clickRow(list, 0, wxMOD_CONTROL);
                  EXPECT_EQ(list->GetSelectedCount(), 0u);
                  EXPECT_TRUE(cardButtonsEnabled(dialog));
                  click(dialog, 503);  // opens nothing
                  click(dialog, 504);
                  return wxID_OK;
                }),
                moveTo(1));
  EXPECT_EQ(fronts(1), Strings{"Haus"});
  EXPECT_TRUE(fronts(2).empty());
}

TEST_F(BearbDialogTest, MoveTargetListsEveryCompartmentAndStartsOnTheFirst) {
  int result = 0;
  {
    tKastenDialog dialog(nullptr);
    wxTEST_DIALOG(result = dialog.ShowModal(),
                  wxExpectModal<tKastenDialog>([](tKastenDialog* shown) {
                    EXPECT_EQ(itemsOf(listOf(shown, 401)),
                              (Strings{"1. Fach", "2. Fach", "3. Fach", "4. Fach", "5. Fach",
                                       "6. Fach", "7. Fach"}));
                    press(shown, wxID_OK);
                    return dialogtest::resultOf(shown);
                  }));
  }
  EXPECT_EQ(result, wxID_OK);
  EXPECT_EQ(moveTarget, 0);
  {
    tKastenDialog dialog(nullptr);
    EXPECT_EQ(moveTarget, -1);
    wxTEST_DIALOG(result = dialog.ShowModal(),
                  wxExpectModal<tKastenDialog>([](tKastenDialog* shown) {
                    dialogtest::doubleClick(listOf(shown, 401), 6);
                    return dialogtest::resultOf(shown);
                  }));
  }
  EXPECT_EQ(result, wxID_OK);
  EXPECT_EQ(moveTarget, 6);
}

// The list comes before the chooser, as it stands: Umschalt+Tab reaches it, and the
// arrow keys there choose the card the buttons work on.
TEST_F(BearbDialogTest, ChooserHasTheFocusFirstAndUmschaltTabReachesTheList) {
  dialogtest::addCard(1, "Haus", "house");
  wxTEST_DIALOG(runCardEditingDialog(nullptr),
                wxExpectModal<tBearbDialog>([](tBearbDialog* dialog) {
                  wxWindow* chooser = dialog->FindWindow(502);
                  EXPECT_TRUE(guitest::waitFor([&] { return wxWindow::FindFocus() == chooser; }));
                  pressKey(WXK_TAB, wxMOD_SHIFT);
                  EXPECT_EQ(wxWindow::FindFocus(), cardListOf(dialog));
                  EXPECT_FALSE(cardButtonsEnabled(dialog));
                  pressKey(WXK_DOWN);
                  EXPECT_TRUE(cardButtonsEnabled(dialog));
                  return wxID_OK;
                }));
}

namespace {

// The result of a card editing dialog to which `action` was done.
int resultAfter(const std::function<void(tBearbDialog*)>& action) {
  int result = 0;
  wxTEST_DIALOG(runCardEditingDialog(nullptr),
                wxExpectModal<tBearbDialog>([&](tBearbDialog* dialog) {
                  shownList(dialog);
                  action(dialog);
                  result = dialogtest::resultOf(dialog);
                  return wxID_OK;
                }));
  return result;
}

}  // namespace

TEST_F(BearbDialogTest, EscapeAndCloseBoxCancelWhileEnterCloses) {
  EXPECT_EQ(resultAfter([](tBearbDialog*) { pressKey(WXK_ESCAPE); }), wxID_CANCEL);
  EXPECT_EQ(resultAfter([](tBearbDialog* dialog) { dialog->Close(); }), wxID_CANCEL);
  EXPECT_EQ(resultAfter([](tBearbDialog*) { pressKey(WXK_RETURN); }), wxID_OK);  // on the chooser
  // Tab leads down the buttons as they stand, from the chooser past the card buttons,
  // off without a selection, to "Hilfe"; Enter there is the button's.
  EXPECT_EQ(resultAfter([](tBearbDialog* dialog) {
              pressKey(WXK_TAB);
              EXPECT_EQ(wxWindow::FindFocus(), dialog->FindWindow(506));
              pressKey(WXK_RETURN);
              EXPECT_EQ(u8(lastHelpRequest()), "keyword:Korrektur");
            }),
            0);
  callHelp(nullptr, tHelpCommand::Quit);
}

// After a refill has turned the card buttons off, the keys still reach the dialog.
TEST_F(BearbDialogTest, EscapeStillClosesAfterAMoveOrACorrection) {
  for (int i = 0; i < 4; ++i) dialogtest::addCard(1, std::to_string(i).c_str(), "x");
  int result = 0;
  wxTEST_DIALOG(result = runCardEditingDialog(nullptr),
                wxExpectModal<tBearbDialog>([](tBearbDialog* dialog) {
                  tCardList* list = shownList(dialog);
                  clickRow(list, 0);
                  click(dialog, 504);
                  EXPECT_EQ(rowsOf(list), (Strings{"1", "2", "3"}));
                  EXPECT_EQ(wxWindow::FindFocus(), dialog->FindWindow(502));
                  clickRow(list, 1);
                  click(dialog, 503);
                  EXPECT_EQ(rowsOf(list), (Strings{"1", "Zwei", "3"}));
                  EXPECT_FALSE(cardButtonsEnabled(dialog));
                  EXPECT_EQ(wxWindow::FindFocus(), dialog->FindWindow(502));
                  pressKey(WXK_ESCAPE);
                  return dialogtest::resultOf(dialog);
                }),
                moveTo(1), correctTo("Zwei", "two"));
  EXPECT_EQ(result, wxID_CANCEL);
}

TEST_F(BearbDialogTest, EnterInTheListClosesWhereADoubleClickCorrects) {
  dialogtest::addCard(1, "Haus", "house");
  int result = 0;
  int corrections = 0;
  wxTEST_DIALOG(result = runCardEditingDialog(nullptr),
                wxExpectModal<tBearbDialog>([](tBearbDialog* dialog) {
                  tCardList* list = shownList(dialog);
                  dialogtest::doubleClickRow(list, 0);
                  EXPECT_TRUE(list->IsSelected(0));
                  EXPECT_EQ(wxWindow::FindFocus(), list);
                  EXPECT_EQ(dialogtest::resultOf(dialog), 0);
                  pressKey(WXK_RETURN);
                  EXPECT_TRUE(guitest::waitFor([&] { return dialogtest::resultOf(dialog) != 0; }));
                  return dialogtest::resultOf(dialog);
                }),
                wxExpectModal<tTermelDialog>([&](tTermelDialog*) {
                  ++corrections;
                  return wxID_CANCEL;
                }));
  EXPECT_EQ(result, wxID_OK);
  EXPECT_EQ(corrections, 1);
}

TEST_F(BearbDialogTest, ControlAAndArrowKeysSelectAsInAListBox) {
  for (int i = 0; i < 5; ++i) dialogtest::addCard(1, std::to_string(i).c_str(), "x");
  wxTEST_DIALOG(runCardEditingDialog(nullptr),
                wxExpectModal<tBearbDialog>([](tBearbDialog* dialog) {
                  tCardList* list = shownList(dialog);
                  clickRow(list, 1);
                  pressKey(WXK_DOWN, wxMOD_SHIFT);
                  EXPECT_EQ(list->selectedRows(), (std::vector<int32_t>{1, 2}));
                  pressKey('a', wxMOD_CONTROL);
                  EXPECT_EQ(list->GetSelectedCount(), 5u);
                  click(dialog, 504);
                  EXPECT_EQ(list->GetItemCount(), 0u);
                  return wxID_OK;
                }),
                moveTo(3));
  EXPECT_EQ(fronts(4), (Strings{"0", "1", "2", "3", "4"}));
}

// A correction keeps the rows in view that were, the corrected card among them; a move
// shows the rest from the first card.
TEST_F(BearbDialogTest, RefilledListKeepsTheCorrectedCardInViewAndStartsAtTheTopAfterAMove) {
  const int n = 300;
  for (int i = 0; i < n; ++i) dialogtest::addCard(1, ("Karte " + std::to_string(i)).c_str(), "x");
  wxTEST_DIALOG(runCardEditingDialog(nullptr),
                wxExpectModal<tBearbDialog>([](tBearbDialog* dialog) {
                  tCardList* list = shownList(dialog);
                  EXPECT_EQ(list->GetVisibleRowsBegin(), 0u);
                  clickRow(list, 0);
                  pressKey(WXK_END);
                  EXPECT_TRUE(list->IsSelected(n - 1));
                  const size_t top = list->GetVisibleRowsBegin();
                  EXPECT_GT(top, 0u);
                  pressKey(WXK_UP);
                  pressKey(WXK_UP);
                  click(dialog, 503);
                  EXPECT_EQ(rowsOf(list)[n - 3], "Ecke");
                  EXPECT_EQ(list->GetVisibleRowsBegin(), top);
                  EXPECT_TRUE(list->IsRowVisible(n - 3));
                  clickRow(list, static_cast<int>(top));
                  click(dialog, 504);
                  EXPECT_EQ(list->GetItemCount(), static_cast<size_t>(n - 1));
                  EXPECT_EQ(list->GetVisibleRowsBegin(), 0u);
                  EXPECT_EQ(list->GetItemRect(0).y, 0) << "the first card fully in view";
                  return wxID_OK;
                }),
                correctTo("Ecke", "corner"), moveTo(1));
}

// Not a speed check (the benchmarks are): prints how long opening the dialog and
// refilling its list take at 200,000 cards and checks that the list shows them all.
TEST_F(BearbDialogTest, ALargeCompartmentOpensAndRefillsWhole) {
  const int n = 200000;
  for (int i = 0; i < n; ++i) dialogtest::addCard(1, ("Karte " + std::to_string(i)).c_str(), "x");
  wxStopWatch watch;
  wxTEST_DIALOG(runCardEditingDialog(nullptr),
                wxExpectModal<tBearbDialog>([&](tBearbDialog* dialog) {
                  tCardList* list = cardListOf(dialog);
                  std::cout << "card editing dialog opened on " << n << " cards in " << watch.Time()
                            << " ms" << std::endl;
                  shownList(dialog);
                  EXPECT_EQ(list->GetItemCount(), static_cast<size_t>(n));
                  EXPECT_EQ(list->textOf(n - 1), "Karte 199999");
                  clickRow(list, 0);
                  click(dialog, 504);
                  EXPECT_EQ(list->GetItemCount(), static_cast<size_t>(n - 1));
                  EXPECT_EQ(list->textOf(0), "Karte 1");
                  dialogtest::chooseCompartment(dialog, 1);
                  watch.Start();
                  dialogtest::chooseCompartment(dialog, 0);
                  std::cout << "list refilled with " << n - 1 << " cards in " << watch.Time()
                            << " ms" << std::endl;
                  EXPECT_EQ(list->GetItemCount(), static_cast<size_t>(n - 1));
                  return wxID_OK;
                }),
                moveTo(1));
  EXPECT_EQ(theCardBox.countIn(2), 1);
}

// A backslash a card holds is shown doubled, the escape of one backslash, so each
// field expands to what is stored, whether it was changed or not.
TEST_F(BearbDialogTest, CorrectionOkKeepsAStoredBackslashAndExpandsOnlyWhatWasTyped) {
  dialogtest::addCard(1, "C:\\Temp", "a\\\\b \\\"u", 2, 3);
  dialogtest::addCard(1, "Ordner", "dir");
  wxTEST_DIALOG(
      runCardEditingDialog(nullptr), wxExpectModal<tBearbDialog>([](tBearbDialog* dialog) {
        tCardList* list = shownList(dialog);
        dialogtest::doubleClickRow(list, 0);
        guitest::yield(600);  // two double clicks, not one long click run
        dialogtest::doubleClickRow(list, 0);
        return wxID_OK;
      }),
      // Enter in the front field, which has the focus: both texts unchanged.
      wxExpectModal<tTermelDialog>([](tTermelDialog* dialog) {
        EXPECT_EQ(u8(dialogtest::valueOf(dialog, 301)), "C:\\\\Temp");
        EXPECT_TRUE(guitest::waitFor([dialog] {
          return dialog->IsShownOnScreen() && wxWindow::FindFocus() == dialog->FindWindow(301);
        }));
        // A click into the field brings the window the keys to come; it
        // changes no text.
        dialogtest::click(dialog, 301);
        pressKey(WXK_RETURN);
        EXPECT_TRUE(guitest::waitFor([dialog] { return dialogtest::resultOf(dialog); }));
        return dialogtest::resultOf(dialog);
      }),
      // Both changed: what the card held stays as it was, the escape typed is expanded.
      wxExpectModal<tTermelDialog>([](tTermelDialog* dialog) {
        EXPECT_EQ(u8(dialogtest::valueOf(dialog, 302)), "a\\\\\\\\b \\\\\"u");
        dialogtest::type(dialog, 301, "C:\\\\Temp2");
        dialogtest::type(dialog, 302, "a\\\\\\\\b \\\\\"u \\\"a");
        press(dialog, wxID_OK);
        return dialogtest::resultOf(dialog);
      }));
  EXPECT_EQ(cardsWithCounters(1), (Strings{"C:\\Temp2/a\\\\b \\\"u ä/2/3", "Ordner/dir/0/0"}));
}

namespace {

// Pixels darker than the list's background in part of the list as it is on screen.
int inkIn(wxWindow* list, const wxRect& part) {
  const wxRect onScreen(list->ClientToScreen(part.GetPosition()), part.GetSize());
  wxBitmap bitmap(part.GetSize(), 24);
  {
    wxMemoryDC memory(bitmap);
    wxScreenDC screen;
    memory.Blit(0, 0, part.width, part.height, &screen, onScreen.x, onScreen.y);
  }
  const wxImage image = bitmap.ConvertToImage();
  int ink = 0;
  for (int y = 0; y < part.height; ++y) {
    for (int x = 0; x < part.width; ++x) {
      ink += image.GetRed(x, y) + image.GetGreen(x, y) + image.GetBlue(x, y) < 3 * 128;
    }
  }
  return ink;
}

}  // namespace

TEST_F(BearbDialogTest, ListShowsBothSidesOfEachCardInTwoColumns) {
  dialogtest::addCard(1, "Haus", "house");
  dialogtest::addCard(1, "Baum", "tree");
  wxTEST_DIALOG(
      runCardEditingDialog(nullptr), wxExpectModal<tBearbDialog>([](tBearbDialog* dialog) {
        tCardList* list = dialogtest::cardListOf(dialog);
        EXPECT_TRUE(guitest::waitFor([&] { return list->IsShownOnScreen(); }));
        guitest::yield(200);
        EXPECT_EQ(u8(list->textOf(1)), "Baum");
        EXPECT_EQ(u8(list->backOf(1)), "tree");
        // Short texts: the front stays in the left half, the back shows in
        // the right one.
        const wxRect row = list->GetItemRect(1);
        const int half = row.width / 2;
        const int inset = 4;
        EXPECT_GT(inkIn(list, wxRect(row.x + inset, row.y, half - 2 * inset, row.height)), 0);
        EXPECT_GT(inkIn(list, wxRect(row.x + half + inset, row.y, half - 2 * inset, row.height)), 0)
            << "no back in the right column";
        return wxID_OK;
      }));
}
