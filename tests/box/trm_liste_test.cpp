#include "box/trm_liste.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "box/termel.h"

namespace {

tTermel named(const std::string& text, int32_t known = 0) {
  tTermel c = makeCard(text.c_str(), ("back " + text).c_str());
  c.timesKnown = known;
  return c;
}

void appendNamed(tTrmListe* list, const std::vector<std::string>& names) {
  for (const std::string& name : names) {
    const tTermel c = named(name);
    list->append(&c);
  }
}

// The fronts delivered by one iteration.
std::vector<std::string> fronts(tTrmListe* list) {
  std::vector<std::string> result;
  for (tTermel* c = list->first(); c != nullptr; c = list->next()) result.push_back(c->front);
  return result;
}

using Fronts = std::vector<std::string>;

TEST(TermelTest, TextsAreCutTo63AndCountersSurviveSetAndClear) {
  tTermel c = makeCard(std::string(70, 'x').c_str(), "b");
  EXPECT_EQ(std::string(c.front), std::string(63, 'x'));
  EXPECT_EQ(c.timesKnown, 0);
  c.timesKnown = 4;
  c.timesUnknown = 5;
  c.set("neu", "new");
  c.clear();
  EXPECT_STREQ(c.front, "");
  EXPECT_STREQ(c.back, "");
  EXPECT_EQ(c.timesKnown, 4);
  EXPECT_EQ(c.timesUnknown, 5);
}

TEST(TermelTest, MatchingIsExactAndIgnoresCounters) {
  const tTermel a = makeCard("Haus", "house");
  tTermel sameTexts = a;
  sameTexts.timesKnown = 9;
  EXPECT_TRUE(a.matchesBoth(sameTexts));
  EXPECT_TRUE(a.matchesEither(makeCard("Heim", "house")));
  EXPECT_FALSE(a.matchesBoth(makeCard("Heim", "house")));
  EXPECT_TRUE(a.matchesEither(makeCard("Haus", "home")));
  EXPECT_FALSE(a.matchesEither(makeCard("haus", "House")));
}

TEST(TrmListeTest, AppendHeadRotateOnOneCard) {
  tTrmListe list;
  EXPECT_EQ(list.head(), nullptr);
  EXPECT_EQ(list.rotate(), nullptr);
  appendNamed(&list, {"a"});
  tTermel* only = list.head();
  EXPECT_EQ(list.rotate(), only);
  EXPECT_EQ(list.count(), 1);
  list.append(nullptr);
  EXPECT_EQ(list.count(), 1);
}

TEST(TrmListeTest, RemoveHeadOfOnlyCardThenAppend) {
  tTrmListe list;
  appendNamed(&list, {"a"});
  list.removeHead();
  EXPECT_EQ(list.count(), 0);
  EXPECT_EQ(list.head(), nullptr);
  list.removeHead();  // harmless on an empty list
  appendNamed(&list, {"b"});
  EXPECT_STREQ(list.head()->front, "b");
  EXPECT_EQ(fronts(&list), Fronts({"b"}));
}

TEST(TrmListeTest, RemoveFirstMiddleLastOnlyKeepsRingIntact) {
  tTrmListe list;
  appendNamed(&list, {"a", "b", "c", "d"});
  tTermel* last = list.first();
  for (int i = 0; i < 3; ++i) last = list.next();
  EXPECT_TRUE(list.remove(last));
  appendNamed(&list, {"e"});
  EXPECT_EQ(fronts(&list), Fronts({"a", "b", "c", "e"}));

  EXPECT_TRUE(list.remove(list.head()));
  EXPECT_EQ(fronts(&list), Fronts({"b", "c", "e"}));
  list.first();
  EXPECT_TRUE(list.remove(list.next()));
  appendNamed(&list, {"f"});
  EXPECT_EQ(fronts(&list), Fronts({"b", "e", "f"}));
  EXPECT_STREQ(list.rotate()->front, "e");
  EXPECT_EQ(fronts(&list), Fronts({"e", "f", "b"}));

  tTrmListe single;
  appendNamed(&single, {"x"});
  EXPECT_TRUE(single.remove(single.head()));
  EXPECT_EQ(single.count(), 0);
  appendNamed(&single, {"y"});
  EXPECT_EQ(fronts(&single), Fronts({"y"}));
}

TEST(TrmListeTest, RemoveRefusesForeignRecordAndEmptyList) {
  tTrmListe list, other;
  appendNamed(&list, {"a", "b"});
  appendNamed(&other, {"a"});
  EXPECT_FALSE(list.remove(other.head()));
  EXPECT_EQ(list.count(), 2);
  tTrmListe empty;
  EXPECT_FALSE(empty.remove(list.head()));
  const tTermel copy = *list.head();
  EXPECT_FALSE(list.remove(&copy));  // identity, not equal texts
}

TEST(TrmListeTest, RemovalsInAnyOrderAcrossSwapsKeepTheRing) {
  tTrmListe list, other;
  appendNamed(&list, {"a", "b", "c", "d", "e"});
  appendNamed(&other, {"x", "y"});
  auto nth = [](tTrmListe* l, int n) {
    tTermel* card = l->first();
    for (int i = 0; i < n; ++i) card = l->next();
    return card;
  };
  EXPECT_TRUE(list.remove(nth(&list, 3)));  // d
  EXPECT_TRUE(list.remove(nth(&list, 0)));  // a, before the last removal
  EXPECT_TRUE(list.remove(nth(&list, 2)));  // e, the tail
  EXPECT_EQ(fronts(&list), Fronts({"b", "c"}));
  list.swap(other);
  EXPECT_TRUE(list.remove(nth(&list, 1)));    // y
  EXPECT_TRUE(other.remove(nth(&other, 1)));  // c
  EXPECT_EQ(fronts(&list), Fronts({"x"}));
  EXPECT_EQ(fronts(&other), Fronts({"b"}));
  appendNamed(&other, {"f", "g"});
  list.appendAll(other);
  EXPECT_TRUE(other.count() == 0 && !other.remove(list.head()));
  EXPECT_TRUE(list.remove(nth(&list, 2)));  // f
  EXPECT_TRUE(list.remove(nth(&list, 0)));  // x
  EXPECT_EQ(fronts(&list), Fronts({"b", "g"}));
  appendNamed(&list, {"h"});
  EXPECT_STREQ(list.rotate()->front, "g");
  EXPECT_TRUE(list.remove(nth(&list, 2)));  // b, now the tail
  EXPECT_EQ(fronts(&list), Fronts({"g", "h"}));
  list.clear();
  appendNamed(&list, {"i"});
  EXPECT_TRUE(list.remove(list.head()));
  EXPECT_EQ(list.count(), 0);
}

TEST(TrmListeTest, IterationDeliversEachCardOnceThenNone) {
  tTrmListe list;
  EXPECT_EQ(list.first(), nullptr);
  EXPECT_EQ(list.next(), nullptr);
  appendNamed(&list, {"a", "b", "c"});
  EXPECT_EQ(fronts(&list), Fronts({"a", "b", "c"}));
  EXPECT_EQ(list.next(), nullptr);
  EXPECT_EQ(list.next(), nullptr);
}

TEST(TrmListeTest, SwapAndAppendAllMoveWholeContents) {
  tTrmListe a, b;
  appendNamed(&a, {"a1", "a2"});
  appendNamed(&b, {"b1"});
  a.swap(b);
  EXPECT_EQ(fronts(&a), Fronts({"b1"}));
  EXPECT_EQ(fronts(&b), Fronts({"a1", "a2"}));
  tTermel* kept = b.head();
  a.appendAll(b);
  EXPECT_EQ(fronts(&a), Fronts({"b1", "a1", "a2"}));
  EXPECT_EQ(b.count(), 0);
  EXPECT_EQ(b.head(), nullptr);
  EXPECT_TRUE(a.remove(kept));
  appendNamed(&a, {"z"});
  EXPECT_EQ(fronts(&a), Fronts({"b1", "a2", "z"}));
}

TEST(TrmListeTest, ShuffleKeepsEveryCardAndCounter) {
  tTrmListe small;
  appendNamed(&small, {"a", "b"});
  small.shuffle();
  EXPECT_EQ(fronts(&small), Fronts({"a", "b"}));

  tTrmListe list;
  Fronts expected;
  for (int i = 0; i < 200; ++i) {
    const tTermel c = named("c" + std::to_string(i), i);
    list.append(&c);
    expected.push_back(c.front);
  }
  list.shuffle();
  EXPECT_EQ(list.count(), 200);
  Fronts got;
  for (tTermel* c = list.first(); c != nullptr; c = list.next()) {
    EXPECT_EQ("c" + std::to_string(c->timesKnown), c->front);
    got.push_back(c->front);
  }
  EXPECT_NE(got, expected);  // 200! orders: staying put is practically impossible
  std::sort(got.begin(), got.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(got, expected);
  // The ring is still consistent: head removal and append work after relinking.
  list.removeHead();
  const tTermel extra = named("extra");
  list.append(&extra);
  EXPECT_EQ(fronts(&list).back(), "extra");
  EXPECT_EQ(fronts(&list).size(), 200u);
}

TEST(TrmListeTest, FindEitherAndFindBoth) {
  tTrmListe list;
  const tTermel a = makeCard("Haus", "house");
  const tTermel b = makeCard("Baum", "tree");
  list.append(&a);
  list.append(&b);
  EXPECT_STREQ(list.findEither(makeCard("Heim", "tree"))->front, "Baum");
  EXPECT_EQ(list.findBoth(makeCard("Heim", "tree")), nullptr);
  EXPECT_STREQ(list.findBoth(makeCard("Haus", "house"))->back, "house");
  EXPECT_EQ(list.findEither(makeCard("haus", "House")), nullptr);
}

}  // namespace

namespace {

// Records freed by one list are taken again by others; every list must still hold
// exactly its own cards, in order, across removals, moves and clearing.
TEST(TrmListeTest, FreedRecordsServeOtherListsWithoutMixingCards) {
  tTrmListe a, b;
  Fronts expectA, expectB;
  for (int i = 0; i < 1500; ++i) {
    appendNamed(&a, {"a" + std::to_string(i)});
    expectA.push_back("a" + std::to_string(i));
  }
  for (int i = 0; i < 1500; i += 2) a.removeHead(), a.rotate();
  expectA.clear();
  for (int i = 0; i < 1500; i += 2) expectA.push_back("a" + std::to_string(i + 1));
  ASSERT_EQ(fronts(&a), expectA);
  for (int i = 0; i < 2000; ++i) {
    appendNamed(&b, {"b" + std::to_string(i)});
    expectB.push_back("b" + std::to_string(i));
  }
  EXPECT_EQ(fronts(&a), expectA);
  EXPECT_EQ(fronts(&b), expectB);
  const tTermel* kept = b.head();
  b.appendAll(a);
  expectB.insert(expectB.end(), expectA.begin(), expectA.end());
  EXPECT_EQ(a.count(), 0);
  EXPECT_EQ(fronts(&b), expectB);
  EXPECT_EQ(b.head(), kept);
  a.clear();
  b.clear();
  appendNamed(&a, {"x", "y"});
  EXPECT_EQ(fronts(&a), (Fronts{"x", "y"}));
  EXPECT_STREQ(a.tail()->back, "back y");
}

}  // namespace
