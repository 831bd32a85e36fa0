#include <signal.h>
#include <sys/resource.h>

#include <string>
#include <vector>

#include "storage/dbf.h"
#include "temp_dir.h"

namespace {

std::string field(tDBF& table, int index) {
  char text[256];
  table.getField(index, text);
  return text;
}

class RecordsTest : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    file_ = path("t.dbf");
    createWordTable(file_, 3);
    ASSERT_TRUE(table_.open(file_.c_str()));
  }

  std::string file_;
  tDBF table_;
};

TEST_F(RecordsTest, GoToAtAndPastTheEnd) {
  EXPECT_TRUE(table_.atEnd());  // no record is current after open
  ASSERT_TRUE(table_.goTo(2));
  EXPECT_FALSE(table_.atEnd());
  EXPECT_EQ(field(table_, 0), "Wort2");

  EXPECT_TRUE(table_.goTo(3));
  EXPECT_TRUE(table_.atEnd());
  EXPECT_EQ(table_.lastError(), 0);
  char text[16] = "stale";
  EXPECT_EQ(table_.getField(0, text), 0);
  EXPECT_STREQ(text, "");
  EXPECT_EQ(table_.lastError(), kDbfNoCurrentRecord);

  EXPECT_FALSE(table_.goTo(4));
  EXPECT_TRUE(table_.atEnd());
  EXPECT_EQ(table_.lastError(), kDbfBadRecordNumber);
}

TEST_F(RecordsTest, ReadingWalksEveryRecordInOrder) {
  int seen = 0;
  for (uint32_t n = 0; table_.goTo(n) && !table_.atEnd(); ++n) {
    EXPECT_EQ(field(table_, 0), "Wort" + std::to_string(n));
    EXPECT_EQ(field(table_, 1), n == 0 ? "     0" : "    " + std::to_string(10 * n));
    ++seen;
  }
  EXPECT_EQ(seen, 3);
  // Going back reads the earlier record again, not what the stream holds next.
  ASSERT_TRUE(table_.goTo(0));
  EXPECT_EQ(field(table_, 0), "Wort0");
}

TEST_F(RecordsTest, ChangedRecordIsInTheFileWhenAnotherBecomesCurrent) {
  ASSERT_TRUE(table_.goTo(1));
  EXPECT_EQ(table_.putField(0, "neu"), 10);
  ASSERT_TRUE(table_.goTo(2));
  EXPECT_EQ(readBytes(file_).substr(97 + 17, 17), " neu           10");
  ASSERT_TRUE(table_.goTo(1));
  EXPECT_EQ(field(table_, 0), "neu");

  table_.putField(1, "    77");  // written back by goTo to the end position too
  ASSERT_TRUE(table_.goTo(3));
  EXPECT_EQ(readBytes(file_).substr(97 + 17 + 11, 6), "    77");
}

TEST_F(RecordsTest, WriteRecordAndCloseWriteTheDirtyRecord) {
  ASSERT_TRUE(table_.goTo(0));
  table_.putField(0, "eins");
  ASSERT_TRUE(table_.writeRecord());
  ASSERT_TRUE(table_.sync());
  EXPECT_EQ(readBytes(file_).substr(97, 17), " eins           0");
  ASSERT_TRUE(table_.goTo(2));
  table_.putField(0, "drei");
  ASSERT_TRUE(table_.close());
  EXPECT_FALSE(table_.isOpen());
  EXPECT_STREQ(table_.fileName(), "");
  EXPECT_EQ(readBytes(file_).substr(97 + 34, 17), " drei          20");
  EXPECT_TRUE(table_.close());  // closing a closed table does nothing
}

TEST_F(RecordsTest, AppendAddsABlankCurrentRecordAndKeepsTheEndMark) {
  ASSERT_TRUE(table_.goTo(1));
  table_.putField(0, "vorher");
  ASSERT_TRUE(table_.append());
  EXPECT_EQ(table_.recordCount(), 4u);
  EXPECT_FALSE(table_.atEnd());
  EXPECT_EQ(field(table_, 0), "");
  table_.putField(0, "vier");
  ASSERT_TRUE(table_.goTo(0));  // the new record is written like any changed one
  EXPECT_EQ(readBytes(file_).substr(97 + 51, 17), " vier            ");
  ASSERT_TRUE(table_.close());

  const tBytes bytes = readBytes(file_);
  ASSERT_EQ(bytes.size(), 97u + 4 * 17 + 1);
  EXPECT_EQ(bytes.substr(4, 4), tBytes("\x04\0\0\0", 4));
  EXPECT_EQ(bytes.substr(97 + 17, 17), " vorher        10");
  EXPECT_EQ(bytes.substr(97 + 51), " vier            \x1A");
}

TEST_F(RecordsTest, OperationsOnAClosedTableRefuse) {
  ASSERT_TRUE(table_.close());
  EXPECT_FALSE(table_.goTo(0));
  EXPECT_FALSE(table_.append());
  EXPECT_FALSE(table_.sync());
  EXPECT_EQ(table_.recordCount(), 0u);
  EXPECT_EQ(table_.fieldCount(), 0);
  EXPECT_EQ(table_.findField("NAME"), -1);
  char text[8] = "keep";
  EXPECT_EQ(table_.getField(0, text), 0);
  EXPECT_STREQ(text, "keep");
  EXPECT_EQ(table_.lastError(), 0);  // none of these is reported
}

// Lets writes fail once the file reaches its present size, as on a full disk.
class tFileSizeLimit {
 public:
  explicit tFileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~tFileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    signal(SIGXFSZ, SIG_DFL);
  }

 private:
  rlimit saved_;
};

TEST_F(RecordsTest, FailedWritesMakeCloseFail) {
  {
    tFileSizeLimit full(readBytes(file_).size());
    for (int i = 0; i < 5; ++i) table_.append();
    EXPECT_FALSE(table_.sync());
    EXPECT_FALSE(table_.close());
  }
  EXPECT_FALSE(table_.isOpen());

  // A later table on the same object starts with a clean slate.
  ASSERT_TRUE(table_.open(file_.c_str()));
  ASSERT_TRUE(table_.goTo(0));
  table_.putField(0, "gut");
  EXPECT_TRUE(table_.close());
}

TEST_F(RecordsTest, DiskFillingDuringAppendKeepsTheFileReadable) {
  createWordTable(path("one.dbf"), 1);
  const std::string file = path("one.dbf");
  writeBytes(file, readBytes(file).substr(0, 97 + 17));  // no end mark
  tDBF table;
  ASSERT_TRUE(table.open(file.c_str()));
  {
    tFileSizeLimit full(97 + 17);
    ASSERT_TRUE(table.goTo(0));
    table.putField(0, "bleibt");
    table.append();  // the new record no longer fits; buffered, this shows at the latest on close
    EXPECT_FALSE(table.close());
  }
  ASSERT_TRUE(table.open(file.c_str()));
  EXPECT_EQ(table.recordCount(), 1u);
  ASSERT_TRUE(table.goTo(0));
  EXPECT_EQ(field(table, 0), "bleibt");
}

}  // namespace

namespace {

// Enough records that reading runs through several read-ahead pieces, with records
// cut at their borders.
class ManyRecordsTest : public TempDirTest {
 protected:
  static constexpr int kRecords = 40000;  // 680,000 bytes: three pieces and a part

  void SetUp() override {
    TempDirTest::SetUp();
    file_ = path("many.dbf");
    createWordTable(file_, kRecords);
  }

  static std::string expected(int n) { return (n % 7 == 0 ? "neu" : "Wort") + std::to_string(n); }

  std::string file_;
};

TEST_F(ManyRecordsTest, ChangesMadeWhileWalkingAreReadBackAndReachTheFile) {
  tDBF table;
  ASSERT_TRUE(table.open(file_.c_str()));
  for (uint32_t n = 0; table.goTo(n) && !table.atEnd(); ++n) {
    ASSERT_EQ(field(table, 0), "Wort" + std::to_string(n));
    if (n % 7 == 0) table.putField(0, ("neu" + std::to_string(n)).c_str());
  }
  // Backwards, so records already read ahead are asked for again after their change.
  for (int n = kRecords - 1; n >= 0; --n) {
    ASSERT_TRUE(table.goTo(static_cast<uint32_t>(n)));
    ASSERT_EQ(field(table, 0), expected(n)) << n;
    ASSERT_EQ(field(table, 1),
              std::to_string(10 * n).insert(0, 6 - std::to_string(10 * n).size(), ' '));
  }
  ASSERT_TRUE(table.close());

  ASSERT_TRUE(table.open(file_.c_str()));
  ASSERT_EQ(table.recordCount(), static_cast<uint32_t>(kRecords));
  for (uint32_t n = 0; table.goTo(n) && !table.atEnd(); ++n) {
    ASSERT_EQ(field(table, 0), expected(static_cast<int>(n))) << n;
  }
  EXPECT_EQ(table.lastError(), 0);
}

TEST_F(ManyRecordsTest, AppendedRecordsAreReadAfterTheOldEnd) {
  tDBF table;
  ASSERT_TRUE(table.open(file_.c_str()));
  ASSERT_TRUE(table.goTo(kRecords - 1));  // the last piece read ahead ends with the file
  ASSERT_TRUE(table.append());
  table.putField(0, "neu");
  ASSERT_TRUE(table.goTo(kRecords - 1));
  EXPECT_EQ(field(table, 0), "Wort" + std::to_string(kRecords - 1));
  ASSERT_TRUE(table.goTo(kRecords));
  EXPECT_EQ(field(table, 0), "neu");
  EXPECT_TRUE(table.close());
}

// The text of a field as its bytes give it: up to a NUL, without trailing spaces.
std::string expectedText(const tBytes& bytes) {
  std::string text = bytes.substr(0, bytes.find('\0'));
  return text.substr(0, text.find_last_not_of(' ') + 1);
}

TEST_F(TempDirTest, FieldTextIsCutAtNulAndTrailingSpacesAtEveryWidth) {
  const int widths[] = {1, 7, 15, 16, 17, 31, 33, 63, 64, 65, 100};
  for (const int width : widths) {
    const std::string file = path("w" + std::to_string(width) + ".dbf");
    tCreateDBF create;
    create.addField("VOR", 'C', 1, 0);
    create.addField("TEXT", 'C', width, 0);
    ASSERT_TRUE(create.create(file.c_str()));
    std::vector<tBytes> values = {tBytes(width, ' '), tBytes(width, 'x'), tBytes(width, '\0')};
    for (int at = 0; at < width; at += 1 + width / 5) {
      tBytes spaced(width, ' ');
      spaced[at] = 'a';  // the text's last byte
      spaced[0] = 'b';
      values.push_back(spaced);
      tBytes nul(width, 'c');
      nul[at] = '\0';  // ends the text even before more text or spaces
      if (at + 1 < width) nul[at + 1] = ' ';
      values.push_back(nul);
    }
    tBytes bytes = readBytes(file);
    bytes.pop_back();  // the end mark goes behind the records
    for (const tBytes& value : values) bytes += " V" + value;
    bytes[4] = static_cast<char>(values.size());  // the record count's low byte
    writeBytes(file, bytes + "\x1A");
    tDBF table;
    ASSERT_TRUE(table.open(file.c_str()));
    for (size_t i = 0; i < values.size(); ++i) {
      ASSERT_TRUE(table.goTo(static_cast<uint32_t>(i)));
      EXPECT_EQ(field(table, 1), expectedText(values[i])) << "width " << width << ", value " << i;
      EXPECT_EQ(field(table, 0), "V");
    }
    EXPECT_EQ(table.lastError(), 0);
  }
}

}  // namespace
