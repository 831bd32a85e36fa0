// Keeping, listing, pruning and adopting the backups of a box in its own folder.
#include "kartei/backups.h"
#include "kartei/background_removal.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <tuple>
#include <utility>

#include "kartei/box_file_name.h"
#include "kartei/box_key.h"
#include "kartei/file_texts.h"
#include "storage/dbf.h"
#include "storage/file_status.h"
#include "storage/sys_calls.h"

namespace {

// Code page 1252, like every text of the program.
const char kNoDirectory[] =
    "Keine Sicherung: der Ordner f\xFCr Sicherungen kann nicht angelegt werden.";
const char kCardNotKept[] = "Die bisherige Kartendatei konnte nicht gesichert werden.";
const char kBoxNotKept[] = "Die bisherige Kastendatei konnte nicht gesichert werden.";
const char kNotPruned[] = "Alte Sicherungen konnten nicht entfernt werden.";
const char kNotAdopted[] = "Die Datei %s konnte nicht zu den Sicherungen gelegt werden.";
const char kOwnCardFile[] =
    "Die Datei %s ist die Kartei selbst und wird nicht zu den Sicherungen gelegt.";
const char kAdoptedStays[] =
    "Die Datei %s liegt nun bei den Sicherungen, lie\xDF sich an ihrem Ort aber nicht "
    "entfernen.";

const char kCardExtension[] = ".trm";
const char kBoxExtension[] = ".kas";
// Marks a backup taken in from outside.
const char kAdoptedMark[] = "-kopie";
// "-YYYYMMDD-HHMMSS"
constexpr size_t kStampLength = 16;
// Versions of one second beyond this many are not kept; only a program saving in a
// loop gets there.
constexpr int kMaxSequence = 99;
// Added to the name of a backup while it is copied.
const char kPartSuffix[] = ".part";

void warn(std::vector<std::string>* warnings, const std::string& text) {
  if (warnings != nullptr) warnings->push_back(text);
}

bool endsWith(const std::string& text, const char* end) {
  const size_t n = std::strlen(end);
  return text.size() >= n && text.compare(text.size() - n, n, end) == 0;
}

bool allDigits(const std::string& text, size_t from, size_t count) {
  if (from + count > text.size()) return false;
  for (size_t i = from; i < from + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
  }
  return true;
}

int number(const std::string& text, size_t from, size_t count) {
  return std::atoi(text.substr(from, count).c_str());
}

// Reads "NAME-YYYYMMDD-HHMMSS[-N][-kopie].trm" into backup; false for any other file.
// NAME is what the box was called when the backup was made, so any will do: the folder
// says which box it is.
bool parseName(const std::string& file, tBackup* backup) {
  if (!endsWith(file, kCardExtension)) return false;
  std::string stem = file.substr(0, file.size() - (sizeof kCardExtension - 1));
  backup->adopted = endsWith(stem, kAdoptedMark);
  if (backup->adopted) stem.resize(stem.size() - (sizeof kAdoptedMark - 1));
  backup->sequence = 1;
  const size_t dash = stem.rfind('-');
  if (dash != std::string::npos && stem.size() - dash - 1 <= 2) {
    const size_t digits = stem.size() - dash - 1;
    if (digits == 0 || stem[dash + 1] == '0' || !allDigits(stem, dash + 1, digits)) return false;
    backup->sequence = number(stem, dash + 1, digits);
    if (backup->sequence < 2) return false;
    stem.resize(dash);
  }
  if (stem.size() <= kStampLength) return false;
  const size_t at = stem.size() - kStampLength + 1;
  if (stem[at - 1] != '-' || !allDigits(stem, at, 8) || stem[at + 8] != '-' ||
      !allDigits(stem, at + 9, 6)) {
    return false;
  }
  backup->year = number(stem, at, 4);
  backup->month = number(stem, at + 4, 2);
  backup->day = number(stem, at + 6, 2);
  backup->hour = number(stem, at + 9, 2);
  backup->minute = number(stem, at + 11, 2);
  backup->second = number(stem, at + 13, 2);
  return true;
}

std::string stemFor(const std::string& folder, const std::string& name, std::time_t when,
                    int sequence) {
  std::tm local;
  localtime_r(&when, &local);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
  std::string stem = folder + "/" + name + "-" + stamp;
  if (sequence > 1) stem += "-" + std::to_string(sequence);
  return stem;
}

// Creates the directory and any missing parents, private to the user.
bool syncDirectory(const std::string& path) {
  const int fd = sysCalls().openat(AT_FDCWD, path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
  if (fd < 0) return false;
  const bool synced = sysCalls().fsync(fd) == 0;
  return (sysCalls().close(fd) == 0) && synced;
}

bool statOf(const std::string& path, struct stat* st, int flags = 0) {
  return sysCalls().fstatat(AT_FDCWD, path.c_str(), st, flags) == 0;
}

bool removeFile(const std::string& path) {
  return sysCalls().unlinkat(AT_FDCWD, path.c_str(), 0) == 0 || errno == ENOENT;
}

bool sameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// A backup that already stands under the name is the same version when it is the file
// itself (a link) or a copy of it (same size, same modification time to the nanosecond).
bool sameVersion(const std::string& backup, const struct stat& original) {
  struct stat st;
  if (!statOf(backup, &st, AT_SYMLINK_NOFOLLOW) || !S_ISREG(st.st_mode)) return false;
  if (sameFile(st, original)) return true;
  return st.st_size == original.st_size && st.st_mtim.tv_sec == original.st_mtim.tv_sec &&
         st.st_mtim.tv_nsec == original.st_mtim.tv_nsec;
}

bool copyBytes(int from, int to) {
  static constexpr size_t kChunk = 1 << 16;
  std::vector<char> buffer(kChunk);
  for (;;) {
    const ssize_t got = sysCalls().read(from, buffer.data(), buffer.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) return true;
    if (!writeFully(to, buffer.data(), static_cast<size_t>(got))) return false;
  }
}

// A copy that carries the original's modification time, so it is recognised as the
// same version later. It is written under a name no backup has (".part" added) and
// renamed into place only when complete, so a copy cut short is never taken for a
// backup. Fails with errno EEXIST when the name is taken.
bool copyFile(const std::string& source, const struct stat& original, const std::string& target) {
  struct stat st;
  if (statOf(target, &st, AT_SYMLINK_NOFOLLOW)) {
    errno = EEXIST;
    return false;
  }
  const std::string part = target + kPartSuffix;
  removeFile(part);  // left by a copy that was cut short
  const int to =
      sysCalls().openat(AT_FDCWD, part.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (to < 0) {
    errno = EIO;
    return false;
  }
  const int from =
      sysCalls().openat(AT_FDCWD, source.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC, 0);
  bool ok = from >= 0 && copyBytes(from, to);
  if (from >= 0) sysCalls().close(from);
  const struct timespec times[2] = {original.st_atim, original.st_mtim};
  ok = ok && sysCalls().futimens(to, times) == 0 && sysCalls().fsync(to) == 0;
  ok = (sysCalls().close(to) == 0) && ok;
  ok = ok && sysCalls().renameat(AT_FDCWD, part.c_str(), AT_FDCWD, target.c_str()) == 0;
  if (!ok) {
    // Tried twice, so one failed removal does not leave the part behind.
    if (!removeFile(part)) removeFile(part);
    errno = EIO;  // not EEXIST: the caller must not try the next name
  }
  return ok;
}

enum class tPlaced { kNew, kAlreadyKept, kNameTaken, kFailed };

// Puts the file at source (whose status is original) under target: a hard link, or a
// copy where the file system refuses one.
tPlaced place(const std::string& source, const struct stat& original, const std::string& target) {
  if (sysCalls().linkat(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), AT_SYMLINK_FOLLOW) ==
      0) {
    return tPlaced::kNew;
  }
  if (errno != EEXIST && copyFile(source, original, target)) return tPlaced::kNew;
  if (errno != EEXIST) return tPlaced::kFailed;
  return sameVersion(target, original) ? tPlaced::kAlreadyKept : tPlaced::kNameTaken;
}

// Places source under the first free name of the stems for its time; *target gets the
// name it stands under.
tPlaced placeUnderFreeName(const std::string& source, const struct stat& original,
                           const std::string& folder, const std::string& name, const char* ending,
                           std::string* target) {
  for (int sequence = 1; sequence <= kMaxSequence; ++sequence) {
    *target = stemFor(folder, name, original.st_mtime, sequence) + ending;
    const tPlaced placed = place(source, original, *target);
    if (placed != tPlaced::kNameTaken) return placed;
  }
  return tPlaced::kFailed;
}

// The box file goes with the card file's backup. It lies beside the file the card
// path really names, links followed. A stale one under the backup's name (left by a
// backup whose card file was removed by hand) gives way.
bool keepBoxFile(const tBoxIdentity& box, const std::string& stem) {
  const std::string source = box.boxFile();
  struct stat original;
  if (!statOf(source, &original) || !S_ISREG(original.st_mode)) return true;
  const std::string target = stem + kBoxExtension;
  removeFile(target);
  return place(source, original, target) == tPlaced::kNew;
}

// Days since 1970-01-01 of a date in the proleptic Gregorian calendar.
long dayNumber(int year, int month, int day) {
  year -= month <= 2;
  const long era = (year >= 0 ? year : year - 399) / 400;
  const long yearOfEra = year - era * 400;
  const long dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

auto order(const tBackup& b) {
  return std::tie(b.year, b.month, b.day, b.hour, b.minute, b.second, b.sequence);
}

// Only read: a backup may be write-protected, and listing never changes it.
int32_t recordCount(const std::string& cardPath) {
  tDBF table;
  if (!table.open(cardPath.c_str(), tDBF::tMode::kReadOnly)) return -1;
  const uint32_t count = table.recordCount();
  table.close();
  return count > INT32_MAX ? -1 : static_cast<int32_t>(count);
}

std::vector<tBackup> scan(const std::string& folder) {
  std::vector<tBackup> backups;
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return backups;
  while (const dirent* entry = readdir(dir)) {
    tBackup backup;
    if (!parseName(entry->d_name, &backup)) continue;
    backup.cardPath = folder + "/" + entry->d_name;
    backup.boxPath =
        backup.cardPath.substr(0, backup.cardPath.size() - (sizeof kCardExtension - 1)) +
        kBoxExtension;
    backups.push_back(backup);
  }
  closedir(dir);
  std::sort(backups.begin(), backups.end(),
            [](const tBackup& a, const tBackup& b) { return order(a) > order(b); });
  return backups;
}

// What killed prunes and copies left in a box's folder: box files whose card file is
// gone (a prune removes the card file first) and copies cut short ("NAME.part").
std::vector<std::string> leftovers(const std::string& folder) {
  std::vector<std::string> found;
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return found;
  tBackup backup;
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    std::string stem = name;
    const bool part = endsWith(name, kPartSuffix);
    if (part) stem.resize(stem.size() - (sizeof kPartSuffix - 1));
    if (!endsWith(stem, kBoxExtension) && !(part && endsWith(stem, kCardExtension))) continue;
    const std::string card = stem.substr(0, stem.size() - 4) + kCardExtension;
    if (!parseName(card, &backup)) continue;
    struct stat st;
    if (part || !statOf(folder + "/" + card, &st, AT_SYMLINK_NOFOLLOW)) {
      found.push_back(folder + "/" + name);
    }
  }
  closedir(dir);
  return found;
}

std::string twoDigits(int n) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d", n);
  return text;
}

}  // namespace

std::string tBackup::date() const {
  char text[32];
  std::snprintf(text, sizeof text, "%02d.%02d.%04d", day, month, year);
  return text;
}

std::string tBackup::time() const {
  return twoDigits(hour) + ":" + twoDigits(minute) + ":" + twoDigits(second);
}

std::string tBackupStore::userDirectory() {
  const std::string base = xdgBaseDirectory("XDG_DATA_HOME", ".local/share");
  return base.empty() ? base : base + "/termel/backups";
}

std::string tBackupStore::folderOf(const tBoxIdentity& box) const {
  return box.backupsFolder(directory_);
}

bool tBackupStore::keep(const tBoxIdentity& box, std::vector<std::string>* warnings) const {
  struct stat original;
  const std::string& cardPath = box.realPath();
  if (!statOf(cardPath, &original) || !S_ISREG(original.st_mode)) return true;
  const std::string folder = folderOf(box);
  if (!makeDirectories(folder)) {
    warn(warnings, kNoDirectory);
    return false;
  }
  std::string target;
  const tPlaced placed = placeUnderFreeName(cardPath, original, folder, boxNameOf(box.path()),
                                            kCardExtension, &target);
  if (placed == tPlaced::kAlreadyKept) return true;
  if (placed != tPlaced::kNew) {
    warn(warnings, kCardNotKept);
    return false;
  }
  const std::string stem = target.substr(0, target.size() - (sizeof kCardExtension - 1));
  if (!keepBoxFile(box, stem)) warn(warnings, kBoxNotKept);
  // The save's own rename is made durable; the backup's name should be as well.
  syncDirectory(folder);
  return true;
}

bool tBackupStore::prune(const tBoxIdentity& box, std::time_t now,
                         std::vector<std::string>* warnings) const {
  std::tm local;
  localtime_r(&now, &local);
  const long today = dayNumber(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
  std::set<long> daysSeen;
  int kept = 0;
  bool ok = true;
  // Card files of old versions are large: each is renamed to a leftover's name at once
  // and removed on a thread of its own (a kill meanwhile leaves a leftover, removed by
  // the next prune). The removals of the last prune are done first.
  tBackgroundRemoval::ofProcess().finish();
  std::vector<std::string> doomed;
  // Newest first, so the first backup seen of a day is that day's newest.
  const std::string folder = folderOf(box);
  for (const tBackup& backup : scan(folder)) {
    if (backup.adopted) continue;
    const long day = dayNumber(backup.year, backup.month, backup.day);
    const bool newOfRecentDay = today - day < kDaysKept && daysSeen.insert(day).second;
    if (kept++ < kNewestKept || newOfRecentDay) continue;
    const std::string part = backup.cardPath + kPartSuffix;
    if (sysCalls().renameat(AT_FDCWD, backup.cardPath.c_str(), AT_FDCWD, part.c_str()) == 0) {
      doomed.push_back(part);
    } else {
      ok = removeFile(backup.cardPath) && ok;
    }
    ok = removeFile(backup.boxPath) && ok;
  }
  for (const std::string& leftover : leftovers(folder)) {
    if (std::find(doomed.begin(), doomed.end(), leftover) == doomed.end()) {
      ok = removeFile(leftover) && ok;
    }
  }
  tBackgroundRemoval::ofProcess().remove(std::move(doomed));
  if (!ok) warn(warnings, kNotPruned);
  return ok;
}

std::vector<tBackup> tBackupStore::list(const tBoxIdentity& box) const {
  std::vector<tBackup> backups = scan(folderOf(box));
  for (tBackup& backup : backups) backup.cards = recordCount(backup.cardPath);
  return backups;
}

bool tBackupStore::adopt(const tBoxIdentity& box, const std::string& file,
                         std::vector<std::string>* warnings) const {
  struct stat original, own;
  if (!statOf(file, &original, AT_SYMLINK_NOFOLLOW) || !S_ISREG(original.st_mode)) {
    warn(warnings, withPath(kNotAdopted, file));
    return false;
  }
  if (statOf(box.realPath(), &own) && sameFile(own, original)) {
    warn(warnings, withPath(kOwnCardFile, file));
    return false;
  }
  const std::string folder = folderOf(box);
  if (realBoxPath(directoryOf(file) + "/.") == realBoxPath(folder + "/.")) return true;
  if (!makeDirectories(folder)) {
    warn(warnings, kNoDirectory);
    return false;
  }
  std::string target;
  const std::string ending = std::string(kAdoptedMark) + kCardExtension;
  const tPlaced placed =
      placeUnderFreeName(file, original, folder, boxNameOf(box.path()), ending.c_str(), &target);
  struct stat kept;
  if (placed == tPlaced::kFailed || !statOf(target, &kept)) {
    warn(warnings, withPath(kNotAdopted, file));
    return false;
  }
  // Only a backup that is the file itself, or a copy of it now on disk, lets its old
  // name go; one found already kept under another inode may differ in its bytes.
  const bool copied = placed == tPlaced::kNew && !sameFile(kept, original);
  if (!sameFile(kept, original) && !copied) return true;
  if (!syncDirectory(folder) || !removeFile(file)) warn(warnings, withPath(kAdoptedStays, file));
  return true;
}

void keepBeforeSave(const tBoxIdentity& box, std::vector<std::string>* warnings) {
  if (!box.empty()) tBackupStore::forUser().keep(box, warnings);
}

void pruneAfterSave(const tBoxIdentity& box, std::vector<std::string>* warnings) {
  if (!box.empty()) tBackupStore::forUser().prune(box, std::time(nullptr), warnings);
}
