// tWrittenVersions: the versions of the card files this program wrote last, each by
// what stat tells of the file. A save that replaces such a file, untouched since, need
// not read it again to learn its version, and neither need anyone else who asks. Any
// change to the file (its bytes, size, times, links or name) changes its change time,
// so its version is then read again. Shared by every thread of the program.
#ifndef TERMEL_KARTEI_WRITTEN_VERSIONS_H_
#define TERMEL_KARTEI_WRITTEN_VERSIONS_H_

#include <sys/stat.h>

#include <deque>
#include <mutex>

#include "kartei/version_record.h"

class tWrittenVersions {
 public:
  static tWrittenVersions& ofProcess();
  // The file st describes is of version.
  void remember(const struct stat& st, const tVersionId& version);
  // The version of the file st describes, when it was remembered and the file is
  // unchanged since.
  bool find(const struct stat& st, tVersionId* version) const;
  // a and b describe the same file, unchanged.
  static bool same(const struct stat& a, const struct stat& b);

 private:
  struct tEntry {
    struct stat status;
    tVersionId version;
  };
  static constexpr size_t kKept = 8;

  mutable std::mutex mutex_;
  std::deque<tEntry> entries_;  // newest first
};

#endif  // TERMEL_KARTEI_WRITTEN_VERSIONS_H_
