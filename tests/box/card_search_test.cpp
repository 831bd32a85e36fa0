#include "box/card_search.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/box/box_test_support.h"

namespace {

class CardSearchTest : public CardBoxTest {
 protected:
  // "front@compartment" of every card found for text.
  std::vector<std::string> find(const std::string& text) {
    search_.find(text);
    return rowsOf();
  }

  // The rows as they stand, without a new find.
  std::vector<std::string> rowsOf() const {
    std::vector<std::string> rows;
    for (const tFoundCard& found : search_.found()) {
      rows.push_back(std::string(found.card->front) + "@" + std::to_string(found.compartment));
    }
    return rows;
  }

  tCardSearch search_{theCardBox};
};

TEST_F(CardSearchTest, FindsEitherSideInBoxOrderIgnoringCaseUmlautsAndAccents) {
  theCardBox.addCardTo(card("das Haus", "house"), 3);
  theCardBox.addCardTo(card("Stra\xDF"
                            "e",
                            "street"),
                       1);
  theCardBox.addCardTo(card("H\xC4USER", "houses"), 1);
  theCardBox.addCardTo(card("das Caf\xE9", "the caf\xE9"), 7);
  theCardBox.addCardTo(card("die Maus", "mouse"), 2);
  search_.index();
  EXPECT_EQ(find("haus"), (std::vector<std::string>{"das Haus@3"}));
  EXPECT_EQ(find("HAEUSER"), (std::vector<std::string>{"H\xC4USER@1"}));
  EXPECT_EQ(find("h\xE4user"), (std::vector<std::string>{"H\xC4USER@1"}));
  EXPECT_EQ(find("strasse"), (std::vector<std::string>{"Stra\xDF"
                                                       "e@1"}));
  EXPECT_EQ(find("cafe"), (std::vector<std::string>{"das Caf\xE9@7"}));
  EXPECT_EQ(find("ous"), (std::vector<std::string>{"H\xC4USER@1", "die Maus@2", "das Haus@3"}))
      << "compartment order, one row per card though both sides match";
  EXPECT_EQ(find("xyz"), std::vector<std::string>{});
}

TEST_F(CardSearchTest, EmptyOrBlankTextFindsAllAndSpacesAroundDoNotCount) {
  fill(1, 2, "a");
  theCardBox.addCardTo(card("Haus", "house"), 2);
  search_.index();
  EXPECT_EQ(search_.count(), 0) << "nothing is found before the first find";
  EXPECT_EQ(find("").size(), 3u);
  EXPECT_EQ(find(" \t\xA0").size(), 3u);
  EXPECT_EQ(find("\xA0haus "), (std::vector<std::string>{"Haus@2"}));
}

TEST_F(CardSearchTest, AMatchNeverSpansFrontAndBack) {
  theCardBox.addCardTo(card("ab", "cd"), 1);
  theCardBox.addCardTo(card("x", "abcd"), 1);
  search_.index();
  EXPECT_EQ(find("bc"), (std::vector<std::string>{"x@1"}));
  // A control character typed into the search cannot reach the separator of the sides.
  EXPECT_EQ(find(std::string("b") + '\1' + "c"), find("bc"));
}

TEST_F(CardSearchTest, TypographicMarksMatchTheirPlainForms) {
  theCardBox.addCardTo(card("\x84Na ja\x93 \x96 sagt er\x85", "well"), 1);
  theCardBox.addCardTo(card("rock\x92n\x92roll", "Rock\xA0n roll"), 1);
  search_.index();
  EXPECT_EQ(find("\"na ja\" - sagt er..."),
            (std::vector<std::string>{"\x84Na ja\x93 \x96 sagt er\x85@1"}));
  EXPECT_EQ(find("rock'n'"), (std::vector<std::string>{"rock\x92n\x92roll@1"}));
  EXPECT_EQ(find("rock n"), (std::vector<std::string>{"rock\x92n\x92roll@1"}));
}

TEST_F(CardSearchTest, RowsReferToTheStoredCardsUntilIndexedAgain) {
  fill(1, 3, "a");
  search_.index();
  find("a2");
  ASSERT_EQ(search_.count(), 1);
  EXPECT_EQ(theCardBox.positionOf(search_.at(0).card, 1), 1);
  EXPECT_EQ(search_.at(1).card, nullptr);
  EXPECT_EQ(search_.at(-1).card, nullptr);
  ASSERT_TRUE(theCardBox.removeCard(search_.at(0).card, 1));
  search_.index();
  EXPECT_EQ(find("a2"), std::vector<std::string>{});
  EXPECT_EQ(find("a").size(), 2u);
}

TEST_F(CardSearchTest, MoveToFirstTakesTheChosenCardsBackAndKeepsTheSearch) {
  theCardBox.addCardTo(card("Haus", "house", 4, 1), 3);
  theCardBox.addCardTo(card("Hausaufgabe", "homework"), 1);
  theCardBox.addCardTo(card("Rathaus", "town hall"), 7);
  theCardBox.addCardTo(card("Baum", "tree"), 5);
  search_.index();
  EXPECT_EQ(find("haus"), (std::vector<std::string>{"Hausaufgabe@1", "Haus@3", "Rathaus@7"}));
  EXPECT_EQ(search_.moveToFirst({0, 1, 2}), 2) << "a card in compartment 1 stays where it is";
  EXPECT_EQ(rowsOf(), (std::vector<std::string>{"Hausaufgabe@1", "Haus@1", "Rathaus@1"}));
  EXPECT_EQ(textsIn(1),
            (std::vector<std::string>{"Hausaufgabe;homework", "Haus;house", "Rathaus;town hall"}));
  EXPECT_EQ(search_.at(1).card->timesKnown, 4);
  EXPECT_EQ(theCardBox.countIn(5), 1);
}

}  // namespace
