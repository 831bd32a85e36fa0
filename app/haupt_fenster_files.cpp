// The file commands of the training window: new, open (also from the list of recent
// boxes), save, backups, word-list import and export, and quitting, with the reports
// of what went wrong.
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/frame.h>
#include <wx/menu.h>

#include <filesystem>
#include <memory>
#include <utility>

#include "app/file_dialogs.h"
#include "app/haupt_fenster.h"
#include "box/card_box.h"
#include "dialogs/backups_dialog.h"
#include "dialogs/help.h"
#include "dialogs/wx_text.h"
#include "kartei/box_file_name.h"
#include "kartei/box_identity.h"
#include "kartei/card_file.h"
#include "kartei/card_file_probe.h"
#include "wordlists/word_list_format.h"

namespace {

const char kCardFileWildcard[] = "Termeln (*.trm)|*.trm";
const char kCardFilePattern[] = "*.trm";
const char kCannotRead[] = "Die Datei kann nicht gelesen werden:\n";
const char kCannotWrite[] = "Die Datei kann nicht geschrieben werden:\n";
const char kSaveFailed[] = "Die Termeln wurden nicht gesichert.";
const char kFileLine[] = "\nDatei: ";
// "Die Kartei gibt es nicht mehr:\n...\nSie wird aus der Liste genommen."
const char kBoxGone[] = "Die Kartei gibt es nicht mehr:\n";
const char kBoxGoneEnd[] = "\nSie wird aus der Liste der letzten Karteien genommen.";
// Questions before a box is opened or saved; %s is the card file.
const char kOpenElsewhere[] =
    "Die Kartei %s ist in einem anderen Programm ge\xF6"
    "ffnet. Nur zum Lesen \xF6"
    "ffnen?";
const char kHeldElsewhere[] =
    "Die Kartei %s ist in einem anderen Programm ge\xF6"
    "ffnet.";
const char kWriteProtected[] =
    "Die Datei %s ist schreibgesch\xFC"
    "tzt. Unter einem anderen Namen sichern?";
const char kOpenedToRead[] =
    "Die Kartei %s ist nur zum Lesen ge\xF6"
    "ffnet. Unter einem anderen Namen sichern?";
const char kOnlyToRead[] =
    " Sie wird nur zum Lesen ge\xF6"
    "ffnet.";
const char kNoCardFile[] =
    "Die Datei %s ist keine Kartei. Trotzdem \xFC"
    "berschreiben?";
const char kChangedElsewhere[] =
    "Die Datei %s wurde inzwischen von einem anderen Programm ge\xE4"
    "ndert. Trotzdem "
    "\xFC"
    "berschreiben?";
// A code page 1252 text with the path in place of its %s.
wxString naming(const char* format, const std::string& path) {
  wxString text = toWx(format);
  text.Replace("%s", shownPath(path));
  return text;
}

}  // namespace

bool tHauptFenster::queryClose() {
  return saveIfWanted("Speichern?");
}

bool tHauptFenster::saveIfWanted(const char* question) {
  if (!modified_) {
    closeUnchanged();
    return true;
  }
  switch (askYesNo(this, question)) {
    case wxID_YES:
      // A save that failed or whose file dialog was cancelled stops the command
      // rather than losing the box.
      return saveBox();
    case wxID_NO:
      keepDiscardedChanges();
      return true;
    default:  // the question was closed without an answer
      return false;
  }
}

void tHauptFenster::newBox() {
  if (modified_) {
    if (!offerToSave()) return;
  } else if (theCardBox.totalCount() > 0 &&
             askOkCancelDefaultCancel(this, "Alle Termeln werden geloescht!") != wxID_OK) {
    return;
  }
  theCardBox.clearAll();
  forgetAnswers();
  // Saving the new box must not silently replace the file the old one came from.
  currentFileName.clear();
  saveGuard_.forget();
  // Whatever was changed is saved or was given up on purpose.
  modified_ = false;
  refresh();
  attachRecovery();
  offerRecovery();
}

bool tHauptFenster::offerToSave() {
  return saveIfWanted("Bisherige Daten sichern");
}

void tHauptFenster::openBox() {
  // The box is emptied next: after a failed save it must stay as it is.
  if (!offerToSave()) return;
  wxFileDialog dialog(this, wxString::FromUTF8("Kartei öffnen"), startFolder(), kCardFilePattern,
                      kCardFileWildcard, wxFD_OPEN | wxFD_FILE_MUST_EXIST);
  std::string chosen;
  // Cancelled, the box stays as it is, so nothing can be lost by closing later.
  if (!choosePath(dialog, &chosen)) return;
  loadBox(chosen);
}

void tHauptFenster::openRecentBox(size_t index) {
  if (index >= recentBoxes_.GetCount()) return;
  const std::string path = recentBoxes_.path(index);
  // Asked first, as the open dialog only offers files that exist: a box that is gone
  // leaves the open one as it is, without a question about saving it.
  if (!wxFileName::FileExists(shownPath(path))) {
    warn(this, toWx(kBoxGone) + shownPath(path) + toWx(kBoxGoneEnd));
    recentBoxes_.RemoveFileFromHistory(index);
    keepRecentBoxes();
    return;
  }
  if (!offerToSave()) return;
  loadBox(path);
}

void tHauptFenster::loadBox(const std::string& path) {
  bool onlyToRead = false;
  if (!claimBox(path, &onlyToRead)) return;
  theCardBox.clearAll();
  forgetAnswers();
  currentFileName = path;
  tFileReport report;
  loadCardFile(currentFileName.c_str(), &report);
  saveGuard_.loaded(report, onlyToRead);
  forgetUnreadFile(report);
  modified_ = false;
  refresh();
  attachRecovery();
  if (report.opened) rememberBox();
  showLoadReport(report, path);
  offerRecovery();
  lookForConflictCopies();
}

void tHauptFenster::forgetUnreadFile(const tFileReport& report) {
  std::error_code error;
  if (report.opened ||
      !std::filesystem::exists(std::filesystem::symlink_status(currentFileName, error))) {
    return;
  }
  currentFileName.clear();
  saveGuard_.forget();
}

bool tHauptFenster::claimBox(const std::string& path, bool* onlyToRead) {
  // A lock that cannot be taken for another reason (another user's lock file, anything
  // but a file in its place, a directory this user may not write) opens the box only to
  // read, and its load report says why.
  *onlyToRead = saveGuard_.lock(path) == tLockState::kHeldElsewhere;
  if (!*onlyToRead || askYesNo(this, naming(kOpenElsewhere, path)) == wxID_YES) return true;
  // Trying the other box let go of this one's lock, and this one stays open.
  if (!currentFileName.empty()) saveGuard_.lock(currentFileName);
  return false;
}

void tHauptFenster::showLoadReport(const tFileReport& report, const std::string& cardFile) {
  std::vector<std::string> notes = report.errors;
  if (report.placedInFirst > 0) notes.push_back(placedInFirstText(report.placedInFirst));
  notes.insert(notes.end(), report.warnings.begin(), report.warnings.end());
  // A write-protected box says so when it is saved; any other box that cannot be locked
  // says at once why it is only read.
  if (saveGuard_.lockFailed() && report.opened && !report.readOnly) {
    notes.push_back(saveGuard_.lockReason() + kOnlyToRead);
  }
  showErrors(notes, cardFile);
}

tHauptFenster::tSaveStep tHauptFenster::checkBeforeSave(const std::string& path) {
  for (;;) {
    const tSaveGuard::tCheck check = saveGuard_.check(path);
    wxString question;
    switch (check) {
      case tSaveGuard::tCheck::kWrite:
        return tSaveStep::kWrite;
      case tSaveGuard::tCheck::kReadOnly:
      case tSaveGuard::tCheck::kOpenedToRead: {
        const char* text = check == tSaveGuard::tCheck::kReadOnly ? kWriteProtected : kOpenedToRead;
        return askYesNo(this, naming(text, path)) == wxID_YES ? tSaveStep::kSaveAs
                                                              : tSaveStep::kStop;
      }
      case tSaveGuard::tCheck::kLossyRewrite:
        question = toWx(kLossyRewriteQuestion);
        break;
      case tSaveGuard::tCheck::kChanged:
        question = naming(kChangedElsewhere, path);
        break;
    }
    if (askYesNoDefaultNo(this, question) != wxID_YES) return tSaveStep::kStop;
    saveGuard_.accept(check, path);
  }
}

bool tHauptFenster::saveBox() {
  if (currentFileName.empty()) return saveBoxAs();
  switch (checkBeforeSave(currentFileName)) {
    case tSaveStep::kWrite:
      return writeBox(currentFileName);
    case tSaveStep::kSaveAs:
      return saveBoxAs();
    case tSaveStep::kStop:  // the box stays changed, so closing asks again
      break;
  }
  return false;
}

bool tHauptFenster::saveBoxAs() {
  std::string chosen;
  if (!chooseSavePath(this, "Kartei sichern unter", kCardFilePattern, kCardFileWildcard, &chosen)) {
    return false;
  }
  if (isOtherThanCardFile(chosen.c_str()) &&
      askYesNoDefaultNo(this, naming(kNoCardFile, chosen)) != wxID_YES) {
    return false;
  }
  const tSaveGuard::tKnown before = saveGuard_.known();
  const tLockState locked = saveGuard_.retarget(chosen, currentFileName);
  if (locked != tLockState::kHeld) {
    warn(this, locked == tLockState::kHeldElsewhere ? naming(kHeldElsewhere, chosen)
                                                    : toWx(saveGuard_.lockReason()));
    return false;
  }
  const std::string language = translationLanguage();
  const std::string oldFileName = currentFileName;
  if (checkBeforeSave(chosen) == tSaveStep::kWrite && writeBox(chosen)) {
    keepTranslationLanguage(language);
    takeJournalAlong(oldFileName);
    return true;
  }
  // Nothing reached the new file: the box stays with the file it had.
  saveGuard_.restore(before, currentFileName);
  return false;
}

bool tHauptFenster::writeBox(const std::string& path) {
  tFileReport report;
  const bool saved =
      saveCardFile(saveGuard_.boxAt(path), &report, saveGuard_.heldLock(), mergedVersions_);
  // A box that did not reach the file stays changed, so closing asks again.
  if (saved) {
    currentFileName = path;
    modified_ = false;
    saveGuard_.saved(report);
    noteSaved();
    rememberBox();
  }
  if (!saved && report.errors.empty()) report.errors.push_back(kSaveFailed);
  // What went wrong on the way (a backup, syncing the directory) comes in the same
  // message as any error.
  std::vector<std::string> problems = report.errors;
  problems.insert(problems.end(), report.warnings.begin(), report.warnings.end());
  showErrors(problems, path);
  return saved;
}

void tHauptFenster::showBackups() {
  if (currentFileName.empty()) return;
  tFileReport report;
  std::string backup;
  if (!restoreBackup(this, currentFileName, &report, &backup)) return;
  // The cards are the backup's, the file stays the box's own: "Sichern" writes them
  // back there, and the version they replace becomes a backup in turn.
  forgetAnswers();
  modified_ = true;
  refresh();
  showErrors(report.errors, backup);
}

void tHauptFenster::rememberBox() {
  if (!currentFileName.empty()) recentBoxes_.add(currentFileName);
  keepRecentBoxes();
}

// Absolute, so the next start finds the box from whatever folder it is started in.
wxString tHauptFenster::lastBoxPath() const {
  return shownPath(absolutePath(currentFileName));
}

void tHauptFenster::keepRecentBoxes() {
  settings_.recentBoxes = recentBoxes_.paths();
  settings_.lastBox = lastBoxPath();
  settings_.lastFolder = lastFolder();
  saveSettings(settings_);
  showRecentBoxes();
}

void tHauptFenster::showRecentBoxes() {
  auto* frame = dynamic_cast<wxFrame*>(wxGetTopLevelParent(this));
  wxMenuBar* menuBar = frame != nullptr ? frame->GetMenuBar() : nullptr;
  wxMenu* fileMenu = nullptr;
  if (menuBar == nullptr || menuBar->FindItem(CM_BEENDEN, &fileMenu) == nullptr) return;
  recentBoxes_.showIn(fileMenu, CM_BEENDEN);
}

void tHauptFenster::importText() {
  std::string chosen;
  tWordListOptions options;
  if (!chooseWordListToImport(this, &chosen, &options)) return;
  tImportNotes notes;
  // An import only appends cards, so the counts before are enough to take it back.
  std::unique_ptr<tUndoChange> change = appendChange(&theCardBox);
  const tImportResult result = importWordList(chosen.c_str(), options, notes.reporter());
  if (!result.opened) warn(this, toWx(kCannotRead) + shownPath(chosen));
  if (result.added > 0) {
    // New cards exist nowhere but in memory: closing must offer to save them.
    changedBy("Import", std::move(change));
  } else {
    refresh();
  }
  if (result.opened) notes.show(this, chosen, result);
}

void tHauptFenster::exportText() {
  std::string chosen;
  if (!chooseWordListToExport(this, &chosen)) return;
  // A KVTML file names the translation's language, as chosen for reading aloud.
  tWordListOptions options;
  options.translationLocale = translationLanguage();
  if (!exportWordList(chosen.c_str(), options)) {
    warn(this, toWx(kCannotWrite) + shownPath(chosen));
    return;
  }
  // A text file splits a term at its ";" when read back.
  if (wordListFormatOf(chosen.c_str()) != tWordListFormat::kText) return;
  const std::string note = textExportNote(textExportLoss());
  if (!note.empty()) ask(this, toWx(note), "Wortliste exportieren", wxOK | wxICON_INFORMATION);
}

void tHauptFenster::quit() {
  if (!queryClose()) return;
  callHelp(this, tHelpCommand::Quit);
  wxGetTopLevelParent(this)->Destroy();
}

void tHauptFenster::showErrors(const std::vector<std::string>& errors,
                               const std::string& cardFile) {
  if (errors.empty()) return;
  // Load and save errors name their file; a note that does not (a backup's warning, the
  // cards placed into compartment 1) is about the card file, named below.
  const wxString cardShown = shownPath(cardFile);
  const wxString boxShown = shownPath(boxFileName(cardFile));
  std::string text;
  bool unnamed = false;
  for (const std::string& error : errors) {
    text += (text.empty() ? "" : "\n") + error;
    const wxString line = toWx(error);
    if (!line.Contains(cardShown) && !line.Contains(boxShown)) unnamed = true;
  }
  wxString shown = toWx(text) + "\n";
  if (unnamed) shown += kFileLine + cardShown;
  warn(this, shown);
}
