// tBackgroundRemoval: removes files on a thread of its own. Removing a large file frees
// all its blocks before unlink returns (tens of milliseconds for a box of a million
// cards), which neither a save nor the window need wait for. Only files that are
// already out of everyone's way are handed over: a removal that a kill cuts short
// leaves a file that is found and removed again later. The removals go past
// storage/sys_calls.h, so they never mix into the system calls of a save.
#ifndef TERMEL_KARTEI_BACKGROUND_REMOVAL_H_
#define TERMEL_KARTEI_BACKGROUND_REMOVAL_H_

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class tBackgroundRemoval {
 public:
  static tBackgroundRemoval& ofProcess();
  ~tBackgroundRemoval() { finish(); }
  // Removes paths after those handed over before; at once when no thread can start.
  void remove(std::vector<std::string> paths);
  // Waits until every file handed over is removed.
  void finish();

 private:
  tBackgroundRemoval() = default;
  void run();

  std::mutex mutex_;
  std::condition_variable done_;
  std::deque<std::string> pending_;
  bool running_ = false;  // worker_ is removing what is pending
  std::thread worker_;
};

#endif  // TERMEL_KARTEI_BACKGROUND_REMOVAL_H_
