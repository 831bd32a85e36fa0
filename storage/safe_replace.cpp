#include "storage/safe_replace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <vector>

namespace {

// Temporary names are kept within the length the table code accepts, so a target that
// can be saved directly can also be saved through a temporary file.
constexpr size_t kMaxPath = 255;
const char kTempSuffix[] = ".tmp-XXXXXX";

std::string directoryOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string tempTemplate(const std::string& target) {
  const size_t slash = target.rfind('/');
  const std::string prefix = slash == std::string::npos ? "" : target.substr(0, slash + 1);
  std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
  const size_t fixed = prefix.size() + 1 + sizeof kTempSuffix - 1;
  if (fixed + name.size() > kMaxPath && fixed < kMaxPath) name.resize(kMaxPath - fixed);
  return prefix + "." + name + kTempSuffix;
}

// New files get the mode the target has, or the one the umask gives a new file.
mode_t modeFor(const std::string& target) {
  struct stat st;
  if (stat(target.c_str(), &st) == 0) return st.st_mode & 07777;
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

bool syncPath(const std::string& path, int flags) {
  const int fd = ::open(path.c_str(), flags | O_CLOEXEC);
  if (fd < 0) return false;
  const bool synced = fsync(fd) == 0;
  return (::close(fd) == 0) && synced;
}

}  // namespace

tSafeReplace::tSafeReplace(std::string target) : target_(std::move(target)), committed_(false) {}

tSafeReplace::~tSafeReplace() {
  if (!committed_ && !temp_.empty()) unlink(temp_.c_str());
}

bool tSafeReplace::begin() {
  if (!committed_ && !temp_.empty()) unlink(temp_.c_str());
  temp_.clear();
  committed_ = false;
  if (target_.empty()) return false;
  std::string pattern = tempTemplate(target_);
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  const int fd = mkstemp(name.data());
  if (fd < 0) return false;
  temp_ = name.data();
  const bool ok = fchmod(fd, modeFor(target_)) == 0;
  if (::close(fd) != 0 || !ok) {
    unlink(temp_.c_str());
    temp_.clear();
    return false;
  }
  return true;
}

bool tSafeReplace::commit() {
  if (temp_.empty() || committed_) return false;
  if (!syncPath(temp_, O_RDONLY)) return false;
  if (std::rename(temp_.c_str(), target_.c_str()) != 0) return false;
  committed_ = true;
  return syncPath(directoryOf(target_), O_RDONLY | O_DIRECTORY);
}

bool replaceFileWith(const std::string& path, const std::string& bytes) {
  tSafeReplace replace(path);
  if (!replace.begin()) return false;
  const int fd = ::open(replace.tempPath().c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = true;
  for (size_t done = 0; ok && done < bytes.size();) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    ok = n > 0;
    if (ok) done += static_cast<size_t>(n);
  }
  ok = ::close(fd) == 0 && ok;
  return ok && replace.commit();
}
