// Saving and loading card files at odd places: through symbolic links, over things that
// are not files, at the longest paths, write-protected, and telling whether someone
// else has changed the file since.
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "kartei/card_file.h"
#include "storage/dbf.h"
#include "tests/box/box_test_support.h"

namespace {

using Strings = std::vector<std::string>;

bool isLink(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

class SavePathsTest : public CardBoxTest {
 protected:
  void SetUp() override {
    CardBoxTest::SetUp();
    fill(1, 2, "Haus");
    theCardBox.addCardTo(card("Glück", "luck", 3, 1), 7);
  }

  // The box as loaded from path: its compartments' texts, 1 and 7.
  static Strings reload(const std::string& path, tFileReport* report = nullptr) {
    theCardBox.clearAll();
    loadCardFile(path.c_str(), report);
    Strings texts = textsIn(1);
    for (const std::string& text : textsIn(7)) texts.push_back(text);
    return texts;
  }

  const Strings kTexts = {"Haus1;Haus1", "Haus2;Haus2", "Glück;luck"};
  ScratchDir dir_;
};

TEST_F(SavePathsTest, SavingThroughALinkReplacesTheFileItNamesAndWritesTheBoxFileBesideIt) {
  ASSERT_EQ(mkdir(dir_.file("sync").c_str(), 0755), 0);
  ASSERT_TRUE(saveCardFile(dir_.file("sync/Englisch.trm").c_str()));
  ASSERT_EQ(symlink("sync/Englisch.trm", dir_.file("box.trm").c_str()), 0);

  theCardBox.addCardTo(card("neu", "new"), 1);
  tFileReport report;
  ASSERT_TRUE(saveCardFile(dir_.file("box.trm").c_str(), &report));
  EXPECT_TRUE(report.errors.empty());
  EXPECT_TRUE(isLink(dir_.file("box.trm")));
  EXPECT_EQ(dir_.entries(), std::set<std::string>({"box.trm", "sync"}));
  EXPECT_TRUE(fileExists(dir_.file("sync/Englisch.kas")));
  EXPECT_EQ(report.stamp, tFileStamp::ofPath(dir_.file("sync/Englisch.trm")));

  const Strings expected = {"Haus1;Haus1", "Haus2;Haus2", "neu;new", "Glück;luck"};
  EXPECT_EQ(reload(dir_.file("sync/Englisch.trm")), expected);
  EXPECT_EQ(reload(dir_.file("box.trm")), expected);
}

TEST_F(SavePathsTest, DirectoriesAndSpecialFilesAreRefusedWithTheirName) {
  const std::string folder = dir_.file("Ordner.trm");
  ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
  tFileReport report;
  EXPECT_FALSE(saveCardFile(folder.c_str(), &report));
  EXPECT_EQ(report.errors, Strings({"Die Datei " + folder +
                                    " ist ein Verzeichnis und kann nicht \xFC"
                                    "berschrieben werden."}));

  const std::string fifo = dir_.file("rohr.trm");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
  report = tFileReport();
  EXPECT_FALSE(saveCardFile(fifo.c_str(), &report));
  EXPECT_EQ(report.errors, Strings({"Die Datei " + fifo +
                                    " ist keine gew\xF6hnliche Datei und kann nicht \xFC"
                                    "berschrieben werden."}));
  report = tFileReport();
  EXPECT_FALSE(saveCardFile("/dev/null", &report));
  EXPECT_EQ(report.errors.size(), 1u);
  // Nothing was written for any of them, not even a box file.
  EXPECT_EQ(dir_.entries(), std::set<std::string>({"Ordner.trm", "rohr.trm"}));
  EXPECT_TRUE(fileExists("/dev/null"));
}

TEST_F(SavePathsTest, EveryPathTheTableCodeAcceptsCanBeSavedAndLoaded) {
  // Directories of up to 249 characters, with a card file name of five.
  for (size_t length : {240u, 244u, 247u, 249u}) {
    const std::string folder =
        dir_.path() + "/" + std::string(length - dir_.path().size() - 1, 'd');
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    const std::string path = folder + "/a.trm";
    ASSERT_LE(path.size(), static_cast<size_t>(tDBF::kMaxFileName));
    tFileReport report;
    ASSERT_TRUE(saveCardFile(path.c_str(), &report)) << path.size();
    EXPECT_TRUE(report.errors.empty());
    EXPECT_EQ(reload(path), kTexts);
    EXPECT_TRUE(fileExists(folder + "/a.kas"));
    ASSERT_EQ(std::system(("rm -r '" + folder + "'").c_str()), 0);
  }
  // One character more could be written, but never be opened again: refused unwritten.
  const std::string folder = dir_.path() + "/" + std::string(250 - dir_.path().size() - 1, 'd');
  ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
  const std::string tooLong = folder + "/a.trm";
  ASSERT_EQ(tooLong.size(), static_cast<size_t>(tDBF::kMaxFileName) + 1);
  tFileReport report;
  EXPECT_FALSE(saveCardFile(tooLong.c_str(), &report));
  EXPECT_EQ(report.errors, Strings({"Der Dateiname " + tooLong + " ist zu lang."}));
  EXPECT_FALSE(fileExists(tooLong));
}

TEST_F(SavePathsTest, StampsTellWhetherTheCardFileChangedSinceLoadOrSave) {
  const std::string path = dir_.file("box.trm");
  tFileReport saved;
  ASSERT_TRUE(saveCardFile(path.c_str(), &saved));
  EXPECT_FALSE(changedSince(path, saved.stamp));
  tFileReport loaded;
  reload(path, &loaded);
  EXPECT_EQ(loaded.stamp, saved.stamp);

  // Another program saves the box in between.
  const std::string ours = readBytes(path);
  theCardBox.addCardTo(card("fremd", "foreign"), 1);
  ASSERT_TRUE(saveCardFile(dir_.file("andere.trm").c_str()));
  ASSERT_EQ(rename(dir_.file("andere.trm").c_str(), path.c_str()), 0);
  EXPECT_TRUE(changedSince(path, loaded.stamp));
}

// Runs check in a child that, when this test runs as root, has become the user
// "nobody", for whom file modes count; returns the child's exit code.
template <typename Check>
int asOrdinaryUser(Check check) {
  const pid_t pid = fork();
  if (pid == 0) {
    if (geteuid() == 0) {
      const passwd* nobody = getpwnam("nobody");
      if (nobody == nullptr || setgid(nobody->pw_gid) != 0 || setuid(nobody->pw_uid) != 0) {
        _exit(100);
      }
    }
    _exit(check());
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(SavePathsTest, WriteProtectedBoxLoadsReportsItAndIsNotSavedOver) {
  const std::string path = dir_.file("box.trm");
  const std::string fresh = dir_.file("neu.trm");
  ASSERT_TRUE(saveCardFile(path.c_str()));
  const std::string before = readBytes(path);
  ASSERT_EQ(chmod(path.c_str(), 0444), 0);
  ASSERT_EQ(chmod(dir_.path().c_str(), 0555), 0);

  const int code = asOrdinaryUser([&] {
    theCardBox.clearAll();
    tFileReport loaded;
    loadCardFile(path.c_str(), &loaded);
    if (!loaded.opened || loaded.loaded != 3 || !loaded.errors.empty()) return 1;
    if (!loaded.readOnly) return 2;
    tFileReport saved;
    if (saveCardFile(path.c_str(), &saved)) return 3;
    if (saved.errors != Strings({"Die Datei " + path + " ist schreibgesch\xFCtzt."})) return 4;
    tFileReport created;
    if (saveCardFile(fresh.c_str(), &created)) return 5;
    const Strings expected = {"Das Verzeichnis der Datei " + fresh + " ist schreibgesch\xFCtzt."};
    return created.errors == expected ? 0 : 6;
  });
  ASSERT_EQ(chmod(dir_.path().c_str(), 0755), 0);
  EXPECT_EQ(code, 0) << "1: not loaded, 2: not reported write-protected, 3: saved over, "
                        "4: other error text, 5: saved in a write-protected directory, "
                        "6: other error text";
  EXPECT_EQ(readBytes(path), before);
  EXPECT_EQ(dir_.entries(), std::set<std::string>({"box.trm", "box.kas", ".box.trm.versions"}));

  // A file that may be written, in a directory that may be, is not reported protected.
  ASSERT_EQ(chmod(path.c_str(), 0644), 0);
  tFileReport writable;
  reload(path, &writable);
  EXPECT_FALSE(writable.readOnly);
}

}  // namespace
