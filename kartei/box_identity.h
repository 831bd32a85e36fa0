// tBoxIdentity: one box, resolved once when it is opened, and every name kept per box
// derived from that one answer: its lock file, its backups folder, its learning journal,
// its recovery folder and its settings key. An operation (load, save, import, merge)
// resolves the box once and passes this value along, so no step can find another box
// under the same name halfway through.
//
// The card file's path is made absolute and its symbolic links followed (as a save
// follows them); its folder's own links, "." and ".." are resolved where the folder
// exists. The box's name for everything kept per box is that real path, except that a
// card file with further hard-linked names in the same folder is named by the first
// of them in byte order, so every name of one file meets the same lock and the same
// backups. A save replaces the file under the name it was given (by a rename) and then
// links the other names to the new file (linkedNames()), so they stay one box and its
// key stays the same from save to save.
#ifndef TERMEL_KARTEI_BOX_IDENTITY_H_
#define TERMEL_KARTEI_BOX_IDENTITY_H_

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

class tBoxIdentity {
 public:
  tBoxIdentity() = default;  // no box: an unnamed one, never saved yet
  // Resolves the card file at cardPath. Implicit, so a path stands wherever a box is
  // asked for; an operation that takes several steps resolves once and passes the value.
  tBoxIdentity(const std::string& cardPath);  // NOLINT(google-explicit-constructor)
  tBoxIdentity(const char* cardPath)          // NOLINT(google-explicit-constructor)
      : tBoxIdentity(std::string(cardPath != nullptr ? cardPath : "")) {}

  bool empty() const { return given_.empty(); }
  // The path as it was given (relative ones made absolute): what the learner is shown.
  const std::string& path() const { return given_; }
  // The file a save replaces: links followed, folder resolved, absolute.
  const std::string& realPath() const { return real_; }
  // The path every name kept per box is made from (see above).
  const std::string& keyPath() const { return keyPath_; }
  // The card file as found when resolved; 0 when it did not exist.
  dev_t device() const { return device_; }
  ino_t inode() const { return inode_; }
  bool exists() const { return exists_; }
  // The box file beside the card file it really is.
  std::string boxFile() const;
  // The card file's other hard-linked names in its folder, as found when resolved.
  const std::vector<std::string>& linkedNames() const { return linkedNames_; }

  // "NAME-HHHHHHHHHHHHHHHH": the box's name (at most 64 bytes of it) and a 64-bit
  // FNV-1a hash of keyPath(): short, and different for boxes of one name in different
  // folders. Names the journal and the recovery folder.
  std::string key() const;
  // ".NAME.lock" beside keyPath(), NAME cut to fit a file name.
  std::string lockFile() const;
  // The box's own folder below a backup store's directory: keyPath() with '%' and '/'
  // written as "%25" and "%2F" (a path too long for one name is cut at its front and
  // told apart by its hash).
  std::string backupsFolder(const std::string& storeDirectory) const;
  // $XDG_DATA_HOME/termel/history/KEY.verlauf; empty without a home.
  std::string journalFile() const;
  // $XDG_STATE_HOME/termel/recovery/KEY (~/.local/state/... without it): where what
  // is not yet saved of this box is kept; empty without a home.
  std::string recoveryFolder() const;
  // The key under which settings of this box (such as its translation's language) are
  // kept: keyPath().
  const std::string& settingsKey() const { return keyPath_; }

  // Both name the same box.
  bool operator==(const tBoxIdentity& other) const { return keyPath_ == other.keyPath_; }
  bool operator!=(const tBoxIdentity& other) const { return !(*this == other); }

 private:
  std::string given_;
  std::string real_;
  std::string keyPath_;
  std::vector<std::string> linkedNames_;
  dev_t device_ = 0;
  ino_t inode_ = 0;
  bool exists_ = false;
};

// A path made absolute against the working directory ("." and ".." kept as they are).
std::string absolutePath(const std::string& path);
// A 64-bit FNV-1a hash of a path, for names that must stay short.
uint64_t pathHash(const std::string& path);

#endif  // TERMEL_KARTEI_BOX_IDENTITY_H_
