// Card files written by other dBASE programs load like our own.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kartei/card_file.h"
#include "tests/box/box_test_support.h"

namespace {

using Texts = std::vector<std::string>;

class ForeignFileTest : public CardBoxTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(ForeignFileTest, LoadsCompartmentsTextsAndCounters) {
  const std::string path = std::string(TERMEL_TEST_DATA_DIR) + "/foreign/" + GetParam();
  tFileReport report;
  loadCardFile(path.c_str(), &report);
  ASSERT_TRUE(report.opened) << path;
  EXPECT_TRUE(report.errors.empty());
  EXPECT_EQ(report.loaded, 4);
  EXPECT_EQ(report.placedInFirst, 0);
  EXPECT_FALSE(report.lossyRewrite);
  // Texts arrive in code page 1252: ü 0xFC, ß 0xDF, Ü 0xDC.
  EXPECT_EQ(textsIn(2), Texts({"Stra\xDF"
                               "e;street",
                               "\xDC"
                               "bung;exercise",
                               "Haus;house"}));
  EXPECT_EQ(textsIn(7), Texts({"Gl\xFC"
                               "ck;luck"}));
  EXPECT_EQ(theCardBox.totalCount(), 4);

  const int32_t expected[4][2] = {{2, -5}, {0, 0}, {1, 1}, {7, 3}};
  tTermel buffer;
  int i = 0;
  for (int n = theCardBox.firstCard(&buffer); n != 0 && i < 4; n = theCardBox.nextCard(&buffer)) {
    EXPECT_EQ(buffer.timesKnown, expected[i][0]) << buffer.front;
    EXPECT_EQ(buffer.timesUnknown, expected[i][1]) << buffer.front;
    ++i;
  }
  EXPECT_EQ(i, 4);
}

INSTANTIATE_TEST_SUITE_P(Samples, ForeignFileTest,
                         ::testing::Values("gdal-ldid2.dbf", "pydbf.dbf", "shapelib.dbf",
                                           "libreoffice.dbf"));

}  // namespace
