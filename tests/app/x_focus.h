// Which window has the keyboard, asked of the X server, and keys sent through it: for
// tests that drive another process's windows and must wait until the one they mean to
// type into is in front.
#ifndef TERMEL_TESTS_APP_X_FOCUS_H_
#define TERMEL_TESTS_APP_X_FOCUS_H_

#include <string>

struct tFocus {
  unsigned long window = 0;  // 0 when none has a title
  std::string title;         // UTF-8
};

// The window with the keyboard focus, or its nearest ancestor with a title.
tFocus keyboardFocus();

// Sends the keys of text (ASCII; a tab or a line break stands for its key) to the X
// server in one go, as a fast typist's keys arrive before the program has read the
// first. A key name in braces ("{Alt+F4}") stands for that key with its modifier.
void typeAtOnce(const std::string& text);

#endif  // TERMEL_TESTS_APP_X_FOCUS_H_
