// Every system call of a save made to fail, one at a time, and the process ended at
// every one of them: the card file must afterwards be the old box or the new one,
// byte for byte, the save must report failure exactly when it is still the old one,
// and a failed save must leave no temporary file behind. The calls of the backup the
// save keeps first are struck like the others, with the backup linked and copied: a
// failed backup never fails the save, and what it leaves is the old version or nothing.
#include <errno.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "kartei/backups.h"
#include "kartei/card_file.h"
#include "storage/sys_calls.h"
#include "tests/box/box_test_support.h"
#include "tests/kartei/sys_call_faults.h"

namespace {

// Exit codes of the child that saves.
constexpr int kSaved = 10;
constexpr int kFailedWithText = 11;
constexpr int kFailedSilently = 12;
constexpr int kEnded = kEndedAtFault;

class SaveFaultTest : public CardBoxTest {
 protected:
  void SetUp() override {
    CardBoxTest::SetUp();
    setenv("XDG_DATA_HOME", home_.path().c_str(), 1);
    path_ = dir_.file("box.trm");
    fill(1, 3, "alt");
    ASSERT_TRUE(saveCardFile(path_.c_str()));
    oldCards_ = readBytes(path_);
    oldBox_ = readBytes(boxPath());
    theCardBox.clearAll();
    // More than the table code buffers at once, so the card file takes several writes.
    fill(2, 600, "neu");
    fill(7, 5, "abgelegt");
  }
  void TearDown() override {
    replaceSysCallsForTesting(nullptr);
    CardBoxTest::TearDown();
  }

  std::string boxPath() const { return dir_.file("box.kas"); }

  // The old files back, nothing else in the directory, and no backups.
  void restoreOldFiles() {
    for (const std::string& name : dir_.entries()) unlink(dir_.file(name).c_str());
    writeBytes(path_, oldCards_);
    writeBytes(boxPath(), oldBox_);
    const std::string command = "rm -rf '" + home_.path() + "/termel'";
    ASSERT_EQ(std::system(command.c_str()), 0);
  }

  // The files in the box's backup folder other than kept versions of the old box.
  std::vector<std::string> strayBackups() const {
    std::vector<std::string> stray;
    const tBackupStore store = tBackupStore::forUser();
    for (const tBackup& backup : store.list(path_)) {
      if (readBytes(backup.cardPath) != oldCards_) stray.push_back(backup.cardPath);
      if (fileExists(backup.boxPath) && readBytes(backup.boxPath) != oldBox_) {
        stray.push_back(backup.boxPath);
      }
    }
    return stray;
  }

  // Saves with the injector armed; returns the result and fills *report.
  bool saveWith(long at, tFault fault, tFileReport* report) {
    injector = tInjector();
    injector.at = at;
    injector.fault = fault;
    injector.linksRefused = linksRefused_;
    replaceSysCallsForTesting(&kFaulty);
    const bool saved = saveCardFile(path_.c_str(), report);
    replaceSysCallsForTesting(nullptr);
    return saved;
  }

  // Saves in a child with the fault at call number at; returns the child's exit code.
  int saveInChild(long at, tFault fault) {
    const pid_t pid = fork();
    if (pid == 0) {
      tFileReport report;
      const bool saved = saveWith(at, fault, &report);
      _exit(saved ? kSaved : report.errors.empty() ? kFailedSilently : kFailedWithText);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  // Runs every fault at every call of a save and checks what it leaves.
  void strikeEveryCall();

  ScratchDir dir_;
  ScratchDir home_;
  std::string path_;
  std::string oldCards_, oldBox_;
  bool linksRefused_ = false;
};

void SaveFaultTest::strikeEveryCall() {
  // The calls of the backup alone, and then a clean run: the new files, and the calls a
  // save makes, the backup's among them.
  restoreOldFiles();
  injector = tInjector();
  injector.linksRefused = linksRefused_;
  const tBoxIdentity box(path_);
  replaceSysCallsForTesting(&kFaulty);
  ASSERT_TRUE(tBackupStore::forUser().keep(box, nullptr));
  replaceSysCallsForTesting(nullptr);
  const std::vector<std::string> backupNames = injector.names;
  restoreOldFiles();
  tFileReport clean;
  ASSERT_TRUE(saveWith(0, tFault::kNone, &clean));
  EXPECT_TRUE(clean.errors.empty());
  EXPECT_TRUE(clean.warnings.empty());
  const std::string newCards = readBytes(path_);
  const std::string newBox = readBytes(boxPath());
  ASSERT_NE(newCards, oldCards_);
  ASSERT_NE(newBox, oldBox_);
  const std::vector<std::string> names = injector.names;
  const long calls = injector.calls;
  const auto backupStart =
      std::search(names.begin(), names.end(), backupNames.begin(), backupNames.end());
  ASSERT_NE(backupStart, names.end());
  const long firstBackupCall = static_cast<long>(backupStart - names.begin()) + 1;
  const long lastBackupCall = firstBackupCall + static_cast<long>(backupNames.size()) - 1;
  // Every kind of call a save makes is among those struck below.
  const std::set<std::string> kinds(names.begin(), names.end());
  for (const char* kind : {"openat", "close", "write", "fsync", "fchmod", "renameat", "fstat",
                           "fstatat", "lseek", "read", "linkat", "mkdirat"}) {
    EXPECT_EQ(kinds.count(kind), 1u) << kind;
  }
  EXPECT_EQ(kinds.count("futimens"), linksRefused_ ? 1u : 0u);
  EXPECT_GE(std::count(names.begin(), names.end(), "write"), 4);

  const std::set<std::string> onlyBox = {"box.trm", "box.kas"};
  std::map<int, int> outcomes;
  for (tFault fault : {tFault::kFail, tFault::kFailAndCleanup, tFault::kEnd}) {
    for (long at = 1; at <= calls; ++at) {
      SCOPED_TRACE("call " + std::to_string(at) + " (" + names[at - 1] + "), fault " +
                   std::to_string(static_cast<int>(fault)));
      restoreOldFiles();
      const int code = saveInChild(at, fault);
      ++outcomes[code];
      const std::string cards = readBytes(path_);
      const std::string box = readBytes(boxPath());
      EXPECT_TRUE(cards == oldCards_ || cards == newCards);
      EXPECT_TRUE(box == oldBox_ || box == newBox);
      EXPECT_EQ(strayBackups(), std::vector<std::string>());
      if (fault == tFault::kEnd) {
        EXPECT_EQ(code, kEnded);
        continue;
      }
      ASSERT_TRUE(code == kSaved || code == kFailedWithText) << "exit code " << code;
      EXPECT_EQ(code == kSaved, cards == newCards);
      if (at >= firstBackupCall && at <= lastBackupCall) {
        EXPECT_EQ(code, kSaved) << "a failed backup failed the save";
      }
      if (code == kFailedWithText) {
        // The record of versions may name the version that never came, and a lock file
        // may stay, as a killed holder's does (it holds no lock); nothing else stays.
        std::set<std::string> left = dir_.entries();
        left.erase(".box.trm.versions");
        left.erase(".box.trm.lock");
        EXPECT_EQ(left, onlyBox);
        EXPECT_EQ(box, oldBox_);
      }
    }
  }
  // Reads and writes that move only part of the bytes are carried on, not failures.
  for (long at = 1; at <= calls; ++at) {
    const std::string& name = names[at - 1];
    if (name != "read" && name != "pread" && name != "write") continue;
    SCOPED_TRACE("short " + name + " at call " + std::to_string(at));
    restoreOldFiles();
    EXPECT_EQ(saveInChild(at, tFault::kShort), kSaved);
    EXPECT_EQ(readBytes(path_), newCards);
    EXPECT_EQ(readBytes(boxPath()), newBox);
    ASSERT_EQ(tBackupStore::forUser().list(path_).size(), 1u);
    EXPECT_EQ(strayBackups(), std::vector<std::string>());
  }
  // Both outcomes really occurred: failures before the rename, successes after it.
  EXPECT_GT(outcomes[kSaved], 0);
  EXPECT_GT(outcomes[kFailedWithText], 0);
  EXPECT_EQ(outcomes[kEnded], calls);
}

TEST_F(SaveFaultTest, EveryFailingOrFatalCallLeavesTheOldBoxOrTheNewOne) {
  strikeEveryCall();
}

TEST_F(SaveFaultTest, EveryCallOfABackupCopiedToAnotherFileSystemIsStruckToo) {
  linksRefused_ = true;
  strikeEveryCall();
}

TEST_F(SaveFaultTest, FailedDirectorySyncIsAWarningAndTheBoxFileIsWritten) {
  // Both saves start from the same files, so they make the same calls.
  restoreOldFiles();
  tFileReport clean;
  ASSERT_TRUE(saveWith(0, tFault::kNone, &clean));
  const std::string newCards = readBytes(path_);
  const std::string newBox = readBytes(boxPath());
  const std::vector<std::string> names = injector.names;
  // The call after the card file's rename syncs its directory.
  const auto rename = std::find(names.begin(), names.end(), "renameat");
  ASSERT_NE(rename, names.end());
  ASSERT_EQ(*(rename + 1), "fsync");
  const long at = static_cast<long>(rename - names.begin()) + 2;

  restoreOldFiles();
  tFileReport report;
  EXPECT_TRUE(saveWith(at, tFault::kFail, &report));
  EXPECT_TRUE(report.errors.empty());
  ASSERT_EQ(report.warnings.size(), 1u);
  EXPECT_EQ(report.warnings[0].rfind("Die Datei " + path_ + " wurde gesichert, aber", 0), 0u)
      << report.warnings[0];
  EXPECT_EQ(readBytes(path_), newCards);
  EXPECT_EQ(readBytes(boxPath()), newBox);
}

}  // namespace
