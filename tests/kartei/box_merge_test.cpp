// Merging two diverged card lists: each rule on a small box, the order of the result,
// corrections, and the properties every merge must have (a box merged with itself is
// unchanged; either direction gives the same cards).
#include "kartei/box_merge.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

using Strings = std::vector<std::string>;

tPlacedCard placed(const char* front, const char* back, int n, int known = 0, int unknown = 0) {
  tPlacedCard c{makeCard(front, back), n};
  c.card.timesKnown = known;
  c.card.timesUnknown = unknown;
  return c;
}

// "front;back@compartment known/unknown" of every card, in order.
Strings describe(const tPlacedCards& cards) {
  Strings lines;
  for (const tPlacedCard& c : cards) {
    lines.push_back(std::string(c.card.front) + ";" + c.card.back + "@" +
                    std::to_string(c.compartment) + " " + std::to_string(c.card.timesKnown) + "/" +
                    std::to_string(c.card.timesUnknown));
  }
  return lines;
}

Strings sorted(Strings lines) {
  std::sort(lines.begin(), lines.end());
  return lines;
}

// Real card texts in code page 1252: typographic quotes, a dash, an ellipsis.
const char kQuote[] = "\x84gern\x93 geschehen";
const char kDash[] =
    "Nord\x96S\xFC"
    "d";
const char kDots[] = "und so weiter\x85";

// The box both computers started from.
tPlacedCards ancestorBox() {
  return {placed("der Apfel", "the apple", 1), placed("die Birne", "the pear", 1),
          placed(kQuote, "you're welcome", 2, 1, 0), placed(kDash, "north-south", 3, 2, 0),
          placed(kDots, "and so on", 1)};
}

TEST(BoxMergeTest, DeletionsAdditionsAndProgressFollowTheAncestor) {
  const tPlacedCards ancestor = ancestorBox();
  tPlacedCards ours = ancestor;
  tPlacedCards theirs = ancestor;
  // Ours: "die Birne" deleted, "der Apfel" learned, a card added.
  ours.erase(ours.begin() + 1);
  ours[0] = placed("der Apfel", "the apple", 2, 1, 0);
  ours.push_back(placed("die Kirsche", "the cherry", 1));
  // Theirs: "der Apfel" deleted although ours learned it, kDots deleted unchanged,
  // kQuote learned twice and forgotten once, a card added.
  theirs.erase(theirs.begin() + 4);
  theirs.erase(theirs.begin());
  theirs[1] = placed(kQuote, "you're welcome", 1, 3, 1);
  theirs.push_back(placed("die Pflaume", "the plum", 1));

  tMergeSummary summary;
  const tPlacedCards merged = mergeCardLists(ours, theirs, &ancestor, &summary);
  EXPECT_EQ(describe(merged), (Strings{
                                  "die Kirsche;the cherry@1 0/0",
                                  std::string(kQuote) + ";you're welcome@1 3/1",
                                  "die Pflaume;the plum@1 0/0",
                                  "der Apfel;the apple@2 1/0",
                                  std::string(kDash) + ";north-south@3 2/0",
                              }));
  EXPECT_EQ(summary.taken, 1);
  EXPECT_EQ(summary.progress, 1);
  EXPECT_EQ(summary.deleted, 2);  // "die Birne" and kDots
  ASSERT_EQ(summary.conflicts.size(), 1u);
  EXPECT_EQ(summary.conflicts[0],
            "\x84"
            "der Apfel = the apple\x93: auf einem Rechner gel\xF6scht, auf dem anderen "
            "gelernt \x96 behalten");
  EXPECT_EQ(summary.text(),
            "1 \xFC"
            "bernommen, 1 Fortschritte zusammengef\xFChrt, 2 gel\xF6scht, 1 Konflikte");
}

TEST(BoxMergeTest, WithoutAncestorNothingIsDeleted) {
  const tPlacedCards ours = {placed("a", "1", 1), placed("b", "2", 2)};
  const tPlacedCards theirs = {placed("b", "2", 2), placed("c", "3", 1)};
  tMergeSummary summary;
  EXPECT_EQ(describe(mergeCardLists(ours, theirs, nullptr, &summary)),
            (Strings{"a;1@1 0/0", "c;3@1 0/0", "b;2@2 0/0"}));
  EXPECT_EQ(summary.deleted, 0);
  EXPECT_EQ(summary.taken, 1);
}

TEST(BoxMergeTest, ChangedOnBothSidesKeepsTheVersionWithMoreAnswersAndTheLargerCounters) {
  const tPlacedCards ancestor = {placed("a", "1", 2, 1, 0), placed("b", "2", 3, 2, 0),
                                 placed("c", "3", 1)};
  // a: ours 3 answers (forgotten: back to 1), theirs 2 (on to 4).
  // b: ours moved it to 1 without an answer, theirs unchanged: the move counts.
  // c: as many answers on both sides, to different compartments: the lower one.
  const tPlacedCards ours = {placed("a", "1", 1, 2, 1), placed("b", "2", 1, 2, 0),
                             placed("c", "3", 2, 1, 0)};
  const tPlacedCards theirs = {placed("a", "1", 4, 3, 0), placed("b", "2", 3, 2, 0),
                               placed("c", "3", 1, 0, 1)};
  for (bool reversed : {false, true}) {
    SCOPED_TRACE(reversed ? "theirs into ours" : "ours into theirs");
    const tPlacedCards merged = reversed ? mergeCardLists(theirs, ours, &ancestor, nullptr)
                                         : mergeCardLists(ours, theirs, &ancestor, nullptr);
    EXPECT_EQ(sorted(describe(merged)), (Strings{"a;1@1 3/1", "b;2@1 2/0", "c;3@1 1/1"}));
  }
}

TEST(BoxMergeTest, OwnOrderFirstThenTheOthersNewCardsInTheirOrder) {
  const tPlacedCards ancestor = {placed("a", "1", 1), placed("b", "2", 1), placed("c", "3", 2)};
  // Ours shuffled compartment 1; theirs added two cards and moved "c" into compartment 1
  // by answering it wrongly.
  const tPlacedCards ours = {placed("b", "2", 1), placed("a", "1", 1), placed("x", "9", 1),
                             placed("c", "3", 2)};
  const tPlacedCards theirs = {placed("n2", "n", 1), placed("a", "1", 1), placed("c", "3", 1, 0, 1),
                               placed("b", "2", 1), placed("n1", "n", 1)};
  EXPECT_EQ(
      describe(mergeCardLists(ours, theirs, &ancestor, nullptr)),
      (Strings{"b;2@1 0/0", "a;1@1 0/0", "x;9@1 0/0", "n2;n@1 0/0", "c;3@1 0/1", "n1;n@1 0/0"}));
}

TEST(BoxMergeTest, CorrectionsAreReportedAndOnlyTheCorrectedCardStays) {
  const tPlacedCards ancestor = {placed("die Strasse", "the street", 2, 1, 0),
                                 placed("das Haus", "the hous", 1)};
  // Ours corrected the first card's German text; theirs learned the old card. Theirs
  // corrected the second card's translation.
  const tPlacedCards ours = {placed("die Stra\xDF"
                                    "e",
                                    "the street", 2, 1, 0),
                             placed("das Haus", "the hous", 1)};
  const tPlacedCards theirs = {placed("die Strasse", "the street", 3, 2, 0),
                               placed("das Haus", "the house", 1)};
  tMergeSummary summary;
  const tPlacedCards merged = mergeCardLists(ours, theirs, &ancestor, &summary);
  EXPECT_EQ(sorted(describe(merged)), (Strings{"das Haus;the house@1 0/0",
                                               "die Stra\xDF"
                                               "e;the street@3 2/0"}));
  EXPECT_EQ(summary.deleted, 0);
  EXPECT_EQ(sorted(summary.conflicts), (Strings{"\x84"
                                                "das Haus = the hous\x93 korrigiert zu \x84"
                                                "das Haus = the house\x93",
                                                "\x84"
                                                "die Strasse = the street\x93 korrigiert zu \x84"
                                                "die Stra\xDF"
                                                "e = the street\x93"}));

  // Without the ancestor either text may be the old one: both stay.
  tMergeSummary blind;
  EXPECT_EQ(mergeCardLists(ours, theirs, nullptr, &blind).size(), 4u);
  EXPECT_EQ(blind.conflicts, (Strings{"\x84"
                                      "das Haus = the hous\x93 korrigiert zu \x84"
                                      "das Haus = the house\x93 (beide behalten)"}));
}

// A box of random cards, and a random diverged version of it: cards deleted, added,
// answered, corrected and shuffled, as a learner's week on one computer.
tPlacedCards randomBox(std::mt19937* random, int size) {
  tPlacedCards cards;
  for (int i = 0; i < size; ++i) {
    const std::string text = "Wort " + std::to_string(i);
    cards.push_back(
        placed(text.c_str(), "word", 1 + (*random)() % 7, (*random)() % 5, (*random)() % 5));
  }
  return cards;
}

tPlacedCards diverge(tPlacedCards cards, std::mt19937* random, const std::string& side) {
  for (int step = 0; step < 40; ++step) {
    const size_t at = (*random)() % cards.size();
    switch ((*random)() % 5) {
      case 0:
        cards.erase(cards.begin() + at);
        break;
      case 1: {
        const std::string text = side + " " + std::to_string(step);
        cards.push_back(placed(text.c_str(), "neu", 1));
        break;
      }
      case 2:
        cards[at].card.timesKnown++;
        cards[at].compartment = std::min(cards[at].compartment + 1, 7);
        break;
      case 3:
        cards[at].card.timesUnknown++;
        cards[at].compartment = 1;
        break;
      default:
        cards[at].card.set(cards[at].card.front, (side + " korrigiert").c_str());
        break;
    }
  }
  std::shuffle(cards.begin(), cards.end(), *random);
  std::stable_sort(cards.begin(), cards.end(), [](const tPlacedCard& a, const tPlacedCard& b) {
    return a.compartment < b.compartment;
  });
  return cards;
}

TEST(BoxMergeTest, MergingWithItselfChangesNothingAndEitherDirectionGivesTheSameCards) {
  std::mt19937 random(20261207);
  for (int round = 0; round < 50; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    const tPlacedCards ancestor = randomBox(&random, 60);
    const tPlacedCards a = diverge(ancestor, &random, "A");
    const tPlacedCards b = diverge(ancestor, &random, "B");
    for (const tPlacedCards* base : {&ancestor, static_cast<const tPlacedCards*>(nullptr)}) {
      tMergeSummary self;
      EXPECT_EQ(describe(mergeCardLists(a, a, base, &self)), describe(a));
      EXPECT_EQ(self.text(), tMergeSummary().text());
      const Strings ab = sorted(describe(mergeCardLists(a, b, base, nullptr)));
      const Strings ba = sorted(describe(mergeCardLists(b, a, base, nullptr)));
      EXPECT_EQ(ab, ba);
      // Every card at most once.
      EXPECT_EQ(std::adjacent_find(ab.begin(), ab.end(),
                                   [](const std::string& x, const std::string& y) {
                                     return x.substr(0, x.find('@')) == y.substr(0, y.find('@'));
                                   }),
                ab.end());
    }
  }
}

}  // namespace
