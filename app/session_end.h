// tSessionEnd: SIGTERM, as the desktop sends it at logout or shutdown (and `kill`
// does), reaches the program as a call in the window's thread. The signal handler
// only writes a byte into a pipe that the event loop watches, modal loops included;
// all the work happens in onTerm.
#ifndef TERMEL_APP_SESSION_END_H_
#define TERMEL_APP_SESSION_END_H_

#include <functional>
#include <memory>

class wxEventLoopSource;

class tSessionEnd {
 public:
  // Only one exists at a time; onTerm runs once per SIGTERM.
  explicit tSessionEnd(std::function<void()> onTerm);
  ~tSessionEnd();
  tSessionEnd(const tSessionEnd&) = delete;
  tSessionEnd& operator=(const tSessionEnd&) = delete;

 private:
  class tPipeReader;
  std::unique_ptr<tPipeReader> reader_;
  wxEventLoopSource* source_ = nullptr;
};

// Ends the program after SIGTERM or at the end of the session, without a question:
// the window writes what is unsaved for the next start, then the frame goes. From
// inside a modal dialog, whose loop cannot be left from here, the process ends at once
// once the data is written.
class wxFrame;
class tHauptFenster;
void endWithoutQuestion(wxFrame* frame, tHauptFenster* window);

#endif  // TERMEL_APP_SESSION_END_H_
