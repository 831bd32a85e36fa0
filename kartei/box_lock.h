// tBoxLock: shows other programs that a box is open here, and keeps every other writer
// out while it is held. An advisory lock (flock) on a lock file beside the card file,
// ".NAME.lock", named by the box's identity (kartei/box_identity.h), so every path to
// one box meets the same lock. The lock is on a file of its own because a save replaces
// the card file by a rename, which would take a lock on the card file itself away with
// the old file. The card file is locked as well while the lock is held, for its
// hard-linked names in other folders, which meet other lock files.
//
// A lock that cannot be taken (a lock file of another user that this one may not open,
// a directory, FIFO or anything but a regular file in its place, a folder this user may
// not write) is never taken for granted: the box is then only read, and every write
// refused with reason() as the learner reads it. A FIFO in the lock file's place never
// blocks the opening.
//
// The lock dies with the process (and with every descriptor of it), so a crashed
// program never keeps a box locked. It only keeps out programs that ask for it.
#ifndef TERMEL_KARTEI_BOX_LOCK_H_
#define TERMEL_KARTEI_BOX_LOCK_H_

#include <string>

#include "kartei/box_identity.h"

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

  // Locks the box, letting go of a lock held before. Never waits for the lock.
  tLockState acquire(const tBoxIdentity& box);
  // Lets go of the lock and removes the lock file; nothing when none is held.
  void release();
  bool held() const { return fd_ >= 0; }
  // Why the last acquire() failed: the system's error number, 0 when another program
  // holds the lock or something other than a regular file stands in its place.
  int systemError() const { return errno_; }
  // Why the last acquire() did not lock the box, as a sentence naming the box and the
  // lock file (code page 1252); empty after success.
  std::string reason() const { return reason_; }

  // The lock file of a card file: ".NAME.lock" beside the file cardPath names.
  static std::string lockFileOf(const std::string& cardPath);

 private:
  tLockState fail(tLockState state, const tBoxIdentity& box);
  int openLockFile(const std::string& path);
  bool lockCardFile(const tBoxIdentity& box);

  int fd_;
  int cardFd_ = -1;  // the card file as found when locked
  std::string lockPath_;
  int errno_;
  bool notRegular_;
  std::string reason_;
};

#endif  // TERMEL_KARTEI_BOX_LOCK_H_
