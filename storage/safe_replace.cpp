// Replacing a file through a temporary file and a rename, in the directory of the
// file a path really names.
#include "storage/safe_replace.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>

#include "storage/sys_calls.h"

namespace {

const char kTempSuffix[] = ".tmp-";
constexpr size_t kRandomLetters = 6;
// "." + at least one letter of the name + suffix + random letters.
constexpr size_t kMinTempName = 2 + sizeof kTempSuffix - 1 + kRandomLetters;
constexpr int kTempAttempts = 100;

// The mode a new file gets from the umask.
mode_t newFileMode() {
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

std::string randomLetters() {
  static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  unsigned char bytes[kRandomLetters];
  if (getrandom(bytes, sizeof bytes, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof bytes)) {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const unsigned long mix =
        static_cast<unsigned long>(now.tv_nsec) ^ (static_cast<unsigned long>(getpid()) << 20);
    for (size_t i = 0; i < sizeof bytes; ++i) bytes[i] = static_cast<unsigned char>(mix >> (i * 5));
  }
  std::string letters;
  for (unsigned char b : bytes) letters += kLetters[b % (sizeof kLetters - 1)];
  return letters;
}

}  // namespace

tSafeReplace::tSafeReplace(std::string target, tLinks links)
    : target_(std::move(target)),
      links_(links),
      mode_(0),
      dirFd_(-1),
      committed_(false),
      directorySynced_(false),
      error_(tReplaceError::kNone),
      errno_(0) {}

tSafeReplace::~tSafeReplace() {
  discard();
}

// Removes an uncommitted temporary file and lets go of the directory. A removal that
// fails is tried once more, so one failed call does not leave the file behind.
void tSafeReplace::discard() {
  if (!committed_ && !tempName_.empty()) {
    for (int attempt = 0; attempt < 2; ++attempt) {
      if (sysCalls().unlinkat(dirFd_, tempName_.c_str(), 0) == 0 || errno == ENOENT) break;
    }
  }
  if (dirFd_ >= 0) sysCalls().close(dirFd_);
  dirFd_ = -1;
  tempName_.clear();
  temp_.clear();
}

bool tSafeReplace::fail(tReplaceError error) {
  error_ = error;
  errno_ = error == tReplaceError::kSystem ? errno : 0;
  return false;
}

bool tSafeReplace::begin() {
  discard();
  committed_ = false;
  directorySynced_ = false;
  error_ = tReplaceError::kNone;
  errno_ = 0;
  if (target_.empty()) {
    errno = ENOENT;
    return fail(tReplaceError::kSystem);
  }
  if (links_ == tLinks::kReplaceLink) {
    resolved_ = target_;
  } else if (!resolveLinks(target_, &resolved_)) {
    return fail(errno == ENAMETOOLONG ? tReplaceError::kNameTooLong : tReplaceError::kSystem);
  }
  name_ = baseNameOf(resolved_);
  if (!checkTarget(&mode_)) return false;
  dirFd_ = sysCalls().openat(AT_FDCWD, directoryOf(resolved_).c_str(),
                             O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
  if (dirFd_ < 0) return fail(tReplaceError::kSystem);
  if (!createTemp()) {
    const int saved = errno;
    discard();
    errno = saved;
    return fail(tReplaceError::kSystem);
  }
  return true;
}

// Refuses what cannot be replaced by a regular file; *mode gets the mode the new file
// is to have: the target's own, or the one the umask gives a new file. The temporary
// file gets it only when complete, so the table code can write it meanwhile whatever
// the mode.
bool tSafeReplace::checkTarget(mode_t* mode) {
  if (name_.empty() || name_ == "." || name_ == "..") return fail(tReplaceError::kIsDirectory);
  if (name_.size() > NAME_MAX) return fail(tReplaceError::kNameTooLong);
  struct stat st;
  const int flags = links_ == tLinks::kReplaceLink ? AT_SYMLINK_NOFOLLOW : 0;
  if (sysCalls().fstatat(AT_FDCWD, resolved_.c_str(), &st, flags) != 0) {
    if (errno != ENOENT) return fail(tReplaceError::kSystem);
    *mode = newFileMode();
  } else if (S_ISLNK(st.st_mode)) {
    *mode = newFileMode();  // a link of its own is replaced, never written through
  } else {
    if (S_ISDIR(st.st_mode)) return fail(tReplaceError::kIsDirectory);
    if (!S_ISREG(st.st_mode)) return fail(tReplaceError::kNotRegular);
    if (isWriteProtected(resolved_)) return fail(tReplaceError::kWriteProtected);
    *mode = st.st_mode & 07777;
  }
  if (isWriteProtected(directoryOf(resolved_))) {
    return fail(tReplaceError::kDirectoryWriteProtected);
  }
  return true;
}

// Where the table code finds the temporary file: beside the target, or, when the
// directory's path leaves no room for a name, through the open directory.
std::string tSafeReplace::tempPrefix() const {
  const size_t slash = resolved_.rfind('/');
  const std::string prefix = slash == std::string::npos ? "" : resolved_.substr(0, slash + 1);
  if (prefix.size() + kMinTempName <= kMaxTempPath) return prefix;
  return "/proc/self/fd/" + std::to_string(dirFd_) + "/";
}

bool tSafeReplace::createTemp() {
  const std::string prefix = tempPrefix();
  const size_t room = std::min<size_t>(NAME_MAX, kMaxTempPath - prefix.size());
  const size_t fixed = 1 + sizeof kTempSuffix - 1 + kRandomLetters;
  const std::string stem = "." + name_.substr(0, room - fixed) + kTempSuffix;
  for (int attempt = 0; attempt < kTempAttempts; ++attempt) {
    const std::string name = stem + randomLetters();
    const int fd =
        sysCalls().openat(dirFd_, name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0 && errno == EEXIST) continue;
    if (fd < 0) return false;
    tempName_ = name;
    temp_ = prefix + name;
    return sysCalls().close(fd) == 0;
  }
  errno = EEXIST;
  return false;
}

bool tSafeReplace::commit() {
  if (tempName_.empty() || committed_) return false;
  const int fd = sysCalls().openat(dirFd_, tempName_.c_str(), O_RDONLY | O_CLOEXEC, 0);
  if (fd < 0) return fail(tReplaceError::kSystem);
  struct stat st;
  bool ok = sysCalls().fchmod(fd, mode_) == 0 && sysCalls().fsync(fd) == 0 &&
            sysCalls().fstat(fd, &st) == 0;
  const int savedErrno = errno;
  ok = sysCalls().close(fd) == 0 && ok;
  if (!ok) {
    errno = savedErrno;
    return fail(tReplaceError::kSystem);
  }
  if (sysCalls().renameat(dirFd_, tempName_.c_str(), dirFd_, name_.c_str()) != 0) {
    return fail(tReplaceError::kSystem);
  }
  committed_ = true;
  stamp_ = tFileStamp::of(st);
  directorySynced_ = sysCalls().fsync(dirFd_) == 0;
  discard();
  return true;
}

bool writeFileReplacing(const std::string& path, const std::string& bytes) {
  struct stat st;
  if (!path.empty() && sysCalls().fstatat(AT_FDCWD, path.c_str(), &st, 0) == 0 &&
      !S_ISREG(st.st_mode)) {
    if (S_ISDIR(st.st_mode)) return false;
    const int fd = sysCalls().openat(AT_FDCWD, path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC, 0);
    if (fd < 0) return false;
    const bool written = writeFully(fd, bytes.data(), bytes.size());
    return sysCalls().close(fd) == 0 && written;
  }
  tSafeReplace replace(path);
  if (!replace.begin()) return false;
  const int fd =
      sysCalls().openat(AT_FDCWD, replace.tempPath().c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC, 0);
  if (fd < 0) return false;
  const bool written = writeFully(fd, bytes.data(), bytes.size());
  return sysCalls().close(fd) == 0 && written && replace.commit();
}
