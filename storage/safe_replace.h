// Replacing a file so that a failure never destroys the previous version: the new
// content is written to a temporary file in the target's directory and renamed over
// the target only when it is complete and on disk.
//
//   tSafeReplace r(path);
//   if (!r.begin()) ...;              // r.tempPath() now exists, empty
//   ... write r.tempPath() ...
//   if (!r.commit()) ...;             // fsync, rename, fsync the directory
//
// The destructor removes the temporary file unless commit() succeeded. Temporary
// names are unique (".NAME.tmp-XXXXXX"), so a file left behind by a killed process is
// never mistaken for a box and never reused.
#ifndef TERMEL_STORAGE_SAFE_REPLACE_H_
#define TERMEL_STORAGE_SAFE_REPLACE_H_

#include <string>

class tSafeReplace {
 public:
  explicit tSafeReplace(std::string target);
  ~tSafeReplace();
  tSafeReplace(const tSafeReplace&) = delete;
  tSafeReplace& operator=(const tSafeReplace&) = delete;

  bool begin();
  const std::string& tempPath() const { return temp_; }
  bool commit();

 private:
  std::string target_;
  std::string temp_;
  bool committed_;
};

// Writes bytes as the new content of path through a tSafeReplace. False when
// anything failed; the previous file is then still there, unchanged.
bool replaceFileWith(const std::string& path, const std::string& bytes);

#endif  // TERMEL_STORAGE_SAFE_REPLACE_H_
