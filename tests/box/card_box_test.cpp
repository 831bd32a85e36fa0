#include "box/card_box.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/box/box_test_support.h"

namespace {

using Texts = std::vector<std::string>;

std::vector<int32_t> counts() {
  std::vector<int32_t> result;
  for (int n = 1; n <= 7; ++n) result.push_back(theCardBox.countIn(n));
  return result;
}

int16_t chosen() {
  int16_t n = -1;
  theCardBox.chooseNext(&n);
  return n;
}

TEST_F(CardBoxTest, EmptyBoxChoosesCompartmentOneAndAnswersDoNothing) {
  int16_t n = 0;
  EXPECT_EQ(theCardBox.chooseNext(&n), nullptr);
  EXPECT_EQ(n, 1);
  theCardBox.answerKnown();
  theCardBox.answerUnknown();
  EXPECT_EQ(theCardBox.totalCount(), 0);
  EXPECT_EQ(theCardBox.compartmentCount(), 7);
}

TEST_F(CardBoxTest, ThresholdsMustBeExceededNotReached) {
  const int thresholds[] = {10, 20, 40, 80, 160, 320};
  for (int k = 1; k <= 6; ++k) {
    theCardBox.clearAll();
    fill(7, 1, "archive");
    fill(k, thresholds[k - 1], "at");
    EXPECT_EQ(chosen(), k) << "first non-empty, not due";
    if (k > 1) {
      fill(1, 1, "low");
      EXPECT_EQ(chosen(), 1) << "lowest non-empty while " << k << " is exactly full";
      fill(k, 1, "over");
      EXPECT_EQ(chosen(), k) << "due compartment " << k << " beats compartment 1";
    }
  }
}

TEST_F(CardBoxTest, LowestDueCompartmentWins) {
  fill(1, 10, "a");
  fill(3, 41, "c");
  EXPECT_EQ(chosen(), 3);
  fill(1, 1, "extra");
  EXPECT_EQ(chosen(), 1);
  theCardBox.clearAll();
  fill(1, 10, "a");
  fill(2, 5, "b");
  EXPECT_EQ(chosen(), 1);
  theCardBox.clearAll();
  fill(4, 81, "d");
  fill(6, 321, "f");
  EXPECT_EQ(chosen(), 4);
}

TEST_F(CardBoxTest, KnownAnswerMovesUpAndCountsOnlyInLearningCompartments) {
  theCardBox.addCardTo(card("six", "6", 2, 1), 6);
  theCardBox.addCardTo(card("other", "o"), 6);
  EXPECT_STREQ(theCardBox.chooseNext()->front, "six");
  theCardBox.answerKnown();
  EXPECT_EQ(theCardBox.current(), 6);
  EXPECT_EQ(theCardBox.countIn(6), 1);
  EXPECT_STREQ(cardAt(7, 0).front, "six");
  EXPECT_EQ(cardAt(7, 0).timesKnown, 3);
  EXPECT_EQ(cardAt(7, 0).timesUnknown, 1);

  // The archive rotates: the head goes to the end, counters unchanged.
  theCardBox.clearAll();
  theCardBox.addCardTo(card("z1", "1", 5, 0), 7);
  theCardBox.addCardTo(card("z2", "2"), 7);
  EXPECT_EQ(chosen(), 7);
  theCardBox.answerKnown();
  EXPECT_EQ(textsIn(7), Texts({"z2;2", "z1;1"}));
  EXPECT_EQ(cardAt(7, 1).timesKnown, 5);
}

TEST_F(CardBoxTest, UnknownAnswerSendsBackToFirstCompartment) {
  fill(1, 2, "one");
  theCardBox.addCardTo(card("arch", "a", 1, 7), 7);
  theCardBox.chooseNext();
  theCardBox.answerUnknown();  // compartment 1: rotated within it
  EXPECT_EQ(textsIn(1), Texts({"one2;one2", "one1;one1"}));
  EXPECT_EQ(theCardBox.firstIn(1, nullptr)->timesUnknown, 0);
  EXPECT_EQ(theCardBox.nextIn(1, nullptr)->timesUnknown, 1);

  theCardBox.clearCompartment(1);
  EXPECT_EQ(chosen(), 7);
  theCardBox.answerUnknown();
  EXPECT_EQ(theCardBox.countIn(7), 0);
  EXPECT_STREQ(cardAt(1, 0).front, "arch");
  EXPECT_EQ(cardAt(1, 0).timesKnown, 1);
  EXPECT_EQ(cardAt(1, 0).timesUnknown, 8);

  // A one-card compartment 1 keeps its card.
  theCardBox.chooseNext();
  theCardBox.answerUnknown();
  EXPECT_EQ(textsIn(1), Texts({"arch;a"}));
  EXPECT_EQ(theCardBox.firstIn(1, nullptr)->timesUnknown, 9);
}

TEST_F(CardBoxTest, CountersStopAtTheirLargestValue) {
  // Counters of this size come from foreign files with wide number columns.
  constexpr int32_t kMax = INT32_MAX;
  theCardBox.addCardTo(card("voll", "full", kMax, kMax), 2);
  theCardBox.chooseNext();
  theCardBox.answerKnown();
  EXPECT_EQ(cardAt(3, 0).timesKnown, kMax);
  theCardBox.chooseNext();
  theCardBox.answerUnknown();
  EXPECT_EQ(cardAt(1, 0).timesUnknown, kMax);
  EXPECT_EQ(cardAt(1, 0).timesKnown, kMax);
  theCardBox.chooseNext();
  theCardBox.answerUnknown();  // rotated within compartment 1, counted again
  EXPECT_EQ(cardAt(1, 0).timesUnknown, kMax);
}

TEST_F(CardBoxTest, RefusesCompartmentNumbersOutsideOneToSeven) {
  EXPECT_FALSE(theCardBox.addCardTo(card("x", "y"), 0));
  EXPECT_FALSE(theCardBox.addCardTo(card("x", "y"), 8));
  EXPECT_EQ(theCardBox.totalCount(), 0);
  fill(2, 3, "b");
  EXPECT_FALSE(theCardBox.removeCard(theCardBox.firstIn(2, nullptr), 8));
  EXPECT_FALSE(theCardBox.removeCard(theCardBox.firstIn(2, nullptr), 1));
  EXPECT_TRUE(theCardBox.removeCard(theCardBox.firstIn(2, nullptr), 2));
  EXPECT_EQ(theCardBox.countIn(0), 0);
  EXPECT_EQ(theCardBox.countIn(8), 0);
  EXPECT_EQ(theCardBox.firstIn(-1, nullptr), nullptr);
  theCardBox.clearCompartment(9);
  theCardBox.shuffle(8);
  theCardBox.shuffle(-1);
  EXPECT_EQ(textsIn(2), Texts({"b2;b2", "b3;b3"}));
}

TEST_F(CardBoxTest, DeleteCurrentRemovesHeadAndChoosesAgain) {
  EXPECT_EQ(theCardBox.deleteCurrent(nullptr), nullptr);
  fill(2, 2, "b");
  fill(3, 1, "c");
  int16_t n = 2;
  tTermel* next = theCardBox.deleteCurrent(&n);
  EXPECT_EQ(n, 2);
  EXPECT_STREQ(next->front, "b2");
  next = theCardBox.deleteCurrent(&n);
  EXPECT_EQ(n, 3);
  EXPECT_STREQ(next->front, "c1");

  n = 9;
  EXPECT_EQ(theCardBox.deleteCurrent(&n), theCardBox.firstIn(3, nullptr));
  EXPECT_EQ(n, 3);
  EXPECT_EQ(theCardBox.totalCount(), 1);
}

TEST_F(CardBoxTest, MoveEmptyToEndClosesUpTowardsCompartmentOne) {
  fill(2, 5, "b");
  fill(4, 3, "d");
  fill(7, 8, "z");
  EXPECT_TRUE(theCardBox.moveEmptyToEnd());
  EXPECT_EQ(counts(), std::vector<int32_t>({5, 3, 8, 0, 0, 0, 0}));
  EXPECT_EQ(textsIn(3).front(), "z1;z1");
  EXPECT_EQ(theCardBox.capacity(2), 40);  // thresholds stay with the positions

  theCardBox.clearAll();
  fill(1, 4, "a");
  fill(2, 4, "b");
  EXPECT_FALSE(theCardBox.moveEmptyToEnd());
  EXPECT_EQ(counts(), std::vector<int32_t>({4, 4, 0, 0, 0, 0, 0}));
}

TEST_F(CardBoxTest, AllToFirstKeepsOrderAndCounters) {
  fill(1, 1, "a");
  fill(3, 2, "c");
  theCardBox.addCardTo(card("z", "z", 4, 2), 7);
  fill(2, 1, "b");
  theCardBox.chooseNext();
  theCardBox.allToFirst();
  EXPECT_EQ(theCardBox.current(), 0);
  EXPECT_EQ(textsIn(1), Texts({"a1;a1", "b1;b1", "c1;c1", "c2;c2", "z;z"}));
  EXPECT_EQ(theCardBox.totalCount(), 5);
  tTermel* last = theCardBox.firstIn(1, nullptr);
  for (int i = 0; i < 4; ++i) last = theCardBox.nextIn(1, nullptr);
  EXPECT_EQ(last->timesKnown, 4);
  EXPECT_EQ(last->timesUnknown, 2);
  // The first compartment is still a sound list after taking the others over.
  EXPECT_TRUE(theCardBox.removeCard(last, 1));
  fill(1, 1, "new");
  EXPECT_EQ(textsIn(1).back(), "new1;new1");
}

TEST_F(CardBoxTest, BoxWideIterationVisitsCompartmentsInOrder) {
  tTermel buffer;
  EXPECT_EQ(theCardBox.firstCard(&buffer), 0);
  fill(2, 2, "b");
  fill(5, 1, "e");
  fill(7, 1, "z");
  std::vector<int> seen;
  Texts texts;
  for (int n = theCardBox.firstCard(&buffer); n != 0; n = theCardBox.nextCard(&buffer)) {
    seen.push_back(n);
    texts.push_back(buffer.front);
  }
  EXPECT_EQ(seen, std::vector<int>({2, 2, 5, 7}));
  EXPECT_EQ(texts, Texts({"b1", "b2", "e1", "z1"}));
  EXPECT_EQ(theCardBox.nextCard(&buffer), 0);
}

TEST_F(CardBoxTest, FindSearchesEveryCompartmentFirstMatchWins) {
  theCardBox.addCardTo(card("Haus", "home"), 3);
  theCardBox.addCardTo(card("Haus", "house"), 7);
  EXPECT_EQ(theCardBox.findEither(card("Haus", "x")), theCardBox.firstIn(3, nullptr));
  EXPECT_EQ(theCardBox.findBoth(card("Haus", "house")), theCardBox.firstIn(7, nullptr));
  EXPECT_EQ(theCardBox.findBoth(card("Haus", "House")), nullptr);
}

TEST_F(CardBoxTest, ShuffleAllKeepsEveryCompartmentsCards) {
  for (int n = 1; n <= 7; ++n) fill(n, 5, "k" + std::to_string(n) + "-");
  theCardBox.shuffle(0);
  for (int n = 1; n <= 7; ++n) {
    Texts texts = textsIn(n);
    std::sort(texts.begin(), texts.end());
    ASSERT_EQ(texts.size(), 5u);
    EXPECT_EQ(texts.front().substr(0, 3), "k" + std::to_string(n) + "-");
  }
  theCardBox.clearAll();
  EXPECT_EQ(theCardBox.totalCount(), 0);
}

// Cards built in place by a bulk append: the observer hears once, after the last card,
// and the cards can then be removed and moved one by one like any other.
TEST_F(CardBoxTest, BulkAppendFillsInPlaceAndNotifiesOnce) {
  struct Kinds : tBoxObserver {
    std::vector<tBoxChange::tKind> seen;
    void boxChanged(const tBoxChange& change) override { seen.push_back(change.kind); }
  } observer;
  theCardBox.setObserver(&observer);
  {
    CardBox::tBulkAppend into(theCardBox);
    const std::pair<const char*, int> cards[] = {{"a", 2}, {"b", 9}, {"c", 2}, {"d", 0}};
    for (const auto& c : cards) *into.add(c.second) = card(c.first, "x", c.second, 1);
    EXPECT_TRUE(observer.seen.empty());
  }
  EXPECT_EQ(observer.seen, std::vector<tBoxChange::tKind>({tBoxChange::tKind::kOther}));
  theCardBox.setObserver(nullptr);
  EXPECT_EQ(textsIn(1), Texts({"b;x", "d;x"}));
  EXPECT_EQ(textsIn(2), Texts({"a;x", "c;x"}));
  EXPECT_EQ(theCardBox.firstIn(1, nullptr)->timesKnown, 9);
  EXPECT_TRUE(theCardBox.removeCard(theCardBox.firstIn(2, nullptr), 2));
  theCardBox.chooseNext();
  theCardBox.answerKnown();
  EXPECT_EQ(textsIn(1), Texts({"d;x"}));
  EXPECT_EQ(textsIn(2), Texts({"c;x", "b;x"}));
  theCardBox.clearAll();
  EXPECT_EQ(theCardBox.totalCount(), 0);
}

}  // namespace
