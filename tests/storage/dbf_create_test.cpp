#include <ctime>
#include <string>

#include "storage/dbf.h"
#include "temp_dir.h"

namespace {

std::tm dateOf(int year, int month, int day) {
  std::tm date{};
  date.tm_year = year - 1900;
  date.tm_mon = month - 1;
  date.tm_mday = day;
  return date;
}

const std::tm kChristmas95 = dateOf(1995, 12, 24);

tBytes zeros(size_t n) {
  return tBytes(n, '\0');
}

// The header and descriptors of a table with NAME C10 and ANZAHL N6 made on kChristmas95,
// with the given record count.
tBytes nameAnzahlHeader(char records) {
  return tBytes("\x03\x5F\x0C\x18", 4) + records + zeros(3) + tBytes("\x61\x00\x11\x00", 4) +
         zeros(20) +  // header
         tBytes("NAME", 4) + zeros(7) + "C" + zeros(4) + "\x0A" + zeros(3) + "\x01" + zeros(11) +
         tBytes("ANZAHL", 6) + zeros(5) + "N" + zeros(4) + "\x06" + zeros(3) + "\x01" + zeros(11) +
         "\x0D";
}

class CreateTest : public TempDirTest {
 protected:
  void makeNameAnzahl(const std::string& file) {
    tCreateDBF create;
    ASSERT_EQ(create.addField("NAME", 'C', 10, 0), 1);
    ASSERT_EQ(create.addField("ANZAHL", 'N', 6, 0), 1);
    ASSERT_TRUE(create.create(file.c_str(), kChristmas95));
  }
};

TEST_F(CreateTest, EmptyTableIsHeaderTerminatorAndEndMark) {
  tCreateDBF create;
  ASSERT_TRUE(create.create(path("e.dbf").c_str(), kChristmas95));
  const tBytes expected = tBytes("\x03\x5F\x0C\x18", 4) + zeros(4) + tBytes("\x21\x00\x01\x00", 4) +
                          zeros(20) + "\x0D\x1A";
  EXPECT_EQ(readBytes(path("e.dbf")), expected);
  EXPECT_EQ(expected.size(), 34u);

  tDBF table;
  ASSERT_TRUE(table.open(path("e.dbf").c_str()));
  EXPECT_EQ(table.fieldCount(), 0);
  EXPECT_EQ(table.headerLength(), 33);
  EXPECT_EQ(table.recordLength(), 1);
  EXPECT_EQ(table.recordCount(), 0u);
}

TEST_F(CreateTest, TwoFieldTableBytesBeforeAndAfterAppend) {
  makeNameAnzahl(path("t.dbf"));
  EXPECT_EQ(readBytes(path("t.dbf")), nameAnzahlHeader(0) + "\x1A");
  EXPECT_EQ(readBytes(path("t.dbf")).size(), 98u);

  tDBF table;
  ASSERT_TRUE(table.open(path("t.dbf").c_str()));
  ASSERT_TRUE(table.append());
  EXPECT_EQ(table.recordCount(), 1u);
  ASSERT_TRUE(table.close());
  const tBytes after = readBytes(path("t.dbf"));
  EXPECT_EQ(after, nameAnzahlHeader(1) + tBytes(17, ' ') + "\x1A");
  EXPECT_EQ(after.size(), 115u);
}

TEST_F(CreateTest, HeaderCarriesTheCreationDate) {
  tCreateDBF create;
  ASSERT_TRUE(create.create(path("a.dbf").c_str(), kChristmas95));
  ASSERT_TRUE(create.create(path("b.dbf").c_str(), dateOf(2001, 1, 1)));
  EXPECT_EQ(readBytes(path("a.dbf")).substr(1, 3), tBytes("\x5F\x0C\x18"));  // 95, 12, 24
  EXPECT_EQ(readBytes(path("b.dbf")).substr(1, 3), tBytes("\x65\x01\x01"));  // 101, 1, 1

  const std::time_t before = std::time(nullptr);
  ASSERT_TRUE(create.create(path("c.dbf").c_str()));
  std::tm today{};
  localtime_r(&before, &today);
  const tBytes date = readBytes(path("c.dbf")).substr(1, 3);
  EXPECT_EQ(static_cast<unsigned char>(date[0]), today.tm_year);
  EXPECT_EQ(static_cast<unsigned char>(date[1]), today.tm_mon + 1);
  EXPECT_EQ(static_cast<unsigned char>(date[2]), today.tm_mday);
}

TEST_F(CreateTest, AddFieldStoresUpperCaseAndRefusesUnreadableFields) {
  tCreateDBF create;
  EXPECT_EQ(create.addField("deutsch", 'c', 64, 0), 1);
  EXPECT_EQ(create.addField("abcdefghijklmn", 'n', 5, 0), 1);  // cut to 10 characters
  EXPECT_EQ(create.addField("NULL", 'C', 0, 0), 0);
  EXPECT_EQ(create.addField("ZUGROSS", 'C', 256, 0), 0);
  EXPECT_EQ(create.addField("DEZ", 'N', 5, -1), 0);
  ASSERT_TRUE(create.create(path("t.dbf").c_str(), kChristmas95));

  const tBytes bytes = readBytes(path("t.dbf"));
  ASSERT_EQ(bytes.size(), 32u * 3 + 2);
  EXPECT_EQ(bytes.substr(32, 12), tBytes("DEUTSCH\0\0\0\0C", 12));
  EXPECT_EQ(bytes.substr(64, 12), tBytes("ABCDEFGHIJ\0N", 12));
  EXPECT_EQ(bytes.substr(10, 2), tBytes("\x46\x00", 2));  // 1 + 64 + 5

  tDBF table;
  ASSERT_TRUE(table.open(path("t.dbf").c_str()));
  EXPECT_EQ(table.findField("DEUTSCH"), 0);
  EXPECT_EQ(table.findField("ABCDEFGHIJ"), 1);
  EXPECT_EQ(table.fieldType(1), 'N');
}

TEST_F(CreateTest, FieldListHasLimits) {
  tCreateDBF create;
  for (int i = 0; i < tCreateDBF::kMaxFields; ++i) ASSERT_EQ(create.addField("F", 'C', 1, 0), 1);
  EXPECT_EQ(create.addField("F", 'C', 1, 0), 0);
  create.clear();
  EXPECT_EQ(create.addField("F", 'C', 1, 0), 1);

  // A record longer than 32767 bytes could not be addressed by 16-bit field offsets.
  tCreateDBF wide;
  for (int i = 0; i < 128; ++i) ASSERT_EQ(wide.addField("W", 'C', 255, 0), 1);  // 32641
  EXPECT_EQ(wide.addField("W", 'C', 127, 0), 0);
  EXPECT_EQ(wide.addField("W", 'C', 126, 0), 1);  // exactly 32767
  ASSERT_TRUE(wide.create(path("wide.dbf").c_str(), kChristmas95));
  tDBF table;
  ASSERT_TRUE(table.open(path("wide.dbf").c_str()));
  EXPECT_EQ(table.recordLength(), 32767);
  EXPECT_EQ(table.fieldCount(), 129);
}

TEST_F(CreateTest, OverlongOrUnwritableNameIsRefused) {
  tCreateDBF create;
  create.addField("NAME", 'C', 10, 0);
  const std::string longName = dir() + "/" + std::string(255 - dir().size(), 'x');
  ASSERT_EQ(longName.size(), 256u);
  EXPECT_FALSE(create.create(longName.c_str(), kChristmas95));
  EXPECT_FALSE(fileExists(longName));
  EXPECT_FALSE(create.create(nullptr, kChristmas95));
  EXPECT_FALSE(create.create(path("missing/t.dbf").c_str(), kChristmas95));

  const std::string fits = longName.substr(0, 255);
  EXPECT_TRUE(create.create(fits.c_str(), kChristmas95));
  EXPECT_TRUE(fileExists(fits));
}

TEST_F(CreateTest, CreateReportsAFullDisk) {
  tCreateDBF create;
  create.addField("NAME", 'C', 10, 0);
  if (!fileExists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
  EXPECT_FALSE(create.create("/dev/full", kChristmas95));
}

}  // namespace
