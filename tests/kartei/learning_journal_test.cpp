#include "kartei/learning_journal.h"

#include <errno.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "kartei/box_key.h"
#include "storage/sys_calls.h"
#include "tests/box/box_test_support.h"

namespace {

void appendBytes(const std::string& path, const std::string& bytes) {
  writeBytes(path, readBytes(path) + bytes);
}

long countLines(const std::string& path) {
  const std::string text = readBytes(path);
  return static_cast<long>(std::count(text.begin(), text.end(), '\n'));
}

std::time_t clockNow = 0;
std::time_t testClock() {
  return clockNow;
}

// Local time on a day of December 2026.
std::time_t december(int day, int hour = 12, int minute = 0) {
  std::tm local{};
  local.tm_year = 2026 - 1900;
  local.tm_mon = 11;
  local.tm_mday = day;
  local.tm_hour = hour;
  local.tm_min = minute;
  local.tm_isdst = -1;
  return std::mktime(&local);
}

class LearningJournalTest : public ::testing::Test {
 protected:
  void SetUp() override { setJournalClock(testClock); }
  void TearDown() override {
    setJournalClock(nullptr);
    replaceSysCallsForTesting(nullptr);
  }

  bool answer(tLearningJournal* journal, std::time_t when, tJournalEvent event, int from, int to) {
    clockNow = when;
    std::string error;
    const bool written = journal->append(event, makeCard("Haus", "house"), from, to, &error);
    EXPECT_TRUE(written) << error;
    return written;
  }

  // "date known/unknown" of the days with answers.
  static std::vector<std::string> answeredDays(const tLearningFigures& figures) {
    std::vector<std::string> days;
    for (const auto& day : figures.days) {
      if (day.known + day.unknown == 0) continue;
      days.push_back(day.date + " " + std::to_string(day.known) + "/" +
                     std::to_string(day.unknown));
    }
    return days;
  }

  ScratchDir dir_;
  tLearningJournal journal_{dir_.file("history/box.verlauf")};
};

TEST_F(LearningJournalTest, CountsAnswersPerDayTakingBackTheLastOnes) {
  answer(&journal_, december(5, 9), tJournalEvent::kKnown, 1, 2);
  answer(&journal_, december(5, 23, 59), tJournalEvent::kUnknown, 2, 1);
  answer(&journal_, december(6, 0, 1), tJournalEvent::kKnown, 6, 7);  // into the archive
  answer(&journal_, december(6, 8), tJournalEvent::kKnown, 7, 7);     // stays there
  answer(&journal_, december(6, 9), tJournalEvent::kUnknown, 3, 1);
  answer(&journal_, december(6, 10), tJournalEvent::kTakenBack, 1, 3);  // takes U back
  answer(&journal_, december(6, 11), tJournalEvent::kTakenBack, 7, 7);  // and the rotation
  const tLearningFigures figures = journal_.figures(december(7, 18));
  EXPECT_EQ(answeredDays(figures), (std::vector<std::string>{"05.12. 1/1", "06.12. 1/0"}));
  EXPECT_EQ(figures.days.back().date, "07.12.");
  EXPECT_EQ(figures.streak, 2) << "today has no answer yet, so the row ends yesterday";
  EXPECT_EQ(figures.learningDays, 2);
  EXPECT_EQ(figures.weeks.back().monday, "07.12.2026");
  EXPECT_EQ(figures.weeks.back().archived, 0);
  EXPECT_EQ(figures.weeks[tLearningFigures::kWeeks - 2].monday, "30.11.2026");
  EXPECT_EQ(figures.weeks[tLearningFigures::kWeeks - 2].archived, 1);
  EXPECT_EQ(journal_.figures(december(8, 12)).streak, 0) << "a day was missed";
  EXPECT_EQ(journal_.figures(december(7, 12)).days.size(), 30u);
}

TEST_F(LearningJournalTest, ATornOrForeignLineIsSkippedAndTheNextAnswerStartsItsOwnLine) {
  answer(&journal_, december(6), tJournalEvent::kKnown, 1, 2);
  appendBytes(journal_.path(), "garbage without tabs\n1765000000\tX\t1\t2\tfoo\tbar\n17650");
  answer(&journal_, december(7), tJournalEvent::kUnknown, 2, 1);
  const std::string text = readBytes(journal_.path());
  EXPECT_NE(text.find("\n17650\x01\n"), std::string::npos) << "the torn line stays apart";
  EXPECT_EQ(answeredDays(journal_.figures(december(7))),
            (std::vector<std::string>{"06.12. 1/0", "07.12. 0/1"}));
  appendBytes(journal_.path(), "1765");  // torn at the end: read all the same
  EXPECT_EQ(journal_.figures(december(7)).learningDays, 2);
}

TEST_F(LearningJournalTest, CardTextsWithTabsAndLineEndsKeepTheirLine) {
  clockNow = december(7);
  std::string error;
  ASSERT_TRUE(journal_.append(tJournalEvent::kKnown, makeCard("a\tb", "c\r\nd\x01"), 1, 2, &error));
  const std::string text = readBytes(journal_.path());
  EXPECT_EQ(text.substr(text.find("\tG\t")), "\tG\t1\t2\ta b\tc  d \n");
}

TEST_F(LearningJournalTest, BeyondItsBoundTheOldestHalfBecomesDailyCountsWithTheSameFigures) {
  tLearningJournal small(dir_.file("small.verlauf"), 10);
  for (int i = 0; i < 10; ++i) {
    answer(&small, december(1 + i / 4, 10, i),
           i % 3 ? tJournalEvent::kKnown : tJournalEvent::kUnknown, 6, i % 3 ? 7 : 1);
  }
  const tLearningFigures before = small.figures(december(7));
  EXPECT_EQ(countLines(small.path()), 10);
  answer(&small, december(6), tJournalEvent::kKnown, 1, 2);  // line 11: half summed up
  const std::string text = readBytes(small.path());
  EXPECT_EQ(text.substr(0, text.find('\n')), "T\t20261201\t2\t2\t2");
  EXPECT_LT(countLines(small.path()), 10);
  const tLearningFigures after = small.figures(december(7));
  std::vector<std::string> expected = answeredDays(before);
  expected.push_back("06.12. 1/0");
  EXPECT_EQ(answeredDays(after), expected);
  EXPECT_EQ(after.weeks.back().archived + after.weeks[6].archived,
            before.weeks.back().archived + before.weeks[6].archived);
  for (int i = 0; i < 30; ++i) answer(&small, december(7, 8, i), tJournalEvent::kKnown, 1, 2);
  // One line per day summed up, five days here, and at most the bound besides.
  EXPECT_LE(countLines(small.path()), 5 + 10) << readBytes(small.path());
  EXPECT_EQ(readBytes(small.path()).substr(0, 17), "T\t20261201\t2\t2\t2\n")
      << "the oldest day is summed up once, not once per summing up";
  EXPECT_EQ(small.figures(december(7)).days.back().known, 30);
  EXPECT_EQ(small.figures(december(7)).learningDays, 5);
}

TEST_F(LearningJournalTest, AFailedWriteIsReportedInGermanAndLeavesTheJournalReadable) {
  answer(&journal_, december(6), tJournalEvent::kKnown, 1, 2);
  static tSysCalls full;
  full = libcSysCalls();
  full.write = [](int, const void*, size_t) -> ssize_t {
    errno = ENOSPC;
    return -1;
  };
  replaceSysCallsForTesting(&full);
  clockNow = december(7);
  std::string error;
  EXPECT_FALSE(journal_.append(tJournalEvent::kKnown, makeCard("a", "b"), 1, 2, &error));
  EXPECT_EQ(error, "Der Datentr\xE4ger ist voll.");
  // A write cut short by a crash leaves part of a line, which the next answer closes
  // off; even where the part reads like a whole line, it is not counted.
  full.write = [](int fd, const void* data, size_t size) -> ssize_t {
    return libcSysCalls().write(fd, data, size - 3) > 0 ? (errno = EIO, -1) : -1;
  };
  EXPECT_FALSE(journal_.append(tJournalEvent::kUnknown, makeCard("a", "b"), 1, 2, &error));
  replaceSysCallsForTesting(nullptr);
  answer(&journal_, december(7), tJournalEvent::kUnknown, 2, 1);
  EXPECT_EQ(answeredDays(journal_.figures(december(7))),
            (std::vector<std::string>{"06.12. 1/0", "07.12. 0/1"}));
}

TEST_F(LearningJournalTest, AJournalThatCannotBeMadeIsReported) {
  writeBytes(dir_.file("plain"), "a file, no directory");
  tLearningJournal blocked(dir_.file("plain/history/box.verlauf"));
  clockNow = december(7);
  std::string error;
  EXPECT_FALSE(blocked.append(tJournalEvent::kKnown, makeCard("a", "b"), 1, 2, &error));
  EXPECT_EQ(error, "Sein Ordner kann nicht angelegt werden.");
  ASSERT_EQ(mkdir(dir_.file("taken.verlauf").c_str(), 0700), 0);
  tLearningJournal directory(dir_.file("taken.verlauf"));
  EXPECT_FALSE(directory.append(tJournalEvent::kKnown, makeCard("a", "b"), 1, 2, &error));
  EXPECT_EQ(error, "An seiner Stelle steht ein Ordner.");
  EXPECT_EQ(blocked.figures(december(7)).learningDays, 0);
}

TEST_F(LearningJournalTest, ACopyTakesTheHistoryAlongAndBothGoOnApart) {
  answer(&journal_, december(6), tJournalEvent::kKnown, 1, 2);
  tLearningJournal copy(dir_.file("elsewhere/copy.verlauf"));
  writeBytes(dir_.file("stale.verlauf"), "1765000000\tG\t1\t2\told\tbox\n");
  tLearningJournal overwritten(dir_.file("stale.verlauf"));
  tLearningJournal none(dir_.file("history/none.verlauf"));
  tLearningJournal fromNone(dir_.file("fromnone.verlauf"));
  std::string error;
  ASSERT_TRUE(journal_.copyTo(&copy, &error)) << error;
  ASSERT_TRUE(journal_.copyTo(&overwritten, &error)) << error;
  ASSERT_TRUE(journal_.copyTo(&journal_, &error)) << error;  // onto itself: left as it is
  ASSERT_TRUE(none.copyTo(&fromNone, &error)) << "no history is nothing to take along";
  EXPECT_FALSE(std::filesystem::exists(fromNone.path()));
  answer(&copy, december(7), tJournalEvent::kUnknown, 2, 1);
  const struct {
    tLearningJournal* journal;
    std::vector<std::string> days;
  } expected[] = {
      {&journal_, {"06.12. 1/0"}},
      {&copy, {"06.12. 1/0", "07.12. 0/1"}},
      {&overwritten, {"06.12. 1/0"}},
  };
  for (const auto& [journal, days] : expected) {
    SCOPED_TRACE(journal->path());
    EXPECT_EQ(answeredDays(journal->figures(december(7))), days);
  }
  writeBytes(dir_.file("plain"), "a file, no directory");
  tLearningJournal blocked(dir_.file("plain/history/box.verlauf"));
  EXPECT_FALSE(journal_.copyTo(&blocked, &error));
  EXPECT_EQ(error, "Sein Ordner kann nicht angelegt werden.");
}

TEST(BoxKeyTest, BoxesAreKeptApartByTheirRealPathNotTheirName) {
  ScratchDir dir;
  ASSERT_EQ(mkdir(dir.file("a").c_str(), 0700), 0);
  ASSERT_EQ(mkdir(dir.file("b").c_str(), 0700), 0);
  writeBytes(dir.file("a/Vokabeln.trm"), "x");
  writeBytes(dir.file("b/Vokabeln.trm"), "y");
  ASSERT_EQ(symlink(dir.file("a/Vokabeln.trm").c_str(), dir.file("link.trm").c_str()), 0);
  const std::string a = boxKeyOf(dir.file("a/Vokabeln.trm"));
  EXPECT_EQ(a.substr(0, 9), "Vokabeln-");
  EXPECT_EQ(a.size(), 9u + 16u);
  EXPECT_NE(a, boxKeyOf(dir.file("b/Vokabeln.trm")));
  EXPECT_EQ(boxKeyOf(dir.file("link.trm")), a) << "a link names its box";
  EXPECT_EQ(boxKeyOf(dir.file("b/../a/Vokabeln.trm")), a);
  // Not saved yet: named after where it will be.
  EXPECT_EQ(realBoxPath(dir.file("b/../a/neu.trm")), realBoxPath(dir.file("a")) + "/neu.trm");
}

TEST_F(LearningJournalTest, TheToolPrintsTheFiguresOfTheBoxesJournal) {
  setenv("XDG_DATA_HOME", dir_.path().c_str(), 1);
  const std::string box = dir_.file("Box.trm");
  writeBytes(box, "the journal needs no readable box, only its path");
  tLearningJournal journal = tLearningJournal::forBox(box);
  const std::time_t now = std::time(nullptr);
  answer(&journal, now - 86400, tJournalEvent::kKnown, 6, 7);
  answer(&journal, now, tJournalEvent::kUnknown, 2, 1);
  answer(&journal, now, tJournalEvent::kKnown, 1, 2);
  unsetenv("XDG_DATA_HOME");
  std::string output;
  const std::string command =
      "XDG_DATA_HOME='" + dir_.path() + "' " TERMEL_TOOL " history '" + box + "'";
  if (std::FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) output += buffer;
    EXPECT_EQ(pclose(pipe), 0);
  }
  const tLearningFigures figures = journal.figures(now);
  EXPECT_NE(
      output.find("  " + figures.days[28].date + " 1/0\n  " + figures.days[29].date + " 1/1\n"),
      std::string::npos)
      << output;
  EXPECT_NE(output.find("Tage in Folge: 2\nLerntage insgesamt: 2\n"), std::string::npos);
  EXPECT_NE(output.find("In die Ablage gekommen (Woche ab):\n"), std::string::npos);
}

TEST(BoxKeyTest, JournalsLiveInTheDataDirectoryUnderTheBoxKey) {
  ScratchDir dir;
  setenv("XDG_DATA_HOME", dir.path().c_str(), 1);
  writeBytes(dir.file("Box.trm"), "x");
  EXPECT_EQ(tLearningJournal::forBox(dir.file("Box.trm")).path(),
            dir.path() + "/termel/history/" + boxKeyOf(dir.file("Box.trm")) + ".verlauf");
  unsetenv("XDG_DATA_HOME");
}

}  // namespace
