// The card editing dialog and the move target dialog it opens.
#include <wx/listbox.h>
#include <wx/uiaction.h>

#include <functional>
#include <string>

#include "box/card_box.h"
#include "dialog_test.h"

using dialogtest::cardsWithCounters;
using dialogtest::fronts;
using dialogtest::itemsOf;
using dialogtest::listOf;
using dialogtest::press;
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

}  // namespace

TEST_F(BearbDialogTest, OpensOnCompartmentOneAndShowsTheChosenCompartment) {
  dialogtest::addCard(2, "Haus", "house");
  dialogtest::addCard(2, "Maus", "mouse");
  wxTEST_DIALOG(runCardEditingDialog(nullptr),
                wxExpectModal<tBearbDialog>([](tBearbDialog* dialog) {
                  EXPECT_EQ(u8(dialog->GetTitle()), "Termeln ändern");
                  EXPECT_EQ(listOf(dialog, 501)->GetCount(), 0u);
                  EXPECT_FALSE(cardButtonsEnabled(dialog));
                  dialogtest::chooseCompartment(dialog, 1);
                  wxListBox* list = listOf(dialog, 501);
                  EXPECT_EQ(itemsOf(list), (Strings{"Haus", "Maus"}));
                  dialogtest::selectItems(list, {1});
                  EXPECT_TRUE(cardButtonsEnabled(dialog));
                  dialogtest::chooseCompartment(dialog, 1);  // the same entry again
                  EXPECT_TRUE(list->IsSelected(1));
                  EXPECT_TRUE(cardButtonsEnabled(dialog));
                  dialogtest::chooseCompartment(dialog, 6);  // the archive
                  EXPECT_EQ(list->GetCount(), 0u);
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
                  dialogtest::chooseCompartment(dialog, 1);
                  dialogtest::selectItems(listOf(dialog, 501), {0, 2, 3});
                  press(dialog, 504);
                  EXPECT_EQ(itemsOf(listOf(dialog, 501)), Strings{"B"});
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
                  dialogtest::selectItems(listOf(dialog, 501), {0});
                  press(dialog, 504);
                  EXPECT_EQ(fronts(7), Strings{"Haus"});
                  dialogtest::chooseCompartment(dialog, 6);
                  EXPECT_EQ(itemsOf(listOf(dialog, 501)), Strings{"Haus"});
                  dialogtest::selectItems(listOf(dialog, 501), {0});
                  press(dialog, 504);
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
        dialogtest::selectItems(listOf(dialog, 501), {0});
        press(dialog, 504);
        press(dialog, 504);
        EXPECT_TRUE(listOf(dialog, 501)->IsSelected(0));
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
                  dialogtest::selectItems(listOf(dialog, 501), {2, 1});
                  press(dialog, 503);
                  EXPECT_EQ(itemsOf(listOf(dialog, 501)), (Strings{"A", "Bett", "C"}));
                  EXPECT_FALSE(cardButtonsEnabled(dialog));
                  dialogtest::doubleClick(listOf(dialog, 501), 2);
                  EXPECT_TRUE(listOf(dialog, 501)->IsSelected(2)) << "a cancelled correction";
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
                  dialogtest::selectItems(listOf(dialog, 501), {0});
                  dialogtest::selectItems(listOf(dialog, 501), {});
                  EXPECT_TRUE(cardButtonsEnabled(dialog));
                  press(dialog, 503);  // opens nothing
                  press(dialog, 504);
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

TEST_F(BearbDialogTest, ChooserHasTheFocusFirstAndTheListIsNoTabStop) {
  wxTEST_DIALOG(runCardEditingDialog(nullptr),
                wxExpectModal<tBearbDialog>([](tBearbDialog* dialog) {
                  wxWindow* chooser = dialog->FindWindow(502);
                  EXPECT_TRUE(guitest::waitFor([&] { return wxWindow::FindFocus() == chooser; }));
                  EXPECT_FALSE(listOf(dialog, 501)->AcceptsFocusFromKeyboard());
                  EXPECT_TRUE(chooser->AcceptsFocusFromKeyboard());
                  return wxID_OK;
                }));
}

namespace {

void sendKey(wxWindow* dialog, int key) {
  wxKeyEvent event(wxEVT_CHAR_HOOK);
  event.m_keyCode = key;
  event.SetEventObject(dialog);
  dialog->ProcessWindowEvent(event);
}

// The result of a card editing dialog to which `action` was done.
int resultAfter(const std::function<void(tBearbDialog*)>& action) {
  int result = 0;
  wxTEST_DIALOG(runCardEditingDialog(nullptr),
                wxExpectModal<tBearbDialog>([&](tBearbDialog* dialog) {
                  action(dialog);
                  result = dialogtest::resultOf(dialog);
                  return wxID_OK;
                }));
  return result;
}

}  // namespace

TEST_F(BearbDialogTest, EscapeAndCloseBoxCancelWhileEnterCloses) {
  EXPECT_EQ(resultAfter([](tBearbDialog* dialog) { sendKey(dialog, WXK_ESCAPE); }), wxID_CANCEL);
  EXPECT_EQ(resultAfter([](tBearbDialog* dialog) { dialog->Close(); }), wxID_CANCEL);
  EXPECT_EQ(resultAfter([](tBearbDialog* dialog) {
              dialog->FindWindow(502)->SetFocus();
              sendKey(dialog, WXK_RETURN);
            }),
            wxID_OK);
  EXPECT_EQ(resultAfter([](tBearbDialog* dialog) {
              dialog->FindWindow(506)->SetFocus();
              sendKey(dialog, WXK_RETURN);  // left to the focused button
            }),
            0);
}

TEST_F(BearbDialogTest, EnterInTheListClosesWhereADoubleClickCorrects) {
  dialogtest::addCard(1, "Haus", "house");
  int result = 0;
  int corrections = 0;
  wxTEST_DIALOG(result = runCardEditingDialog(nullptr),
                wxExpectModal<tBearbDialog>([](tBearbDialog* dialog) {
                  wxListBox* list = listOf(dialog, 501);
                  guitest::yield(200);
                  wxUIActionSimulator input;
                  input.MouseMove(list->GetScreenPosition() + wxPoint(20, 8));
                  guitest::yield(100);
                  input.MouseDblClick();
                  guitest::yield(300);
                  EXPECT_TRUE(list->IsSelected(0));
                  EXPECT_EQ(dialogtest::resultOf(dialog), 0);
                  input.Char(WXK_RETURN);
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
