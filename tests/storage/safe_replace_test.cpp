#include "storage/safe_replace.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "storage/dbf.h"
#include "storage/file_status.h"
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

bool isLink(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

TEST_F(SafeReplaceTest, LinksAreFollowedToTheFileTheyNameWhichIsReplacedInItsDirectory) {
  ASSERT_EQ(mkdir(path("echt").c_str(), 0755), 0);
  const std::string real = path("echt/box.trm");
  writeBytes(real, "alt");
  // A chain: an absolute link to a relative one that names the real file.
  ASSERT_EQ(symlink("echt/box.trm", path("relativ.trm").c_str()), 0);
  ASSERT_EQ(symlink(path("relativ.trm").c_str(), path("box.trm").c_str()), 0);
  std::string resolved;
  ASSERT_TRUE(resolveLinks(path("box.trm"), &resolved));
  EXPECT_EQ(resolved, path("echt/box.trm"));

  EXPECT_TRUE(writeFileReplacing(path("box.trm"), "neu"));
  EXPECT_TRUE(isLink(path("box.trm")));
  EXPECT_TRUE(isLink(path("relativ.trm")));
  EXPECT_EQ(readBytes(real), "neu");
  EXPECT_EQ(entries().size(), 3u);  // no temporary file beside the link

  // A link to a file not yet there creates it where the link points.
  ASSERT_EQ(symlink("echt/neu.trm", path("neu.trm").c_str()), 0);
  EXPECT_TRUE(writeFileReplacing(path("neu.trm"), "erst"));
  EXPECT_TRUE(isLink(path("neu.trm")));
  EXPECT_EQ(readBytes(path("echt/neu.trm")), "erst");

  ASSERT_EQ(symlink("schleife", path("schleife").c_str()), 0);
  tSafeReplace loop(path("schleife"));
  EXPECT_FALSE(loop.begin());
  EXPECT_EQ(loop.error(), tReplaceError::kSystem);
  EXPECT_EQ(loop.systemError(), ELOOP);
}

TEST_F(SafeReplaceTest, PathsUpToTheTableLimitCanBeReplacedHoweverLongTheirDirectory) {
  // A directory of 245 characters leaves no room beside it for the usual temporary name.
  const std::string longDir = dir() + "/" + std::string(244 - dir().size(), 'v');
  ASSERT_EQ(longDir.size(), 245u);
  ASSERT_EQ(mkdir(longDir.c_str(), 0755), 0);
  for (const std::string name : {"a.trm", "box.trm", "lang.trm"}) {
    const std::string target = longDir + "/" + name;
    ASSERT_LE(target.size(), static_cast<size_t>(tDBF::kMaxFileName));
    writeBytes(target, "alt");
    tSafeReplace replace(target);
    ASSERT_TRUE(replace.begin()) << target.size();
    EXPECT_LE(replace.tempPath().size(), tSafeReplace::kMaxTempPath);
    tCreateDBF create;
    create.addField("NAME", 'C', 10, 0);
    ASSERT_TRUE(create.create(replace.tempPath().c_str()));
    ASSERT_TRUE(replace.commit());
    tDBF table;
    EXPECT_TRUE(table.open(target.c_str()));
    EXPECT_EQ(table.fieldCount(), 1);
  }

  // A name as long as a name may be still gets a temporary name; a longer one is refused.
  const std::string longest = path(std::string(NAME_MAX, 'n'));
  tSafeReplace longName(longest);
  ASSERT_TRUE(longName.begin());
  EXPECT_LE(baseNameOf(longName.tempPath()).size(), static_cast<size_t>(NAME_MAX));
  ASSERT_TRUE(longName.commit());
  EXPECT_TRUE(fileExists(longest));
  tSafeReplace tooLong(longest + "x");
  EXPECT_FALSE(tooLong.begin());
  EXPECT_EQ(tooLong.error(), tReplaceError::kNameTooLong);
}

TEST_F(SafeReplaceTest, DirectoriesAndSpecialFilesAreNeverReplaced) {
  ASSERT_EQ(mkdir(path("ordner.trm").c_str(), 0755), 0);
  tSafeReplace directory(path("ordner.trm"));
  EXPECT_FALSE(directory.begin());
  EXPECT_EQ(directory.error(), tReplaceError::kIsDirectory);
  EXPECT_FALSE(writeFileReplacing(path("ordner.trm"), "x"));

  ASSERT_EQ(mkfifo(path("rohr").c_str(), 0644), 0);
  tSafeReplace fifo(path("rohr"));
  EXPECT_FALSE(fifo.begin());
  EXPECT_EQ(fifo.error(), tReplaceError::kNotRegular);
  EXPECT_EQ(entries().size(), 2u);
}

TEST_F(SafeReplaceTest, SpecialFilesAreWrittenDirectly) {
  // A FIFO keeps being a FIFO, and what is written comes out of it.
  const std::string fifo = path("rohr");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
  const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  EXPECT_TRUE(writeFileReplacing(fifo, "Haus;house\n"));
  char got[64] = {};
  EXPECT_EQ(read(reader, got, sizeof got), 11);
  EXPECT_STREQ(got, "Haus;house\n");
  close(reader);
  struct stat st;
  ASSERT_EQ(lstat(fifo.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  EXPECT_EQ(entries(), std::vector<std::string>{"rohr"});

  // A device, also through a link such as /dev/stdout is.
  ASSERT_EQ(symlink("/dev/null", path("nichts").c_str()), 0);
  EXPECT_TRUE(writeFileReplacing(path("nichts"), "weg"));
  EXPECT_TRUE(isLink(path("nichts")));
  ASSERT_EQ(stat("/dev/null", &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode));
}

TEST_F(SafeReplaceTest, StampTellsWhetherSomeoneElseChangedTheFile) {
  const std::string target = path("box.trm");
  tSafeReplace replace(target);
  ASSERT_TRUE(replace.begin());
  writeBytes(replace.tempPath(), "eigene Fassung");
  ASSERT_TRUE(replace.commit());
  EXPECT_TRUE(replace.directorySynced());
  const tFileStamp saved = replace.stamp();
  ASSERT_TRUE(saved.known);
  EXPECT_EQ(saved, tFileStamp::ofPath(target));
  EXPECT_FALSE(changedSince(target, saved));

  // Rewritten in place with the same size and modification time: the inode is the
  // same, but the modification time in nanoseconds tells.
  struct stat before;
  ASSERT_EQ(stat(target.c_str(), &before), 0);
  writeBytes(target, "fremde Fassung");
  EXPECT_TRUE(changedSince(target, saved));
  // Replaced by another file of the same size and time: the inode tells.
  writeBytes(path("andere"), "eigene Fassung");
  const timespec times[2] = {before.st_atim, before.st_mtim};
  ASSERT_EQ(utimensat(AT_FDCWD, path("andere").c_str(), times, 0), 0);
  ASSERT_EQ(rename(path("andere").c_str(), target.c_str()), 0);
  EXPECT_TRUE(changedSince(target, saved));
  // Removed.
  ASSERT_EQ(unlink(target.c_str()), 0);
  EXPECT_TRUE(changedSince(target, saved));
  EXPECT_FALSE(changedSince(target, tFileStamp()));
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

TEST_F(SafeReplaceTest, WriteFileReplacingWritesAllOrNothing) {
  const std::string target = path("liste.csv");
  const std::string big(200000, 'x');  // more than one write may take
  ASSERT_TRUE(writeFileReplacing(target, big));
  EXPECT_EQ(readBytes(target), big);
  ASSERT_TRUE(writeFileReplacing(target, ""));
  EXPECT_EQ(readBytes(target), "");
  EXPECT_FALSE(writeFileReplacing(path("fehlt/liste.csv"), "a"));
  EXPECT_FALSE(writeFileReplacing("", "a"));
  EXPECT_EQ(entries(), std::vector<std::string>({"liste.csv"}));
}

}  // namespace
