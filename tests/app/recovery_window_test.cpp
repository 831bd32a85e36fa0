// The real program, killed after a learner's work (answers, a new card, a correction,
// an import) with SIGKILL and with SIGTERM, started again: "Ja" to the question brings
// the box back exactly as the same work saved by the program itself left it. The keys
// go through the X server to whichever window has the keyboard, as a learner's do;
// the test waits for the window it means to have the focus before it types.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <wx/uiaction.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "box/card_box.h"
#include "gui_test.h"
#include "kartei/box_merge.h"
#include "kartei/box_merge_files.h"
#include "kartei/card_file.h"
#include "kartei/recovery_file.h"
#include "x_focus.h"

namespace {

void type(const char* text) {
  wxUIActionSimulator simulator;
  simulator.Text(text);
  guitest::yield(50);
}

void press(int key, int modifiers = 0) {
  wxUIActionSimulator simulator;
  simulator.KeyDown(key, modifiers);
  simulator.KeyUp(key, modifiers);
  guitest::yield(50);
}

// Opens a menu of the menu bar by its mnemonic and waits until it is open, as the
// learner sees it before choosing an item.
void openMenu(int mnemonic) {
  press(mnemonic, wxMOD_ALT);
  guitest::yield(700);
}

class RecoveryWindowTest : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/termel-recovery-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    startWindowManager();
    theCardBox.clearAll();
    for (int i = 1; i <= 12; ++i) {
      const std::string front = "Wort" + std::to_string(i);
      theCardBox.addCardTo(makeCard(front.c_str(), ("word" + std::to_string(i)).c_str()), 1);
    }
    theCardBox.addCardTo(makeCard("Haus", "house"), 2);
    ASSERT_TRUE(saveCardFile((dir_ + "/start.trm").c_str()));
    theCardBox.clearAll();
    std::ofstream(dir_ + "/liste.txt") << "Apfel;apple\nBirne;pear\n";
  }
  void TearDown() override {
    if (pid_ > 0) end(SIGKILL);
    if (wm_ > 0) {
      kill(wm_, SIGTERM);
      waitpid(wm_, nullptr, 0);
    }
    std::filesystem::remove_all(dir_);
  }

  // The program is used as on a desktop, where the window manager hands each new
  // window, dialogs included, the keyboard.
  void startWindowManager() {
    wm_ = fork();
    if (wm_ == 0) {
      freopen("/dev/null", "w", stderr);
      execlp("openbox", "openbox", "--sm-disable", static_cast<char*>(nullptr));
      _exit(127);
    }
    guitest::yield(1000);
    int status = 0;
    ASSERT_EQ(waitpid(wm_, &status, WNOHANG), 0) << "openbox is missing (scripts/setup)";
  }

  std::string box(const std::string& name) {
    const std::string path = dir_ + "/" + name + ".trm";
    std::filesystem::copy_file(dir_ + "/start.trm", path);
    std::filesystem::copy_file(dir_ + "/start.kas", dir_ + "/" + name + ".kas");
    return path;
  }

  void start(const std::string& box) {
    pid_ = fork();
    if (pid_ == 0) {
      execl(TERMEL_PROGRAM, TERMEL_PROGRAM, box.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
  }
  // The exit status; -1 when the program did not end within the time.
  int end(int signal) {
    kill(pid_, signal);
    int status = -1;
    for (int i = 0; i < 100 && waitpid(pid_, &status, WNOHANG) == 0; ++i) guitest::yield(50);
    pid_ = 0;
    return status;
  }

  // Waits until a window whose title holds part has the keyboard.
  void waitForFocus(const std::string& part) {
    tFocus focus;
    guitest::waitFor(
        [&] {
          focus = keyboardFocus();
          return focus.title.find(part) != std::string::npos;
        },
        10000);
    EXPECT_NE(focus.title.find(part), std::string::npos)
        << "waiting for '" << part << "', focus is on '" << focus.title << "'";
  }

  // What the learner does: 3 cards known, 2 unknown, a new card, the current card's
  // translation corrected, a word list imported.
  void work(const std::string& name) {
    waitForFocus(name + ".trm");
    for (int i = 0; i < 5; ++i) {
      press(WXK_RETURN);
      press(i < 3 ? WXK_RETURN : WXK_ESCAPE);
    }
    openMenu('T');
    press('N');
    waitForFocus("Termeln eingeben");
    type("Wolke");
    press(WXK_TAB);
    type("cloud");
    press(WXK_RETURN);
    press(WXK_ESCAPE);
    waitForFocus(name + ".trm");
    openMenu('T');
    press('K');
    waitForFocus("Termeln eingeben");
    press(WXK_TAB);
    press(WXK_END);
    type("s");
    press(WXK_RETURN);
    waitForFocus(name + ".trm");
    openMenu('D');
    press('I');
    waitForFocus("Wortliste importieren");
    type((dir_ + "/liste.txt").c_str());
    guitest::yield(300);
    press(WXK_RETURN);  // a clean import shows no summary
    waitForFocus(name + ".trm");
  }

  // Waits until the recovery data holds all of work().
  bool allKept(const std::string& box) {
    return guitest::waitFor(
        [&] {
          tRecoveryData data;
          return readRecovery(recoveryFileOf(box), &data, nullptr) == tRecoveryRead::kFound &&
                 data.counts.answers == 5 && data.counts.corrections == 1 &&
                 data.counts.cardsAdded == 3;
        },
        10000);
  }

  void save(const std::string& name) {
    press('S', wxMOD_CONTROL);
    waitForFocus(name + ".trm");
    EXPECT_TRUE(guitest::waitFor([&] { return keyboardFocus().title.rfind('*', 0) != 0; }, 5000))
        << "still changed after Sichern";
  }

  static tPlacedCards cardsIn(const std::string& path) {
    tPlacedCards cards;
    tFileReport report;
    EXPECT_TRUE(readCardList(path, &cards, &report)) << path;
    return cards;
  }

  std::string dir_;
  pid_t pid_ = 0;
  pid_t wm_ = 0;
};

TEST_F(RecoveryWindowTest, KilledOrStoppedTheProgramGivesBackEveryChange) {
  const std::string reference = box("vorlage");
  start(reference);
  work("vorlage");
  save("vorlage");
  end(SIGKILL);
  const tPlacedCards want = cardsIn(reference);
  ASSERT_EQ(want.size(), 16u);

  for (int signal : {SIGKILL, SIGTERM}) {
    const std::string name = signal == SIGKILL ? "getoetet" : "beendet";
    SCOPED_TRACE(name);
    const std::string path = box(name);
    start(path);
    work(name);
    // SIGKILL gives no warning: the data must be on disk already. SIGTERM writes it.
    if (signal == SIGKILL) {
      ASSERT_TRUE(allKept(path)) << "the recovery data lags behind";
    }
    const int status = end(signal);
    if (signal == SIGTERM) {
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }
    ASSERT_TRUE(allKept(path)) << "the recovery data does not hold all the work";
    EXPECT_EQ(cardsIn(path).size(), 13u) << "the box's file itself is untouched";

    start(path);
    waitForFocus("Achtung");
    press(WXK_RETURN);  // Ja, the default
    waitForFocus("*" + name + ".trm");
    save(name);
    end(SIGKILL);
    const tPlacedCards got = cardsIn(path);
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
      EXPECT_EQ(got[i].compartment, want[i].compartment) << i;
      EXPECT_TRUE(got[i].card.matchesBoth(want[i].card)) << got[i].card.front;
      EXPECT_EQ(got[i].card.timesKnown, want[i].card.timesKnown) << got[i].card.front;
      EXPECT_EQ(got[i].card.timesUnknown, want[i].card.timesUnknown) << got[i].card.front;
    }
    tRecoveryData left;
    EXPECT_EQ(readRecovery(recoveryFileOf(path), &left, nullptr), tRecoveryRead::kNone);
  }
}

}  // namespace
