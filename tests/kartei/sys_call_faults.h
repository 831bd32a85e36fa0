// Fault injection for tests of saves: a table of system calls (storage/sys_calls.h)
// that counts every call and makes the chosen one fail, come up short, or end the
// process, as if killed there. Only used in one process at a time.
#ifndef TERMEL_TESTS_KARTEI_SYS_CALL_FAULTS_H_
#define TERMEL_TESTS_KARTEI_SYS_CALL_FAULTS_H_

#include <errno.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include "storage/sys_calls.h"

// The exit code of a process ended at a call.
constexpr int kEndedAtFault = 13;

enum class tFault {
  kNone,
  kFail,            // the call fails
  kFailAndCleanup,  // the call fails, and so does the first removal after it
  kEnd,             // the process ends at the call, as if killed
  kShort,           // a read or write moves only part of the bytes, as it may
};

// Counts the calls and strikes at the one chosen.
struct tInjector {
  long calls = 0;
  long at = 0;
  tFault fault = tFault::kNone;
  bool failNextRemoval = false;
  bool shortNow = false;
  // Links refused as by another file system, so backups are copied.
  bool linksRefused = false;
  std::vector<std::string> names;  // of every call, in order
};
inline tInjector injector;

inline bool strike(const char* name) {
  ++injector.calls;
  injector.names.push_back(name);
  injector.shortNow = false;
  if (injector.fault == tFault::kNone || injector.calls != injector.at) return false;
  if (injector.fault == tFault::kEnd) _exit(kEndedAtFault);
  if (injector.fault == tFault::kShort) {
    injector.shortNow = true;
    return false;
  }
  injector.failNextRemoval = injector.fault == tFault::kFailAndCleanup;
  errno = EIO;
  return true;
}

// The bytes a read or write moves: half of them when the call is to come up short.
inline size_t ioSize(size_t n) {
  return injector.shortNow && n > 1 ? n / 2 : n;
}

inline const tSysCalls& libc() {
  return libcSysCalls();
}

inline int faultyOpenat(int d, const char* p, int f, mode_t m) {
  return strike("openat") ? -1 : libc().openat(d, p, f, m);
}
inline int faultyClose(int fd) {
  // A failing close still closes, as on Linux.
  if (strike("close")) {
    libc().close(fd);
    return -1;
  }
  return libc().close(fd);
}
inline ssize_t faultyRead(int fd, void* b, size_t n) {
  return strike("read") ? -1 : libc().read(fd, b, ioSize(n));
}
inline ssize_t faultyPread(int fd, void* b, size_t n, off_t o) {
  return strike("pread") ? -1 : libc().pread(fd, b, ioSize(n), o);
}
inline ssize_t faultyWrite(int fd, const void* b, size_t n) {
  if (strike("write")) {
    errno = ENOSPC;
    return -1;
  }
  return libc().write(fd, b, ioSize(n));
}
inline off_t faultyLseek(int fd, off_t o, int w) {
  return strike("lseek") ? -1 : libc().lseek(fd, o, w);
}
inline int faultyFsync(int fd) {
  return strike("fsync") ? -1 : libc().fsync(fd);
}
inline int faultyFchmod(int fd, mode_t m) {
  return strike("fchmod") ? -1 : libc().fchmod(fd, m);
}
inline int faultyFstat(int fd, struct stat* st) {
  return strike("fstat") ? -1 : libc().fstat(fd, st);
}
inline int faultyFstatat(int d, const char* p, struct stat* st, int f) {
  return strike("fstatat") ? -1 : libc().fstatat(d, p, st, f);
}
inline ssize_t faultyReadlinkat(int d, const char* p, char* b, size_t n) {
  return strike("readlinkat") ? -1 : libc().readlinkat(d, p, b, n);
}
inline int faultyRenameat(int fd, const char* f, int td, const char* t) {
  return strike("renameat") ? -1 : libc().renameat(fd, f, td, t);
}
inline int faultyUnlinkat(int d, const char* p, int f) {
  if (strike("unlinkat") || injector.failNextRemoval) {
    injector.failNextRemoval = false;
    errno = EIO;
    return -1;
  }
  return libc().unlinkat(d, p, f);
}
inline int faultyFlock(int fd, int op) {
  return strike("flock") ? -1 : libc().flock(fd, op);
}

inline int faultyLinkat(int fd, const char* f, int td, const char* t, int flags) {
  if (strike("linkat")) return -1;
  if (injector.linksRefused) {
    errno = EXDEV;
    return -1;
  }
  return libc().linkat(fd, f, td, t, flags);
}
inline int faultyMkdirat(int d, const char* p, mode_t m) {
  return strike("mkdirat") ? -1 : libc().mkdirat(d, p, m);
}
inline int faultyFutimens(int fd, const struct timespec t[2]) {
  return strike("futimens") ? -1 : libc().futimens(fd, t);
}

inline const tSysCalls kFaulty = {
    faultyOpenat,   faultyClose,  faultyRead,   faultyPread,   faultyWrite,      faultyLseek,
    faultyFsync,    faultyFchmod, faultyFstat,  faultyFstatat, faultyReadlinkat, faultyRenameat,
    faultyUnlinkat, faultyFlock,  faultyLinkat, faultyMkdirat, faultyFutimens,
};

// Runs body in a child process with the injector armed to strike call number at with
// fault; the child's exit code (body's result, or kEndedAtFault), -1 when it did not
// exit.
inline int runWithFault(long at, tFault fault, const std::function<int()>& body) {
  const pid_t pid = fork();
  if (pid == 0) {
    injector = tInjector();
    injector.at = at;
    injector.fault = fault;
    replaceSysCallsForTesting(&kFaulty);
    const int code = body();
    replaceSysCallsForTesting(nullptr);
    _exit(code);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

#endif  // TERMEL_TESTS_KARTEI_SYS_CALL_FAULTS_H_
