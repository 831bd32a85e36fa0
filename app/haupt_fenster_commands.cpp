// The menu commands of the training window: files, import and export, cards,
// compartments, options and help, with their message boxes and file dialogs.
#include <wx/filedlg.h>
#include <wx/msgdlg.h>

#include "app/haupt_fenster.h"
#include "box/card_box.h"
#include "box/card_file.h"
#include "box/text_io.h"
#include "dialogs/bearb_dialog.h"
#include "dialogs/help.h"
#include "dialogs/overview_dialog.h"
#include "dialogs/termel_dialog.h"
#include "dialogs/wx_text.h"

namespace {

const char kCardFileWildcard[] = "Termeln (*.trm)|*.trm";
const char kCardFilePattern[] = "*.trm";
const char kImportWildcard[] = "Alle (*.*)|*.*|Text Files (*.txt)|*.txt";
const char kCannotRead[] = "Die Datei kann nicht gelesen werden:\n";
const char kCannotWrite[] = "Die Datei kann nicht geschrieben werden:\n";
const char kSaveFailed[] = "Die Termeln wurden nicht gesichert.";
const char kBoxErrorPrefix[] = "Fehler in Kastendatei";
const char kFileLine[] = "\nDatei: ";

// GTK labels its stock buttons in the desktop's language; the program speaks German
// whatever that is.
int showGerman(wxMessageDialog& box) {
  box.SetYesNoLabels("&Ja", "&Nein");
  box.SetOKCancelLabels("OK", "Abbrechen");
  return box.ShowModal();
}

int ask(wxWindow* owner, const char* text, const char* caption, long style) {
  wxMessageDialog box(owner, toWx(text), toWx(caption), style);
  return showGerman(box);
}

int askOkCancel(wxWindow* owner, const char* text) {
  return ask(owner, text, "Warnung", wxOK | wxCANCEL | wxICON_QUESTION);
}

int askYesNo(wxWindow* owner, const char* text) {
  return ask(owner, text, "Achtung", wxYES_NO | wxICON_NONE);
}

void warn(wxWindow* owner, const wxString& text) {
  wxMessageDialog box(owner, text, "Achtung", wxOK | wxICON_WARNING);
  showGerman(box);
}

// A path as the file system knows it, readable in a message.
wxString shownPath(const std::string& path) {
  return wxString(path.c_str(), *wxConvFileName);
}

bool isBoxFileError(const std::string& error) {
  return error.compare(0, sizeof kBoxErrorPrefix - 1, kBoxErrorPrefix) == 0;
}

// Runs the dialog; on OK, *path gets the chosen path as the bytes the file system
// knows it by, whatever its length. A dialog that hands back no path counts as
// cancelled.
bool choosePath(wxFileDialog& dialog, std::string* path) {
  if (dialog.ShowModal() != wxID_OK) return false;
  // The buffer may point into the string, which must therefore outlive it.
  const wxString chosen = dialog.GetPath();
  const wxScopedCharBuffer bytes = chosen.fn_str();
  path->assign(bytes.data(), bytes.length());
  return !path->empty();
}

// The name field of a save dialog starts with a pattern such as "*.trm". GTK hands a
// name left like that back as a file name instead of applying it as a filter, which
// would write a file called "*.trm"; the learner gets the dialog again instead.
bool chooseSavePath(wxWindow* owner, const wxString& title, const wxString& name,
                    const wxString& wildcard, std::string* path) {
  for (;;) {
    wxFileDialog dialog(owner, title, wxString(), name, wildcard, wxFD_SAVE);
    if (!choosePath(dialog, path)) return false;
    if (dialog.GetFilename().find_first_of("*?") == wxString::npos) return true;
  }
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

void tHauptFenster::openBox() {
  // The box is emptied next: after a failed save it must stay as it is.
  if (modified_ && askYesNo(this, "Bisherige Daten sichern") == wxID_YES && !saveBox()) return;
  wxFileDialog dialog(this, wxString::FromUTF8("Kartei öffnen"), wxString(), kCardFilePattern,
                      kCardFileWildcard, wxFD_OPEN | wxFD_FILE_MUST_EXIST);
  std::string chosen;
  // Cancelled, the box stays as it is, so nothing can be lost by closing later.
  if (!choosePath(dialog, &chosen)) return;
  theCardBox.clearAll();
  forgetAnswers();
  currentFileName = chosen;
  tFileReport report;
  loadCardFile(currentFileName.c_str(), &report);
  modified_ = false;
  refresh();
  showErrors(report.errors, currentFileName);
}

bool tHauptFenster::saveBox() {
  if (currentFileName.empty()) return saveBoxAs();
  tFileReport report;
  const bool saved = saveCardFile(currentFileName.c_str(), &report);
  // A box that did not reach the file stays changed, so closing asks again.
  if (saved) modified_ = false;
  if (!saved && report.errors.empty()) report.errors.push_back(kSaveFailed);
  showErrors(report.errors, currentFileName);
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

void tHauptFenster::importText() {
  wxFileDialog dialog(this, "Wortliste importieren", wxString(), wxString(), kImportWildcard,
                      wxFD_OPEN | wxFD_FILE_MUST_EXIST);
  std::string chosen;
  if (!choosePath(dialog, &chosen)) return;
  const tImportResult result =
      importTextFile(chosen.c_str(), [this](int, const char* caption, const char* text) {
        ask(this, text, caption, wxOK | wxICON_NONE);
      });
  if (!result.opened) warn(this, toWx(kCannotRead) + shownPath(chosen));
  // New cards exist nowhere but in memory: closing must offer to save them.
  if (result.added > 0) modified_ = true;
  forgetAnswers();
  refresh();
}

void tHauptFenster::exportText() {
  std::string chosen;
  if (!chooseSavePath(this, "Wortliste exportieren", wxString(), wxFileSelectorDefaultWildcardStr,
                      &chosen)) {
    return;
  }
  if (!exportTextFile(chosen.c_str())) warn(this, toWx(kCannotWrite) + shownPath(chosen));
}

void tHauptFenster::quit() {
  if (!queryClose()) return;
  callHelp(this, tHelpCommand::Quit);
  wxGetTopLevelParent(this)->Destroy();
}

void tHauptFenster::enterCards() {
  runCardEntryDialog(this, nullptr);
  forgetAnswers();
  modified_ = true;
  refresh();
}

void tHauptFenster::correctCard() {
  if (currentCard_ == nullptr) return;
  runCardEntryDialog(this, currentCard_);
  forgetAnswers();
  modified_ = true;
  updateTexts();
}

void tHauptFenster::deleteCard() {
  if (currentCard_ == nullptr) return;
  theCardBox.deleteCurrent(&currentCompartment_);
  forgetAnswers();
  modified_ = true;
  refresh();
}

void tHauptFenster::allToFirst() {
  theCardBox.allToFirst();
  forgetAnswers();
  modified_ = true;
  refresh();
}

void tHauptFenster::editCards() {
  runCardEditingDialog(this);
  forgetAnswers();
  modified_ = true;
  refresh();
}

void tHauptFenster::clearArchive() {
  if (askOkCancel(this, "Alle Termeln aus der Ablage wirklich entfernen?") != wxID_OK) return;
  theCardBox.clearCompartment(theCardBox.compartmentCount());
  forgetAnswers();
  modified_ = true;
  refresh();
}

void tHauptFenster::shuffleFirst() {
  theCardBox.shuffle(1);
  forgetAnswers();
  refresh();
}

void tHauptFenster::shuffleAll() {
  modified_ = true;
  theCardBox.shuffle(0);
  forgetAnswers();
  refresh();
}

void tHauptFenster::toggleSwapSides() {
  swapSides_ = !swapSides_;
  refresh();
}

void tHauptFenster::toggleEmptyToEnd() {
  emptyToEnd_ = !emptyToEnd_;
}

void tHauptFenster::help(int command) {
  switch (command) {
    case CM_HILFE_INHALT:
      callHelp(this, tHelpCommand::Contents);
      break;
    case CM_HILFE_SUCHEN:
      callHelp(this, tHelpCommand::Search);
      break;
    case CM_HILFE_BENUTZEN:
      callHelp(this, tHelpCommand::HelpOnHelp);
      break;
    default:
      callHelp(this, tHelpCommand::Keyword, "Copyright");
      break;
  }
}

void tHauptFenster::showOverview() {
  runOverviewDialog(this);
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

void tHauptFenster::onUpdateUI(wxUpdateUIEvent& event) {
  switch (event.GetId()) {
    case CM_ANTWORT_ALS_FRAGE:
      event.Check(swapSides_);
      break;
    case CM_LEERFAECHER:
      event.Check(emptyToEnd_);
      break;
    case CM_ZURUECKNEHMEN:
      event.Enable(history_.canTakeBack());
      break;
    case CM_ANTWORT_EINTIPPEN:
      event.Check(settings_.typedAnswers);
      break;
    case CM_SCHRIFT_GROESSER:
      event.Enable(settings_.fontPercent < tSettings::kFontMax);
      break;
    case CM_SCHRIFT_KLEINER:
    case CM_SCHRIFT_NORMAL:
      event.Enable(settings_.fontPercent > tSettings::kFontMin);
      break;
    default:  // "Korrigieren" and "Löschen" need a card to act on
      event.Enable(currentCard_ != nullptr);
      break;
  }
}

void tHauptFenster::onCommand(wxCommandEvent& event) {
  switch (event.GetId()) {
    case CM_NEU:
      newBox();
      break;
    case CM_OEFFNEN:
      openBox();
      break;
    case CM_IMPORT:
      importText();
      break;
    case CM_EXPORT:
      exportText();
      break;
    case CM_SICHERN:
      saveBox();
      break;
    case CM_SICHERN_ALS:
      saveBoxAs();
      break;
    case CM_BEENDEN:
      quit();
      break;
    case CM_KORRIGIEREN:
      correctCard();
      break;
    case CM_LOESCHEN:
      deleteCard();
      break;
    case CM_IN_1_FACH:
      allToFirst();
      break;
    case CM_TERMEL_NEU:
      enterCards();
      break;
    case CM_AENDERN:
      editCards();
      break;
    case CM_LOESCHEN_ABLAGE:
      clearArchive();
      break;
    case CM_ALLE_MISCHEN:
      shuffleAll();
      break;
    case CM_MISCHEN:
      shuffleFirst();
      break;
    case CM_HILFE_INHALT:
    case CM_HILFE_SUCHEN:
    case CM_HILFE_BENUTZEN:
    case CM_HILFE_INFO:
      help(event.GetId());
      break;
    case CM_LEERFAECHER:
      toggleEmptyToEnd();
      break;
    case CM_ZURUECKNEHMEN:
      takeBackAnswer();
      break;
    case CM_UEBERSICHT:
      showOverview();
      break;
    case CM_ANTWORT_EINTIPPEN:
      toggleTypedAnswers();
      break;
    case CM_SCHRIFT_GROESSER:
      stepFont(1);
      break;
    case CM_SCHRIFT_KLEINER:
      stepFont(-1);
      break;
    case CM_SCHRIFT_NORMAL:
      stepFont(0);
      break;
    case CM_STRG_GEWUSST:
      if (answerShown) markKnown();
      break;
    case CM_STRG_UNBEKANNT:
      markUnknown();
      break;
    case CM_ANTWORT_ALS_FRAGE:
      toggleSwapSides();
      break;
    case CM_WEITER:
      advance();
      break;
    case CM_UNBEKANNT:
      markUnknown();
      break;
    case ID_SEHEN:
      showAnswer();
      break;
    case ID_GEWUSST:
      markKnown();
      break;
    default:
      event.Skip();
      break;
  }
}
