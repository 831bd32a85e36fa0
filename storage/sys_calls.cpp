// The C library's system calls behind tSysCalls, and the one pointer a test may turn.
#include "storage/sys_calls.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace {

int libcOpenat(int dirFd, const char* path, int flags, mode_t mode) {
  return ::openat(dirFd, path, flags, mode);
}

const tSysCalls kLibc = {
    libcOpenat, ::close,  ::read,   ::pread,   ::write,      ::lseek,
    ::fsync,    ::fchmod, ::fstat,  ::fstatat, ::readlinkat, ::renameat,
    ::unlinkat, ::flock,  ::linkat, ::mkdirat, ::futimens,
};

const tSysCalls* current = &kLibc;

}  // namespace

const tSysCalls& sysCalls() {
  return *current;
}

const tSysCalls& libcSysCalls() {
  return kLibc;
}

void replaceSysCallsForTesting(const tSysCalls* calls) {
  current = calls != nullptr ? calls : &kLibc;
}

bool writeFully(int fd, const void* data, size_t size) {
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t n = sysCalls().write(fd, bytes, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}
