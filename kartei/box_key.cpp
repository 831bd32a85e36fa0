#include "kartei/box_key.h"

#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>

#include "kartei/box_file_name.h"
#include "storage/file_status.h"

namespace {

constexpr size_t kMaxNameBytes = 64;

std::string real(const std::string& path) {
  char* resolved = realpath(path.c_str(), nullptr);
  if (resolved == nullptr) return std::string();
  std::string result = resolved;
  std::free(resolved);
  return result;
}

}  // namespace

std::string realBoxPath(const std::string& cardPath) {
  std::string resolved;
  if (!resolveLinks(cardPath, &resolved)) resolved = cardPath;
  std::string directory = real(directoryOf(resolved));
  if (directory.empty()) {
    // Not there (yet): the path is taken as it stands, made absolute.
    directory = directoryOf(resolved);
    char cwd[PATH_MAX];
    if (directory[0] != '/' && getcwd(cwd, sizeof cwd) != nullptr) {
      directory = std::string(cwd) + "/" + directory;
    }
  }
  return (directory == "/" ? "" : directory) + "/" + baseNameOf(resolved);
}

uint64_t pathHash(const std::string& path) {
  uint64_t hash = 14695981039346656037ull;  // FNV-1a
  for (unsigned char c : path) hash = (hash ^ c) * 1099511628211ull;
  return hash;
}

std::string boxKeyOf(const std::string& cardPath) {
  const std::string real = realBoxPath(cardPath);
  std::string name = boxNameOf(real).substr(0, kMaxNameBytes);
  char hash[24];
  std::snprintf(hash, sizeof hash, "-%016llx", static_cast<unsigned long long>(pathHash(real)));
  return name + hash;
}
