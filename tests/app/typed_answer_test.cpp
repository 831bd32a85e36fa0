// Typed answers, taking answers back, the overview and the card texts' size, used
// from the keyboard as a learner uses them.
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include <fstream>
#include <string>
#include <vector>

#include "app/marked_text.h"
#include "app/settings.h"
#include "box/card_box.h"
#include "dialogs/overview_dialog.h"
#include "gui_test.h"
#include "main_frame_fixture.h"
#include "tests/dialogs/chart_probe.h"

template <>
class wxExpectModal<tOverviewDialog> : public wxExpectModalBase<tOverviewDialog> {
 public:
  explicit wxExpectModal(std::function<void(tOverviewDialog*)> check) : check_(std::move(check)) {}

 protected:
  int OnInvoked(tOverviewDialog* dialog) const override {
    check_(dialog);
    return wxID_CANCEL;
  }

 private:
  std::function<void(tOverviewDialog*)> check_;
};

namespace {

using Fronts = std::vector<std::string>;

class TypedAnswerTest : public MainFrameTest {
 protected:
  // Types text where the keyboard focus is, key by key.
  void type(const char* text) {
    wxUIActionSimulator simulator;
    simulator.Text(text);
    guitest::yield(100);
  }
  void typeAnswer(const char* text) {
    type(text);
    press(WXK_RETURN);
  }
  wxWindow* focus() const { return wxWindow::FindFocus(); }
  wxWindow* control(int id) const { return window_->FindWindow(id); }
  wxString entryText() const { return static_cast<wxTextCtrl*>(control(ID_EINGABE))->GetValue(); }
  const tMarkedText* typed() const { return static_cast<tMarkedText*>(control(ID_GETIPPT)); }
  // Counters of the cards of compartment n, "front known/unknown".
  static Fronts countersIn(int n) {
    Fronts result;
    tTermel card;
    for (tTermel* it = theCardBox.firstIn(n, &card); it != nullptr;
         it = theCardBox.nextIn(n, &card)) {
      result.push_back(std::string(card.front) + " " + std::to_string(card.timesKnown) + "/" +
                       std::to_string(card.timesUnknown));
    }
    return result;
  }
};

}  // namespace

TEST_F(TypedAnswerTest, RightAnswerTypedWithGAndUIsCountedKnown) {
  start(writeBox("typed.trm", {{1, "gehen", "(to) go"},
                               {1, "Gurke", "cucumber"},
                               {1, "street",
                                "Stra\xDF"
                                "e"},
                               {2, "Haus", "house"}}));
  EXPECT_FALSE(control(ID_EINGABE)->IsShown()) << "off at the first start";
  menu(CM_ANTWORT_EINTIPPEN);
  EXPECT_TRUE(menuChecked(CM_ANTWORT_EINTIPPEN));
  ASSERT_TRUE(control(ID_EINGABE)->IsShown());
  EXPECT_EQ(focus(), control(ID_EINGABE));
  type("go");
  EXPECT_EQ(entryText(), "go") << "g is typed, not taken as a command";
  EXPECT_EQ(label(ID_ANSWER), " ");
  press(WXK_RETURN);
  EXPECT_EQ(label(ID_URTEIL), "Richtig");
  EXPECT_TRUE(control(ID_URTEIL)->IsShown());
  EXPECT_EQ(label(ID_ANSWER), "(to) go");
  EXPECT_EQ(typed()->text(), "go");
  EXPECT_EQ(typed()->marks(), std::vector<bool>(2, false));
  EXPECT_TRUE(enabled(ID_GEWUSST));
  EXPECT_EQ(frontsIn(2), Fronts{"Haus"}) << "checked, not yet counted";
  press(WXK_RETURN);
  EXPECT_EQ(frontsIn(2), (Fronts{"Haus", "gehen"}));
  EXPECT_EQ(countersIn(2)[1], "gehen 1/0");
  EXPECT_TRUE(window_->modified());

  EXPECT_EQ(label(ID_QUESTION), "Gurke");
  EXPECT_EQ(focus(), control(ID_EINGABE));
  EXPECT_EQ(entryText(), "") << "a fresh field for the next card";
  typeAnswer("Cucumber ");
  EXPECT_EQ(label(ID_URTEIL), "Richtig");
  press(WXK_RETURN);
  // "ss" stands for "ß".
  typeAnswer("strasse");
  EXPECT_EQ(label(ID_URTEIL), "Richtig") << label(ID_QUESTION);
  press(WXK_RETURN);
  EXPECT_EQ(frontsIn(2), (Fronts{"Haus", "gehen", "Gurke", "street"}));
  EXPECT_EQ(status(0), "Fach: 4 Gesamt: 4");
}

TEST_F(TypedAnswerTest, WrongAnswerIsMarkedAndCountedUnknownUnlessOverruled) {
  start(writeBox("wrong.trm", {{2, "Baum", "tree", 3, 0}, {2, "laufen", "(to) run", 1, 1}}));
  menu(CM_ANTWORT_EINTIPPEN);
  typeAnswer("trea");
  EXPECT_EQ(label(ID_URTEIL), "Falsch");
  EXPECT_EQ(label(ID_ANSWER), "tree");
  EXPECT_EQ(typed()->text(), "trea");
  EXPECT_EQ(typed()->marks(), (std::vector<bool>{false, false, false, true}));
  EXPECT_FALSE(control(ID_EINGABE)->IsShown()) << "the checked answer takes its place";
  EXPECT_EQ(focus(), control(CM_UNBEKANNT)) << "on the button that Enter stands for";
  press(WXK_RETURN);
  EXPECT_EQ(frontsIn(1), Fronts{"Baum"}) << "Enter takes the verdict";
  EXPECT_EQ(countersIn(1), Fronts{"Baum 3/1"});

  // A synonym the card does not list: Strg+G counts it known all the same.
  EXPECT_EQ(label(ID_QUESTION), "Baum");
  typeAnswer("wood");
  EXPECT_EQ(label(ID_URTEIL), "Falsch");
  press('G', wxMOD_CONTROL);
  EXPECT_EQ(frontsIn(2), (Fronts{"laufen", "Baum"}));
  EXPECT_EQ(countersIn(2)[1], "Baum 4/1");

  // And a right answer can be counted unknown with Strg+U.
  typeAnswer("to run");
  EXPECT_EQ(label(ID_URTEIL), "Richtig");
  press('U', wxMOD_CONTROL);
  EXPECT_EQ(frontsIn(1), Fronts{"laufen"});
  EXPECT_EQ(countersIn(1), Fronts{"laufen 1/2"});
}

TEST_F(TypedAnswerTest, OptionIsRememberedAndOffMeansTheUsualKeys) {
  start(writeBox("option.trm", {{1, "Haus", "house"}, {1, "Baum", "tree"}}));
  menu(CM_ANTWORT_EINTIPPEN);
  stop();
  EXPECT_TRUE(loadSettings().typedAnswers);
  start(path("option.trm"));
  EXPECT_TRUE(menuChecked(CM_ANTWORT_EINTIPPEN)) << "remembered between runs";
  EXPECT_EQ(focus(), control(ID_EINGABE));
  menu(CM_ANTWORT_EINTIPPEN);
  EXPECT_FALSE(control(ID_EINGABE)->IsShown());
  press('G');
  EXPECT_EQ(label(ID_ANSWER), "house") << "g is a command again";
  press('G');
  EXPECT_EQ(frontsIn(2), Fronts{"Haus"});
  EXPECT_FALSE(loadSettings().typedAnswers);
}

TEST_F(TypedAnswerTest, TakingBackThreeAnswersRestoresTheBox) {
  start(writeBox("undo.trm", {{1, "A", "a", 1, 0},
                              {1, "B", "b", 0, 2},
                              {1, "C", "c", 5, 5},
                              {1, "D", "d"},
                              {2, "E", "e"}}));
  EXPECT_FALSE(menuEnabled(CM_ZURUECKNEHMEN)) << "nothing to take back yet";
  press(WXK_RETURN);
  press(WXK_RETURN);  // A known
  press(WXK_RETURN);
  press(WXK_ESCAPE);  // B unknown
  press('G');
  press('G');  // C known
  ASSERT_EQ(frontsIn(1), (Fronts{"D", "B"}));
  ASSERT_EQ(frontsIn(2), (Fronts{"E", "A", "C"}));
  EXPECT_TRUE(menuEnabled(CM_ZURUECKNEHMEN));

  press('Z', wxMOD_CONTROL);
  EXPECT_EQ(label(ID_QUESTION), "C") << "the card is asked again";
  EXPECT_EQ(label(ID_ANSWER), " ");
  EXPECT_EQ(status(1), "Gewusst: 5 Unbekannt: 5");
  EXPECT_EQ(status(0), "Fach: 3 Gesamt: 5");
  EXPECT_EQ(frontsIn(1), (Fronts{"C", "D", "B"}));
  press('Z', wxMOD_CONTROL);
  EXPECT_EQ(label(ID_QUESTION), "B");
  EXPECT_EQ(status(1), "Gewusst: 0 Unbekannt: 2");
  press('Z', wxMOD_CONTROL);
  EXPECT_EQ(label(ID_QUESTION), "A");
  EXPECT_EQ(label(ID_COMPARTMENT), "1");
  EXPECT_EQ(status(1), "Gewusst: 1 Unbekannt: 0");
  EXPECT_EQ(status(0), "Fach: 4 Gesamt: 5");
  EXPECT_EQ(countersIn(1), (Fronts{"A 1/0", "B 0/2", "C 5/5", "D 0/0"}));
  EXPECT_EQ(frontsIn(2), Fronts{"E"});
  EXPECT_FALSE(menuEnabled(CM_ZURUECKNEHMEN));
  press('Z', wxMOD_CONTROL);  // nothing left: nothing happens
  EXPECT_EQ(label(ID_QUESTION), "A");
  EXPECT_EQ(frontsIn(1), (Fronts{"A", "B", "C", "D"}));
  EXPECT_EQ(focus(), control(ID_SEHEN));

  // Shuffling is taken back first, then the answer before it.
  press(WXK_RETURN);
  press(WXK_RETURN);
  EXPECT_TRUE(menuEnabled(CM_ZURUECKNEHMEN));
  menu(CM_MISCHEN);
  EXPECT_TRUE(menuEnabled(CM_ZURUECKNEHMEN));
  press('Z', wxMOD_CONTROL);
  press('Z', wxMOD_CONTROL);
  EXPECT_EQ(frontsIn(1), (Fronts{"A", "B", "C", "D"}));
  EXPECT_FALSE(menuEnabled(CM_ZURUECKNEHMEN));
}

TEST_F(TypedAnswerTest, TakingBackATypedAnswerAsksItAgainInTheEntry) {
  start(writeBox("undo_typed.trm", {{3, "Haus", "house"}, {3, "Baum", "tree"}}));
  menu(CM_ANTWORT_EINTIPPEN);
  typeAnswer("hose");
  press(WXK_RETURN);
  ASSERT_EQ(frontsIn(1), Fronts{"Haus"});
  press('Z', wxMOD_CONTROL);
  EXPECT_EQ(frontsIn(3), (Fronts{"Haus", "Baum"}));
  EXPECT_EQ(label(ID_QUESTION), "Haus");
  EXPECT_EQ(focus(), control(ID_EINGABE));
  EXPECT_EQ(entryText(), "");
  typeAnswer("house");
  EXPECT_EQ(label(ID_URTEIL), "Richtig");
}

// While the entry holds text, Strg+Z belongs to the typing; Esc and Strg+U give the
// answer up as "Unbekannt" before it is checked.
TEST_F(TypedAnswerTest, StrgZUndoesTypingFirstAndEscOrStrgUGiveTheAnswerUp) {
  start(writeBox("typing.trm", {{1, "Haus", "house"}, {1, "Baum", "tree"}, {1, "Weg", "way"}}));
  menu(CM_ANTWORT_EINTIPPEN);
  typeAnswer("hose");
  press(WXK_RETURN);  // Haus unknown, behind the others
  ASSERT_EQ(frontsIn(1), (Fronts{"Baum", "Weg", "Haus"}));
  type("tre");
  press('Z', wxMOD_CONTROL);
  EXPECT_EQ(entryText(), "tr") << "the last key typed is taken back";
  EXPECT_EQ(frontsIn(1), (Fronts{"Baum", "Weg", "Haus"})) << "the answer stands";
  press('Z', wxMOD_CONTROL);
  press('Z', wxMOD_CONTROL);
  EXPECT_EQ(entryText(), "");
  EXPECT_EQ(label(ID_QUESTION), "Baum");
  press('Z', wxMOD_CONTROL);  // the entry is empty: now the answer is taken back
  EXPECT_EQ(label(ID_QUESTION), "Haus");
  EXPECT_EQ(countersIn(1), (Fronts{"Haus 0/0", "Baum 0/0", "Weg 0/0"}));
  EXPECT_EQ(focus(), control(ID_EINGABE));

  type("hou");
  press(WXK_ESCAPE);
  EXPECT_EQ(countersIn(1), (Fronts{"Baum 0/0", "Weg 0/0", "Haus 0/1"}));
  EXPECT_EQ(label(ID_QUESTION), "Baum");
  EXPECT_EQ(entryText(), "") << "the next card's answer starts empty";
  type("tr");
  press('U', wxMOD_CONTROL);
  EXPECT_EQ(countersIn(1), (Fronts{"Weg 0/0", "Haus 0/1", "Baum 0/1"}));
  EXPECT_EQ(label(ID_QUESTION), "Weg");
  EXPECT_EQ(focus(), control(ID_EINGABE));
}

TEST_F(TypedAnswerTest, OverviewShowsTheCountsAndBarsOfTheBox) {
  std::vector<tBoxCard> cards;
  for (int i = 0; i < 12; ++i) cards.push_back({1, "eins" + std::to_string(i), "one", 0, 0});
  for (int i = 0; i < 3; ++i) cards.push_back({2, "zwei" + std::to_string(i), "two", 1, 0});
  for (int i = 0; i < 6; ++i) cards.push_back({7, "ab" + std::to_string(i), "done", 6, i});
  start(writeBox("overview.trm", cards));
  wxTEST_DIALOG(menu(CM_UEBERSICHT), wxExpectModal<tOverviewDialog>([](tOverviewDialog* dialog) {
                  EXPECT_EQ(dialog->GetTitle().utf8_string(), "Übersicht");
                  const int32_t counts[] = {12, 3, 0, 0, 0, 0, 6};
                  for (int k = 0; k < 7; ++k) EXPECT_EQ(dialog->stats().counts[k], counts[k]);
                  EXPECT_EQ(guitest::labelOf(dialog, tOverviewDialog::ID_CARDS), "21");
                  EXPECT_EQ(guitest::labelOf(dialog, tOverviewDialog::ID_KNOWN), "39");
                  EXPECT_EQ(guitest::labelOf(dialog, tOverviewDialog::ID_UNKNOWN), "15");
                  EXPECT_EQ(guitest::labelOf(dialog, tOverviewDialog::ID_ARCHIVE_SHARE), "29 %");
                  const wxSize size = dialog->FindWindow(tOverviewDialog::ID_CHART)->GetSize();
                  const std::vector<int> bars = barHeights(dialog->stats(), size);
                  EXPECT_GT(bars[0], bars[6]);
                  EXPECT_GT(bars[6], bars[1]);
                  EXPECT_GT(bars[1], 0);
                  EXPECT_EQ(bars[2], 0);
                }));
}

TEST_F(TypedAnswerTest, CardTextsGrowInStepsAndComeBackToTheUsualLayout) {
  start(writeBox("font.trm", {{1, "Haus", "house"}}));
  const wxRect question = control(ID_QUESTION)->GetRect();
  const wxRect answer = control(ID_ANSWER)->GetRect();
  const int points = control(ID_QUESTION)->GetFont().GetPointSize();
  EXPECT_FALSE(menuEnabled(CM_SCHRIFT_KLEINER));
  press('+', wxMOD_CONTROL);
  press('+', wxMOD_CONTROL);
  EXPECT_EQ(window_->settings().fontPercent, 150);
  EXPECT_EQ(control(ID_QUESTION)->GetSize().y, 30);
  EXPECT_GT(control(ID_QUESTION)->GetFont().GetPointSize(), points);
  // Same centre as before, the window as it is.
  const wxRect grown = control(ID_QUESTION)->GetRect();
  EXPECT_NEAR(grown.y + grown.height / 2, question.y + question.height / 2, 1);
  for (int i = 0; i < 10; ++i) press('+', wxMOD_CONTROL);
  EXPECT_EQ(window_->settings().fontPercent, 300) << "no further than 300 %";
  EXPECT_FALSE(menuEnabled(CM_SCHRIFT_GROESSER));
  EXPECT_EQ(control(ID_ANSWER)->GetSize().y, 60);
  // The window grew so the rows do not overlap.
  EXPECT_LT(control(ID_QUESTION)->GetRect().GetBottom(), control(ID_SEHEN)->GetRect().GetTop());
  EXPECT_LT(control(ID_SEHEN)->GetRect().GetBottom(), control(ID_ANSWER)->GetRect().GetTop());
  press('-', wxMOD_CONTROL);
  EXPECT_EQ(window_->settings().fontPercent, 275);
  stop();
  EXPECT_EQ(loadSettings().fontPercent, 275) << "remembered between runs";
  start(path("font.trm"));
  EXPECT_EQ(window_->settings().fontPercent, 275);
  press('0', wxMOD_CONTROL);
  EXPECT_EQ(window_->settings().fontPercent, 100);
  EXPECT_EQ(control(ID_QUESTION)->GetSize().y, question.height);
  EXPECT_EQ(control(ID_ANSWER)->GetSize().y, answer.height);
  EXPECT_EQ(control(ID_QUESTION)->GetFont().GetPointSize(), points);
}

TEST_F(TypedAnswerTest, FrameStartsAtTheRememberedSizeAndADamagedFileIsNoError) {
  tSettings remembered;
  remembered.width = 720;
  remembered.height = 320;
  ASSERT_TRUE(saveSettings(remembered));
  start(writeBox("size.trm", {{1, "Haus", "house"}}));
  EXPECT_EQ(frame_->GetSize(), wxSize(720, 320));
  stop();

  // Half a file, as a full disk might leave it: no message, the usual start.
  std::ofstream(settingsPath().utf8_string(), std::ios::trunc) << "[Optionen]\nAntwortEin";
  start(path("size.trm"));
  EXPECT_EQ(frame_->GetSize(), wxSize(600, 250));
  EXPECT_FALSE(menuChecked(CM_ANTWORT_EINTIPPEN));
  EXPECT_EQ(label(ID_QUESTION), "Haus");
}
