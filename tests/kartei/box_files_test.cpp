// What stands where a box's files should be: FIFOs, devices and directories in place of
// the card file, the lock file or the learning journal are refused without waiting on
// them; records of NUL bytes are damage; a box too large for memory is refused at once;
// a lock that cannot be taken refuses every write; hard-linked names are one box; a box
// file that is a link is written through only to a box file of the box.
#include <fcntl.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "box/card_box.h"
#include "kartei/backups.h"
#include "kartei/box_identity.h"
#include "kartei/box_lock.h"
#include "kartei/card_file.h"
#include "kartei/learning_journal.h"
#include "storage/sys_calls.h"
#include "tests/box/box_test_support.h"

namespace {

bool contains(const std::string& text, const std::string& piece) {
  return text.find(piece) != std::string::npos;
}

std::string firstError(const tFileReport& report) {
  return report.errors.empty() ? std::string() : report.errors[0];
}

// The calls of the C library, except that opening a lock file fails as another user's
// lock file of mode 600 does.
int refuseLockFiles(int dirFd, const char* path, int flags, mode_t mode) {
  const std::string name = path;
  if (name.size() > 5 && name.compare(name.size() - 5, 5, ".lock") == 0) {
    errno = EACCES;
    return -1;
  }
  return libcSysCalls().openat(dirFd, path, flags, mode);
}

// A test runs as root, who may write any file; a backup of this mode is write-protected
// all the same when every attempt to open it for writing fails.
int refuseWriting(int dirFd, const char* path, int flags, mode_t mode) {
  if ((flags & O_ACCMODE) != O_RDONLY) {
    errno = EACCES;
    return -1;
  }
  return libcSysCalls().openat(dirFd, path, flags, mode);
}

class tSysCallsWithOpen {
 public:
  explicit tSysCallsWithOpen(decltype(tSysCalls::openat) open) : calls_(libcSysCalls()) {
    calls_.openat = open;
    replaceSysCallsForTesting(&calls_);
  }
  ~tSysCallsWithOpen() { replaceSysCallsForTesting(nullptr); }

 private:
  tSysCalls calls_;
};

class BoxFilesTest : public CardBoxTest {
 protected:
  void SetUp() override {
    CardBoxTest::SetUp();
    setenv("XDG_DATA_HOME", dir_.file("data").c_str(), 1);
    path_ = dir_.file("box.trm");
    fill(1, 3, "Haus");
    ASSERT_TRUE(saveCardFile(path_.c_str()));
    theCardBox.clearAll();
    // Whatever blocks fails the test instead of hanging it.
    alarm(30);
  }
  void TearDown() override {
    alarm(0);
    unsetenv("XDG_DATA_HOME");
    CardBoxTest::TearDown();
  }

  // Makes the card file's record count `records`, the file holding that many records
  // of which all after the first `kept` are NUL bytes (a hole, where the system makes
  // one).
  void punchRecords(uint32_t kept, uint32_t records) {
    tTrmDB db;
    ASSERT_TRUE(db.open(path_.c_str(), tDBF::tMode::kReadOnly));
    const off_t header = db.headerLength(), length = db.recordLength();
    db.close();
    const int fd = open(path_.c_str(), O_RDWR);
    ASSERT_GE(fd, 0);
    const unsigned char count[4] = {
        static_cast<unsigned char>(records), static_cast<unsigned char>(records >> 8),
        static_cast<unsigned char>(records >> 16), static_cast<unsigned char>(records >> 24)};
    ASSERT_EQ(pwrite(fd, count, 4, 4), 4);
    ASSERT_EQ(ftruncate(fd, header + kept * length), 0);
    ASSERT_EQ(ftruncate(fd, header + off_t{records} * length), 0);
    close(fd);
  }

  ScratchDir dir_;
  std::string path_;
};

TEST_F(BoxFilesTest, WhatIsNoFileIsRefusedBeforeAnythingWaitsOnIt) {
  struct tCase {
    const char* what;
    std::function<void(const std::string&)> make;
    const char* cardFileError;
  };
  const tCase cases[] = {
      {"FIFO", [](const std::string& p) { ASSERT_EQ(mkfifo(p.c_str(), 0600), 0); },
       "ist keine gew\xF6hnliche Datei und keine Kartei."},
      {"link to a device",
       [](const std::string& p) { ASSERT_EQ(symlink("/dev/urandom", p.c_str()), 0); },
       "ist keine gew\xF6hnliche Datei und keine Kartei."},
      {"directory", [](const std::string& p) { ASSERT_EQ(mkdir(p.c_str(), 0700), 0); },
       "ist ein Verzeichnis und keine Kartei."},
  };
  for (const tCase& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchDir dir;
    // As the card file: the load says what it is.
    const std::string card = dir.file("box.trm");
    c.make(card);
    tFileReport report;
    loadCardFile(card.c_str(), &report);
    EXPECT_FALSE(report.opened);
    EXPECT_TRUE(contains(firstError(report), card + " " + c.cardFileError)) << firstError(report);
    // As the lock file: the box cannot be locked, and is not saved.
    const std::string box = dir.file("echt.trm");
    writeBytes(box, "unber\xFChrt");
    c.make(dir.file(".echt.trm.lock"));
    tBoxLock lock;
    EXPECT_EQ(lock.acquire(box), tLockState::kError);
    EXPECT_TRUE(contains(lock.reason(), "l\xE4sst sich nicht sperren")) << lock.reason();
    tFileReport saved;
    EXPECT_FALSE(saveCardFile(box.c_str(), &saved));
    EXPECT_EQ(saved.errors, std::vector<std::string>{lock.reason()});
    EXPECT_EQ(readBytes(box), "unber\xFChrt");
    // As the learning journal: no answer is written there, and none read.
    const tLearningJournal journal = tLearningJournal::forBox(box);
    ASSERT_EQ(system(("mkdir -p '" + dir_.file("data/termel/history") + "'").c_str()), 0);
    unlink(journal.path().c_str());
    rmdir(journal.path().c_str());
    c.make(journal.path());
    tLearningJournal writer = journal;
    std::string error;
    EXPECT_FALSE(writer.append(tJournalEvent::kKnown, tTermel(), 1, 2, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(journal.figures(std::time(nullptr)).learningDays, 0);
  }
}

TEST_F(BoxFilesTest, ALockThatCannotBeTakenRefusesEverySave) {
  const std::string before = readBytes(path_);
  fill(1, 5, "Baum");
  {
    // Another user's lock file of mode 600 in a shared folder.
    const tSysCallsWithOpen otherUsersLock(refuseLockFiles);
    tBoxLock lock;
    EXPECT_EQ(lock.acquire(path_), tLockState::kError);
    EXPECT_EQ(lock.systemError(), EACCES);
    tFileReport report;
    EXPECT_FALSE(saveCardFile(path_.c_str(), &report));
    EXPECT_EQ(report.errors, std::vector<std::string>{lock.reason()});
    EXPECT_TRUE(contains(lock.reason(), "Die Kartei " + path_)) << lock.reason();
  }
  EXPECT_EQ(readBytes(path_), before);
  // The same box held by another program: refused too, and by name.
  tBoxLock other;
  ASSERT_EQ(other.acquire(path_), tLockState::kHeld);
  tFileReport report;
  EXPECT_FALSE(saveCardFile(path_.c_str(), &report));
  EXPECT_EQ(report.errors, std::vector<std::string>{"Die Kartei " + path_ +
                                                    " ist in einem anderen Programm "
                                                    "ge\xF6"
                                                    "ffnet."});
  EXPECT_EQ(readBytes(path_), before);
  // Its holder saves.
  EXPECT_TRUE(saveCardFile(path_, nullptr, &other));
  EXPECT_NE(readBytes(path_), before);
}

TEST_F(BoxFilesTest, RecordsOfNulBytesAreDamageFoundAtTheFirst) {
  struct tCase {
    uint32_t kept, records;
  };
  // The last: a sparse file of 300 MB, found out at its first record.
  for (const tCase& c : {tCase{3, 5}, tCase{0, 1}, tCase{2, 2100000}}) {
    SCOPED_TRACE(std::to_string(c.kept) + " of " + std::to_string(c.records));
    fill(1, 3, "Haus");
    ASSERT_TRUE(saveCardFile(path_.c_str()));
    punchRecords(c.kept, c.records);
    theCardBox.clearAll();
    tFileReport report;
    loadCardFile(path_.c_str(), &report);
    EXPECT_EQ(report.loaded, static_cast<int>(c.kept));
    EXPECT_EQ(report.errors,
              std::vector<std::string>{"Die Datei " + path_ + " ist besch\xE4" + "digt (nach " +
                                       std::to_string(c.kept) + " von " +
                                       std::to_string(c.records) + " Karten)."});
    EXPECT_TRUE(report.lossyRewrite);
  }
  const std::string command = TERMEL_TOOL " check '" + path_ + "' >/dev/null 2>&1";
  EXPECT_EQ(WEXITSTATUS(system(command.c_str())), 1) << "check finds the damage";
}

TEST_F(BoxFilesTest, ABoxTooLargeForMemoryIsRefusedBeforeItIsRead) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address sanitizer needs memory beyond any small limit";
#endif
  fill(1, 3, "Haus");
  ASSERT_TRUE(saveCardFile(path_.c_str()));
  punchRecords(2000000, 2000000);  // 290 MB of records, all of them there
  const pid_t pid = fork();
  if (pid == 0) {
    const struct rlimit limit = {64 << 20, 64 << 20};
    if (setrlimit(RLIMIT_DATA, &limit) != 0) _exit(2);
    theCardBox.clearAll();
    tFileReport report;
    loadCardFile(path_.c_str(), &report);
    const std::string expected = "Speicher reicht nicht f\xFCr die Datei " + path_ + ".";
    _exit(report.errors == std::vector<std::string>{expected} && report.loaded == 0 ? 0 : 1);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "1: not refused as too large";
}

TEST_F(BoxFilesTest, HardLinkedNamesAndRelativePathsNameOneBox) {
  ASSERT_EQ(link(path_.c_str(), dir_.file("alias.trm").c_str()), 0);
  const tBoxIdentity box(path_), alias(dir_.file("alias.trm"));
  EXPECT_EQ(alias, box);
  EXPECT_EQ(alias.lockFile(), dir_.file(".alias.trm.lock")) << "the first name in byte order";
  EXPECT_EQ(box.lockFile(), alias.lockFile());
  EXPECT_EQ(box.backupsFolder("/b"), alias.backupsFolder("/b"));
  EXPECT_EQ(box.journalFile(), alias.journalFile());
  EXPECT_EQ(box.recoveryFolder(), alias.recoveryFolder());
  EXPECT_EQ(box.realPath(), path_) << "a save still replaces the name it was given";
  tBoxLock first, second;
  ASSERT_EQ(first.acquire(box), tLockState::kHeld);
  EXPECT_EQ(second.acquire(alias), tLockState::kHeldElsewhere);
  // A name in another folder meets another lock file, but the same card file.
  ASSERT_EQ(mkdir(dir_.file("woanders").c_str(), 0700), 0);
  ASSERT_EQ(link(path_.c_str(), dir_.file("woanders/fern.trm").c_str()), 0);
  EXPECT_EQ(second.acquire(dir_.file("woanders/fern.trm")), tLockState::kHeldElsewhere);
  EXPECT_FALSE(second.held());
  ASSERT_EQ(unlink(dir_.file("woanders/fern.trm").c_str()), 0);
  ASSERT_EQ(rmdir(dir_.file("woanders").c_str()), 0);
  // A save through one name leaves both names one box, keyed as before.
  fill(2, 1, "neu");
  tFileReport report;
  ASSERT_TRUE(saveCardFile(box, &report, &first));
  EXPECT_TRUE(report.warnings.empty());
  EXPECT_EQ(readBytes(dir_.file("alias.trm")), readBytes(path_));
  EXPECT_EQ(tBoxIdentity(path_).lockFile(), alias.lockFile());
  // The record of versions follows the box's key too (the fixture's first save wrote
  // one under the only name there was then).
  EXPECT_EQ(dir_.entries(),
            (std::set<std::string>{"alias.trm", "box.trm", "box.kas", ".alias.trm.lock",
                                   ".alias.trm.versions", ".box.trm.versions", "data"}));

  char cwd[4096];
  ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
  ASSERT_EQ(chdir(dir_.path().c_str()), 0);
  const tBoxIdentity relative("./box.trm");
  ASSERT_EQ(chdir(cwd), 0);
  EXPECT_EQ(relative.path(), dir_.path() + "/./box.trm");
  EXPECT_EQ(relative, box);
}

TEST_F(BoxFilesTest, ABoxFileLinkIsWrittenThroughOnlyToABoxFileOfTheBox) {
  struct tCase {
    const char* target;
    bool followed;
  };
  ASSERT_EQ(mkdir(dir_.file("woanders").c_str(), 0700), 0);
  for (const tCase& c : {tCase{"woanders/box.kas", true}, tCase{"notizen.txt", false},
                         tCase{"woanders/box.trm", false}}) {
    SCOPED_TRACE(c.target);
    const std::string target = dir_.file(c.target);
    writeBytes(target, "eigene Notizen");
    unlink(dir_.file("box.kas").c_str());
    ASSERT_EQ(symlink(c.target, dir_.file("box.kas").c_str()), 0);
    ASSERT_TRUE(saveCardFile(path_.c_str()));
    struct stat st;
    ASSERT_EQ(lstat(dir_.file("box.kas").c_str(), &st), 0);
    EXPECT_EQ(S_ISLNK(st.st_mode), c.followed);
    EXPECT_EQ(readBytes(target) == "eigene Notizen", !c.followed);
    EXPECT_EQ(readBytes(dir_.file("box.kas")).substr(0, 1), "\x03") << "a table under the name";
    unlink(target.c_str());
  }
}

TEST_F(BoxFilesTest, BackupsAreListedOnlyReadingThemAndPruneClearsWhatKilledOnesLeft) {
  fill(1, 3, "Haus");
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(saveCardFile(path_.c_str()));
  const tBackupStore store = tBackupStore::forUser();
  const std::string folder = store.folderOf(path_);
  std::vector<tBackup> backups;
  {
    const tSysCallsWithOpen writeProtected(refuseWriting);
    backups = store.list(path_);
    ASSERT_EQ(backups.size(), 3u);
    for (const tBackup& backup : backups) EXPECT_EQ(backup.cards, 3) << backup.cardPath;
  }
  // A prune killed between card file and box file, and copies killed halfway.
  const std::vector<std::string> leftovers = {
      "box-20200101-000000.kas", "box-20200101-000000.kas.part", "box-20200101-000001.trm.part"};
  for (const std::string& name : leftovers) writeBytes(folder + "/" + name, "halb");
  writeBytes(folder + "/notizen.kas", "not a backup's name");
  ASSERT_TRUE(store.prune(path_, std::time(nullptr), nullptr));
  for (const std::string& name : leftovers) EXPECT_FALSE(fileExists(folder + "/" + name)) << name;
  EXPECT_TRUE(fileExists(folder + "/notizen.kas"));
  EXPECT_EQ(store.list(path_).size(), backups.size()) << "the backups themselves stay";
}

}  // namespace
