// "Karte suchen" from the training window, driven with real keys where the focus is:
// finding as the learner types, correcting, deleting and taking back, moving cards to
// compartment 1, and what the window shows afterwards.
#include <wx/button.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "box/card_box.h"
#include "dialog_test.h"
#include "dialogs/found_list.h"
#include "dialogs/search_dialog.h"
#include "main_frame_fixture.h"
#include "raised_dialog.h"

namespace {

bool focusIs(wxWindow* dialog, int id) {
  return guitest::waitFor([&] { return wxWindow::FindFocus() == dialog->FindWindow(id); });
}

// "Deutsch|Übersetzung|Fach" of every row the list shows.
std::vector<std::string> rows(tSearchDialog* dialog) {
  std::vector<std::string> shown;
  tFoundList* list = dialog->list();
  for (long row = 0; row < list->GetItemCount(); ++row) {
    shown.push_back(u8(list->GetItemText(row, tFoundList::kFront) + "|" +
                       list->GetItemText(row, tFoundList::kBack) + "|" +
                       list->GetItemText(row, tFoundList::kCompartment)));
  }
  return shown;
}

std::vector<std::string> headers(tFoundList* list) {
  std::vector<std::string> texts;
  for (int column = 0; column < list->GetColumnCount(); ++column) {
    wxListItem item;
    item.SetMask(wxLIST_MASK_TEXT);
    list->GetColumn(column, item);
    texts.push_back(u8(item.GetText()));
  }
  return texts;
}

std::string count(tSearchDialog* dialog) {
  return u8(guitest::labelOf(dialog, tSearchDialog::ID_COUNT));
}

class SearchWindowTest : public MainFrameTest {
 protected:
  // A copy of the sample box, so the test changes nothing that is built.
  std::string sampleBox() {
    const std::string copy = path("grundwortschatz.trm");
    std::filesystem::copy_file(TERMEL_SAMPLE_BOX, copy);
    std::filesystem::copy_file(std::string(TERMEL_SAMPLE_BOX, sizeof TERMEL_SAMPLE_BOX - 4) + "kas",
                               path("grundwortschatz.kas"));
    return copy;
  }
};

TEST_F(SearchWindowTest, TypingHausInTheSampleBoxFindsItsCardsAndEnterCorrectsTheFirst) {
  start(sampleBox());
  const int32_t total = theCardBox.totalCount();
  wxTEST_DIALOG(
      press('F', wxMOD_CONTROL), tRaised<tSearchDialog>([&](tSearchDialog* dialog) {
        EXPECT_EQ(u8(dialog->GetTitle()), "Karte suchen");
        EXPECT_TRUE(focusIs(dialog, tSearchDialog::ID_TEXT));
        EXPECT_EQ(count(dialog), std::to_string(total) + " Karten gefunden");
        tFoundList* list = dialog->list();
        EXPECT_EQ(headers(list), (std::vector<std::string>{"Deutsch", "Übersetzung", "Fach"}));
        typeKeys("haus");
        EXPECT_EQ(rows(dialog), (std::vector<std::string>{"das Haus|the house|1",
                                                          "das Krankenhaus|the hospital|1"}));
        EXPECT_EQ(count(dialog), "2 Karten gefunden");
        EXPECT_EQ(list->selectedRows(), std::vector<int32_t>{0});
        dialogtest::pressKey(WXK_DOWN);  // the arrow keys in the field choose the row
        EXPECT_EQ(list->selectedRows(), std::vector<int32_t>{1});
        dialogtest::pressKey(WXK_UP);
        dialogtest::pressKey(WXK_RETURN);  // opens the correction, answered below
        EXPECT_EQ(rows(dialog).front(), "das Hausboot|the house|1");
        typeKeys("xyz");
        EXPECT_EQ(count(dialog), "Keine Karte gefunden");
        EXPECT_FALSE(guitest::isEnabled(dialog, tSearchDialog::ID_TO_FIRST));
        dialogtest::pressKey(WXK_ESCAPE);
        return dialogtest::resultOf(dialog);
      }),
      tRaised<tTermelDialog>([](tTermelDialog* dialog) {
        EXPECT_EQ(u8(dialogtest::valueOf(dialog, 301)), "das Haus");
        EXPECT_EQ(u8(dialogtest::valueOf(dialog, 302)), "the house");
        EXPECT_TRUE(focusIs(dialog, 301));
        dialogtest::pressKey(WXK_END);
        typeKeys("boot");
        EXPECT_EQ(u8(dialogtest::valueOf(dialog, 301)), "das Hausboot");
        dialogtest::click(dialog, wxID_OK);
        return dialogtest::resultOf(dialog);
      }));
  EXPECT_TRUE(window_->modified());
  EXPECT_EQ(theCardBox.totalCount(), total);
}

TEST_F(SearchWindowTest, EntfDeletesInTheListAndStrgZTakesItBackThereOrInTheWindow) {
  start(writeBox("box.trm", {{1, "Haus", "house"}, {2, "Maus", "mouse"}, {7, "Laus", "louse"}}));
  EXPECT_EQ(label(ID_QUESTION), "Haus");
  wxTEST_DIALOG(
      press('F', wxMOD_CONTROL), tRaised<tSearchDialog>([&](tSearchDialog* dialog) {
        EXPECT_TRUE(focusIs(dialog, tSearchDialog::ID_TEXT));
        typeKeys("aus");
        EXPECT_EQ(rows(dialog),
                  (std::vector<std::string>{"Haus|house|1", "Maus|mouse|2", "Laus|louse|Ablage"}));
        dialogtest::pressKey(WXK_DOWN);
        dialogtest::pressKey(WXK_DELETE);  // in the field Entf edits the text
        EXPECT_EQ(count(dialog), "3 Karten gefunden");
        dialogtest::pressKey(WXK_TAB);
        EXPECT_TRUE(focusIs(dialog, tSearchDialog::ID_LIST));
        dialogtest::pressKey(WXK_DELETE);
        EXPECT_EQ(rows(dialog), (std::vector<std::string>{"Haus|house|1", "Laus|louse|Ablage"}));
        EXPECT_EQ(count(dialog), "2 Karten gefunden");
        EXPECT_EQ(dialog->list()->selectedRows(), std::vector<int32_t>{1});
        dialogtest::pressKey('Z', wxMOD_CONTROL);
        EXPECT_EQ(rows(dialog).size(), 3u);
        EXPECT_EQ(dialog->list()->selectedRows(), std::vector<int32_t>{1})
            << "the card taken back is chosen again";
        dialogtest::pressKey(WXK_DELETE);
        dialogtest::pressKey(WXK_UP);
        dialogtest::pressKey(WXK_DELETE);  // both Haus and Maus are gone now
        EXPECT_EQ(rows(dialog), std::vector<std::string>{"Laus|louse|Ablage"});
        dialogtest::pressKey(WXK_ESCAPE);
        return dialogtest::resultOf(dialog);
      }));
  EXPECT_TRUE(window_->modified());
  EXPECT_EQ(label(ID_QUESTION), "Laus");
  EXPECT_TRUE(menuEnabled(CM_ZURUECKNEHMEN));
  press('Z', wxMOD_CONTROL);
  EXPECT_EQ(frontsIn(1), std::vector<std::string>{"Haus"});
  EXPECT_EQ(label(ID_QUESTION), "Haus");
  press('Z', wxMOD_CONTROL);
  EXPECT_EQ(frontsIn(2), std::vector<std::string>{"Maus"});
  EXPECT_FALSE(menuEnabled(CM_ZURUECKNEHMEN));
  EXPECT_EQ(status(0), "Fach: 1 Gesamt: 3");
}

TEST_F(SearchWindowTest, InFirstCompartmentMovesTheChosenCardAndClosingUnchangedChangesNothing) {
  start(writeBox("box.trm", {{1, "Haus", "house"}, {4, "Maus", "mouse", 3, 1}}));
  wxTEST_DIALOG(press('F', wxMOD_CONTROL), tRaised<tSearchDialog>([&](tSearchDialog* dialog) {
                  EXPECT_TRUE(focusIs(dialog, tSearchDialog::ID_TEXT));
                  typeKeys("MAUSE");
                  EXPECT_EQ(count(dialog), "Keine Karte gefunden");
                  dialogtest::pressKey(WXK_BACK);
                  EXPECT_EQ(rows(dialog), std::vector<std::string>{"Maus|mouse|4"});
                  dialogtest::pressKey(WXK_ESCAPE);
                  return dialogtest::resultOf(dialog);
                }));
  EXPECT_FALSE(window_->modified());
  wxTEST_DIALOG(press('F', wxMOD_CONTROL), tRaised<tSearchDialog>([&](tSearchDialog* dialog) {
                  EXPECT_TRUE(focusIs(dialog, tSearchDialog::ID_TEXT));
                  typeKeys("mouse");
                  dialogtest::click(dialog, tSearchDialog::ID_TO_FIRST);
                  EXPECT_EQ(rows(dialog), std::vector<std::string>{"Maus|mouse|1"});
                  dialogtest::pressKey(WXK_ESCAPE);
                  return dialogtest::resultOf(dialog);
                }));
  EXPECT_TRUE(window_->modified());
  EXPECT_EQ(frontsIn(1), (std::vector<std::string>{"Haus", "Maus"}));
  EXPECT_EQ(theCardBox.countIn(4), 0);
  // The move is a step of its own: Strg+Z puts the card back where it was.
  press('Z', wxMOD_CONTROL);
  EXPECT_EQ(frontsIn(1), std::vector<std::string>{"Haus"});
  EXPECT_EQ(frontsIn(4), std::vector<std::string>{"Maus"});
}

TEST_F(MainFrameTest, DeletingTheShownCardIsTakenBackWithStrgZ) {
  start(writeBox("box.trm", {{1, "A", "a", 2, 1}, {1, "B", "b"}}));
  menu(CM_LOESCHEN);
  EXPECT_EQ(label(ID_QUESTION), "B");
  press('Z', wxMOD_CONTROL);
  EXPECT_EQ(frontsIn(1), (std::vector<std::string>{"A", "B"}));
  EXPECT_EQ(label(ID_QUESTION), "A");
  EXPECT_EQ(status(1), "Gewusst: 2 Unbekannt: 1");
  EXPECT_FALSE(menuEnabled(CM_ZURUECKNEHMEN));
}

}  // namespace
