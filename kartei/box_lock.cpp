// The lock file protocol: open (creating it), lock without waiting, and make sure the
// file locked is still the one under the name. A holder removes the file before it lets
// go of the lock, so whoever locked the removed file tries again with a new one.
#include "kartei/box_lock.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <cerrno>

#include "kartei/file_texts.h"
#include "storage/file_status.h"
#include "storage/sys_calls.h"

namespace {

// Code page 1252; the first %s names the box, the second the lock file.
const char kHeldElsewhere[] =
    "Die Kartei %s ist in einem anderen Programm ge\xF6"
    "ffnet.";
const char kNoLockFile[] =
    "Die Kartei %s l\xE4sst sich nicht sperren: die Sperrdatei %s kann nicht angelegt werden";
const char kLockFileNotRegular[] =
    "Die Kartei %s l\xE4sst sich nicht sperren: die Sperrdatei %s ist keine gew\xF6hnliche "
    "Datei.";
// Attempts when the lock file keeps being replaced under us.
constexpr int kAttempts = 10;

bool sameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

tBoxLock::tBoxLock() : fd_(-1), errno_(0), notRegular_(false) {}

tBoxLock::~tBoxLock() {
  release();
}

std::string tBoxLock::lockFileOf(const std::string& cardPath) {
  return tBoxIdentity(cardPath).lockFile();
}

tLockState tBoxLock::fail(tLockState state, const tBoxIdentity& box) {
  errno_ = state == tLockState::kError && !notRegular_ ? errno : 0;
  if (state == tLockState::kHeldElsewhere) {
    reason_ = withPath(kHeldElsewhere, box.path());
  } else if (notRegular_) {
    reason_ = withPathAnd(kLockFileNotRegular, box.path(), withPath("%s", box.lockFile()));
  } else {
    reason_ = withPathAnd(kNoLockFile, box.path(), withPath("%s", box.lockFile()));
    if (errno_ != 0) reason_ += ": " + systemErrorText(errno_);
    reason_ += ".";
  }
  return state;
}

// Opens (creating) the lock file without ever waiting on it: a FIFO in its place would
// block a plain open until someone writes to it. Anything but a regular file is refused.
int tBoxLock::openLockFile(const std::string& path) {
  const int fd = sysCalls().openat(AT_FDCWD, path.c_str(),
                                   O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
  if (fd < 0) return fd;
  struct stat st;
  if (sysCalls().fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) return fd;
  const int error = errno;
  notRegular_ = true;
  sysCalls().close(fd);
  errno = error;
  return -1;
}

tLockState tBoxLock::acquire(const tBoxIdentity& box) {
  release();
  errno_ = 0;
  notRegular_ = false;
  reason_.clear();
  const std::string path = box.lockFile();
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    const int fd = openLockFile(path);
    if (fd < 0) return fail(tLockState::kError, box);
    if (sysCalls().flock(fd, LOCK_EX | LOCK_NB) != 0) {
      const int error = errno;
      sysCalls().close(fd);
      errno = error;
      return fail(error == EWOULDBLOCK ? tLockState::kHeldElsewhere : tLockState::kError, box);
    }
    struct stat locked, named;
    if (sysCalls().fstat(fd, &locked) == 0 &&
        sysCalls().fstatat(AT_FDCWD, path.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
        sameFile(locked, named)) {
      fd_ = fd;
      lockPath_ = path;
      if (lockCardFile(box)) return tLockState::kHeld;
      release();
      return fail(tLockState::kHeldElsewhere, box);
    }
    sysCalls().close(fd);  // locked a file its holder had just removed
  }
  errno = EAGAIN;
  return fail(tLockState::kError, box);
}

// A hard-linked name in another folder has a lock file of its own, and nothing here
// can find that name: the card file itself is locked as well, so a program that came
// in through the other name finds the file taken. False only when another holds it;
// a file that cannot be opened or is not there yet leaves the lock file to guard it.
bool tBoxLock::lockCardFile(const tBoxIdentity& box) {
  if (!box.exists()) return true;
  const int fd = sysCalls().openat(AT_FDCWD, box.realPath().c_str(),
                                   O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0);
  if (fd < 0) return true;
  struct stat st;
  if (sysCalls().fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    sysCalls().close(fd);
    return true;
  }
  if (sysCalls().flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const bool taken = errno == EWOULDBLOCK;
    sysCalls().close(fd);
    return !taken;
  }
  cardFd_ = fd;
  return true;
}

void tBoxLock::release() {
  if (cardFd_ >= 0) sysCalls().close(cardFd_);
  cardFd_ = -1;
  if (fd_ < 0) return;
  sysCalls().unlinkat(AT_FDCWD, lockPath_.c_str(), 0);
  sysCalls().close(fd_);
  fd_ = -1;
  lockPath_.clear();
}
