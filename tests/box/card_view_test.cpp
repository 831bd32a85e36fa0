// The row view of a compartment that the card editing dialog shows and moves from.
#include "box/card_view.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "box/card_box.h"

namespace {

using Strings = std::vector<std::string>;

class CardViewTest : public testing::Test {
 protected:
  void SetUp() override { theCardBox.clearAll(); }
  void TearDown() override { theCardBox.clearAll(); }

  static void add(int n, const char* front, int known = 0) {
    tTermel card = makeCard(front, "x");
    card.timesKnown = known;
    ASSERT_TRUE(theCardBox.addCardTo(card, n));
  }
  static Strings rowsOf(const tCardView& view) {
    Strings result;
    for (int32_t row = 0; row < view.count(); ++row) result.push_back(view.at(row)->front);
    return result;
  }
  static Strings fronts(int n) {
    tCardView view(theCardBox);
    view.show(n);
    return rowsOf(view);
  }
};

TEST_F(CardViewTest, RowsFollowTheQueueAndRefuseRowsOutOfRange) {
  add(2, "A");
  add(2, "B");
  tCardView view(theCardBox);
  view.show(1);
  EXPECT_EQ(view.count(), 0);
  EXPECT_EQ(view.at(0), nullptr);
  view.show(2);
  EXPECT_EQ(rowsOf(view), (Strings{"A", "B"}));
  EXPECT_EQ(view.at(-1), nullptr);
  EXPECT_EQ(view.at(2), nullptr);
  EXPECT_EQ(view.at(1), theCardBox.lastIn(2));
}

TEST_F(CardViewTest, MovedRowsJoinTheTargetInOrderWithCountersAndLeaveTheView) {
  add(1, "T", 9);
  for (const char* front : {"A", "B", "C", "D", "E"}) add(3, front, front[0] - 'A');
  tCardView view(theCardBox);
  view.show(3);
  view.moveRows({0, 2, 4}, 1);
  EXPECT_EQ(rowsOf(view), (Strings{"B", "D"}));
  EXPECT_EQ(fronts(1), (Strings{"T", "A", "C", "E"}));
  EXPECT_EQ(theCardBox.lastIn(1)->timesKnown, 4);
  view.moveRows({0, 1}, 7);  // into the archive and out again
  EXPECT_EQ(view.count(), 0);
  view.show(7);
  view.moveRows({1}, 3);
  EXPECT_EQ(fronts(7), Strings{"B"});
  EXPECT_EQ(fronts(3), Strings{"D"});
}

TEST_F(CardViewTest, MovingEveryCardOfALongCompartmentKeepsTheirOrder) {
  const int n = 5000;
  std::vector<int32_t> rows;
  for (int i = 0; i < n; ++i) {
    add(1, std::to_string(i).c_str());
    rows.push_back(i);
  }
  tCardView view(theCardBox);
  view.show(1);
  view.moveRows(rows, 2);
  EXPECT_EQ(view.count(), 0);
  const Strings moved = fronts(2);
  ASSERT_EQ(moved.size(), static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) ASSERT_EQ(moved[i], std::to_string(i));
}

}  // namespace
