// The card, compartment and option commands: what they do to the box and the view,
// when their menu items are greyed or checked, and which of them mark the box changed.
#include <algorithm>
#include <string>

#include "box/card_box.h"
#include "gui_test.h"
#include "main_frame_fixture.h"

namespace {

// Questions whose OK throws cards away have Abbrechen as their default button.
const long kOkCancel = wxOK | wxCANCEL | wxCANCEL_DEFAULT | wxICON_QUESTION;
const char kClearArchive[] = "Alle Termeln aus der Ablage wirklich entfernen?";

std::vector<tBoxCard> numbered(int compartment, const char* prefix, int count) {
  std::vector<tBoxCard> cards;
  for (int i = 0; i < count; ++i) cards.push_back({compartment, prefix + std::to_string(i), "x"});
  return cards;
}

}  // namespace

TEST_F(MainFrameTest, DeleteIsGreyedWithoutCardAndDeletesTheShownCardWithoutQuestion) {
  start(writeBox("box.trm", {{1, "A", "a"}, {1, "B", "b"}}));
  EXPECT_TRUE(menuEnabled(CM_LOESCHEN));
  EXPECT_TRUE(menuEnabled(CM_KORRIGIEREN));
  menu(CM_LOESCHEN);
  EXPECT_EQ(frontsIn(1), std::vector<std::string>{"B"});
  EXPECT_EQ(label(ID_QUESTION), "B");
  menu(CM_LOESCHEN);
  EXPECT_EQ(theCardBox.totalCount(), 0);
  EXPECT_EQ(label(ID_QUESTION), emptyBoxHint());
  EXPECT_FALSE(menuEnabled(CM_LOESCHEN));
  EXPECT_FALSE(menuEnabled(CM_KORRIGIEREN));
  EXPECT_TRUE(window_->modified()) << "closing must offer to save the deletion";
}

TEST_F(MainFrameTest, ShuffleMixesCompartmentOneOnlyWhileAnotherIsAsked) {
  std::vector<tBoxCard> cards = numbered(1, "eins", 10);        // not above its threshold
  const std::vector<tBoxCard> third = numbered(3, "drei", 41);  // above 40: asked first
  cards.insert(cards.end(), third.begin(), third.end());
  start(writeBox("box.trm", cards));
  EXPECT_EQ(label(ID_COMPARTMENT), "3");
  const std::vector<std::string> first = frontsIn(1);
  const std::vector<std::string> before = frontsIn(3);
  menu(CM_MISCHEN);
  EXPECT_EQ(frontsIn(3), before);
  std::vector<std::string> shuffled = frontsIn(1);
  EXPECT_NE(shuffled, first);
  std::sort(shuffled.begin(), shuffled.end());
  std::vector<std::string> sorted = first;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(shuffled, sorted);
  EXPECT_EQ(label(ID_COMPARTMENT), "3");
  EXPECT_FALSE(window_->modified());
}

TEST_F(MainFrameTest, ClearArchiveAsksAndCancelChangesNothing) {
  start(writeBox("box.trm", {{1, "A", "a"}, {7, "X", "x"}, {7, "Y", "y"}}));
  wxTEST_DIALOG(menu(CM_LOESCHEN_ABLAGE),
                tExpectBox(kClearArchive, "Warnung", kOkCancel, wxID_CANCEL));
  EXPECT_EQ(theCardBox.countIn(7), 2);
  EXPECT_FALSE(window_->modified());
  wxTEST_DIALOG(menu(CM_LOESCHEN_ABLAGE), tExpectBox(kClearArchive, "Warnung", kOkCancel, wxID_OK));
  EXPECT_EQ(theCardBox.countIn(7), 0);
  EXPECT_EQ(frontsIn(1), std::vector<std::string>{"A"});
  EXPECT_EQ(status(0), "Fach: 1 Gesamt: 1");
  EXPECT_TRUE(window_->modified());
  menu(CM_LOESCHEN_ABLAGE);  // an empty archive: nothing to lose, no question
  EXPECT_EQ(frontsIn(1), std::vector<std::string>{"A"});
}

TEST_F(MainFrameTest, SwapSidesAsksTheBackAndTakesEffectAtOnce) {
  start(writeBox("box.trm", {{1, "Haus", "house"}}));
  EXPECT_FALSE(menuChecked(CM_ANTWORT_ALS_FRAGE));
  press(WXK_RETURN);
  menu(CM_ANTWORT_ALS_FRAGE);
  EXPECT_TRUE(window_->swapSides());
  EXPECT_TRUE(menuChecked(CM_ANTWORT_ALS_FRAGE));
  EXPECT_EQ(label(ID_QUESTION), "house");
  EXPECT_EQ(label(ID_ANSWER), " ") << "the answer is hidden again";
  EXPECT_TRUE(enabled(ID_SEHEN));
  press(WXK_RETURN);
  EXPECT_EQ(label(ID_ANSWER), "Haus");
  menu(CM_ANTWORT_ALS_FRAGE);
  EXPECT_FALSE(menuChecked(CM_ANTWORT_ALS_FRAGE));
  EXPECT_EQ(label(ID_QUESTION), "Haus");
  EXPECT_FALSE(window_->modified());
}

TEST_F(MainFrameTest, EmptyToEndIsCheckedAtOnceButCompactsAtTheNextQuestion) {
  start(writeBox("box.trm", {{2, "Haus", "house"}}));
  menu(CM_LEERFAECHER);
  EXPECT_TRUE(menuChecked(CM_LEERFAECHER));
  EXPECT_EQ(label(ID_COMPARTMENT), "2") << "nothing is redrawn yet";
  EXPECT_EQ(theCardBox.countIn(2), 1);
  press(WXK_RETURN);
  press(WXK_RETURN);  // known: on to compartment 3, then compacted to the front
  EXPECT_EQ(frontsIn(1), std::vector<std::string>{"Haus"});
  EXPECT_EQ(label(ID_COMPARTMENT), "1");
  menu(CM_LEERFAECHER);
  EXPECT_FALSE(menuChecked(CM_LEERFAECHER));
}

TEST_F(MainFrameTest, OnlyCommandsThatChangeLearningStateMarkTheBoxChanged) {
  start(writeBox("box.trm", {{1, "A", "a"}, {2, "B", "b"}, {7, "X", "x"}}));
  struct Step {
    const char* name;
    std::function<void()> run;
    bool marks;
  };
  const Step steps[] = {
      {"Sehen", [this] { press(WXK_RETURN); }, false},
      {"In 1. Fach", [this] { menu(CM_IN_1_FACH); }, true},
      {"Mischen", [this] { menu(CM_MISCHEN); }, false},
      {"Antwort als Frage", [this] { menu(CM_ANTWORT_ALS_FRAGE); }, false},
      {"Leerfaecher", [this] { menu(CM_LEERFAECHER); }, false},
      {"Loeschen", [this] { menu(CM_LOESCHEN); }, true},
      {"Exportieren", [this] { wxTEST_DIALOG(menu(CM_EXPORT), wxExpectAny(wxID_CANCEL)); }, false},
      {"Alle Mischen", [this] { menu(CM_ALLE_MISCHEN); }, true},
      {"Gewusst",
       [this] {
         press(WXK_RETURN);
         press(WXK_RETURN);
       },
       true},
      {"Unbekannt",
       [this] {
         press(WXK_RETURN);
         press(WXK_ESCAPE);
       },
       true},
      {"Neu...", [this] { wxTEST_DIALOG(menu(CM_TERMEL_NEU), wxExpectAny(wxID_CANCEL)); }, true},
      {"Korrigieren", [this] { wxTEST_DIALOG(menu(CM_KORRIGIEREN), wxExpectAny(wxID_CANCEL)); },
       true},
      {"Aendern", [this] { wxTEST_DIALOG(menu(CM_AENDERN), wxExpectAny(wxID_CANCEL)); }, true},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.name);
    menu(CM_SICHERN);
    ASSERT_FALSE(window_->modified());
    step.run();
    EXPECT_EQ(window_->modified(), step.marks);
  }
}

TEST_F(MainFrameTest, QuitAsksLikeClosingTheFrame) {
  start(writeBox("box.trm", {{1, "A", "a"}}));
  press(WXK_ESCAPE);
  wxTEST_DIALOG(menu(CM_BEENDEN),
                tExpectBox("Speichern?", "Achtung", wxYES_NO | wxICON_NONE, wxID_NO));
  EXPECT_TRUE(guitest::waitFor([this] { return !frame_; }));
}
