// Backups of replaced card files: what a save keeps, how the backups are named and
// listed, which ones pruning leaves, and that a failed backup never stops a save.
#include "kartei/backups.h"
#include "kartei/background_removal.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <ctime>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "kartei/box_file_name.h"
#include "kartei/card_file.h"
#include "storage/file_status.h"
#include "tests/box/box_test_support.h"
#include "tests/kartei/file_times.h"

namespace {

using Strings = std::vector<std::string>;

// Every save over an existing file keeps a backup in XDG_DATA_HOME. No test of this
// program may reach the real home, so the whole program gets a scratch directory;
// the tests below point it at their own.
class ScratchDataHome : public ::testing::Environment {
 public:
  void SetUp() override {
    dir_ = std::make_unique<ScratchDir>();
    setenv("XDG_DATA_HOME", dir_->path().c_str(), 1);
  }
  void TearDown() override { dir_.reset(); }

 private:
  std::unique_ptr<ScratchDir> dir_;
};

[[maybe_unused]] const ::testing::Environment* const kDataHome =
    ::testing::AddGlobalTestEnvironment(new ScratchDataHome);

ino_t inodeOf(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

class BackupsTest : public CardBoxTest {
 protected:
  void SetUp() override {
    CardBoxTest::SetUp();
    data_ = dir_.file("data");
    setenv("XDG_DATA_HOME", data_.c_str(), 1);
    store_ = data_ + "/termel/backups";
    box_ = dir_.file("Vokabeln 7b.trm");
    backups_ = tBackupStore::forUser().folderOf(box_);
  }

  // Saves a box of `count` cards named prefix1... and dates the files `when`.
  void saveBox(int count, const std::string& prefix, std::time_t when,
               tFileReport* report = nullptr) {
    theCardBox.clearAll();
    fill(1, count, prefix);
    ASSERT_TRUE(saveCardFile(box_.c_str(), report));
    setModified(box_, when);
    setModified(boxFileName(box_), when);
  }

  std::string backup(const std::string& name) const { return backups_ + "/" + name; }

  std::set<std::string> backupFiles() const {
    std::set<std::string> names;
    if (DIR* dir = opendir(backups_.c_str())) {
      while (dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") names.insert(name);
      }
      closedir(dir);
    }
    return names;
  }

  ScratchDir dir_;
  std::string data_, store_, backups_, box_;
};

TEST_F(BackupsTest, SaveKeepsTheReplacedFilesThemselvesNamedByTheirTime) {
  saveBox(3, "alt", localTime(2026, 3, 14, 15, 9, 26));
  EXPECT_TRUE(backupFiles().empty()) << "a new file replaces nothing";
  const std::string oldCards = readBytes(box_), oldBox = readBytes(boxFileName(box_));
  const ino_t oldInode = inodeOf(box_);

  tFileReport report;
  saveBox(5, "neu", localTime(2026, 3, 15, 8, 0, 0), &report);
  EXPECT_TRUE(report.warnings.empty());
  EXPECT_EQ(backupFiles(), (std::set<std::string>{"Vokabeln 7b-20260314-150926.trm",
                                                  "Vokabeln 7b-20260314-150926.kas"}));
  const std::string kept = backup("Vokabeln 7b-20260314-150926.trm");
  EXPECT_EQ(inodeOf(kept), oldInode) << "a link to the replaced file, not a copy";
  EXPECT_EQ(readBytes(kept), oldCards);
  EXPECT_EQ(readBytes(backup("Vokabeln 7b-20260314-150926.kas")), oldBox);
  struct stat st;
  ASSERT_EQ(stat(backups_.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  ASSERT_EQ(stat(store_.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);

  theCardBox.clearAll();
  loadCardFile(kept.c_str());
  EXPECT_EQ(textsIn(1), (Strings{"alt1;alt1", "alt2;alt2", "alt3;alt3"}));
}

TEST_F(BackupsTest, AVersionIsKeptOnceAndAnotherOfTheSameSecondGetsASuffix) {
  const std::time_t second = localTime(2026, 12, 24, 18, 30, 0);
  saveBox(1, "a", second);
  const tBackupStore store = tBackupStore::forUser();
  EXPECT_EQ(store.directory(), store_);
  ASSERT_TRUE(store.keep(box_, nullptr));
  ASSERT_TRUE(store.keep(box_, nullptr));  // a save that failed after its backup, repeated
  saveBox(2, "b", second);                 // a new version saved within the same second
  saveBox(3, "c", second);
  saveBox(4, "d", second);
  EXPECT_EQ(backupFiles(), (std::set<std::string>{
                               "Vokabeln 7b-20261224-183000.trm",
                               "Vokabeln 7b-20261224-183000.kas",
                               "Vokabeln 7b-20261224-183000-2.trm",
                               "Vokabeln 7b-20261224-183000-2.kas",
                               "Vokabeln 7b-20261224-183000-3.trm",
                               "Vokabeln 7b-20261224-183000-3.kas",
                           }));
  std::vector<int32_t> counts;
  for (const tBackup& b : store.list(box_)) counts.push_back(b.cards);
  EXPECT_EQ(counts, (std::vector<int32_t>{3, 2, 1}));
}

TEST_F(BackupsTest, AFileSystemWithoutLinksGetsACopyRecognisedAsTheSameVersion) {
  // /dev/shm is a file system of its own on most machines; a link into it fails.
  struct stat shm, here;
  if (stat("/dev/shm", &shm) != 0 || stat(dir_.path().c_str(), &here) != 0 ||
      shm.st_dev == here.st_dev || access("/dev/shm", W_OK) != 0) {
    GTEST_SKIP() << "no second file system to copy to";
  }
  char name[] = "/dev/shm/termel-backups-XXXXXX";
  ASSERT_NE(mkdtemp(name), nullptr);
  const tBackupStore store(std::string(name) + "/backups");
  saveBox(2, "alt", localTime(2026, 1, 2, 3, 4, 5));
  setModified(box_, localTime(2026, 1, 2, 3, 4, 5), 123456789);
  const std::string oldCards = readBytes(box_);
  EXPECT_TRUE(store.keep(box_, nullptr));
  EXPECT_TRUE(store.keep(box_, nullptr));
  const std::string kept = store.folderOf(box_) + "/Vokabeln 7b-20260102-030405.trm";
  EXPECT_NE(inodeOf(kept), 0u);
  EXPECT_NE(inodeOf(kept), inodeOf(box_));
  EXPECT_EQ(readBytes(kept), oldCards);
  const std::vector<tBackup> listed = store.list(box_);
  ASSERT_EQ(listed.size(), 1u) << "the second keep found the copy to be the same version";
  EXPECT_EQ(listed[0].cards, 2);
  const std::string command = std::string("rm -rf '") + name + "'";
  EXPECT_EQ(std::system(command.c_str()), 0);
}

TEST_F(BackupsTest, AFailedBackupIsReportedAndTheSaveGoesOn) {
  saveBox(1, "alt", localTime(2026, 5, 1, 12, 0, 0));
  writeBytes(dir_.file("blocked"), "a file where a directory should be");
  setenv("XDG_DATA_HOME", dir_.file("blocked").c_str(), 1);
  tFileReport report;
  theCardBox.clearAll();
  fill(1, 2, "neu");
  EXPECT_TRUE(saveCardFile(box_.c_str(), &report));
  EXPECT_TRUE(report.errors.empty());
  EXPECT_EQ(
      report.warnings,
      (Strings{"Keine Sicherung: der Ordner f\xFCr Sicherungen kann nicht angelegt werden."}));
  theCardBox.clearAll();
  loadCardFile(box_.c_str());
  EXPECT_EQ(textsIn(1), (Strings{"neu1;neu1", "neu2;neu2"}));
}

TEST_F(BackupsTest, ASymlinkedCardFileIsKeptByItsContent) {
  const std::string real = dir_.file("real.trm");
  theCardBox.clearAll();
  fill(1, 2, "x");
  ASSERT_TRUE(saveCardFile(real.c_str()));
  setModified(real, localTime(2026, 2, 3, 4, 5, 6));
  ASSERT_EQ(symlink(real.c_str(), box_.c_str()), 0);
  const tBackupStore store = tBackupStore::forUser();
  ASSERT_TRUE(store.keep(box_, nullptr));
  // The link and the file it names are one box with one folder; the backups are named
  // after the box as the learner opened it.
  backups_ = store.folderOf(box_);
  EXPECT_EQ(backups_, store.folderOf(real));
  EXPECT_EQ(store.list(real).size(), 1u);
  const std::string kept = backup("Vokabeln 7b-20260203-040506.trm");
  struct stat st;
  ASSERT_EQ(lstat(kept.c_str(), &st), 0);
  EXPECT_TRUE(S_ISREG(st.st_mode));
  EXPECT_EQ(readBytes(kept), readBytes(real));
  EXPECT_EQ(readBytes(backup("Vokabeln 7b-20260203-040506.kas")), readBytes(dir_.file("real.kas")));
}

TEST_F(BackupsTest, ListShowsTheBoxsOwnBackupsNewestFirstWithDateTimeAndCount) {
  const tBackupStore store = tBackupStore::forUser();
  saveBox(7, "w", localTime(2025, 11, 30, 23, 59, 59));
  ASSERT_TRUE(store.keep(box_, nullptr));
  saveBox(2, "w", localTime(2026, 1, 1, 0, 0, 1));
  ASSERT_TRUE(store.keep(box_, nullptr));
  // Files that only look like backups are none, and backups of the old flat layout
  // are no box's.
  for (const char* other :
       {"Vokabeln 7b-20260101-000000.trm.tmp", "Vokabeln 7b-2026010-000000.trm",
        "Vokabeln 7b-20260101-000000-0.trm", "Vokabeln 7b-20260101-000000-x.trm",
        "-20260101-000000.trm", "Vokabeln 7b-20260101-000000.kas",
        "Vokabeln 7b-20260101-000000.trm.part"}) {
    writeBytes(backup(other), "");
  }
  writeBytes(store_ + "/Vokabeln 7b-20260101-000002.trm", "");
  writeBytes(backup("Vokabeln 7b-20260101-000000-12.trm"), "not a table");

  const std::vector<tBackup> listed = store.list(box_);
  ASSERT_EQ(listed.size(), 3u);
  EXPECT_EQ(listed[0].date(), "01.01.2026");
  EXPECT_EQ(listed[0].time(), "00:00:01");
  EXPECT_EQ(listed[0].cards, 2);
  EXPECT_EQ(listed[1].time(), "00:00:00");
  EXPECT_EQ(listed[1].sequence, 12);
  EXPECT_EQ(listed[1].cards, -1);
  EXPECT_EQ(listed[2].date(), "30.11.2025");
  EXPECT_EQ(listed[2].time(), "23:59:59");
  EXPECT_EQ(listed[2].cards, 7);
  EXPECT_EQ(listed[2].cardPath, backup("Vokabeln 7b-20251130-235959.trm"));
  EXPECT_EQ(listed[2].boxPath, backup("Vokabeln 7b-20251130-235959.kas"));
  EXPECT_TRUE(tBackupStore(dir_.file("none")).list(box_).empty());
}

TEST_F(BackupsTest, PruneKeepsTheTenNewestAndTheNewestOfEachOfThirtyDays) {
  const tBackupStore store = tBackupStore::forUser();
  ASSERT_EQ(mkdir(data_.c_str(), 0700), 0);
  ASSERT_EQ(mkdir((data_ + "/termel").c_str(), 0700), 0);
  ASSERT_EQ(mkdir(store_.c_str(), 0700), 0);
  ASSERT_EQ(mkdir(backups_.c_str(), 0700), 0);
  std::set<std::string> expected;
  auto make = [&](std::time_t when, int hour, bool kept) {
    char name[64];
    std::tm t;
    localtime_r(&when, &t);
    std::snprintf(name, sizeof name, "Vokabeln 7b-%04d%02d%02d-%02d0000", t.tm_year + 1900,
                  t.tm_mon + 1, t.tm_mday, hour);
    writeBytes(backup(std::string(name) + ".trm"), "");
    writeBytes(backup(std::string(name) + ".kas"), "");
    if (kept) expected.insert({std::string(name) + ".trm", std::string(name) + ".kas"});
  };
  const std::time_t now = localTime(2026, 6, 30, 20, 0, 0);
  // Twelve today: the ten newest stay.
  for (int hour = 1; hour <= 12; ++hour) make(now, hour, hour > 2);
  // Two a day for 40 days before: the later one of each day up to 29 days back stays.
  for (int days = 1; days <= 40; ++days) {
    const std::time_t day = localTime(2026, 6, 30 - days, 12, 0, 0);
    make(day, 9, false);
    make(day, 10, days < tBackupStore::kDaysKept);
  }
  // Backups of the old flat layout are never removed.
  writeBytes(store_ + "/Vokabeln 7b-20200101-000000.trm", "");

  std::vector<std::string> warnings;
  EXPECT_TRUE(store.prune(box_, now, &warnings));
  EXPECT_TRUE(warnings.empty());
  // The old card files go on a thread of their own.
  tBackgroundRemoval::ofProcess().finish();
  EXPECT_EQ(backupFiles(), expected);
  EXPECT_TRUE(fileExists(store_ + "/Vokabeln 7b-20200101-000000.trm"));
}

TEST_F(BackupsTest, ASuccessfulSavePrunesAndAFailedOneDoesNot) {
  saveBox(1, "a", localTime(2020, 1, 1, 0, 0, 0));
  // Fifteen old backups, long past the thirty days, as earlier saves leave them.
  for (int i = 0; i < 15; ++i) {
    setModified(box_, localTime(2020, 1, 1, 0, 0, i));
    ASSERT_TRUE(tBackupStore::forUser().keep(box_, nullptr));
  }
  ASSERT_EQ(tBackupStore::forUser().list(box_).size(), 15u);

  // A save of the same box name that fails (its directory is gone) removes nothing.
  const std::string lost = dir_.file("gone/Vokabeln 7b.trm");
  EXPECT_FALSE(saveCardFile(lost.c_str()));
  EXPECT_EQ(tBackupStore::forUser().list(box_).size(), 15u);

  saveBox(2, "b", localTime(2026, 6, 2, 10, 0, 0));
  const std::vector<tBackup> left = tBackupStore::forUser().list(box_);
  ASSERT_EQ(left.size(), static_cast<size_t>(tBackupStore::kNewestKept));
  EXPECT_EQ(left.front().time(), "00:00:14");
  EXPECT_EQ(left.back().time(), "00:00:05");
}

TEST_F(BackupsTest, ARestoredBackupSavedBackKeepsTheVersionItReplaces) {
  saveBox(2, "gestern", localTime(2026, 7, 1, 9, 0, 0));
  saveBox(3, "heute", localTime(2026, 7, 2, 9, 0, 0));
  const std::vector<tBackup> before = tBackupStore::forUser().list(box_);
  ASSERT_EQ(before.size(), 1u);

  // Restoring: the backup is loaded as the box and saved under the box's own name.
  theCardBox.clearAll();
  loadCardFile(before[0].cardPath.c_str());
  ASSERT_TRUE(saveCardFile(box_.c_str()));

  theCardBox.clearAll();
  loadCardFile(box_.c_str());
  EXPECT_EQ(textsIn(1), (Strings{"gestern1;gestern1", "gestern2;gestern2"}));
  const std::vector<tBackup> after = tBackupStore::forUser().list(box_);
  ASSERT_EQ(after.size(), 2u);
  EXPECT_EQ(after[0].date(), "02.07.2026");
  EXPECT_EQ(after[0].cards, 3);
  EXPECT_EQ(after[1].cardPath, before[0].cardPath);
  EXPECT_EQ(after[1].cards, 2);
}

TEST_F(BackupsTest, BoxesOfOneNameInTwoFoldersKeepListAndPruneOnlyTheirOwn) {
  const tBackupStore store = tBackupStore::forUser();
  const std::string other = dir_.file("Klasse 8/Vokabeln 7b.trm");
  ASSERT_EQ(mkdir(dir_.file("Klasse 8").c_str(), 0700), 0);
  EXPECT_NE(store.folderOf(other), store.folderOf(box_));
  EXPECT_EQ(store.folderOf(dir_.file("Klasse 8/../Vokabeln 7b.trm")), store.folderOf(box_));
  // Twelve versions of one box, then one of the other, each pruned as a save would.
  saveBox(1, "a", localTime(2020, 3, 1, 10, 0, 0));
  for (int i = 0; i < 12; ++i) {
    setModified(box_, localTime(2020, 3, 1, 10, 0, i));
    ASSERT_TRUE(store.keep(box_, nullptr));
  }
  ASSERT_EQ(store.list(box_).size(), 12u);
  theCardBox.clearAll();
  fill(1, 2, "b");
  ASSERT_TRUE(saveCardFile(other.c_str()));
  setModified(other, localTime(2020, 3, 1, 9, 0, 0));
  ASSERT_TRUE(store.keep(other, nullptr));
  ASSERT_TRUE(store.prune(other, localTime(2026, 1, 1, 0, 0, 0), nullptr));
  EXPECT_EQ(store.list(box_).size(), 12u) << "pruning one box left the other's alone";
  const std::vector<tBackup> others = store.list(other);
  ASSERT_EQ(others.size(), 1u);
  EXPECT_EQ(others[0].cards, 2);
  ASSERT_TRUE(store.prune(box_, localTime(2026, 1, 1, 0, 0, 0), nullptr));
  EXPECT_EQ(store.list(box_).size(), static_cast<size_t>(tBackupStore::kNewestKept));
  EXPECT_EQ(store.list(other).size(), 1u);
  // A path too long for one folder name still gets a folder of its own.
  const std::string deep = "/" + std::string(200, 'x') + "/" + std::string(200, 'y') + ".trm";
  const std::string folder = store.folderOf(deep);
  EXPECT_LE(baseNameOf(folder).size(), 255u);
  EXPECT_NE(folder,
            store.folderOf("/" + std::string(199, 'x') + "/" + std::string(200, 'y') + ".trm"));
}

TEST_F(BackupsTest, AnAdoptedConflictCopyIsListedNeverPrunedAndNeverLost) {
  const tBackupStore store = tBackupStore::forUser();
  saveBox(3, "alt", localTime(2019, 5, 6, 7, 8, 9));
  const std::string copy = dir_.file("Vokabeln 7b (Konfliktkopie).trm");
  ASSERT_EQ(link(box_.c_str(), copy.c_str()), 0);
  ASSERT_EQ(unlink(box_.c_str()), 0);
  saveBox(5, "neu", localTime(2026, 1, 1, 12, 0, 0));
  const std::string bytes = readBytes(copy);

  std::vector<std::string> warnings;
  EXPECT_TRUE(store.adopt(box_, copy, &warnings));
  EXPECT_TRUE(warnings.empty());
  EXPECT_FALSE(fileExists(copy));
  std::vector<tBackup> listed = store.list(box_);
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_TRUE(listed[0].adopted);
  EXPECT_EQ(listed[0].date(), "06.05.2019");
  EXPECT_EQ(listed[0].cards, 3);
  EXPECT_EQ(listed[0].cardPath, backup("Vokabeln 7b-20190506-070809-kopie.trm"));
  EXPECT_EQ(readBytes(listed[0].cardPath), bytes);
  EXPECT_TRUE(store.adopt(box_, listed[0].cardPath, &warnings)) << "already a backup";
  // Eleven saves later and long past thirty days the adopted copy is still there.
  for (int i = 0; i < 11; ++i) saveBox(1, "n", localTime(2026, 1, 2, 0, 0, i));
  ASSERT_TRUE(store.prune(box_, localTime(2027, 1, 1, 0, 0, 0), nullptr));
  listed = store.list(box_);
  ASSERT_EQ(listed.size(), static_cast<size_t>(tBackupStore::kNewestKept) + 1);
  EXPECT_TRUE(listed.back().adopted);

  // The box's own card file, a directory and a missing file are refused and stay.
  const std::string own = readBytes(box_);
  EXPECT_FALSE(store.adopt(box_, box_, &warnings));
  EXPECT_EQ(readBytes(box_), own);
  EXPECT_FALSE(store.adopt(box_, dir_.path(), &warnings));
  EXPECT_FALSE(store.adopt(box_, dir_.file("fehlt.trm"), &warnings));
  ASSERT_EQ(warnings.size(), 3u);
  EXPECT_EQ(warnings[0], "Die Datei " + box_ +
                             " ist die Kartei selbst und wird nicht zu den Sicherungen gelegt.");
  EXPECT_EQ(warnings[2], "Die Datei " + dir_.file("fehlt.trm") +
                             " konnte nicht zu den Sicherungen gelegt werden.");
}

}  // namespace
