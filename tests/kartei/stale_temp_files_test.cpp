// Temporary files of killed saves: removed by the next save of their box when no other
// program holds its lock, left alone while one does, and never another box's.
#include "kartei/stale_temp_files.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "kartei/box_lock.h"
#include "kartei/card_file.h"
#include "tests/box/box_test_support.h"

namespace {

using Names = std::set<std::string>;

class StaleTempFilesTest : public CardBoxTest {
 protected:
  void SetUp() override {
    CardBoxTest::SetUp();
    fill(1, 2, "w");
    ASSERT_TRUE(saveCardFile(path_.c_str()));
    // What killed saves of this box leave, and files that only look alike.
    for (const char* name :
         {".box.trm.tmp-a1B2c3", ".box.kas.tmp-Zz9900", ".box.trm.tmp-abc", ".box.trm.tmp-abcdefg",
          ".boxer.trm.tmp-a1B2c3", "box.trm.tmp-a1B2c3", ".box.trm.tmp-ab_cd1"}) {
      writeBytes(dir_.file(name), "halb geschrieben");
    }
  }

  Names others() const {
    return {".box.trm.tmp-abc",
            ".box.trm.tmp-abcdefg",
            ".boxer.trm.tmp-a1B2c3",
            "box.trm.tmp-a1B2c3",
            ".box.trm.tmp-ab_cd1",
            "box.trm",
            "box.kas",
            ".box.trm.versions"};
  }

  ScratchDir dir_;
  std::string path_ = dir_.file("box.trm");
};

TEST_F(StaleTempFilesTest, TheNextSaveRemovesTheBoxsOwnWhenNobodyHoldsTheLock) {
  ASSERT_TRUE(saveCardFile(path_.c_str()));
  EXPECT_EQ(dir_.entries(), others());
  theCardBox.clearAll();
  loadCardFile(path_.c_str());
  EXPECT_EQ(textsIn(1).size(), 2u);
}

TEST_F(StaleTempFilesTest, AnotherProgramsLockKeepsThemAndTheHoldersOwnLockRemovesThem) {
  tBoxLock other;
  ASSERT_EQ(other.acquire(path_), tLockState::kHeld);
  Names all = others();
  all.insert({".box.trm.tmp-a1B2c3", ".box.kas.tmp-Zz9900", ".box.trm.lock"});
  EXPECT_EQ(removeStaleTempFiles(path_), 0);
  // Another program's lock refuses the save itself, and with it the clean-up.
  ASSERT_FALSE(saveCardFile(path_.c_str()));
  EXPECT_EQ(dir_.entries(), all) << "another program may be writing them";
  // The program that holds the lock may remove them.
  EXPECT_EQ(removeStaleTempFiles(path_, &other), 2);
  all.erase(".box.trm.tmp-a1B2c3");
  all.erase(".box.kas.tmp-Zz9900");
  EXPECT_EQ(dir_.entries(), all);
}

}  // namespace
