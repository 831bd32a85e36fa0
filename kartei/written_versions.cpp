#include "kartei/written_versions.h"

#include <algorithm>

tWrittenVersions& tWrittenVersions::ofProcess() {
  static tWrittenVersions versions;
  return versions;
}

bool tWrittenVersions::same(const struct stat& a, const struct stat& b) {
  const auto equal = [](const struct timespec& x, const struct timespec& y) {
    return x.tv_sec == y.tv_sec && x.tv_nsec == y.tv_nsec;
  };
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
         equal(a.st_mtim, b.st_mtim) && equal(a.st_ctim, b.st_ctim);
}

void tWrittenVersions::remember(const struct stat& st, const tVersionId& version) {
  std::lock_guard<std::mutex> lock(mutex_);
  entries_.erase(std::remove_if(entries_.begin(), entries_.end(),
                                [&st](const tEntry& entry) {
                                  return entry.status.st_dev == st.st_dev &&
                                         entry.status.st_ino == st.st_ino;
                                }),
                 entries_.end());
  entries_.push_front({st, version});
  if (entries_.size() > kKept) entries_.pop_back();
}

bool tWrittenVersions::find(const struct stat& st, tVersionId* version) const {
  std::lock_guard<std::mutex> lock(mutex_);
  for (const tEntry& entry : entries_) {
    if (!same(entry.status, st)) continue;
    *version = entry.version;
    return true;
  }
  return false;
}
