// Replacing a file so that a failure never destroys the previous version: the new
// content is written to a temporary file in the target's directory and renamed over
// the target only when it is complete and on disk.
//
//   tSafeReplace r(path);
//   if (!r.begin()) ...;              // r.error(); r.tempPath() now exists, empty
//   ... write r.tempPath() ...
//   if (!r.commit()) ...;             // fsync, rename, fsync the directory
//   if (!r.directorySynced()) ...;    // replaced, but maybe not yet for good
//
// A symbolic link is followed to the file it names, which is replaced in its own
// directory; the link stays. Only regular files (or none) are replaced: a directory,
// FIFO or device is refused by begin() (writeFileReplacing() writes the latter
// directly). The destructor removes the temporary file unless commit() succeeded.
// Temporary names are unique (".NAME.tmp-XXXXXX", NAME shortened when the path would
// get longer than the table code accepts), so a file left behind by a killed process is
// never mistaken for a box and never reused. All system calls go through sysCalls().
#ifndef TERMEL_STORAGE_SAFE_REPLACE_H_
#define TERMEL_STORAGE_SAFE_REPLACE_H_

#include <sys/types.h>

#include <string>

#include "storage/file_status.h"

enum class tReplaceError {
  kNone,
  kIsDirectory,              // the target is a directory
  kNotRegular,               // the target is a FIFO, a device or a socket
  kWriteProtected,           // the target exists and this process may not write it
  kDirectoryWriteProtected,  // no file can be made in the target's directory
  kNameTooLong,              // the target's name is longer than the system allows
  kSystem,                   // a system call failed; systemError() is its errno
};

class tSafeReplace {
 public:
  // Temporary paths are never longer than the table code accepts.
  static constexpr size_t kMaxTempPath = 255;
  // kFollow: a symbolic link is followed to the file it names, which is replaced.
  // kReplaceLink: a symbolic link under the target's name is itself replaced by the
  // new file; the file it named stays as it is.
  enum class tLinks { kFollow, kReplaceLink };

  explicit tSafeReplace(std::string target, tLinks links = tLinks::kFollow);
  ~tSafeReplace();
  tSafeReplace(const tSafeReplace&) = delete;
  tSafeReplace& operator=(const tSafeReplace&) = delete;

  bool begin();
  const std::string& tempPath() const { return temp_; }
  // The file that is replaced: the target with its links followed (known after begin).
  const std::string& resolvedPath() const { return resolved_; }
  // True once the temporary file has the target's name; false when it still has not,
  // and the target is then as it was.
  bool commit();

  tReplaceError error() const { return error_; }
  int systemError() const { return errno_; }
  // After a commit: whether the rename itself reached the disk. Some file systems
  // refuse to sync a directory; the target has been replaced all the same.
  bool directorySynced() const { return directorySynced_; }
  // The new file as committed, for telling later whether someone else changed it.
  const tFileStamp& stamp() const { return stamp_; }

 private:
  bool fail(tReplaceError error);
  bool checkTarget(mode_t* mode);
  bool createTemp();
  std::string tempPrefix() const;
  void discard();

  std::string target_;
  tLinks links_;
  std::string resolved_;
  std::string name_;      // the last component of resolved_
  std::string tempName_;  // the temporary file's name in its directory
  std::string temp_;      // the same for the table code, at most kMaxTempPath long
  mode_t mode_;           // the new file's mode
  int dirFd_;
  bool committed_;
  bool directorySynced_;
  tReplaceError error_;
  int errno_;
  tFileStamp stamp_;
};

// Makes bytes the whole content of path. A regular file (or none) is replaced through
// a tSafeReplace; a FIFO, a device or the like (such as /dev/stdout) cannot be, and is
// written directly. False on any failure, and for a directory.
bool writeFileReplacing(const std::string& path, const std::string& bytes);

#endif  // TERMEL_STORAGE_SAFE_REPLACE_H_
