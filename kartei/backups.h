// Backups of card files: before a save replaces a card file, the version it replaces
// (card file and box file) is kept in the box's own backup folder, named after the box
// and the time of that version ("NAME-YYYYMMDD-HHMMSS.trm" and ".kas", local time).
//
// Each box has a folder of its own below the store's directory, named after the path
// of the card file it really is (links followed, made absolute): two boxes of the same
// name in different folders never share backups, and every path to one box, through a
// link or not, finds the same ones. list() shows and prune() removes only the box's own.
//
// The replaced file itself is kept: a hard link to it, made before the save renames its
// new file over it, so a backup costs no write; where no link can be made (another file
// system) the file is copied. A second version with the same name (saved within the
// same second) gets a suffix ("-2", "-3", ...); the same version is never kept twice.
//
// Per box the 10 newest backups and the newest of each of the last 30 days are kept;
// prune() removes the others, and what a killed prune or copy left: a box file whose
// card file is gone, and the ".part" file of a copy cut short. A file adopted from outside
// (adopt(), such as a sync tool's conflict copy of the box) is marked "-kopie" and never pruned.
//
// Backups kept before boxes had folders of their own lie directly in the store's
// directory ("NAME-YYYYMMDD-HHMMSS.trm"). Which box they belong to cannot be told from
// their names, so they are left where they are: never listed, never pruned, never
// removed; the learner can still open them by hand.
//
// Every system call goes through storage/sys_calls.h, like those of the save itself.
// Nothing here changes theCardBox. A tBackupStore only holds its directory's path.
#ifndef TERMEL_KARTEI_BACKUPS_H_
#define TERMEL_KARTEI_BACKUPS_H_

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "kartei/box_identity.h"

// One kept version of a box.
struct tBackup {
  std::string cardPath;  // the kept card file
  std::string boxPath;   // its box file, which may be missing
  // The time of the version (local time, from the name) and the suffix that tells
  // versions of the same second apart (1 for none).
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  int sequence = 1;
  int32_t cards = -1;    // the card file's record count, -1 when it cannot be read
  bool adopted = false;  // taken in from outside by adopt(); never pruned

  std::string date() const;  // "dd.mm.yyyy"
  std::string time() const;  // "hh:mm:ss"
};

class tBackupStore {
 public:
  static constexpr int kNewestKept = 10;
  static constexpr int kDaysKept = 30;

  // $XDG_DATA_HOME/termel/backups, without XDG_DATA_HOME (or a relative one)
  // ~/.local/share/termel/backups.
  static std::string userDirectory();
  // The store in userDirectory(), the one every save uses.
  static tBackupStore forUser() { return tBackupStore(userDirectory()); }

  explicit tBackupStore(std::string directory) : directory_(std::move(directory)) {}
  const std::string& directory() const { return directory_; }
  // The folder of the box in this store (tBoxIdentity::backupsFolder).
  std::string folderOf(const tBoxIdentity& box) const;

  // Keeps the current version of the box's card file and of its box file, creating the
  // folder when needed. The backups are named after the box's path as given; the files
  // kept are those it really names (links followed), the box file beside the card file.
  // A missing card file needs no backup. Failures are added to warnings as German texts
  // (code page 1252); false when the card file could not be kept.
  bool keep(const tBoxIdentity& box, std::vector<std::string>* warnings) const;
  // Removes the backups of the box that the rules above do not keep, counting days back
  // from now. False (and a warning) when one could not be removed.
  bool prune(const tBoxIdentity& box, std::time_t now, std::vector<std::string>* warnings) const;
  // The backups of the box, newest first. Each is only read, so a write-protected one
  // shows its card count too.
  std::vector<tBackup> list(const tBoxIdentity& box) const;
  // Moves file, a card file from outside that belongs to the box (such as a sync
  // tool's conflict copy), into the box's backups as an adopted backup dated by its
  // modification time, so list() shows it and prune() never removes it. Nothing is ever
  // deleted: the backup is a link to the file (or, on another file system, a synced
  // copy of it), and only once it stands does the file's old name go. Refuses the box's
  // own card file and anything but a regular file. False (and a warning) when the file
  // could not be taken in; it is then where it was. A file already among the box's
  // backups is left as it is (true). When the old name cannot be removed the backup
  // stays and a warning says so (true).
  bool adopt(const tBoxIdentity& box, const std::string& file,
             std::vector<std::string>* warnings) const;

 private:
  std::string directory_;
};

// The calls around a save of the card file: keepBeforeSave before the card file is
// replaced, pruneAfterSave once the save succeeded. Both use the user's store.
void keepBeforeSave(const tBoxIdentity& box, std::vector<std::string>* warnings);
void pruneAfterSave(const tBoxIdentity& box, std::vector<std::string>* warnings);

#endif  // TERMEL_KARTEI_BACKUPS_H_
