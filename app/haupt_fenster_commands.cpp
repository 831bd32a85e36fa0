// The menu commands of the training window for cards, compartments, options and
// help, and the dispatch of every command; the file commands are in
// haupt_fenster_files.cpp.
#include <wx/frame.h>
#include <wx/menu.h>

#include <memory>
#include <string>
#include <utility>

#include "app/file_dialogs.h"
#include "app/haupt_fenster.h"
#include "app/recent_boxes.h"
#include "app/recovery_keeper.h"
#include "box/card_box.h"
#include "dialogs/bearb_dialog.h"
#include "dialogs/help.h"
#include "dialogs/history_dialog.h"
#include "dialogs/overview_dialog.h"
#include "dialogs/search_dialog.h"
#include "dialogs/termel_dialog.h"
#include "dialogs/wx_text.h"

void tHauptFenster::enterCards() {
  // The duplicate warning may correct a card already in the box, so the whole box is
  // compared, not only the cards appended.
  const tBoxSnapshot before = snapshotOf(&theCardBox);
  runCardEntryDialog(this, nullptr);
  changedBy("Neu", differenceChange(&theCardBox, before));
}

void tHauptFenster::changedBy(const char* label, std::unique_ptr<tUndoChange> change) {
  undo_.record(label, std::move(change));
  modified_ = true;
  refresh();
}

void tHauptFenster::takeBackChange() {
  if (!undo_.undo()) return;
  modified_ = true;
  refresh();
}

void tHauptFenster::correctCard() {
  if (currentCard_ == nullptr) return;
  const tTermel before = *currentCard_;
  const int32_t position = theCardBox.positionOf(currentCard_, currentCompartment_);
  runCardEntryDialog(this, currentCard_);
  recovery_->noteCorrection();
  undo_.record("Korrigieren", correctionChange(&theCardBox, currentCompartment_, position, before));
  modified_ = true;
  updateTexts();
}

void tHauptFenster::deleteCard() {
  if (currentCard_ == nullptr) return;
  // Through the history, so Strg+Z brings the card back.
  history_.deleteCard(currentCard_, currentCompartment_);
  modified_ = true;
  refresh();
}

void tHauptFenster::allToFirst() {
  std::unique_ptr<tUndoChange> change = allToFirstChange(&theCardBox);
  theCardBox.allToFirst();
  changedBy("In 1. Fach", std::move(change));
}

void tHauptFenster::editCards() {
  const tBoxSnapshot before = snapshotOf(&theCardBox);
  runCardEditingDialog(this);
  changedBy("\xC4ndern", differenceChange(&theCardBox, before));
}

void tHauptFenster::clearArchive() {
  const int archive = theCardBox.compartmentCount();
  // An empty archive loses nothing, so there is nothing to ask.
  if (theCardBox.countIn(archive) == 0) return;
  if (askOkCancelDefaultCancel(this, "Alle Termeln aus der Ablage wirklich entfernen?") !=
      wxID_OK) {
    return;
  }
  std::unique_ptr<tUndoChange> change = clearChange(&theCardBox, archive);
  theCardBox.clearCompartment(archive);
  changedBy("L\xF6schen Ablage", std::move(change));
}

void tHauptFenster::shuffleFirst() {
  CardBox::tOrders dealt;
  theCardBox.shuffle(1, &dealt);
  // The order alone is no change worth a question before closing.
  undo_.record("Mischen", shuffleChange(std::move(dealt)));
  refresh();
}

void tHauptFenster::shuffleAll() {
  CardBox::tOrders dealt;
  theCardBox.shuffle(0, &dealt);
  changedBy("Alle Mischen", shuffleChange(std::move(dealt)));
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

void tHauptFenster::showHistory() {
  runHistoryDialog(this, currentFileName);
}

void tHauptFenster::findCards() {
  bool changed = false;
  runSearchDialog(this, &history_, &undo_, &changed);
  if (!changed) return;
  modified_ = true;
  refresh();
}

wxString tHauptFenster::undoItemLabel() {
  const std::string what = undo_.nextLabel();
  return wxString::FromUTF8(
             "&Zur\xC3\xBC"
             "cknehmen") +
         (what.empty() ? wxString() : ": " + toWx(what)) + "\tCtrl+Z";
}

// Set as soon as the box changes, not only when the menu opens: GTK sizes an open menu
// before the label grows, and would cut off the key.
void tHauptFenster::showUndoItem() {
  auto* frame = dynamic_cast<wxFrame*>(wxGetTopLevelParent(this));
  wxMenuBar* menuBar = frame != nullptr ? frame->GetMenuBar() : nullptr;
  wxMenuItem* item = menuBar != nullptr ? menuBar->FindItem(CM_ZURUECKNEHMEN) : nullptr;
  if (item == nullptr) return;
  const wxString label = undoItemLabel();
  if (item->GetItemLabel() != label) item->SetItemLabel(label);
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
      event.Enable(undo_.next() != tUndoStack::tNext::kNothing);
      event.SetText(undoItemLabel());
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
    case CM_VORLESEN:
      event.Enable(vorlesen_.usable());
      event.Check(canReadAloud());
      break;
    case CM_NOCHMAL_VORLESEN:
      event.Enable(canReadAloud() && currentCard_ != nullptr);
      break;
    case CM_SICHERUNGEN:  // backups belong to a box file, and so does a merge
    case CM_ZUSAMMENFUEHREN:
      event.Enable(!currentFileName.empty());
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
    case CM_SICHERUNGEN:
      showBackups();
      break;
    case CM_ZUSAMMENFUEHREN:
      mergeCopies();
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
    case CM_KARTE_SUCHEN:
      findCards();
      break;
    case CM_LERNVERLAUF:
      showHistory();
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
    case CM_VORLESEN:
      toggleReadAloud();
      break;
    case CM_NOCHMAL_VORLESEN:
      readAgain();
      break;
    case CM_SPRACHE_UEBERSETZUNG:
      chooseLanguage();
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
      if (size_t index = 0; tRecentBoxes::isItem(event.GetId(), &index)) {
        openRecentBox(index);
      } else {
        event.Skip();
      }
      break;
  }
}
