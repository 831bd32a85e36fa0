// The lock file protocol: open (creating it), lock without waiting, and make sure the
// file locked is still the one under the name. A holder removes the file before it lets
// go of the lock, so whoever locked the removed file tries again with a new one.
#include "kartei/box_lock.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <cerrno>

#include "storage/file_status.h"
#include "storage/sys_calls.h"

namespace {

const char kLockSuffix[] = ".lock";
// Attempts when the lock file keeps being replaced under us.
constexpr int kAttempts = 10;

bool sameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

tBoxLock::tBoxLock() : fd_(-1), errno_(0) {}

tBoxLock::~tBoxLock() {
  release();
}

std::string tBoxLock::lockFileOf(const std::string& cardPath) {
  std::string resolved;
  if (!resolveLinks(cardPath, &resolved)) resolved = cardPath;
  const size_t slash = resolved.rfind('/');
  const std::string prefix = slash == std::string::npos ? "" : resolved.substr(0, slash + 1);
  std::string name = baseNameOf(resolved);
  const size_t room = NAME_MAX - 1 - (sizeof kLockSuffix - 1);
  if (name.size() > room) name.resize(room);
  return prefix + "." + name + kLockSuffix;
}

tLockState tBoxLock::fail(tLockState state) {
  errno_ = state == tLockState::kError ? errno : 0;
  return state;
}

tLockState tBoxLock::acquire(const std::string& cardPath) {
  release();
  errno_ = 0;
  const std::string path = lockFileOf(cardPath);
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    const int fd = sysCalls().openat(AT_FDCWD, path.c_str(),
                                     O_RDONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) return fail(tLockState::kError);
    if (sysCalls().flock(fd, LOCK_EX | LOCK_NB) != 0) {
      const int error = errno;
      sysCalls().close(fd);
      errno = error;
      return fail(error == EWOULDBLOCK ? tLockState::kHeldElsewhere : tLockState::kError);
    }
    struct stat locked, named;
    if (sysCalls().fstat(fd, &locked) == 0 &&
        sysCalls().fstatat(AT_FDCWD, path.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
        sameFile(locked, named)) {
      fd_ = fd;
      lockPath_ = path;
      return tLockState::kHeld;
    }
    sysCalls().close(fd);  // locked a file its holder had just removed
  }
  errno = EAGAIN;
  return fail(tLockState::kError);
}

void tBoxLock::release() {
  if (fd_ < 0) return;
  sysCalls().unlinkat(AT_FDCWD, lockPath_.c_str(), 0);
  sysCalls().close(fd_);
  fd_ = -1;
  lockPath_.clear();
}
