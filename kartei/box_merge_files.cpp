#include "kartei/box_merge_files.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

#include "box/card_box.h"
#include "kartei/backups.h"
#include "kartei/box_file_name.h"
#include "kartei/conflict_copies.h"
#include "kartei/file_texts.h"
#include "kartei/version_record.h"
#include "storage/file_status.h"
#include "storage/sys_calls.h"

namespace {

const char kCopyNotMoved[] =
    "Die zusammengef\xFChrte Datei %s konnte nicht zu den Sicherungen verschoben werden "
    "und bleibt liegen.";

const char kAncestorUnreadable[] =
    "Die Sicherung %s l\xE4sst sich nicht lesen; ohne sie wird beim Zusammenf\xFChren "
    "keine Karte gel\xF6scht.";

const char kNoCommonVersion[] =
    "F\xFCr %s ist keine Fassung bekannt, aus der auch die Kartei entstand; beim "
    "Zusammenf\xFChren wurde darum keine Karte gel\xF6scht.";

const char kCommonVersionMissing[] =
    "Die Fassung, aus der %s und die Kartei entstanden, ist nicht unter den Sicherungen; "
    "beim Zusammenf\xFChren wurde darum keine Karte gel\xF6scht.";

const char kOursChanged[] =
    "Die Kartei wurde seit dem \xD6"
    "ffnen ge\xE4ndert; beim Zusammenf\xFChren mit %s wurde darum keine Karte "
    "gel\xF6scht.";

const char kTheBoxItself[] =
    "Die Datei %s ist die Kartei selbst; eine Kartei kann nicht mit sich selbst "
    "zusammengef\xFChrt werden.";

const char kForeignColumns[] =
    "Die Kartei %s hat Felder, die beim Sichern verloren gingen; nichts wurde "
    "zusammengef\xFChrt.";

bool removeFile(const std::string& path) {
  return sysCalls().unlinkat(AT_FDCWD, path.c_str(), 0) == 0 || errno == ENOENT;
}

// The same file under whatever name: another path, a link, a hard link.
bool isSameFile(const std::string& a, const std::string& b) {
  const tFileStamp first = tFileStamp::ofPath(a), second = tFileStamp::ofPath(b);
  return first.known && second.known && first.device == second.device &&
         first.inode == second.inode;
}

// The file that holds version, of the files given or the box's backups; empty when
// none does. Only files of the recorded size are read.
std::string fileOfVersion(const tBoxIdentity& box, const tVersionRecord& record,
                          const std::string& version,
                          const std::vector<std::pair<std::string, tVersionId>>& known) {
  for (const auto& [path, id] : known) {
    if (id.hash == version) return path;
  }
  const int64_t size = record.sizeOf(version);
  for (const tBackup& backup : tBackupStore::forUser().list(box)) {
    const tFileStamp stamp = tFileStamp::ofPath(backup.cardPath);
    if (!stamp.known || (size >= 0 && stamp.size != size)) continue;
    tVersionId id;
    if (versionOfFile(backup.cardPath, &id) && id.hash == version) return backup.cardPath;
  }
  return std::string();
}

}  // namespace

bool readCardList(const std::string& path, tPlacedCards* cards, tFileReport* report) {
  cards->clear();
  const size_t errorsBefore = report->errors.size();
  readCardFile(
      path.c_str(),
      [cards](const tTermel& card, int n) {
        if (n < 1 || n > CardBox::kCompartments) return false;
        cards->push_back({card, n});
        return true;
      },
      report);
  return report->opened && report->errors.size() == errorsBefore;
}

bool findAncestor(const tBoxIdentity& box, const std::string& otherPath, tPlacedCards* ancestor,
                  std::vector<std::string>* warnings) {
  std::vector<std::string> local;
  if (warnings == nullptr) warnings = &local;
  const std::string& cardPath = box.keyPath();
  const tVersionRecord record = tVersionRecord::read(cardPath);
  tVersionId ours, theirs;
  const std::vector<std::string> common =
      versionOfFile(cardPath, &ours) && versionOfFile(otherPath, &theirs)
          ? record.lastCommon(ours.hash, theirs.hash)
          : std::vector<std::string>();
  if (common.empty()) {
    warnings->push_back(withPath(kNoCommonVersion, otherPath));
    return false;
  }
  for (const std::string& version : common) {
    const std::string file =
        fileOfVersion(box, record, version, {{cardPath, ours}, {otherPath, theirs}});
    if (file.empty()) continue;
    tFileReport report;
    if (readCardList(file, ancestor, &report)) return true;
    warnings->push_back(withPath(kAncestorUnreadable, file));
    return false;
  }
  warnings->push_back(withPath(kCommonVersionMissing, otherPath));
  return false;
}

bool mergeCopyInto(const tBoxIdentity& box, bool oursOnDisk, const std::string& otherPath,
                   tPlacedCards* cards, tMergeSummary* summary, tFileReport* report,
                   std::vector<std::string>* madeFrom) {
  if (isSameFile(box.realPath(), otherPath)) {
    report->errors.push_back(withPath(kTheBoxItself, otherPath));
    return false;
  }
  tPlacedCards theirs;
  if (!readCardList(otherPath, &theirs, report)) return false;
  tPlacedCards ancestor;
  if (!oursOnDisk) report->warnings.push_back(withPath(kOursChanged, otherPath));
  const bool known = oursOnDisk && findAncestor(box, otherPath, &ancestor, &report->warnings);
  *cards = mergeCardLists(*cards, theirs, known ? &ancestor : nullptr, summary);
  tVersionId version;
  if (versionOfFile(otherPath, &version)) madeFrom->push_back(version.hash);
  return true;
}

bool moveIntoBackups(const tBoxIdentity& box, const std::string& copyPath,
                     std::vector<std::string>* warnings) {
  if (!tBackupStore::forUser().adopt(box, copyPath, warnings)) {
    warnings->push_back(withPath(kCopyNotMoved, copyPath));
    return false;
  }
  // Kept: its box file, which is only ever written, goes; one that cannot be removed is
  // only clutter.
  removeFile(boxFileName(copyPath));
  return true;
}

void keepMergedFiles(const tBoxIdentity& box, const std::vector<std::string>& merged,
                     std::vector<std::string>* warnings) {
  const std::vector<std::string> copies = findConflictCopies(box.path());
  for (const std::string& file : merged) {
    const bool isCopy = std::any_of(copies.begin(), copies.end(), [&](const std::string& copy) {
      return isSameFile(copy, file);
    });
    if (isCopy) moveIntoBackups(box, file, warnings);
  }
}

bool mergeFilesIntoBox(const tBoxIdentity& box, const std::vector<std::string>& others,
                       tMergeSummary* summary, tFileReport* report, const tBoxLock* heldLock) {
  theCardBox.clearAll();
  tPlacedCards cards;
  if (!readCardList(box.path(), &cards, report)) return false;
  // Saving the merge would drop the columns of its own that the box holds.
  if (report->foreignColumns > 0) {
    report->errors.push_back(withPath(kForeignColumns, box.path()));
    return false;
  }
  std::vector<std::string> madeFrom;
  for (const std::string& other : others) {
    if (!mergeCopyInto(box, true, other, &cards, summary, report, &madeFrom)) return false;
  }
  fillBox(theCardBox, cards);
  if (!saveCardFile(box, report, heldLock, madeFrom)) return false;
  // A copy left in place is reported; the merge itself is done.
  keepMergedFiles(box, others, &report->warnings);
  return true;
}
