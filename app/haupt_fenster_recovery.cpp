// The training window's recovery data: kept up to date while the box is changed,
// offered back when the box is opened after the program was killed, removed when the
// box is saved, and kept among the backups when the learner does not want it back.
#include <fcntl.h>
#include <sys/stat.h>

#include <ctime>

#include "app/file_dialogs.h"
#include "app/haupt_fenster.h"
#include "app/recovery_keeper.h"
#include "box/card_box.h"
#include "dialogs/wx_text.h"
#include "kartei/backups.h"
#include "kartei/recovery_backup.h"
#include "storage/sys_calls.h"

namespace {

const char kNotKept[] =
    "Die nicht wiederhergestellten \xc4nderungen konnten nicht als Sicherung aufbewahrt werden; "
    "termel fragt beim n\xe4"
    "chsten \xd6"
    "ffnen der Kartei wieder.";
const char kSetAside[] = "\nSie wurden beiseitegelegt als:\n";

// When the box's card file was last written (the last save), 0 when it has none.
int64_t savedTimeOf(const std::string& cardPath) {
  struct stat st;
  if (cardPath.empty() || ::stat(cardPath.c_str(), &st) != 0) return 0;
  return static_cast<int64_t>(st.st_mtime);
}

std::string joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += "\n" + line;
  return text;
}

}  // namespace

void tHauptFenster::createRecoveryKeeper() {
  recovery_ = std::make_unique<tRecoveryKeeper>([this](const std::string& error) {
    // Shown once the change that failed to be kept is done.
    CallAfter([this, error] { warn(this, toWx(error)); });
  });
}

void tHauptFenster::attachRecovery() {
  recovery_->attach(currentFileName, savedTimeOf(currentFileName));
}

void tHauptFenster::offerRecovery() {
  if (!recovery_->active()) return;
  tRecoveryData data;
  std::string error;
  switch (readRecovery(recovery_->file(), &data, &error)) {
    case tRecoveryRead::kNone:
      return;
    case tRecoveryRead::kDamaged:
      setAsideDamagedRecovery(error);
      return;
    case tRecoveryRead::kFound:
      break;
  }
  // The box's file already holds all of it (saved by another way): nothing to offer.
  if (sameBox(data.cards, cardsOf(theCardBox))) {
    recovery_->remove();
    return;
  }
  // Changed elsewhere since (merged, synced from another computer): the data is the
  // whole box, so it can still be had, but only in place of the changed file.
  const bool fileChanged = !sameCardFile(currentFileName, data.fileVersion);
  if (askYesNo(this, toWx(recoveryQuestion(data, fileChanged))) == wxID_YES) {
    if (fileChanged) keepChangedFile();
    fillBox(theCardBox, data.cards);
    forgetAnswers();
    modified_ = true;
    recovery_->restored(data);
    refresh();
    return;
  }
  keepRecoveryData(data);
}

void tHauptFenster::setAsideDamagedRecovery(const std::string& error) {
  // Not overwritten by the next change: whatever it still holds stays for the learner.
  const std::string aside = recovery_->file() + "-" + std::to_string(std::time(nullptr));
  std::string text = error;
  if (sysCalls().renameat(AT_FDCWD, recovery_->file().c_str(), AT_FDCWD, aside.c_str()) == 0) {
    text += kSetAside + aside;
  }
  warn(this, toWx(text));
}

void tHauptFenster::keepRecoveryData(const tRecoveryData& data) {
  // Where is not said: "Sicherungen..." lists it like every other backup.
  std::string kept;
  std::vector<std::string> warnings;
  const bool done = keepRecoveryAsBackup(data, &kept, &warnings);
  // The cards were written through the box, so every reference into it is new.
  forgetAnswers();
  refresh();
  if (!done) {
    warn(this, toWx(kNotKept + joined(warnings)));
    return;
  }
  // A command that gave the changes up may still be cancelled: then they are kept again.
  if (recovery_->remove()) recovery_->movedAway(modified_);
}

void tHauptFenster::keepChangedFile() {
  std::vector<std::string> warnings;
  keepBeforeSave(tBoxIdentity(currentFileName), &warnings);
  if (!warnings.empty()) warn(this, toWx(joined(warnings).substr(1)));
}

void tHauptFenster::keepDiscardedChanges() {
  recovery_->flush();
  tRecoveryData data;
  if (readRecovery(recovery_->file(), &data, nullptr) == tRecoveryRead::kFound) {
    keepRecoveryData(data);
  }
}

void tHauptFenster::closeUnchanged() {
  recovery_->closedUnchanged();
}

void tHauptFenster::keepUnsaved() {
  recovery_->flush();
}

void tHauptFenster::noteSaved() {
  recovery_->saved(currentFileName, static_cast<int64_t>(std::time(nullptr)));
}
