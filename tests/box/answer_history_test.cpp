#include "box/answer_history.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/box/box_test_support.h"

namespace {

// Everything about the box that an answer can change: the cards of each compartment
// in order with their counters.
std::vector<std::string> snapshot() {
  std::vector<std::string> state;
  for (int n = 1; n <= 7; ++n) {
    std::string line = std::to_string(n) + ":";
    tTermel buffer;
    for (tTermel* c = theCardBox.firstIn(n, &buffer); c; c = theCardBox.nextIn(n, &buffer)) {
      line += " " + std::string(buffer.front) + "/" + std::to_string(buffer.timesKnown) + "/" +
              std::to_string(buffer.timesUnknown);
    }
    state.push_back(line);
  }
  return state;
}

class AnswerHistoryTest : public CardBoxTest {
 protected:
  // One drill step as the window takes it: compact if asked to, choose, answer.
  void answer(bool known, bool emptyToEnd = false) {
    if (emptyToEnd) theCardBox.moveEmptyToEnd();
    const tTermel* asked = theCardBox.chooseNext(&compartment_);
    asked_.push_back(asked != nullptr ? *asked : makeCard("", ""));
    askedFrom_.push_back(compartment_);
    before_.push_back(snapshot());
    if (known) {
      history_.answerKnown();
    } else {
      history_.answerUnknown();
    }
    if (emptyToEnd) theCardBox.moveEmptyToEnd();
  }

  // Takes the last answer back and checks that box, card and compartment are as
  // they were when it was asked.
  void takeBackAndCheck() {
    int16_t n = 0;
    const tTermel* card = history_.takeBack(&n);
    ASSERT_NE(card, nullptr);
    EXPECT_EQ(n, askedFrom_.back());
    EXPECT_STREQ(card->front, asked_.back().front);
    EXPECT_EQ(card->timesKnown, asked_.back().timesKnown);
    EXPECT_EQ(card->timesUnknown, asked_.back().timesUnknown);
    EXPECT_EQ(snapshot(), before_.back());
    // The card is the one asked next, also when the window chooses anew.
    EXPECT_EQ(theCardBox.current(), n - 1);
    int16_t again = 0;
    EXPECT_EQ(theCardBox.chooseNext(&again), card);
    EXPECT_EQ(again, n);
    asked_.pop_back();
    askedFrom_.pop_back();
    before_.pop_back();
  }

  void restart() {
    theCardBox.clearAll();
    history_.clear();
    asked_.clear();
    askedFrom_.clear();
    before_.clear();
  }

  tAnswerHistory history_{&theCardBox};
  int16_t compartment_ = 0;
  std::vector<tTermel> asked_;
  std::vector<int16_t> askedFrom_;
  std::vector<std::vector<std::string>> before_;
};

TEST_F(AnswerHistoryTest, ThreeAnswersTakenBackRestoreTheBoxStepByStep) {
  fill(1, 3, "a");
  fill(2, 2, "b");
  theCardBox.addCardTo(card("c1", "c1", 5, 2), 3);
  fill(7, 2, "z");
  answer(true);   // a1 from 1 to 2
  answer(false);  // a2 stays in 1, to its end
  answer(true);   // a3 to 2
  EXPECT_EQ(history_.size(), 3u);
  for (int i = 0; i < 3; ++i) takeBackAndCheck();
  EXPECT_FALSE(history_.canTakeBack());
  EXPECT_EQ(history_.takeBack(), nullptr);
}

TEST_F(AnswerHistoryTest, EveryKindOfMoveIsTakenBack) {
  // Compartment 3 is over its threshold and is asked first; then 1, then the archive.
  fill(3, 41, "c");
  answer(true);   // c1 from 3 to 4
  answer(false);  // c2 from 3 back to 1
  takeBackAndCheck();
  takeBackAndCheck();
  restart();
  fill(7, 3, "z");
  answer(true);   // the archive's head goes to its end, counters unchanged
  answer(false);  // from the archive to compartment 1
  takeBackAndCheck();
  takeBackAndCheck();
  restart();
  fill(6, 1, "f");
  answer(true);  // from 6 into the archive
  answer(true);  // rotates the archive
  answer(false);
  for (int i = 0; i < 3; ++i) takeBackAndCheck();
}

TEST_F(AnswerHistoryTest, TakingBackUndoesTheClosingUpOfEmptyCompartments) {
  // The one card of compartment 1 moves to 2, which then becomes compartment 1 when
  // the empty compartments close up; compartment 2 keeps other cards behind it.
  theCardBox.addCardTo(card("solo", "solo", 1, 1), 1);
  fill(2, 2, "b");
  answer(true, true);
  EXPECT_EQ(textsIn(1), (std::vector<std::string>{"b1;b1", "b2;b2", "solo;solo"}));
  answer(false, true);
  answer(true, true);
  for (int i = 0; i < 3; ++i) takeBackAndCheck();
  EXPECT_EQ(textsIn(1), (std::vector<std::string>{"solo;solo"}));
  EXPECT_EQ(textsIn(2), (std::vector<std::string>{"b1;b1", "b2;b2"}));
}

TEST_F(AnswerHistoryTest, KeepsTheLastThirtyAnswers) {
  fill(1, 5, "a");
  for (int i = 0; i < 5; ++i) answer(i % 3 != 0);
  const std::vector<std::string> afterFive = snapshot();
  for (int i = 5; i < 35; ++i) answer(i % 3 != 0);
  EXPECT_EQ(history_.size(), tAnswerHistory::kDepth);
  for (size_t i = 0; i < tAnswerHistory::kDepth; ++i) takeBackAndCheck();
  EXPECT_EQ(history_.takeBack(), nullptr);
  EXPECT_EQ(snapshot(), afterFive);
}

TEST_F(AnswerHistoryTest, AnEmptyBoxRecordsNothing) {
  theCardBox.chooseNext();
  EXPECT_EQ(history_.answerKnown(), 0);
  EXPECT_EQ(history_.answerUnknown(), 0);
  EXPECT_FALSE(history_.canTakeBack());
}

TEST_F(AnswerHistoryTest, RefusesWhenTheBoxChangedBehindItsBack) {
  fill(1, 3, "a");
  answer(true);
  answer(true);
  // The card that went to compartment 2 last is edited away without clearing.
  ASSERT_TRUE(theCardBox.removeCard(theCardBox.lastIn(2), 2));
  const std::vector<std::string> state = snapshot();
  EXPECT_EQ(history_.takeBack(), nullptr);
  EXPECT_EQ(snapshot(), state);
  EXPECT_FALSE(history_.canTakeBack());
}

TEST_F(AnswerHistoryTest, ClearForgetsEverything) {
  fill(1, 2, "a");
  answer(true);
  history_.clear();
  EXPECT_FALSE(history_.canTakeBack());
  EXPECT_EQ(history_.takeBack(), nullptr);
  EXPECT_EQ(theCardBox.countIn(2), 1);
}

TEST_F(CardBoxTest, TakeBackAnswerRefusesWhatCannotBeAnAnswer) {
  fill(1, 2, "a");
  const tTermel c = card("x", "x");
  EXPECT_FALSE(theCardBox.takeBackAnswer(0, 1, c));
  EXPECT_FALSE(theCardBox.takeBackAnswer(1, 8, c));
  EXPECT_FALSE(theCardBox.takeBackAnswer(2, 3, c));  // nothing at the end of 3
  EXPECT_EQ(theCardBox.totalCount(), 2);
  EXPECT_EQ(textsIn(1), (std::vector<std::string>{"a1;a1", "a2;a2"}));
}

TEST_F(CardBoxTest, PrependPutsTheCardFirst) {
  tTrmListe list;
  const tTermel a = card("a", "a"), b = card("b", "b"), c = card("c", "c");
  list.prepend(&a);
  list.append(&b);
  list.prepend(&c);
  EXPECT_EQ(list.count(), 3);
  EXPECT_STREQ(list.head()->front, "c");
  EXPECT_STREQ(list.tail()->front, "b");
  EXPECT_STREQ(list.rotate()->front, "a");
}

TEST_F(AnswerHistoryTest, DeletedCardsComeBackWhereTheyWereAmongAnswers) {
  fill(1, 4, "a");
  theCardBox.addCardTo(card("b1", "b1", 3, 1), 2);
  answer(true);  // a1 to 2
  const std::vector<std::string> beforeDeletions = snapshot();
  // The third card of compartment 1, then the head of 2, the way the search deletes.
  tTermel buffer;
  theCardBox.firstIn(1, &buffer);
  theCardBox.nextIn(1, &buffer);
  tTermel* third = theCardBox.nextIn(1, &buffer);
  ASSERT_STREQ(third->front, "a4");
  ASSERT_TRUE(history_.deleteCard(third, 1));
  const std::vector<std::string> afterFirst = snapshot();
  ASSERT_TRUE(history_.deleteCard(theCardBox.firstIn(2, nullptr), 2));
  EXPECT_EQ(textsIn(2), (std::vector<std::string>{"a1;a1"}));
  EXPECT_TRUE(history_.nextIsDeletion());

  int16_t n = 0;
  const tTermel* back = history_.takeBack(&n);
  ASSERT_NE(back, nullptr);
  EXPECT_STREQ(back->front, "b1");
  EXPECT_EQ(back->timesKnown, 3) << "the counters come back with the card";
  EXPECT_EQ(n, 2);
  EXPECT_EQ(snapshot(), afterFirst);
  back = history_.takeBack(&n);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(n, 1);
  EXPECT_EQ(snapshot(), beforeDeletions);
  EXPECT_FALSE(history_.nextIsDeletion());
  takeBackAndCheck();  // the answer before the deletions
}

TEST_F(AnswerHistoryTest, DeletingTheAskedCardIsTakenBackAsTheCardToAsk) {
  fill(1, 2, "a");
  int16_t n = 0;
  tTermel* asked = theCardBox.chooseNext(&n);
  ASSERT_TRUE(history_.deleteCard(asked, n));
  EXPECT_STREQ(theCardBox.chooseNext()->front, "a2");
  ASSERT_NE(history_.takeBack(), nullptr);
  EXPECT_STREQ(theCardBox.chooseNext(&n)->front, "a1");
  EXPECT_EQ(n, 1);
}

TEST_F(AnswerHistoryTest, DeletionOfACardNotInTheCompartmentIsRefused) {
  fill(1, 1, "a");
  fill(2, 1, "b");
  EXPECT_FALSE(history_.deleteCard(theCardBox.firstIn(2, nullptr), 1));
  EXPECT_FALSE(history_.canTakeBack());
  EXPECT_EQ(theCardBox.totalCount(), 2);
}

TEST_F(AnswerHistoryTest, ADeletionThatNoLongerFitsIsRefused) {
  fill(1, 3, "a");
  tTermel buffer;
  theCardBox.firstIn(1, &buffer);
  theCardBox.nextIn(1, &buffer);
  ASSERT_TRUE(history_.deleteCard(theCardBox.nextIn(1, &buffer), 1));  // a3, the last
  // Compartment 1 is emptied behind the history's back: there is no place 2 any more.
  theCardBox.clearCompartment(1);
  EXPECT_EQ(history_.takeBack(), nullptr);
  EXPECT_EQ(theCardBox.totalCount(), 0);
  EXPECT_FALSE(history_.canTakeBack());
}

TEST_F(CardBoxTest, InsertAtPutsTheCardAtItsPlaceAndIndexOfFindsIt) {
  tTrmListe list;
  const tTermel a = card("a", "a"), b = card("b", "b"), c = card("c", "c"), d = card("d", "d");
  EXPECT_STREQ(list.insertAt(5, &b)->front, "b");  // into an empty list
  list.insertAt(0, &a);
  list.insertAt(2, &d);
  const tTermel* stored = list.insertAt(2, &c);
  std::vector<std::string> order;
  for (const tTermel* it = list.first(); it != nullptr; it = list.next())
    order.push_back(it->front);
  EXPECT_EQ(order, (std::vector<std::string>{"a", "b", "c", "d"}));
  EXPECT_EQ(list.indexOf(stored), 2);
  EXPECT_EQ(list.indexOf(list.tail()), 3);
  EXPECT_EQ(list.indexOf(&a), -1) << "a copy outside the list is not in it";
  EXPECT_STREQ(list.tail()->front, "d");
}

}  // namespace
