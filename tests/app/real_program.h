// A fixture for tests that run the real program on a desktop: openbox hands each new
// window the keyboard, as a learner's window manager does, and the keys go through the
// X server to whichever window has it. The test waits for the window it means to have
// the focus before it types.
#ifndef TERMEL_TESTS_APP_REAL_PROGRAM_H_
#define TERMEL_TESTS_APP_REAL_PROGRAM_H_

#include <sys/types.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "kartei/box_merge.h"

class RealProgramTest : public testing::Test {
 protected:
  // A fresh folder (dir_) and the window manager running; the test puts its box there
  // as start.trm.
  void SetUp() override;
  void TearDown() override;

  // Types text as fast as the X server takes it, or presses one key.
  static void type(const char* text);
  static void press(int key, int modifiers = 0);
  // Opens a menu of the menu bar by its mnemonic and waits until it is open, as the
  // learner sees it before choosing an item.
  static void openMenu(int mnemonic);

  // Writes start.trm of the cards fill puts into the box in memory, which is empty
  // before and after.
  void writeStartBox(const std::function<void()>& fill);
  // A copy of start.trm (and its box file) named name.trm in the folder.
  std::string box(const std::string& name);
  void start(const std::string& box);
  // The exit status; -1 when the program did not end within the time.
  int end(int signal);
  // Waits until a window whose title holds part has the keyboard; false (and a
  // failure) when none does within the time.
  bool waitForFocus(const std::string& part);
  // Saves with Strg+S and waits until the title no longer marks the box changed.
  void save(const std::string& name);
  static tPlacedCards cardsIn(const std::string& path);

  std::string dir_;
  std::vector<std::pair<bool, std::string>> savedXdg_;  // set?, value
  pid_t pid_ = 0;
  pid_t wm_ = 0;
};

#endif  // TERMEL_TESTS_APP_REAL_PROGRAM_H_
