#include "kartei/backups.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <tuple>

#include "kartei/box_file_name.h"
#include "storage/dbf.h"
#include "storage/file_status.h"

namespace {

// Code page 1252, like every text of the program.
const char kNoDirectory[] =
    "Keine Sicherung: der Ordner f\xFCr Sicherungen kann nicht angelegt werden.";
const char kCardNotKept[] = "Die bisherige Kartendatei konnte nicht gesichert werden.";
const char kBoxNotKept[] = "Die bisherige Kastendatei konnte nicht gesichert werden.";
const char kNotPruned[] = "Alte Sicherungen konnten nicht entfernt werden.";

const char kCardExtension[] = ".trm";
const char kBoxExtension[] = ".kas";
// "YYYYMMDD-HHMMSS"
constexpr size_t kStampLength = 15;
// Versions of one second beyond this many are not kept; only a program saving in a
// loop gets there.
constexpr int kMaxSequence = 99;

void warn(std::vector<std::string>* warnings, const char* text) {
  if (warnings != nullptr) warnings->push_back(text);
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

// Reads "NAME-YYYYMMDD-HHMMSS[-N].trm" for the given box name into backup; false for
// any other file, including the backups of a box whose name merely starts the same.
bool parseName(const std::string& file, const std::string& name, tBackup* backup) {
  const std::string prefix = name + "-";
  const size_t ext = sizeof kCardExtension - 1;
  if (file.size() < prefix.size() + kStampLength + ext) return false;
  if (file.compare(0, prefix.size(), prefix) != 0) return false;
  if (file.compare(file.size() - ext, ext, kCardExtension) != 0) return false;
  const size_t at = prefix.size();
  if (!allDigits(file, at, 8) || file[at + 8] != '-' || !allDigits(file, at + 9, 6)) return false;
  const size_t rest = at + kStampLength, restLength = file.size() - ext - rest;
  backup->sequence = 1;
  if (restLength > 0) {
    if (restLength < 2 || restLength > 3 || file[rest] != '-' || file[rest + 1] == '0' ||
        !allDigits(file, rest + 1, restLength - 1)) {
      return false;
    }
    backup->sequence = number(file, rest + 1, restLength - 1);
    if (backup->sequence < 2) return false;
  }
  backup->year = number(file, at, 4);
  backup->month = number(file, at + 4, 2);
  backup->day = number(file, at + 6, 2);
  backup->hour = number(file, at + 9, 2);
  backup->minute = number(file, at + 11, 2);
  backup->second = number(file, at + 13, 2);
  return true;
}

std::string stemFor(const std::string& directory, const std::string& name, std::time_t when,
                    int sequence) {
  std::tm local;
  localtime_r(&when, &local);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
  std::string stem = directory + "/" + name + "-" + stamp;
  if (sequence > 1) stem += "-" + std::to_string(sequence);
  return stem;
}

// Creates the directory and any missing parents, private to the user.
bool syncDirectory(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool synced = fsync(fd) == 0;
  return (::close(fd) == 0) && synced;
}

// A backup that already stands under the name is the same version when it is the file
// itself (a link) or a copy of it (same size, same modification time to the nanosecond).
bool sameVersion(const std::string& backup, const struct stat& original) {
  struct stat st;
  if (lstat(backup.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  if (st.st_dev == original.st_dev && st.st_ino == original.st_ino) return true;
  return st.st_size == original.st_size && st.st_mtim.tv_sec == original.st_mtim.tv_sec &&
         st.st_mtim.tv_nsec == original.st_mtim.tv_nsec;
}

bool copyBytes(int from, int to) {
  static constexpr size_t kChunk = 1 << 16;
  std::vector<char> buffer(kChunk);
  for (;;) {
    const ssize_t got = read(from, buffer.data(), buffer.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) return true;
    for (ssize_t done = 0; done < got;) {
      const ssize_t put = write(to, buffer.data() + done, static_cast<size_t>(got - done));
      if (put < 0 && errno == EINTR) continue;
      if (put <= 0) return false;
      done += put;
    }
  }
}

// A copy that carries the original's modification time, so it is recognised as the
// same version later. Fails with errno EEXIST when the name is taken.
bool copyFile(const std::string& source, const struct stat& original, const std::string& target) {
  const int to = ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (to < 0) return false;
  const int from = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
  bool ok = from >= 0 && copyBytes(from, to);
  if (from >= 0) ::close(from);
  const struct timespec times[2] = {original.st_atim, original.st_mtim};
  ok = ok && futimens(to, times) == 0 && fsync(to) == 0;
  ok = (::close(to) == 0) && ok;
  if (!ok) {
    unlink(target.c_str());
    errno = EIO;  // not EEXIST: the caller must not try the next name
  }
  return ok;
}

enum class tPlaced { kNew, kAlreadyKept, kNameTaken, kFailed };

// Puts the file at source (whose status is original) under target: a hard link, or a
// copy where the file system refuses one.
tPlaced place(const std::string& source, const struct stat& original, const std::string& target) {
  if (linkat(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), AT_SYMLINK_FOLLOW) == 0) {
    return tPlaced::kNew;
  }
  if (errno != EEXIST && copyFile(source, original, target)) return tPlaced::kNew;
  if (errno != EEXIST) return tPlaced::kFailed;
  return sameVersion(target, original) ? tPlaced::kAlreadyKept : tPlaced::kNameTaken;
}

// The box file goes with the card file's backup. It lies beside the file the card
// path really names, links followed. A stale one under the backup's name (left by a
// backup whose card file was removed by hand) gives way.
bool keepBoxFile(const std::string& cardPath, const std::string& stem) {
  char* real = realpath(cardPath.c_str(), nullptr);
  const std::string source = boxFileName(real != nullptr ? real : cardPath);
  std::free(real);
  struct stat original;
  if (stat(source.c_str(), &original) != 0 || !S_ISREG(original.st_mode)) return true;
  const std::string target = stem + kBoxExtension;
  unlink(target.c_str());
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

int32_t recordCount(const std::string& cardPath) {
  tDBF table;
  if (!table.open(cardPath.c_str())) return -1;
  const uint32_t count = table.recordCount();
  table.close();
  return count > INT32_MAX ? -1 : static_cast<int32_t>(count);
}

std::vector<tBackup> scan(const std::string& directory, const std::string& cardPath) {
  std::vector<tBackup> backups;
  DIR* dir = opendir(directory.c_str());
  if (dir == nullptr) return backups;
  const std::string name = boxNameOf(cardPath);
  while (const dirent* entry = readdir(dir)) {
    tBackup backup;
    if (!parseName(entry->d_name, name, &backup)) continue;
    backup.cardPath = directory + "/" + entry->d_name;
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

bool tBackupStore::keep(const std::string& cardPath, std::vector<std::string>* warnings) const {
  struct stat original;
  if (stat(cardPath.c_str(), &original) != 0 || !S_ISREG(original.st_mode)) return true;
  if (!makeDirectories(directory_)) {
    warn(warnings, kNoDirectory);
    return false;
  }
  const std::string name = boxNameOf(cardPath);
  for (int sequence = 1; sequence <= kMaxSequence; ++sequence) {
    const std::string stem = stemFor(directory_, name, original.st_mtime, sequence);
    const tPlaced placed = place(cardPath, original, stem + kCardExtension);
    if (placed == tPlaced::kNameTaken) continue;
    if (placed == tPlaced::kAlreadyKept) return true;
    if (placed == tPlaced::kFailed) break;
    if (!keepBoxFile(cardPath, stem)) warn(warnings, kBoxNotKept);
    // The save's own rename is made durable; the backup's name should be as well.
    syncDirectory(directory_);
    return true;
  }
  warn(warnings, kCardNotKept);
  return false;
}

bool tBackupStore::prune(const std::string& cardPath, std::time_t now,
                         std::vector<std::string>* warnings) const {
  std::tm local;
  localtime_r(&now, &local);
  const long today = dayNumber(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
  std::set<long> daysSeen;
  int kept = 0;
  bool ok = true;
  // Newest first, so the first backup seen of a day is that day's newest.
  for (const tBackup& backup : scan(directory_, cardPath)) {
    const long day = dayNumber(backup.year, backup.month, backup.day);
    const bool newOfRecentDay = today - day < kDaysKept && daysSeen.insert(day).second;
    if (kept++ < kNewestKept || newOfRecentDay) continue;
    if (unlink(backup.cardPath.c_str()) != 0 && errno != ENOENT) ok = false;
    if (unlink(backup.boxPath.c_str()) != 0 && errno != ENOENT) ok = false;
  }
  if (!ok) warn(warnings, kNotPruned);
  return ok;
}

std::vector<tBackup> tBackupStore::list(const std::string& cardPath) const {
  std::vector<tBackup> backups = scan(directory_, cardPath);
  for (tBackup& backup : backups) backup.cards = recordCount(backup.cardPath);
  return backups;
}

void keepBeforeSave(const char* cardPath, std::vector<std::string>* warnings) {
  if (cardPath != nullptr && *cardPath != '\0') tBackupStore::forUser().keep(cardPath, warnings);
}

void pruneAfterSave(const char* cardPath, std::vector<std::string>* warnings) {
  if (cardPath != nullptr && *cardPath != '\0') {
    tBackupStore::forUser().prune(cardPath, std::time(nullptr), warnings);
  }
}
