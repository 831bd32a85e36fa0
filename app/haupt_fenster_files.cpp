// The file commands of the training window: new, open (also from the list of recent
// boxes), save, backups, word-list import and export, and quitting, with the reports
// of what went wrong.
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/frame.h>
#include <wx/menu.h>

#include "app/file_dialogs.h"
#include "app/haupt_fenster.h"
#include "box/card_box.h"
#include "box/card_file.h"
#include "box/word_list_format.h"
#include "dialogs/backups_dialog.h"
#include "dialogs/help.h"
#include "dialogs/wx_text.h"

namespace {

const char kCardFileWildcard[] = "Termeln (*.trm)|*.trm";
const char kCardFilePattern[] = "*.trm";
const char kCannotRead[] = "Die Datei kann nicht gelesen werden:\n";
const char kCannotWrite[] = "Die Datei kann nicht geschrieben werden:\n";
const char kSaveFailed[] = "Die Termeln wurden nicht gesichert.";
const char kBoxErrorPrefix[] = "Fehler in Kastendatei";
const char kFileLine[] = "\nDatei: ";
// "Die Kartei gibt es nicht mehr:\n...\nSie wird aus der Liste genommen."
const char kBoxGone[] = "Die Kartei gibt es nicht mehr:\n";
const char kBoxGoneEnd[] = "\nSie wird aus der Liste der letzten Karteien genommen.";

bool isBoxFileError(const std::string& error) {
  return error.compare(0, sizeof kBoxErrorPrefix - 1, kBoxErrorPrefix) == 0;
}

}  // namespace

bool tHauptFenster::queryClose() {
  if (!modified_) return true;
  switch (askYesNo(this, "Speichern?")) {
    case wxID_YES:
      // A save that failed keeps the program open rather than losing the box; a
      // cancelled save dialog closes all the same.
      return saveBox();
    case wxID_NO:
      return true;
    default:
      return false;
  }
}

void tHauptFenster::newBox() {
  if (askOkCancel(this, "Alle Termeln werden geloescht!") != wxID_OK) return;
  theCardBox.clearAll();
  forgetAnswers();
  // Saving the new box must not silently replace the file the old one came from.
  currentFileName.clear();
  refresh();
}

bool tHauptFenster::offerToSave() {
  return !modified_ || askYesNo(this, "Bisherige Daten sichern") != wxID_YES || saveBox();
}

void tHauptFenster::openBox() {
  // The box is emptied next: after a failed save it must stay as it is.
  if (!offerToSave()) return;
  wxFileDialog dialog(this, wxString::FromUTF8("Kartei öffnen"), wxString(), kCardFilePattern,
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
  theCardBox.clearAll();
  forgetAnswers();
  currentFileName = path;
  tFileReport report;
  loadCardFile(currentFileName.c_str(), &report);
  modified_ = false;
  refresh();
  if (report.opened) rememberBox();
  showErrors(report.errors, currentFileName);
}

bool tHauptFenster::saveBox() {
  if (currentFileName.empty()) return saveBoxAs();
  tFileReport report;
  const bool saved = saveCardFile(currentFileName.c_str(), &report);
  // A box that did not reach the file stays changed, so closing asks again.
  if (saved) modified_ = false;
  if (!saved && report.errors.empty()) report.errors.push_back(kSaveFailed);
  if (saved) rememberBox();
  // What went wrong on the way (a backup, syncing the directory) comes in the same
  // message as any error.
  std::vector<std::string> problems = report.errors;
  problems.insert(problems.end(), report.warnings.begin(), report.warnings.end());
  showErrors(problems, currentFileName);
  return saved;
}

bool tHauptFenster::saveBoxAs() {
  std::string chosen;
  if (!chooseSavePath(this, "Kartei sichern unter", kCardFilePattern, kCardFileWildcard, &chosen)) {
    return true;
  }
  currentFileName = chosen;
  return saveBox();
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

void tHauptFenster::keepRecentBoxes() {
  settings_.recentBoxes = recentBoxes_.paths();
  settings_.lastBox = shownPath(currentFileName);
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
  const bool lines = wordListFormatOf(chosen.c_str()) == tWordListFormat::kText;
  tImportNotes notes;
  // Lines of a .txt file are shown one by one, as they always were; the other formats
  // report at the end, all in one message.
  const tWordListReporter report =
      lines ? tWordListReporter([this](int, const char* caption, const char* text, int) {
        ask(this, toWx(text), toWx(caption), wxOK | wxICON_NONE);
      })
            : notes.reporter();
  const tImportResult result = importWordList(chosen.c_str(), options, report);
  if (!result.opened) warn(this, toWx(kCannotRead) + shownPath(chosen));
  // New cards exist nowhere but in memory: closing must offer to save them.
  if (result.added > 0) modified_ = true;
  forgetAnswers();
  refresh();
  notes.show(this, chosen);
}

void tHauptFenster::exportText() {
  std::string chosen;
  if (!chooseWordListToExport(this, &chosen)) return;
  if (!exportWordList(chosen.c_str(), tWordListOptions())) {
    warn(this, toWx(kCannotWrite) + shownPath(chosen));
  }
}

void tHauptFenster::quit() {
  if (!queryClose()) return;
  callHelp(this, tHelpCommand::Quit);
  wxGetTopLevelParent(this)->Destroy();
}

void tHauptFenster::showErrors(const std::vector<std::string>& errors,
                               const std::string& cardFile) {
  if (errors.empty()) return;
  std::string text;
  bool cardFileMeant = false;
  bool boxFileMeant = false;
  for (const std::string& error : errors) {
    text += (text.empty() ? "" : "\n") + error;
    (isBoxFileError(error) ? boxFileMeant : cardFileMeant) = true;
  }
  wxString shown = toWx(text) + "\n";
  if (cardFileMeant) shown += kFileLine + shownPath(cardFile);
  if (boxFileMeant) shown += kFileLine + shownPath(boxFileName(cardFile));
  warn(this, shown);
}
