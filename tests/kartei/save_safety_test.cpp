// A save that fails part-way, for real: a child process saves under a file size
// limit, so its writes fail (or it is killed), and the previous box must survive.
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "kartei/card_file.h"
#include "tests/box/box_test_support.h"

namespace {

using Strings = std::vector<std::string>;

class SaveSafetyTest : public CardBoxTest {
 protected:
  void SetUp() override {
    CardBoxTest::SetUp();
    path_ = dir_.file("box.trm");
    fill(1, 3, "old");
    ASSERT_TRUE(saveCardFile(path_.c_str()));
    oldCards_ = readBytes(path_);
    oldBox_ = readBytes(dir_.file("box.kas"));
    theCardBox.clearAll();
    fill(2, 2000, "new");  // about 290 KB, far beyond the limit below
  }

  // Saves in a child limited to limit bytes per file; returns its wait status.
  int saveInLimitedChild(rlim_t limit, bool ignoreSignal) {
    const pid_t pid = fork();
    if (pid == 0) {
      if (ignoreSignal) signal(SIGXFSZ, SIG_IGN);
      const rlimit rl = {limit, limit};
      setrlimit(RLIMIT_FSIZE, &rl);
      tFileReport report;
      const bool saved = saveCardFile(path_.c_str(), &report);
      const bool reported = !report.errors.empty();
      _exit(saved ? 1 : (reported ? 0 : 2));
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return status;
  }

  void expectOldFilesIntact() {
    EXPECT_EQ(readBytes(path_), oldCards_);
    EXPECT_EQ(readBytes(dir_.file("box.kas")), oldBox_);
  }

  ScratchDir dir_;
  std::string path_;
  std::string oldCards_, oldBox_;
};

TEST_F(SaveSafetyTest, FailedWritesReportFalseAndKeepPreviousFiles) {
  const int status = saveInLimitedChild(50000, true);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "1: save claimed success, 2: no error text";
  expectOldFilesIntact();
  EXPECT_EQ(dir_.entries(), std::set<std::string>({"box.trm", "box.kas", ".box.trm.versions"}));
}

TEST_F(SaveSafetyTest, KilledSaveLeavesPreviousFilesAndNextSaveSucceeds) {
  const int status = saveInLimitedChild(50000, false);
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(WTERMSIG(status), SIGXFSZ);
  expectOldFilesIntact();
  // The stale temporary file of the killed save is neither loaded nor in the way.
  ASSERT_TRUE(saveCardFile(path_.c_str()));
  theCardBox.clearAll();
  tFileReport report;
  loadCardFile(path_.c_str(), &report);
  EXPECT_EQ(report.loaded, 2000);
  EXPECT_EQ(theCardBox.countIn(2), 2000);
}

TEST_F(SaveSafetyTest, MissingDirectoryFailsWithErrorText) {
  tFileReport report;
  const std::string path = dir_.file("fehlt/box.trm");
  EXPECT_FALSE(saveCardFile(path.c_str(), &report));
  EXPECT_EQ(report.errors, Strings({"Die Datei " + path +
                                    " kann nicht geschrieben werden: " + std::strerror(ENOENT)}));
  EXPECT_FALSE(saveCardFile("", &report));
  expectOldFilesIntact();
}

TEST_F(SaveSafetyTest, BoxFileFailureAloneStillSavesCards) {
  const std::string path = dir_.file("neu.trm");
  ASSERT_EQ(mkdir(dir_.file("neu.kas").c_str(), 0755), 0);  // cannot be replaced by a file
  tFileReport report;
  EXPECT_TRUE(saveCardFile(path.c_str(), &report));
  EXPECT_EQ(report.errors, Strings({"Die Datei " + dir_.file("neu.kas") +
                                    " ist ein Verzeichnis und kann nicht \xFC"
                                    "berschrieben werden."}));
  theCardBox.clearAll();
  loadCardFile(path.c_str());
  EXPECT_EQ(theCardBox.countIn(2), 2000);
  std::set<std::string> expected = {"box.trm", "box.kas", ".box.trm.versions",
                                    "neu.trm", "neu.kas", ".neu.trm.versions"};
  EXPECT_EQ(dir_.entries(), expected);
}

}  // namespace
