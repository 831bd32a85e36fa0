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
#include "dialogs/backups_dialog.h"
#include "dialogs/help.h"
#include "dialogs/wx_text.h"
#include "kartei/box_file_name.h"
#include "kartei/card_file.h"
#include "wordlists/word_list_format.h"

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
const char kChangedElsewhere[] =
    "Die Datei %s wurde inzwischen von einem anderen Programm ge\xE4"
    "ndert. Trotzdem "
    "\xFC"
    "berschreiben?";
const char kReplacedOne[] =
    "In 1 Zeile wurden typografische Zeichen durch einfache ersetzt (Anf\xFC"
    "hrungszeichen, "
    "Striche, Auslassungspunkte, Euro-Zeichen, gesch\xFC"
    "tzte Leerzeichen).";
const char kReplacedMany[] =
    "In %d Zeilen wurden typografische Zeichen durch einfache ersetzt (Anf\xFC"
    "hrungszeichen, "
    "Striche, Auslassungspunkte, Euro-Zeichen, gesch\xFC"
    "tzte Leerzeichen).";

// A code page 1252 text with the path in place of its %s.
wxString naming(const char* format, const std::string& path) {
  wxString text = toWx(format);
  text.Replace("%s", shownPath(path));
  return text;
}

bool isBoxFileError(const std::string& error) {
  return error.compare(0, sizeof kBoxErrorPrefix - 1, kBoxErrorPrefix) == 0;
}

// How many imported lines had typographic characters replaced; nothing when none had.
void showReplaced(wxWindow* owner, int lines) {
  if (lines <= 0) return;
  const wxString text =
      lines == 1 ? toWx(kReplacedOne) : wxString::Format(toWx(kReplacedMany), lines);
  ask(owner, text, "Wortliste importieren", wxOK | wxICON_INFORMATION);
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
  saveGuard_.forget();
  refresh();
}

bool tHauptFenster::offerToSave() {
  return !modified_ || askYesNo(this, "Bisherige Daten sichern") != wxID_YES || saveBox();
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
  modified_ = false;
  refresh();
  if (report.opened) rememberBox();
  showLoadReport(report, currentFileName);
}

bool tHauptFenster::claimBox(const std::string& path, bool* onlyToRead) {
  // A lock that cannot be taken for another reason (a directory this user may not
  // write) keeps nobody from opening the box; its save says what stands in the way.
  *onlyToRead = saveGuard_.lock(path) == tLockState::kHeldElsewhere;
  if (!*onlyToRead || askYesNo(this, naming(kOpenElsewhere, path)) == wxID_YES) return true;
  // Trying the other box let go of this one's lock, and this one stays open.
  if (!currentFileName.empty()) saveGuard_.lock(currentFileName);
  return false;
}

void tHauptFenster::showLoadReport(const tFileReport& report, const std::string& cardFile) {
  std::vector<std::string> notes = report.errors;
  if (report.placedInFirst > 0) notes.push_back(placedInFirstText(report.placedInFirst));
  showErrors(notes, cardFile);
}

tHauptFenster::tSaveStep tHauptFenster::checkBeforeSave() {
  for (;;) {
    const tSaveGuard::tCheck check = saveGuard_.check(currentFileName);
    wxString question;
    switch (check) {
      case tSaveGuard::tCheck::kWrite:
        return tSaveStep::kWrite;
      case tSaveGuard::tCheck::kReadOnly:
      case tSaveGuard::tCheck::kOpenedToRead: {
        const char* text = check == tSaveGuard::tCheck::kReadOnly ? kWriteProtected : kOpenedToRead;
        return askYesNo(this, naming(text, currentFileName)) == wxID_YES ? tSaveStep::kSaveAs
                                                                         : tSaveStep::kStop;
      }
      case tSaveGuard::tCheck::kLossyRewrite:
        question = toWx(kLossyRewriteQuestion);
        break;
      case tSaveGuard::tCheck::kChanged:
        question = naming(kChangedElsewhere, currentFileName);
        break;
    }
    if (askYesNoDefaultNo(this, question) != wxID_YES) return tSaveStep::kStop;
    saveGuard_.accept(check, currentFileName);
  }
}

bool tHauptFenster::saveBox() {
  if (currentFileName.empty()) return saveBoxAs();
  switch (checkBeforeSave()) {
    case tSaveStep::kWrite:
      break;
    case tSaveStep::kSaveAs: {
      // The learner asked to save elsewhere: a cancelled dialog saved nothing, and
      // closing must not go on as if it had.
      const std::string before = currentFileName;
      return saveBoxAs() && currentFileName != before;
    }
    case tSaveStep::kStop:  // the box stays changed, so closing asks again
      return false;
  }
  tFileReport report;
  const bool saved = saveCardFile(currentFileName.c_str(), &report);
  // A box that did not reach the file stays changed, so closing asks again.
  if (saved) modified_ = false;
  if (saved) saveGuard_.saved(report);
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
  if (!saveGuard_.retarget(chosen, currentFileName)) {
    warn(this, naming(kHeldElsewhere, chosen));
    return false;
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
  showReplaced(this, result.replaced);
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
