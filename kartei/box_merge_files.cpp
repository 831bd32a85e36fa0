#include "kartei/box_merge_files.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

#include "box/card_box.h"
#include "kartei/backups.h"
#include "kartei/box_file_name.h"
#include "kartei/file_texts.h"
#include "storage/file_status.h"
#include "storage/sys_calls.h"

namespace {

const char kCopyNotMoved[] =
    "Die zusammengef\xFChrte Datei %s konnte nicht zu den Sicherungen verschoben werden "
    "und bleibt liegen.";

const char kAncestorUnreadable[] =
    "Die Sicherung %s l\xE4sst sich nicht lesen; ohne sie wird beim Zusammenf\xFChren "
    "keine Karte gel\xF6scht.";

const char kForeignColumns[] =
    "Die Kartei %s hat Felder, die beim Sichern verloren gingen; nichts wurde "
    "zusammengef\xFChrt.";

bool removeFile(const std::string& path) {
  return sysCalls().unlinkat(AT_FDCWD, path.c_str(), 0) == 0 || errno == ENOENT;
}

}  // namespace

int64_t modifiedSeconds(const std::string& path) {
  const tFileStamp stamp = tFileStamp::ofPath(path);
  return stamp.known ? stamp.modifiedSeconds : 0;
}

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

bool findAncestor(const tBoxIdentity& box, int64_t oursModified, int64_t theirsModified,
                  tPlacedCards* ancestor, std::vector<std::string>* warnings) {
  const int64_t limit = std::min(oursModified, theirsModified);
  // Newest first: the first one old enough is the one. A copy taken in by an earlier
  // merge was never this box's own version.
  for (const tBackup& backup : tBackupStore::forUser().list(box)) {
    if (backup.adopted || modifiedSeconds(backup.cardPath) > limit) continue;
    tFileReport report;
    if (readCardList(backup.cardPath, ancestor, &report)) return true;
    if (warnings != nullptr) warnings->push_back(withPath(kAncestorUnreadable, backup.cardPath));
    return false;
  }
  return false;
}

bool mergeCopyInto(const tBoxIdentity& box, int64_t oursModified, const std::string& otherPath,
                   tPlacedCards* cards, tMergeSummary* summary, tFileReport* report) {
  tPlacedCards theirs;
  if (!readCardList(otherPath, &theirs, report)) return false;
  tPlacedCards ancestor;
  const bool known =
      findAncestor(box, oursModified, modifiedSeconds(otherPath), &ancestor, &report->warnings);
  *cards = mergeCardLists(*cards, theirs, known ? &ancestor : nullptr, summary);
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
  const int64_t oursModified = modifiedSeconds(box.realPath());
  for (const std::string& other : others) {
    if (!mergeCopyInto(box, oursModified, other, &cards, summary, report)) return false;
  }
  fillBox(theCardBox, cards);
  if (!saveCardFile(box, report, heldLock)) return false;
  // A copy left in place is reported; the merge itself is done.
  for (const std::string& other : others) moveIntoBackups(box, other, &report->warnings);
  return true;
}
