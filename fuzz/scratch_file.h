// The one file a fuzz target hands its input through to code that reads files by
// name. It lives on /dev/shm, in memory, so writing it each run costs no disk, and
// is removed at exit.
#ifndef TERMEL_FUZZ_SCRATCH_FILE_H_
#define TERMEL_FUZZ_SCRATCH_FILE_H_

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

inline const std::string& scratchFile() {
  static const std::string path = [] {
    char name[] = "/dev/shm/termel-fuzz-XXXXXX";
    const int fd = mkstemp(name);
    if (fd < 0) std::abort();
    close(fd);
    std::atexit([] { unlink(scratchFile().c_str()); });
    return std::string(name);
  }();
  return path;
}

// Replaces the scratch file's content with the input; false when that failed.
inline bool writeScratchFile(const uint8_t* data, size_t size) {
  std::FILE* f = std::fopen(scratchFile().c_str(), "wb");
  if (f == nullptr) return false;
  const bool ok = std::fwrite(data, 1, size, f) == size;
  return std::fclose(f) == 0 && ok;
}

#endif  // TERMEL_FUZZ_SCRATCH_FILE_H_
