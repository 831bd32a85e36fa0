// tBoxLock: shows other programs that a box is open here. An advisory lock (flock) on a
// lock file beside the card file, ".NAME.lock", named after the file the card file's
// path really names, so every path to one box meets the same lock. The lock is on a
// file of its own because a save replaces the card file by a rename, which would take
// a lock on the card file itself away with the old file.
//
// The lock dies with the process (and with every descriptor of it), so a crashed
// program never keeps a box locked. It only keeps out programs that ask for it.
#ifndef TERMEL_KARTEI_BOX_LOCK_H_
#define TERMEL_KARTEI_BOX_LOCK_H_

#include <string>

enum class tLockState {
  kHeld,           // this object holds the lock
  kHeldElsewhere,  // another program (or another tBoxLock) holds it
  kError,          // no lock could be taken, systemError() says why (such as a
                   // read-only directory); the box may still be opened read-only
};

class tBoxLock {
 public:
  tBoxLock();
  ~tBoxLock();  // releases the lock
  tBoxLock(const tBoxLock&) = delete;
  tBoxLock& operator=(const tBoxLock&) = delete;

  // Locks the box of the card file cardPath, letting go of a lock held before. Never
  // waits for the lock.
  tLockState acquire(const std::string& cardPath);
  // Lets go of the lock and removes the lock file; nothing when none is held.
  void release();
  bool held() const { return fd_ >= 0; }
  int systemError() const { return errno_; }

  // The lock file of a card file: ".NAME.lock" beside the file cardPath names.
  static std::string lockFileOf(const std::string& cardPath);

 private:
  tLockState fail(tLockState state);

  int fd_;
  std::string lockPath_;
  int errno_;
};

#endif  // TERMEL_KARTEI_BOX_LOCK_H_
