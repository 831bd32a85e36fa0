// Following symbolic links, write protection and file stamps.
#include "storage/file_status.h"

#include <fcntl.h>
#include <limits.h>
#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "storage/sys_calls.h"

namespace {

// As many links as the system itself follows before it gives up with ELOOP.
constexpr int kMaxLinks = 40;

}  // namespace

std::string directoryOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string baseNameOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool resolveLinks(const std::string& path, std::string* resolved) {
  std::string current = path;
  std::vector<char> target(PATH_MAX);
  for (int links = 0; links <= kMaxLinks; ++links) {
    struct stat st;
    if (sysCalls().fstatat(AT_FDCWD, current.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
      if (errno != ENOENT) return false;
      *resolved = current;  // a new file, or a link to one: created where it is named
      return true;
    }
    if (!S_ISLNK(st.st_mode)) {
      *resolved = current;
      return true;
    }
    const ssize_t n =
        sysCalls().readlinkat(AT_FDCWD, current.c_str(), target.data(), target.size());
    if (n < 0) return false;
    if (n == 0 || static_cast<size_t>(n) >= target.size()) {
      errno = ENAMETOOLONG;
      return false;
    }
    const std::string link(target.data(), static_cast<size_t>(n));
    if (link[0] == '/' || current.find('/') == std::string::npos) {
      current = link;
    } else {
      current = directoryOf(current) + "/" + link;
    }
  }
  errno = ELOOP;
  return false;
}

bool isWriteProtected(const std::string& path) {
  if (faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0) return false;
  return errno == EACCES || errno == EROFS || errno == EPERM;
}

tFileStamp tFileStamp::of(const struct stat& st) {
  tFileStamp stamp;
  stamp.known = true;
  stamp.device = st.st_dev;
  stamp.inode = st.st_ino;
  stamp.size = static_cast<int64_t>(st.st_size);
  stamp.modifiedSeconds = static_cast<int64_t>(st.st_mtim.tv_sec);
  stamp.modifiedNanoseconds = static_cast<int64_t>(st.st_mtim.tv_nsec);
  return stamp;
}

tFileStamp tFileStamp::ofPath(const std::string& path) {
  struct stat st;
  if (sysCalls().fstatat(AT_FDCWD, path.c_str(), &st, 0) != 0) return tFileStamp();
  return of(st);
}

bool tFileStamp::operator==(const tFileStamp& other) const {
  if (known != other.known) return false;
  return !known || (device == other.device && inode == other.inode && size == other.size &&
                    modifiedSeconds == other.modifiedSeconds &&
                    modifiedNanoseconds == other.modifiedNanoseconds);
}

bool changedSince(const std::string& path, const tFileStamp& stamp) {
  return tFileStamp::ofPath(path) != stamp;
}

std::string xdgBaseDirectory(const char* variable, const char* fallback) {
  const char* base = std::getenv(variable);
  if (base != nullptr && base[0] == '/') return base;
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] == '\0') {
    const passwd* user = getpwuid(getuid());
    home = user != nullptr ? user->pw_dir : nullptr;
  }
  if (home == nullptr || home[0] == '\0') return "";
  return std::string(home) + "/" + fallback;
}

bool makeDirectories(const std::string& path) {
  if (path.empty()) return false;
  for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
    const std::string part = path.substr(0, slash);
    if (sysCalls().mkdirat(AT_FDCWD, part.c_str(), 0700) != 0 && errno != EEXIST) return false;
    if (slash == std::string::npos) break;
  }
  struct stat st;
  return sysCalls().fstatat(AT_FDCWD, path.c_str(), &st, 0) == 0 && S_ISDIR(st.st_mode);
}
