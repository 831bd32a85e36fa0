// The desktop's logout reaches the real program through its session manager: termel
// asks "Speichern?" as other desktop programs do. Ja saves and lets the session end;
// closing the question without an answer stops the logout and keeps the window.
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>

#include "box/card_box.h"
#include "fake_session_manager.h"
#include "gui_test.h"
#include "kartei/card_file.h"
#include "real_program.h"
#include "x_focus.h"

namespace {

struct tLogout {
  const char* name;
  int key;  // the learner's answer to "Speichern?"
  tFakeSessionManager::tOutcome outcome;
  int savedCompartment;  // of the one card in the file afterwards
};

class SessionEndWindowTest : public RealProgramTest, public testing::WithParamInterface<tLogout> {
 protected:
  void SetUp() override {
    RealProgramTest::SetUp();
    writeStartBox([] { theCardBox.addCardTo(makeCard("Haus", "house"), 1); });
  }
  void TearDown() override {
    unsetenv("SESSION_MANAGER");
    RealProgramTest::TearDown();
  }
};

TEST_P(SessionEndWindowTest, LogoutAsksSpeichern) {
  const tLogout& logout = GetParam();
  tFakeSessionManager manager;
  ASSERT_FALSE(manager.address().empty());
  setenv("SESSION_MANAGER", manager.address().c_str(), 1);
  const std::string path = box(logout.name);
  start(path);
  ASSERT_TRUE(manager.waitForClient(10000)) << "termel did not join the session";
  ASSERT_TRUE(waitForFocus(std::string(logout.name) + ".trm"));
  press(WXK_RETURN);
  press(WXK_RETURN);  // known: the box has changed
  ASSERT_TRUE(waitForFocus("*"));

  manager.endSession();
  ASSERT_TRUE(waitForFocus("Achtung"));
  press(logout.key);
  EXPECT_EQ(manager.waitForOutcome(10000), logout.outcome);
  if (logout.outcome == tFakeSessionManager::tOutcome::kStopped) {
    EXPECT_TRUE(waitForFocus("*" + std::string(logout.name)));
  } else {
    int status = -1;
    EXPECT_TRUE(guitest::waitFor([&] { return waitpid(pid_, &status, WNOHANG) == pid_; }, 5000));
    pid_ = 0;
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  }
  const tPlacedCards cards = cardsIn(path);
  ASSERT_EQ(cards.size(), 1u);
  EXPECT_EQ(cards[0].compartment, logout.savedCompartment);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, SessionEndWindowTest,
    testing::Values(tLogout{"ja", WXK_RETURN, tFakeSessionManager::tOutcome::kDied, 2},
                    tLogout{"ohne", WXK_ESCAPE, tFakeSessionManager::tOutcome::kStopped, 1}),
    [](const testing::TestParamInfo<tLogout>& info) { return std::string(info.param.name); });

}  // namespace
