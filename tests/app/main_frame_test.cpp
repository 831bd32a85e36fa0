// The main frame and the drill, as the learner sees them.
#include <wx/menu.h>
#include <wx/statusbr.h>

#include "box/card_box.h"
#include "gui_test.h"
#include "main_frame_fixture.h"

namespace {

const std::vector<tBoxCard> kTwoInSecond = {{2, "Haus", "house", 4, 2}, {2, "Baum", "tree"}};

}  // namespace

TEST_F(MainFrameTest, StartedWithCardFileShowsFirstQuestionUnchanged) {
  start(writeBox("start.trm", kTwoInSecond));
  EXPECT_EQ(frame_->GetTitle().utf8_string(), "start.trm – Deruvuvodiru");
  EXPECT_EQ(frame_->GetSize(), wxSize(600, 250));
  EXPECT_EQ(frame_->GetStatusBar()->GetFieldsCount(), 4);
  EXPECT_EQ(label(ID_QUESTION), "Haus");
  EXPECT_EQ(label(ID_ANSWER), " ");
  EXPECT_EQ(label(ID_COMPARTMENT), "2");
  EXPECT_EQ(status(0), "Fach: 2 Gesamt: 2");
  EXPECT_EQ(status(1), "Gewusst: 4 Unbekannt: 2");
  EXPECT_TRUE(enabled(ID_SEHEN));
  EXPECT_FALSE(enabled(ID_GEWUSST));
  EXPECT_FALSE(enabled(CM_UNBEKANNT));
  EXPECT_FALSE(window_->modified());
  EXPECT_TRUE(closeFrame()) << "an unchanged box closes without a question";
}

// An empty box says how to fill it, and offers no answer to see or to give; the keys
// of the drill do nothing and change nothing.
TEST_F(MainFrameTest, StartedWithoutFileShowsHowToFillTheEmptyBox) {
  start();
  EXPECT_EQ(label(ID_QUESTION), emptyBoxHint());
  for (int id : {ID_ANSWER, ID_COMPARTMENT}) EXPECT_EQ(label(id), " ");
  EXPECT_EQ(status(0), "Fach: 0 Gesamt: 0");
  EXPECT_EQ(status(1), " --- ");
  for (int id : {ID_SEHEN, ID_GEWUSST, CM_UNBEKANNT}) EXPECT_FALSE(enabled(id));
  EXPECT_EQ(label(ID_SEHEN), "Sehen");
  EXPECT_EQ(label(ID_GEWUSST), "Gewusst");
  EXPECT_EQ(label(CM_UNBEKANNT), "Unbekannt");
  EXPECT_FALSE(menuEnabled(CM_LOESCHEN));
  EXPECT_FALSE(menuEnabled(CM_KORRIGIEREN));
  for (int key : {int(WXK_RETURN), int(WXK_RETURN), int(WXK_ESCAPE), int('G')}) press(key);
  EXPECT_EQ(label(ID_ANSWER), " ");
  EXPECT_FALSE(enabled(ID_GEWUSST));
  EXPECT_FALSE(window_->modified());
  EXPECT_TRUE(closeFrame()) << "nothing to save";
}

TEST_F(MainFrameTest, EnterShowsAnswerThenMovesCardUpAndAsksNext) {
  start(writeBox("drill.trm", kTwoInSecond));
  press(WXK_RETURN);
  EXPECT_EQ(label(ID_ANSWER), "house");
  EXPECT_FALSE(enabled(ID_SEHEN));
  EXPECT_TRUE(enabled(ID_GEWUSST));
  EXPECT_TRUE(enabled(CM_UNBEKANNT));
  EXPECT_FALSE(window_->modified()) << "seeing the answer changes nothing";
  press(WXK_RETURN);
  EXPECT_EQ(frontsIn(3), std::vector<std::string>{"Haus"});
  EXPECT_EQ(label(ID_QUESTION), "Baum");
  EXPECT_EQ(label(ID_ANSWER), " ");
  EXPECT_EQ(label(ID_COMPARTMENT), "2");
  EXPECT_EQ(status(0), "Fach: 1 Gesamt: 2");
  EXPECT_EQ(status(1), "Gewusst: 0 Unbekannt: 0");
  EXPECT_TRUE(window_->modified());
  EXPECT_FALSE(answerShown);
}

TEST_F(MainFrameTest, LetterKeysCountOnlyInLowerCase) {
  start(writeBox("letters.trm", kTwoInSecond));
  press('G', wxMOD_SHIFT);
  EXPECT_EQ(label(ID_ANSWER), " ") << "Shift+G is no command";
  press('U', wxMOD_SHIFT);
  EXPECT_FALSE(window_->modified()) << "Shift+U is no command";
  press('G');
  EXPECT_EQ(label(ID_ANSWER), "house");
  press('U');
  EXPECT_EQ(frontsIn(1), std::vector<std::string>{"Haus"}) << "u counts the card as unknown";
  EXPECT_EQ(label(ID_COMPARTMENT), "1");
}

TEST_F(MainFrameTest, EscAndUBeforeTheAnswerOnlyMarkTheBoxChanged) {
  start(writeBox("esc.trm", kTwoInSecond));
  press(WXK_ESCAPE);
  EXPECT_TRUE(window_->modified());
  EXPECT_EQ(label(ID_QUESTION), "Haus");
  EXPECT_TRUE(enabled(ID_SEHEN));
  EXPECT_EQ(frontsIn(2), (std::vector<std::string>{"Haus", "Baum"}));

  window_->refresh();
  press('U');
  EXPECT_EQ(label(ID_QUESTION), "Haus");
  EXPECT_EQ(frontsIn(1), std::vector<std::string>{});
  wxTEST_DIALOG(EXPECT_TRUE(closeFrame()),
                tExpectBox("Speichern?", "Achtung", wxYES_NO | wxICON_NONE, wxID_NO));
}

TEST_F(MainFrameTest, ButtonsDriveTheDrillAndUnknownSendsCardBack) {
  start(writeBox("buttons.trm", kTwoInSecond));
  click(ID_SEHEN);
  EXPECT_TRUE(answerShown);
  click(CM_UNBEKANNT);
  EXPECT_EQ(frontsIn(1), std::vector<std::string>{"Haus"});
  EXPECT_EQ(label(ID_QUESTION), "Haus") << "compartment 1 is asked first now";
  EXPECT_EQ(label(ID_COMPARTMENT), "1");
  EXPECT_EQ(status(1), "Gewusst: 4 Unbekannt: 3");
  click(ID_SEHEN);
  click(ID_GEWUSST);
  EXPECT_EQ(frontsIn(2), (std::vector<std::string>{"Baum", "Haus"}));
}

// Emptied with "Neu", the box shows the hint; a box opened then is drilled as usual.
TEST_F(MainFrameTest, NewBoxShowsTheHintUntilABoxIsOpened) {
  const std::string file = writeBox("box.trm", kTwoInSecond);
  start(file);
  wxTEST_DIALOG(menu(CM_NEU),
                tExpectBox("Alle Termeln werden geloescht!", "Warnung",
                           wxOK | wxCANCEL | wxCANCEL_DEFAULT | wxICON_QUESTION, wxID_OK));
  EXPECT_EQ(label(ID_QUESTION), emptyBoxHint());
  EXPECT_EQ(label(ID_COMPARTMENT), " ");
  EXPECT_FALSE(enabled(ID_SEHEN));
  press(WXK_RETURN);
  EXPECT_FALSE(enabled(ID_GEWUSST));
  tFileDialogLook look;
  look.style = wxFD_OPEN | wxFD_FILE_MUST_EXIST;
  wxTEST_DIALOG(menu(CM_OEFFNEN), tExpectFile(file, look));
  EXPECT_EQ(label(ID_QUESTION), "Haus");
  EXPECT_TRUE(enabled(ID_SEHEN));
  press(WXK_RETURN);
  EXPECT_EQ(label(ID_ANSWER), "house");
  EXPECT_TRUE(enabled(ID_GEWUSST));
}

TEST_F(MainFrameTest, CardTextsShowAmpersandsAndNationalCharacters) {
  start(writeBox("texts.trm", {{1, "Salz & Pfeffer",
                                "gr\xFC\xDF"
                                "en"}}));
  EXPECT_EQ(label(ID_QUESTION), "Salz & Pfeffer");
  press(WXK_RETURN);
  EXPECT_EQ(label(ID_ANSWER), wxString::FromUTF8("grüßen"));
}

TEST_F(MainFrameTest, LayoutFollowsTheClientSize) {
  start();
  struct Case {
    int width, height;
    wxRect known, unknown, compartment, show, question, answer;
  };
  // clang-format off
  const Case cases[] = {
      //         Gewusst              Unbekannt           compartment           Sehen                question             answer
      {600, 200, {480, 150, 100, 30}, {20, 150, 100, 30}, {121, 150, 358, 30}, {250, 60, 100, 30},  {20, 27, 560, 20},  {20, 102, 560, 20}},
      {600, 10,  {480, -40, 100, 30}, {20, -40, 100, 30}, {121, -40, 358, 30}, {250, -35, 100, 30}, {20, -20, 560, 20}, {20, -40, 560, 20}},
      {600, 49,  {480, -1, 100, 30},  {20, -1, 100, 30},  {121, -1, 358, 30},  {250, -15, 100, 30}, {20, -10, 560, 20}, {20, -10, 560, 20}},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
    window_->SetSize(c.width, c.height);
    ASSERT_TRUE(
        guitest::waitFor([&] { return window_->GetClientSize() == wxSize(c.width, c.height); }));
    guitest::yield(20);
    EXPECT_EQ(window_->FindWindow(ID_GEWUSST)->GetRect(), c.known);
    EXPECT_EQ(window_->FindWindow(CM_UNBEKANNT)->GetRect(), c.unknown);
    EXPECT_EQ(window_->FindWindow(ID_COMPARTMENT)->GetRect(), c.compartment);
    EXPECT_EQ(window_->FindWindow(ID_SEHEN)->GetRect(), c.show);
    EXPECT_EQ(window_->FindWindow(ID_QUESTION)->GetRect(), c.question);
    EXPECT_EQ(window_->FindWindow(ID_ANSWER)->GetRect(), c.answer);
  }
  // Resizing the frame reaches the window: it fills the whole client area.
  frame_->SetClientSize(700, 300);
  ASSERT_TRUE(guitest::waitFor([this] { return window_->GetClientSize() == wxSize(700, 300); }));
  guitest::yield(20);
  EXPECT_EQ(window_->FindWindow(ID_GEWUSST)->GetPosition(), wxPoint(580, 250));
  EXPECT_EQ(window_->FindWindow(ID_SEHEN)->GetPosition(), wxPoint(300, 110));
}

TEST_F(MainFrameTest, LockIndicatorsFollowTheKeyboard) {
  start(writeBox("locks.trm", kTwoInSecond));
  ASSERT_EQ(status(2), "") << "Caps Lock must be off when the test starts";
  press(WXK_CAPITAL);
  EXPECT_TRUE(guitest::waitFor([this] { return status(2) == "CAPS"; }));
  press('G');  // types a capital G now
  EXPECT_EQ(label(ID_ANSWER), " ");
  press(WXK_CAPITAL);
  EXPECT_TRUE(guitest::waitFor([this] { return status(2) == ""; }));

  const bool numWasOn = status(3) == "NUM";
  press(WXK_NUMLOCK);
  EXPECT_TRUE(guitest::waitFor([&] { return status(3) == (numWasOn ? "" : "NUM"); }));
  press(WXK_NUMLOCK);
  EXPECT_TRUE(guitest::waitFor([&] { return status(3) == (numWasOn ? "NUM" : ""); }));
}
