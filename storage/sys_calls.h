// The system calls through which every file of a box is written, read, synced and
// renamed, its backups included. The table code, the safe replacement and the box lock call them
// here rather than directly, so a test can stand in a table of its own and make any one call fail,
// or end the process at it, to prove that no failure costs the learner a saved box.
//
// In the program the table is the C library's, fixed for the whole run; a test that
// replaces it restores it before it ends. Not thread-safe: the program is one thread.
#ifndef TERMEL_STORAGE_SYS_CALLS_H_
#define TERMEL_STORAGE_SYS_CALLS_H_

#include <sys/stat.h>
#include <sys/types.h>

struct tSysCalls {
  int (*openat)(int dirFd, const char* path, int flags, mode_t mode);
  int (*close)(int fd);
  ssize_t (*read)(int fd, void* data, size_t size);
  ssize_t (*pread)(int fd, void* data, size_t size, off_t offset);
  ssize_t (*write)(int fd, const void* data, size_t size);
  off_t (*lseek)(int fd, off_t offset, int whence);
  int (*fsync)(int fd);
  int (*fchmod)(int fd, mode_t mode);
  int (*fstat)(int fd, struct stat* st);
  int (*fstatat)(int dirFd, const char* path, struct stat* st, int flags);
  ssize_t (*readlinkat)(int dirFd, const char* path, char* buffer, size_t size);
  int (*renameat)(int fromDir, const char* from, int toDir, const char* to);
  int (*unlinkat)(int dirFd, const char* path, int flags);
  int (*flock)(int fd, int operation);
  // Backups link the replaced file, make their folders and copy across file systems.
  int (*linkat)(int fromDir, const char* from, int toDir, const char* to, int flags);
  int (*mkdirat)(int dirFd, const char* path, mode_t mode);
  int (*futimens)(int fd, const struct timespec times[2]);
};

// The table in use.
const tSysCalls& sysCalls();
// The C library's table.
const tSysCalls& libcSysCalls();
// For tests: use calls instead of the C library's (nullptr: the C library's again).
// calls must stay alive while it is in use.
void replaceSysCallsForTesting(const tSysCalls* calls);

// Writes all size bytes through sysCalls(), carrying on after short writes and
// interruptions; false on the first failure.
bool writeFully(int fd, const void* data, size_t size);

#endif  // TERMEL_STORAGE_SYS_CALLS_H_
