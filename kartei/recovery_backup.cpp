#include "kartei/recovery_backup.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <ctime>

#include "box/card_box.h"
#include "kartei/backups.h"
#include "kartei/box_file_name.h"
#include "kartei/card_file.h"
#include "storage/file_status.h"
#include "storage/sys_calls.h"

namespace {

constexpr char kUnnamedName[] = "unbenannt";

// The card file the data is written to before it is kept.
std::string draftPath(const tRecoveryData& data) {
  if (!data.boxPath.empty()) return recoveryDirOf(data.boxPath) + "/ungesichert.trm";
  const std::time_t when = static_cast<std::time_t>(data.writtenAt);
  std::tm local{};
  localtime_r(&when, &local);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "-%Y%m%d-%H%M%S.trm", &local);
  return tBackupStore::userDirectory() + "/" + kUnnamedName + stamp;
}

void removeDraft(const std::string& path) {
  sysCalls().unlinkat(AT_FDCWD, path.c_str(), 0);
  sysCalls().unlinkat(AT_FDCWD, boxFileName(path).c_str(), 0);
}

// The backup is dated by the time the data was written, not by now.
void dateByData(const std::string& path, int64_t writtenAt) {
  const int fd = sysCalls().openat(AT_FDCWD, path.c_str(), O_RDONLY | O_CLOEXEC, 0);
  if (fd < 0) return;
  const struct timespec times[2] = {{static_cast<time_t>(writtenAt), 0},
                                    {static_cast<time_t>(writtenAt), 0}};
  sysCalls().futimens(fd, times);
  sysCalls().close(fd);
}

bool writeDraft(const tRecoveryData& data, const std::string& path,
                std::vector<std::string>* warnings) {
  if (!makeDirectories(directoryOf(path))) return false;
  const tPlacedCards own = cardsOf(theCardBox);
  fillBox(theCardBox, data.cards);
  tFileReport report;
  const bool saved = saveCardFile(path.c_str(), &report);
  fillBox(theCardBox, own);
  warnings->insert(warnings->end(), report.errors.begin(), report.errors.end());
  if (saved) dateByData(path, data.writtenAt);
  return saved;
}

}  // namespace

bool keepRecoveryAsBackup(const tRecoveryData& data, std::string* kept,
                          std::vector<std::string>* warnings) {
  const std::string draft = draftPath(data);
  if (!data.boxPath.empty()) removeDraft(draft);  // a draft a killed attempt left
  if (!writeDraft(data, draft, warnings)) return false;
  *kept = draft;
  if (data.boxPath.empty()) return true;
  if (!tBackupStore::forUser().adopt(data.boxPath, draft, warnings)) return false;
  // Only the card file is kept; its box file is written anew with every save.
  removeDraft(draft);
  *kept = tBackupStore::forUser().folderOf(data.boxPath);
  return true;
}
