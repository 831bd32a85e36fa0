// The real program, killed after a learner's work (answers, a new card, a correction,
// an import) with SIGKILL and with SIGTERM, started again: "Ja" to the question brings
// the box back exactly as the same work saved by the program itself left it. The keys
// go through the X server to whichever window has the keyboard, as a learner's do;
// the test waits for the window it means to have the focus before it types.
#include <signal.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "box/card_box.h"
#include "gui_test.h"
#include "kartei/box_merge.h"
#include "kartei/box_merge_files.h"
#include "kartei/card_file.h"
#include "kartei/recovery_file.h"
#include "real_program.h"

namespace {

class RecoveryWindowTest : public RealProgramTest {
 protected:
  void SetUp() override {
    RealProgramTest::SetUp();
    writeStartBox([] {
      for (int i = 1; i <= 12; ++i) {
        const std::string front = "Wort" + std::to_string(i);
        theCardBox.addCardTo(makeCard(front.c_str(), ("word" + std::to_string(i)).c_str()), 1);
      }
      theCardBox.addCardTo(makeCard("Haus", "house"), 2);
    });
    std::ofstream(dir_ + "/liste.txt") << "Apfel;apple\nBirne;pear\n";
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
