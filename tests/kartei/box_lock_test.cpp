// The box lock: one holder at a time, whatever path leads to the box, kept across
// saves, and gone with the process that held it.
#include "kartei/box_lock.h"

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "kartei/card_file.h"
#include "tests/box/box_test_support.h"

namespace {

class BoxLockTest : public CardBoxTest {
 protected:
  void SetUp() override {
    CardBoxTest::SetUp();
    path_ = dir_.file("box.trm");
    fill(1, 2, "Haus");
    ASSERT_TRUE(saveCardFile(path_.c_str()));
  }

  ScratchDir dir_;
  std::string path_;
};

TEST_F(BoxLockTest, OneHolderAtATimeWhicheverPathLeadsToTheBox) {
  tBoxLock first;
  EXPECT_EQ(first.acquire(path_), tLockState::kHeld);
  EXPECT_TRUE(first.held());
  EXPECT_EQ(tBoxLock::lockFileOf(path_), dir_.file(".box.trm.lock"));

  ASSERT_EQ(symlink("box.trm", dir_.file("link.trm").c_str()), 0);
  tBoxLock second;
  EXPECT_EQ(second.acquire(dir_.file("link.trm")), tLockState::kHeldElsewhere);
  EXPECT_FALSE(second.held());
  EXPECT_EQ(second.acquire(dir_.file("./box.trm")), tLockState::kHeldElsewhere);

  // Saving replaces the card file; the lock stays with the box.
  ASSERT_TRUE(saveCardFile(path_, nullptr, &first));
  EXPECT_EQ(second.acquire(path_), tLockState::kHeldElsewhere);

  first.release();
  EXPECT_EQ(dir_.entries(),
            std::set<std::string>({"box.trm", "box.kas", ".box.trm.versions", "link.trm"}));
  EXPECT_EQ(second.acquire(dir_.file("link.trm")), tLockState::kHeld);
  EXPECT_EQ(first.acquire(path_), tLockState::kHeldElsewhere);
}

TEST_F(BoxLockTest, LockDiesWithTheProcessThatHeldIt) {
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t pid = fork();
  if (pid == 0) {
    tBoxLock lock;
    const char state = lock.acquire(path_) == tLockState::kHeld ? 'h' : 'x';
    if (write(ready[1], &state, 1) != 1) _exit(1);
    pause();  // killed below, never released
    _exit(0);
  }
  char state = 0;
  ASSERT_EQ(read(ready[0], &state, 1), 1);
  EXPECT_EQ(state, 'h');
  tBoxLock lock;
  EXPECT_EQ(lock.acquire(path_), tLockState::kHeldElsewhere);
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  close(ready[0]);
  close(ready[1]);
  // The killed holder left its lock file, but no lock on it.
  EXPECT_EQ(lock.acquire(path_), tLockState::kHeld);
}

TEST_F(BoxLockTest, NoLockWhereNoLockFileCanBeMade) {
  tBoxLock lock;
  EXPECT_EQ(lock.acquire(dir_.file("fehlt/box.trm")), tLockState::kError);
  EXPECT_EQ(lock.systemError(), ENOENT);
  EXPECT_FALSE(lock.held());
}

}  // namespace
