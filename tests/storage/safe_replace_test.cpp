#include "storage/safe_replace.h"

#include <dirent.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "storage/dbf.h"
#include "temp_dir.h"

namespace {

class SafeReplaceTest : public TempDirTest {
 protected:
  std::vector<std::string> entries() {
    std::vector<std::string> names;
    DIR* d = opendir(dir().c_str());
    while (const dirent* e = readdir(d)) {
      const std::string n = e->d_name;
      if (n != "." && n != "..") names.push_back(n);
    }
    closedir(d);
    return names;
  }
};

TEST_F(SafeReplaceTest, CommitReplacesTheTarget) {
  const std::string target = path("box.trm");
  writeBytes(target, "old");
  chmod(target.c_str(), 0640);
  tSafeReplace replace(target);
  ASSERT_TRUE(replace.begin());
  const std::string temp = replace.tempPath();
  EXPECT_EQ(temp.rfind(dir() + "/.box.trm.tmp-", 0), 0u) << temp;
  EXPECT_EQ(temp.size(), target.size() + 1 + 11);
  EXPECT_EQ(readBytes(temp), "");
  writeBytes(temp, "new");
  EXPECT_EQ(readBytes(target), "old");
  ASSERT_TRUE(replace.commit());
  EXPECT_EQ(readBytes(target), "new");
  EXPECT_EQ(entries(), std::vector<std::string>{"box.trm"});
  struct stat st;
  ASSERT_EQ(stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);  // the replacement keeps the target's mode
  EXPECT_FALSE(replace.commit());       // nothing left to commit
}

TEST_F(SafeReplaceTest, AbandonedReplacementLeavesTheTargetAlone) {
  const std::string target = path("box.trm");
  const tBytes old("\x03old\x00\x1A", 6);
  writeBytes(target, old);
  std::string temp;
  {
    tSafeReplace replace(target);
    ASSERT_TRUE(replace.begin());
    temp = replace.tempPath();
    writeBytes(temp, "half written");
  }
  EXPECT_EQ(readBytes(target), old);
  EXPECT_FALSE(fileExists(temp));
  EXPECT_EQ(entries(), std::vector<std::string>{"box.trm"});
}

TEST_F(SafeReplaceTest, EachBeginMakesAFreshTemporaryFile) {
  tSafeReplace replace(path("neu.trm"));
  ASSERT_TRUE(replace.begin());
  const std::string first = replace.tempPath();
  ASSERT_TRUE(replace.begin());
  EXPECT_NE(replace.tempPath(), first);
  EXPECT_FALSE(fileExists(first));
  ASSERT_TRUE(replace.commit());  // the target did not exist before
  EXPECT_EQ(entries(), std::vector<std::string>{"neu.trm"});
}

TEST_F(SafeReplaceTest, UnusableTargetsFailToBegin) {
  tSafeReplace missingDir(path("nirgends/box.trm"));
  EXPECT_FALSE(missingDir.begin());
  EXPECT_FALSE(missingDir.commit());
  tSafeReplace empty("");
  EXPECT_FALSE(empty.begin());
}

TEST_F(SafeReplaceTest, TemporaryNameOfALongTargetStaysWithinTheNameLimit) {
  const std::string target = dir() + "/" + std::string(250 - dir().size(), 'k') + ".trm";
  ASSERT_EQ(target.size(), 255u);
  tSafeReplace replace(target);
  ASSERT_TRUE(replace.begin());
  EXPECT_EQ(replace.tempPath().size(), 255u);
  EXPECT_EQ(replace.tempPath().rfind(dir() + "/.kkk", 0), 0u);
  ASSERT_TRUE(replace.commit());
  EXPECT_TRUE(fileExists(target));
}

TEST_F(SafeReplaceTest, TableIsWrittenThroughTheTemporaryFile) {
  const std::string target = path("t.dbf");
  createWordTable(target, 2);
  const tBytes before = readBytes(target);

  tSafeReplace replace(target);
  ASSERT_TRUE(replace.begin());
  tCreateDBF create;
  create.addField("NAME", 'C', 10, 0);
  ASSERT_TRUE(create.create(replace.tempPath().c_str()));
  tDBF table;
  ASSERT_TRUE(table.open(replace.tempPath().c_str()));
  ASSERT_TRUE(table.append());
  table.putField(0, "neu");
  ASSERT_TRUE(table.close());
  EXPECT_EQ(readBytes(target), before);
  ASSERT_TRUE(replace.commit());

  ASSERT_TRUE(table.open(target.c_str()));
  EXPECT_EQ(table.recordCount(), 1u);
  ASSERT_TRUE(table.goTo(0));
  char text[11];
  table.getField(0, text);
  EXPECT_STREQ(text, "neu");
}

TEST_F(SafeReplaceTest, ReplaceFileWithWritesAllOrNothing) {
  const std::string target = path("liste.csv");
  const std::string big(200000, 'x');  // more than one write may take
  ASSERT_TRUE(replaceFileWith(target, big));
  EXPECT_EQ(readBytes(target), big);
  ASSERT_TRUE(replaceFileWith(target, ""));
  EXPECT_EQ(readBytes(target), "");
  EXPECT_FALSE(replaceFileWith(path("fehlt/liste.csv"), "a"));
  EXPECT_FALSE(replaceFileWith("", "a"));
  EXPECT_EQ(entries(), std::vector<std::string>({"liste.csv"}));
}

}  // namespace
