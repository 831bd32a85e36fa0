#include "box/undo_stack.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/box/box_test_support.h"

namespace {

// Every card with its compartment and counters, in box order, and the lists'
// arrangement: all that taking a change back must restore.
std::vector<std::string> state() {
  std::vector<std::string> lines;
  tTermel c;
  for (int n = theCardBox.firstCard(&c); n != 0; n = theCardBox.nextCard(&c)) {
    lines.push_back(std::to_string(n) + ":" + c.front + ";" + c.back + " " +
                    std::to_string(c.timesKnown) + "/" + std::to_string(c.timesUnknown));
  }
  for (int8_t list : theCardBox.arrangement()) lines.push_back("list " + std::to_string(list));
  return lines;
}

void spread(int cardsPerCompartment) {
  for (int i = 0; i < cardsPerCompartment * CardBox::kCompartments; ++i) {
    tTermel card = makeCard(("Wort" + std::to_string(i)).c_str(), "word");
    card.timesKnown = i % 5;
    card.timesUnknown = i % 3;
    theCardBox.addCardTo(card, 1 + i % CardBox::kCompartments);
  }
}

class UndoStackTest : public CardBoxTest {
 protected:
  void allToFirst() {
    auto change = allToFirstChange(&theCardBox);
    theCardBox.allToFirst();
    undo_.record("In 1. Fach", std::move(change));
  }
  void shuffleAll(tUndoStack* undo) {
    CardBox::tOrders dealt;
    theCardBox.shuffle(0, &dealt);
    undo->record("Alle Mischen", shuffleChange(std::move(dealt)));
  }

  tAnswerHistory history_{&theCardBox};
  tUndoStack undo_{&theCardBox, &history_};
};

}  // namespace

// Each kind of change, made as its command makes it, is taken back exactly, also when
// the empty compartments were moved to the end in between.
TEST_F(UndoStackTest, EveryChangeIsTakenBackExactly) {
  using tCommand = std::function<std::unique_ptr<tUndoChange>()>;
  const struct {
    const char* name;
    tCommand command;
  } cases[] = {
      {"In 1. Fach",
       [] {
         auto change = allToFirstChange(&theCardBox);
         theCardBox.allToFirst();
         return change;
       }},
      {"Alle Mischen",
       [] {
         CardBox::tOrders dealt;
         theCardBox.shuffle(0, &dealt);
         return shuffleChange(std::move(dealt));
       }},
      {"Import",
       [] {
         auto change = appendChange(&theCardBox);
         theCardBox.addCardTo(makeCard("Tisch", "table"), 1);
         theCardBox.addCardTo(makeCard("Stuhl", "chair"), 7);
         return change;
       }},
      {"L\xF6schen Ablage",
       [] {
         auto change = clearChange(&theCardBox, 7);
         theCardBox.clearCompartment(7);
         return change;
       }},
      {"Korrigieren",
       [] {
         tTermel* card = theCardBox.firstIn(3, nullptr);
         theCardBox.nextIn(3, nullptr);
         card = theCardBox.nextIn(3, nullptr);
         const tTermel before = *card;
         card->set("Neu", "new");
         return correctionChange(&theCardBox, 3, 2, before);
       }},
      {"Zusammenf\xFChren",
       [] {
         const tBoxSnapshot before = snapshotOf(&theCardBox);
         theCardBox.firstIn(2, nullptr)->timesKnown += 4;  // progress merged
         theCardBox.removeCard(theCardBox.lastIn(5), 5);   // deleted on the other side
         theCardBox.addCardTo(makeCard("Tisch", "table"), 1);
         const tTermel moved = *theCardBox.firstIn(6, nullptr);
         theCardBox.removeCard(theCardBox.firstIn(6, nullptr), 6);
         theCardBox.addCardTo(moved, 7);
         theCardBox.clearCompartment(4);
         return differenceChange(&theCardBox, before);
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    theCardBox.clearAll();
    spread(12);
    const std::vector<std::string> before = state();
    undo_.record(c.name, c.command());
    ASSERT_NE(state(), before);
    theCardBox.moveEmptyToEnd();
    EXPECT_EQ(undo_.nextLabel(), c.name);
    EXPECT_TRUE(undo_.undo());
    EXPECT_EQ(state(), before);
    EXPECT_EQ(undo_.next(), tUndoStack::tNext::kNothing);
  }
}

// A change is taken back only after the answers since; it is dropped once the history
// forgets one of them (beyond its depth) or is cleared after an unkept change.
TEST_F(UndoStackTest, ChangesBehindForgottenAnswersAreDropped) {
  tAnswerHistory shallow(&theCardBox, 2);
  tUndoStack undo(&theCardBox, &shallow);
  spread(3);
  for (int answers : {2, 3}) {
    auto change = allToFirstChange(&theCardBox);
    theCardBox.allToFirst();
    undo.record("In 1. Fach", std::move(change));
    for (int i = 0; i < answers; ++i) shallow.answerKnown();
    EXPECT_EQ(undo.nextLabel(), "Antwort");
    while (shallow.takeBack() != nullptr) continue;
    EXPECT_EQ(undo.nextLabel(), answers == 2 ? "In 1. Fach" : "") << answers << " answers";
    if (answers == 2) {
      EXPECT_TRUE(undo.undo());
    }
  }
  allToFirst();
  history_.clear();
  EXPECT_EQ(undo_.next(), tUndoStack::tNext::kNothing);
  EXPECT_EQ(undo_.size(), 0u);
}

// A million cards: repeated "In 1. Fach" costs a few hundred bytes a step, whatever
// the size of the box; steps that hold more (four bytes a card for "Alle Mischen")
// push the oldest out before the budget is passed.
TEST_F(UndoStackTest, MemoryStaysWithinTheBudget) {
  spread(1000000 / CardBox::kCompartments + 1);
  for (int i = 0; i < 60; ++i) {
    allToFirst();
    auto change = appendChange(&theCardBox);
    theCardBox.addCardTo(makeCard("Tisch", std::to_string(i).c_str()), 2);
    undo_.record("Import", std::move(change));
  }
  EXPECT_EQ(undo_.size(), tUndoStack::kMaxSteps);
  EXPECT_LT(undo_.bytes(), tUndoStack::kMaxSteps * 512);

  theCardBox.clearAll();
  spread(10000);  // 70,000 cards, 280 KB a shuffle
  tUndoStack small(&theCardBox, &history_, size_t{1} << 20);
  for (int i = 0; i < 6; ++i) {
    shuffleAll(&small);
    EXPECT_LE(small.bytes(), size_t{1} << 20);
  }
  EXPECT_EQ(small.size(), 3u) << "the oldest steps made room, no more than needed";
  const std::vector<std::string> shuffled = state();
  ASSERT_TRUE(small.undo());
  EXPECT_NE(state(), shuffled);
}
