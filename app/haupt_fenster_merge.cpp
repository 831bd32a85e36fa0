// Merging other versions of the open box into it: "Zusammenführen..." and the question
// asked when a sync tool has left conflict copies beside the box, on opening it and
// whenever the window comes back to the front.
#include <wx/filedlg.h>
#include <wx/toplevel.h>

#include "app/file_dialogs.h"
#include "app/haupt_fenster.h"
#include "box/card_box.h"
#include "dialogs/merge_summary.h"
#include "dialogs/wx_text.h"
#include "kartei/box_merge_files.h"
#include "kartei/conflict_copies.h"
#include "storage/file_status.h"

namespace {

const char kMergeCaption[] = "Zusammenf\xFChren";
const char kCannotMerge[] = "Die Datei kann nicht zusammengef\xFChrt werden:\n";
const char kNotSaved[] =
    "Die Kartei wurde nicht gesichert; die Karten bleiben, wie sie waren, und nichts wurde "
    "zusammengef\xFChrt.";

}  // namespace

void tHauptFenster::mergeCopies() {
  if (currentFileName.empty()) return;
  wxFileDialog dialog(this, toWx(kMergeCaption), shownPath(directoryOf(currentFileName)),
                      wxString(), "Termeln (*.trm)|*.trm", wxFD_OPEN | wxFD_FILE_MUST_EXIST);
  std::string chosen;
  if (choosePath(dialog, &chosen)) mergeFiles({chosen});
}

void tHauptFenster::mergeFiles(const std::vector<std::string>& paths) {
  if (currentFileName.empty() || busyWithCopies_) return;
  busyWithCopies_ = true;
  mergeInto(paths);
  busyWithCopies_ = false;
}

std::vector<std::string> tHauptFenster::mergeReadable(const std::vector<std::string>& paths,
                                                      tPlacedCards* cards, tMergeSummary* summary,
                                                      std::vector<std::string>* warnings,
                                                      std::vector<std::string>* madeFrom) {
  // Cards made from another version than the file on disk now (someone else wrote it
  // since) have no known common past with the other files: nothing is deleted then.
  const bool oursOnDisk = saveGuard_.check(currentFileName) != tSaveGuard::tCheck::kChanged;
  std::vector<std::string> merged;
  for (const std::string& path : paths) {
    tFileReport report;
    if (mergeCopyInto(saveGuard_.box(), oursOnDisk, path, cards, summary, &report, madeFrom)) {
      merged.push_back(path);
      warnings->insert(warnings->end(), report.warnings.begin(), report.warnings.end());
    } else {
      showErrors(report.errors.empty() ? std::vector<std::string>{kCannotMerge} : report.errors,
                 path);
    }
  }
  return merged;
}

void tHauptFenster::mergeInto(const std::vector<std::string>& paths) {
  const tPlacedCards before = cardsOf(theCardBox);
  const bool wasModified = modified_;
  tPlacedCards cards = before;
  tMergeSummary summary;
  std::vector<std::string> warnings;
  const std::vector<std::string> merged =
      mergeReadable(paths, &cards, &summary, &warnings, &mergedVersions_);
  if (merged.empty()) {
    mergedVersions_.clear();
    return;
  }
  const tBoxSnapshot snapshot = snapshotOf(&theCardBox);
  fillBox(theCardBox, cards);
  modified_ = true;
  const bool saved = saveBox();
  mergedVersions_.clear();
  if (!saved) {
    // Whatever stood in the way, the copies are still there to be merged again.
    fillBox(theCardBox, before);
    forgetAnswers();
    modified_ = wasModified;
    refresh();
    warn(this, toWx(kNotSaved));
    return;
  }
  // Saved, and still one step back to the box as it was before.
  undo_.record("Zusammenf\xFChren", differenceChange(&theCardBox, snapshot));
  refresh();
  keepMergedFiles(saveGuard_.box(), merged, &warnings);
  copiesAsked_ = findConflictCopies(currentFileName);
  ask(this, mergeSummaryMessage(summary, warnings), toWx(kMergeCaption), wxOK | wxICON_INFORMATION);
}

void tHauptFenster::lookForConflictCopies() {
  if (currentFileName.empty() || busyWithCopies_) return;
  const std::vector<std::string> copies = findConflictCopies(currentFileName);
  if (copies.empty() || copies == copiesAsked_) {
    copiesAsked_ = copies;
    return;
  }
  copiesAsked_ = copies;
  // A box whose file cannot be read is no version to merge others into.
  tPlacedCards onDisk;
  tFileReport report;
  if (!readCardList(currentFileName, &onDisk, &report)) return;
  busyWithCopies_ = true;
  const int answer = askYesNo(this, conflictCopiesQuestion(copies.size()));
  busyWithCopies_ = false;
  if (answer == wxID_YES) mergeFiles(copies);
}

void tHauptFenster::onActivate(wxActivateEvent& event) {
  event.Skip();
  // Asked once the activation is over, not in the middle of it.
  if (event.GetActive()) CallAfter([this] { lookForConflictCopies(); });
}
