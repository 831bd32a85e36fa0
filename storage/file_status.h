// What the program needs to know about a box's file before it writes it: which file a
// path really names (symbolic links followed), whether this user may write it, and a
// stamp that tells whether someone else has changed it since it was loaded or saved.
#ifndef TERMEL_STORAGE_FILE_STATUS_H_
#define TERMEL_STORAGE_FILE_STATUS_H_

#include <sys/stat.h>
#include <sys/types.h>

#include <cstdint>
#include <string>

// The path of the file that path names: symbolic links in its last component are
// followed, link by link, a relative link taken from the link's directory. A missing
// file (or a link to one) is named as it stands. False with errno set for a loop of
// links (ELOOP) or a link that cannot be read.
bool resolveLinks(const std::string& path, std::string* resolved);

// Directory part and name of a path: "a/b.trm" gives "a" and "b.trm", "b.trm" gives "."
// and "b.trm", "/b.trm" gives "/" and "b.trm".
std::string directoryOf(const std::string& path);
std::string baseNameOf(const std::string& path);
// A base directory of the XDG convention: $variable when it holds an absolute path,
// else fallback (such as ".local/share") under the user's home; empty when there is
// no home either.
std::string xdgBaseDirectory(const char* variable, const char* fallback);

// Makes directory path and every missing directory above it (mode 0700); true when
// path is a directory afterwards.
bool makeDirectories(const std::string& path);

// True when the file exists and this process may not write it (its mode or a read-only
// file system forbids it).
bool isWriteProtected(const std::string& path);

// Which file, of what size, last modified when. Equal stamps mean the file was not
// replaced or written in between (as far as the file system's clock can tell).
struct tFileStamp {
  bool known = false;  // false: the file did not exist or could not be looked at
  dev_t device = 0;
  ino_t inode = 0;
  int64_t size = 0;
  int64_t modifiedSeconds = 0;
  int64_t modifiedNanoseconds = 0;

  static tFileStamp of(const struct stat& st);
  // The stamp of the file path names now (links followed).
  static tFileStamp ofPath(const std::string& path);
  bool operator==(const tFileStamp& other) const;
  bool operator!=(const tFileStamp& other) const { return !(*this == other); }
};

// True when the file at path is no longer the one stamp describes: replaced, written,
// removed or created since. False when stamp is unknown and there is still no file.
bool changedSince(const std::string& path, const tFileStamp& stamp);

#endif  // TERMEL_STORAGE_FILE_STATUS_H_
