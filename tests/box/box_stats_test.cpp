#include "box/box_stats.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "kartei/card_file.h"
#include "tests/box/box_test_support.h"

namespace {

std::vector<std::string> fronts(const std::vector<tTermel>& cards) {
  std::vector<std::string> result;
  for (const tTermel& c : cards) result.push_back(c.front);
  return result;
}

TEST_F(CardBoxTest, StatsOfAnEmptyBox) {
  const tBoxStats stats = computeBoxStats(theCardBox);
  for (int32_t count : stats.counts) EXPECT_EQ(count, 0);
  const int32_t thresholds[] = {10, 20, 40, 80, 160, 320};
  for (int k = 0; k < 6; ++k) EXPECT_EQ(stats.thresholds[k], thresholds[k]);
  EXPECT_EQ(stats.cards, 0);
  EXPECT_EQ(stats.archiveShare, 0.0);
  EXPECT_TRUE(stats.mostMissed.empty());
}

TEST_F(CardBoxTest, StatsCountCompartmentsAndSumCounters) {
  fill(1, 3, "a");
  fill(4, 1, "d");
  theCardBox.addCardTo(card("x", "y", 2, 7), 2);
  theCardBox.addCardTo(card("z1", "z1", 9, 1), 7);
  theCardBox.addCardTo(card("z2", "z2", 8, 0), 7);
  const tBoxStats stats = computeBoxStats(theCardBox);
  const int32_t counts[] = {3, 1, 0, 1, 0, 0, 2};
  for (int k = 0; k < 7; ++k) EXPECT_EQ(stats.counts[k], counts[k]) << k;
  EXPECT_EQ(stats.cards, 7);
  EXPECT_EQ(stats.timesKnown, 19);
  EXPECT_EQ(stats.timesUnknown, 8);
  EXPECT_DOUBLE_EQ(stats.archiveShare, 2.0 / 7);
}

TEST_F(CardBoxTest, CounterSumsDoNotOverflow) {
  const int32_t big = 2000000000;
  for (int i = 0; i < 3; ++i) theCardBox.addCardTo(card("x", "y", big, big), 1 + i);
  const tBoxStats stats = computeBoxStats(theCardBox);
  EXPECT_EQ(stats.timesKnown, 3LL * big);
  EXPECT_EQ(stats.timesUnknown, 3LL * big);
}

TEST_F(CardBoxTest, MostMissedComeFirstAndTiesKeepBoxOrder) {
  // Box order: compartment 1 first, then 2 ... the archive.
  theCardBox.addCardTo(card("late", "-", 0, 5), 7);
  theCardBox.addCardTo(card("never", "-", 3, 0), 1);
  theCardBox.addCardTo(card("early", "-", 0, 5), 1);
  theCardBox.addCardTo(card("most", "-", 1, 9), 3);
  theCardBox.addCardTo(card("one", "-", 4, 1), 2);
  const tBoxStats stats = computeBoxStats(theCardBox);
  EXPECT_EQ(fronts(stats.mostMissed), (std::vector<std::string>{"most", "early", "late", "one"}));
  EXPECT_EQ(stats.mostMissed[0].timesKnown, 1);
  EXPECT_STREQ(stats.mostMissed[0].back, "-");
}

TEST_F(CardBoxTest, MostMissedKeepsOnlyTheBestTwenty) {
  // 100 cards over all compartments with 0..9 misses, ten cards of each count.
  for (int i = 0; i < 100; ++i) {
    const std::string text = "c" + std::to_string(i);
    theCardBox.addCardTo(card(text.c_str(), text.c_str(), 0, i % 10), 1 + i % 7);
  }
  const tBoxStats stats = computeBoxStats(theCardBox);
  ASSERT_EQ(stats.mostMissed.size(), tBoxStats::kMostMissed);
  std::vector<std::string> expected;
  for (int misses : {9, 8}) {
    for (int n = 1; n <= 7; ++n) {
      for (int i = misses; i < 100; i += 10) {
        if (1 + i % 7 == n) expected.push_back("c" + std::to_string(i));
      }
    }
  }
  EXPECT_EQ(fronts(stats.mostMissed), expected);
  EXPECT_EQ(computeBoxStats(theCardBox, 3).mostMissed.size(), 3u);
  EXPECT_TRUE(computeBoxStats(theCardBox, 0).mostMissed.empty());
}

// What `termel-tool stats` prints for the box in path.
std::string toolStats(const std::string& path) {
  std::string output;
  const std::string command = std::string(TERMEL_TOOL) + " stats '" + path + "'";
  if (std::FILE* pipe = popen(command.c_str(), "r")) {
    char chunk[4096];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0) output.append(chunk, n);
    EXPECT_EQ(pclose(pipe), 0);
  }
  return output;
}

TEST_F(CardBoxTest, ToolPrintsTheOverview) {
  ScratchDir dir;
  fill(1, 5, "a");
  theCardBox.addCardTo(card("Stra\xDF"
                            "e",
                            "street", 1, 4),
                       2);
  theCardBox.addCardTo(card("Haus", "house", 6, 2), 7);
  theCardBox.addCardTo(card("Gl\xFC"
                            "ck",
                            "luck", 3, 4),
                       7);
  ASSERT_TRUE(saveCardFile(dir.file("box.trm").c_str()));
  EXPECT_EQ(toolStats(dir.file("box.trm")),
            "1. Fach: 5 (Grenze: 10)\n"
            "2. Fach: 1 (Grenze: 20)\n"
            "3. Fach: 0 (Grenze: 40)\n"
            "4. Fach: 0 (Grenze: 80)\n"
            "5. Fach: 0 (Grenze: 160)\n"
            "6. Fach: 0 (Grenze: 320)\n"
            "Ablage: 2\n"
            "Karten: 8\n"
            "Gewusst: 10\n"
            "Unbekannt: 10\n"
            "Anteil in der Ablage: 25,0 %\n"
            "Am häufigsten nicht gewusst:\n"
            "Straße = street (Unbekannt: 4, Gewusst: 1)\n"
            "Glück = luck (Unbekannt: 4, Gewusst: 3)\n"
            "Haus = house (Unbekannt: 2, Gewusst: 6)\n");
}

}  // namespace
