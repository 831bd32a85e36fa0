#include "real_program.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <wx/uiaction.h>

#include <cstdlib>
#include <filesystem>

#include "box/card_box.h"
#include "gui_test.h"
#include "kartei/box_merge_files.h"
#include "kartei/card_file.h"
#include "x_focus.h"

namespace {

const char* const kXdgHomes[] = {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME"};

}  // namespace

void RealProgramTest::SetUp() {
  char pattern[] = "/tmp/termel-real-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  dir_ = pattern;
  // Settings, journals and recovery data of its own: nothing an earlier test left
  // behind asks a question here.
  for (const char* variable : kXdgHomes) {
    const char* value = std::getenv(variable);
    savedXdg_.emplace_back(value != nullptr, value != nullptr ? value : "");
    setenv(variable, (dir_ + "/" + variable).c_str(), 1);
  }
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

void RealProgramTest::TearDown() {
  if (pid_ > 0) end(SIGKILL);
  if (wm_ > 0) {
    kill(wm_, SIGTERM);
    waitpid(wm_, nullptr, 0);
  }
  for (size_t i = 0; i < savedXdg_.size(); ++i) {
    if (savedXdg_[i].first) {
      setenv(kXdgHomes[i], savedXdg_[i].second.c_str(), 1);
    } else {
      unsetenv(kXdgHomes[i]);
    }
  }
  std::filesystem::remove_all(dir_);
}

void RealProgramTest::type(const char* text) {
  wxUIActionSimulator simulator;
  simulator.Text(text);
  guitest::yield(50);
}

void RealProgramTest::press(int key, int modifiers) {
  wxUIActionSimulator simulator;
  simulator.KeyDown(key, modifiers);
  simulator.KeyUp(key, modifiers);
  guitest::yield(50);
}

void RealProgramTest::openMenu(int mnemonic) {
  press(mnemonic, wxMOD_ALT);
  guitest::yield(700);
}

void RealProgramTest::writeStartBox(const std::function<void()>& fill) {
  theCardBox.clearAll();
  fill();
  EXPECT_TRUE(saveCardFile((dir_ + "/start.trm").c_str()));
  theCardBox.clearAll();
}

std::string RealProgramTest::box(const std::string& name) {
  const std::string path = dir_ + "/" + name + ".trm";
  std::filesystem::copy_file(dir_ + "/start.trm", path);
  std::filesystem::copy_file(dir_ + "/start.kas", dir_ + "/" + name + ".kas");
  return path;
}

void RealProgramTest::start(const std::string& box) {
  pid_ = fork();
  if (pid_ == 0) {
    execl(TERMEL_PROGRAM, TERMEL_PROGRAM, box.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
}

int RealProgramTest::end(int signal) {
  kill(pid_, signal);
  int status = -1;
  for (int i = 0; i < 100 && waitpid(pid_, &status, WNOHANG) == 0; ++i) guitest::yield(50);
  pid_ = 0;
  return status;
}

bool RealProgramTest::waitForFocus(const std::string& part) {
  tFocus focus;
  const bool found = guitest::waitFor(
      [&] {
        focus = keyboardFocus();
        return focus.title.find(part) != std::string::npos;
      },
      10000);
  EXPECT_TRUE(found) << "waiting for '" << part << "', focus is on '" << focus.title << "'";
  return found;
}

void RealProgramTest::save(const std::string& name) {
  press('S', wxMOD_CONTROL);
  waitForFocus(name + ".trm");
  EXPECT_TRUE(guitest::waitFor([&] { return keyboardFocus().title.rfind('*', 0) != 0; }, 5000))
      << "still changed after Sichern";
}

tPlacedCards RealProgramTest::cardsIn(const std::string& path) {
  tPlacedCards cards;
  tFileReport report;
  EXPECT_TRUE(readCardList(path, &cards, &report)) << path;
  return cards;
}
