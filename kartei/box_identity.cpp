// Resolving a box once, and the names made from the answer.
#include "kartei/box_identity.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "kartei/box_file_name.h"
#include "storage/file_status.h"
#include "storage/sys_calls.h"

namespace {

constexpr size_t kMaxNameBytes = 64;
const char kLockSuffix[] = ".lock";
// Folder names longer than this are cut at the front and carry a hash.
constexpr size_t kMaxFolderName = 200;
constexpr size_t kKeptTail = 160;

std::string real(const std::string& path) {
  char* resolved = realpath(path.c_str(), nullptr);
  if (resolved == nullptr) return std::string();
  std::string result = resolved;
  std::free(resolved);
  return result;
}

std::string inFolder(const std::string& folder, const std::string& name) {
  return (folder == "/" ? "" : folder) + "/" + name;
}

// Links followed, the folder resolved where it exists, absolute.
std::string realCardPath(const std::string& cardPath) {
  std::string resolved;
  if (!resolveLinks(cardPath, &resolved)) resolved = cardPath;
  std::string directory = real(directoryOf(resolved));
  // Not there (yet): the path is taken as it stands, made absolute.
  if (directory.empty()) directory = absolutePath(directoryOf(resolved));
  return inFolder(directory, baseNameOf(resolved));
}

// The other names, in the folder of path, of the regular file st describes.
std::vector<std::string> otherLinkedNames(const std::string& path, const struct stat& st) {
  std::vector<std::string> names;
  const std::string folder = directoryOf(path);
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return names;
  while (const dirent* entry = readdir(dir)) {
    const std::string candidate = inFolder(folder, entry->d_name);
    if (entry->d_ino != st.st_ino || candidate == path) continue;
    struct stat other;
    if (sysCalls().fstatat(AT_FDCWD, candidate.c_str(), &other, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISREG(other.st_mode) && other.st_dev == st.st_dev && other.st_ino == st.st_ino) {
      names.push_back(candidate);
    }
  }
  closedir(dir);
  return names;
}

std::string escapedPath(const std::string& path) {
  std::string name;
  for (char c : path) {
    if (c == '%') {
      name += "%25";
    } else if (c == '/') {
      name += "%2F";
    } else {
      name += c;
    }
  }
  return name;
}

std::string hashText(const std::string& path, const char* format) {
  char hash[24];
  std::snprintf(hash, sizeof hash, format, static_cast<unsigned long long>(pathHash(path)));
  return hash;
}

std::string underBase(const char* variable, const char* fallback, const std::string& rest) {
  const std::string base = xdgBaseDirectory(variable, fallback);
  return base.empty() ? base : base + rest;
}

}  // namespace

std::string absolutePath(const std::string& path) {
  if (path.empty() || path[0] == '/') return path;
  char cwd[PATH_MAX];
  if (getcwd(cwd, sizeof cwd) == nullptr) return path;
  return std::string(cwd) + "/" + path;
}

uint64_t pathHash(const std::string& path) {
  uint64_t hash = 14695981039346656037ull;  // FNV-1a
  for (unsigned char c : path) hash = (hash ^ c) * 1099511628211ull;
  return hash;
}

tBoxIdentity::tBoxIdentity(const std::string& cardPath)
    : given_(absolutePath(cardPath)), real_(realCardPath(cardPath)), keyPath_(real_) {
  if (cardPath.empty()) {
    real_.clear();
    keyPath_.clear();
    return;
  }
  struct stat st;
  if (sysCalls().fstatat(AT_FDCWD, real_.c_str(), &st, 0) != 0) return;
  exists_ = true;
  device_ = st.st_dev;
  inode_ = st.st_ino;
  if (!S_ISREG(st.st_mode) || st.st_nlink < 2) return;
  linkedNames_ = otherLinkedNames(real_, st);
  for (const std::string& name : linkedNames_) keyPath_ = std::min(keyPath_, name);
}

std::string tBoxIdentity::boxFile() const {
  return boxFileName(real_);
}

std::string tBoxIdentity::key() const {
  return boxNameOf(keyPath_).substr(0, kMaxNameBytes) + hashText(keyPath_, "-%016llx");
}

std::string tBoxIdentity::lockFile() const {
  std::string name = baseNameOf(keyPath_);
  const size_t room = NAME_MAX - 1 - (sizeof kLockSuffix - 1);
  if (name.size() > room) name.resize(room);
  return inFolder(directoryOf(keyPath_), "." + name + kLockSuffix);
}

std::string tBoxIdentity::backupsFolder(const std::string& storeDirectory) const {
  std::string name = escapedPath(keyPath_);
  if (name.size() > kMaxFolderName) {
    name = hashText(keyPath_, "%016llx~") + name.substr(name.size() - kKeptTail);
  }
  return storeDirectory + "/" + name;
}

std::string tBoxIdentity::journalFile() const {
  return underBase("XDG_DATA_HOME", ".local/share", "/termel/history/" + key() + ".verlauf");
}

std::string tBoxIdentity::recoveryFolder() const {
  return underBase("XDG_STATE_HOME", ".local/state", "/termel/recovery/" + key());
}
