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

std::string absolute(const std::string& path) {
  if (!path.empty() && path[0] == '/') return path;
  char cwd[PATH_MAX];
  if (getcwd(cwd, sizeof cwd) == nullptr) return path;
  return std::string(cwd) + "/" + path;
}

uint64_t fnv1a(const std::string& text) {
  uint64_t hash = 14695981039346656037ull;
  for (unsigned char c : text) {
    hash ^= c;
    hash *= 1099511628211ull;
  }
  return hash;
}

}  // namespace

std::string realBoxPath(const std::string& cardPath) {
  std::string resolved = real(cardPath);
  if (!resolved.empty()) return resolved;
  // Not there (yet): its directory is, or the path is taken as it stands.
  const std::string directory = real(directoryOf(cardPath));
  if (!directory.empty()) {
    return (directory == "/" ? directory : directory + "/") + baseNameOf(cardPath);
  }
  return absolute(cardPath);
}

std::string boxKeyOf(const std::string& cardPath) {
  const std::string real = realBoxPath(cardPath);
  std::string name = boxNameOf(real).substr(0, kMaxNameBytes);
  char hash[24];
  std::snprintf(hash, sizeof hash, "-%016llx", static_cast<unsigned long long>(fnv1a(real)));
  return name + hash;
}
