// tHashThread: the versions (kartei/version_record.h) of the two files a save handles,
// the card file it replaces and the one it writes, hashed on a thread of its own from
// the pieces the save hands over as it reads and writes them. The save waits for
// neither hash while there is a second core; every system call stays with the save,
// in its order. Without a thread (none could be started) the pieces are hashed at once.
#ifndef TERMEL_KARTEI_HASH_THREAD_H_
#define TERMEL_KARTEI_HASH_THREAD_H_

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "kartei/version_record.h"

class tHashThread {
 public:
  enum tStream { kReplaced = 0, kWritten = 1 };

  tHashThread();
  ~tHashThread();
  tHashThread(const tHashThread&) = delete;
  tHashThread& operator=(const tHashThread&) = delete;

  // Hands over the next piece of stream; waits while many pieces are still unhashed,
  // so the pieces in flight take little memory.
  void add(tStream stream, std::vector<unsigned char> piece);
  // A piece already hashed, to be filled again (an empty one when there is none yet):
  // the pieces go round instead of being allocated anew.
  std::vector<unsigned char> spare();
  // The version of all pieces of stream handed over, once they are hashed.
  tVersionId version(tStream stream);

 private:
  using tPiece = std::pair<tStream, std::vector<unsigned char>>;
  static constexpr size_t kMostWaiting = 16;

  void run();

  std::mutex mutex_;
  std::condition_variable work_;  // a piece waits, or the thread is to stop
  std::condition_variable room_;  // the queue has room again, or is done
  std::deque<tPiece> waiting_;
  std::vector<std::vector<unsigned char>> spares_;
  bool hashing_ = false;  // a piece taken from waiting_ is being hashed
  bool stop_ = false;
  tVersionHash hashes_[2];
  std::thread thread_;
};

#endif  // TERMEL_KARTEI_HASH_THREAD_H_
