// Keys typed before a question appeared never answer it, in the real program on a
// desktop: pairs typed at full speed into "Termeln eingeben" with a duplicate among
// them, and an Enter typed right behind Strg+Q, which asks "Speichern?".
#include <signal.h>
#include <sys/wait.h>

#include <string>
#include <vector>

#include "box/card_box.h"
#include "gui_test.h"
#include "kartei/card_file.h"
#include "real_program.h"
#include "x_focus.h"

namespace {

std::vector<std::string> frontsIn(const tPlacedCards& cards) {
  std::vector<std::string> fronts;
  for (const tPlacedCard& placed : cards) fronts.push_back(placed.card.front);
  return fronts;
}

class TypedAheadWindowTest : public RealProgramTest {
 protected:
  void SetUp() override {
    RealProgramTest::SetUp();
    writeStartBox([] { theCardBox.addCardTo(makeCard("Haus", "house"), 1); });
  }
};

TEST_F(TypedAheadWindowTest, PairsTypedPastADuplicateWaitForTheWarningsAnswer) {
  const std::string path = box("liste");
  start(path);
  ASSERT_TRUE(waitForFocus("liste.trm"));
  openMenu('T');
  press('N');
  ASSERT_TRUE(waitForFocus("Termeln eingeben"));
  typeAtOnce("Apfel\tapple\nHaus\thome\nBirne\tpear\nKirsche\tcherry\n");
  ASSERT_TRUE(waitForFocus("Achtung"));
  guitest::yield(1000);
  EXPECT_TRUE(waitForFocus("Achtung")) << "a key typed ahead answered the duplicate warning";
  press(WXK_ESCAPE);  // Abbruch: the duplicate is not stored
  ASSERT_TRUE(waitForFocus("Termeln eingeben"));
  guitest::yield(500);
  press(WXK_ESCAPE);
  save("liste");
  end(SIGKILL);
  EXPECT_EQ(frontsIn(cardsIn(path)),
            (std::vector<std::string>{"Haus", "Apfel", "Birne", "Kirsche"}));
}

TEST_F(TypedAheadWindowTest, AnEnterTypedBehindBeendenDoesNotAnswerSpeichern) {
  const std::string path = box("frage");
  start(path);
  ASSERT_TRUE(waitForFocus("frage.trm"));
  press(WXK_RETURN);
  press(WXK_RETURN);  // known: the box has changed
  ASSERT_TRUE(waitForFocus("*frage.trm"));
  typeAtOnce("{Control+q}\n");
  ASSERT_TRUE(waitForFocus("Achtung"));
  guitest::yield(1000);
  int status = 0;
  EXPECT_EQ(waitpid(pid_, &status, WNOHANG), 0) << "the Enter typed ahead answered Speichern?";
  EXPECT_TRUE(waitForFocus("Achtung"));
  press(WXK_RETURN);  // Ja, now that the learner has seen the question
  EXPECT_TRUE(guitest::waitFor([&] { return waitpid(pid_, &status, WNOHANG) == pid_; }, 5000));
  pid_ = 0;
  const tPlacedCards cards = cardsIn(path);
  ASSERT_EQ(cards.size(), 1u);
  EXPECT_EQ(cards[0].compartment, 2);
}

}  // namespace
