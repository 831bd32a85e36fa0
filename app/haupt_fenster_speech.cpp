// Reading the cards aloud: the option, reading a side again and the language of the
// open box's translations.

#include "app/file_dialogs.h"
#include "app/haupt_fenster.h"

#include "box/termel.h"
#include "dialogs/languages.h"
#include "dialogs/sprache_dialog.h"
#include "kartei/box_identity.h"

namespace {

// One key per box however it was opened, also before its file is first written.
wxString boxSettingsKey(const std::string& path) {
  return shownPath(tBoxIdentity(path).settingsKey());
}

}  // namespace

void tHauptFenster::readSide(bool answer) {
  if (!canReadAloud()) return;
  // The service may take up to a second to answer, or to be found not answering; the
  // window shows first and reads once it is on the screen.
  if (!GetParent()->IsShown()) {
    if (!readingDeferred_) CallAfter([this] { readAgain(); });
    readingDeferred_ = true;
    return;
  }
  readingDeferred_ = false;
  std::string why;
  if (currentCard_ == nullptr) {
    vorlesen_.stop(&why);
    showSpeechTrouble(why);
    return;
  }
  // The back of a card is the translation, on whichever side it is asked.
  const bool translation = answer != swapSides_;
  vorlesen_.say(translation ? currentCard_->back : currentCard_->front,
                translation ? translationLanguage() : kGermanCode, &why);
  showSpeechTrouble(why);
}

void tHauptFenster::showSpeechTrouble(const std::string& why) {
  if (why.empty() || statusBar_ == nullptr) return;
  // In the counts' field, until the next card brings them back.
  statusBar_->SetStatusText(wxString::FromUTF8(why), 0);
}

void tHauptFenster::toggleReadAloud() {
  if (canReadAloud()) {
    settings_.readAloud = false;
    std::string why;
    vorlesen_.stop(&why);
    showSpeechTrouble(why);
  } else {
    std::string why;
    if (!vorlesen_.connect(&why)) {
      showSpeechTrouble(why);
      return;
    }
    settings_.readAloud = true;
    readAgain();
  }
  saveSettings(settings_);
}

void tHauptFenster::readAgain() {
  readSide(answerShown);
}

std::string tHauptFenster::translationLanguage() const {
  if (currentFileName.empty()) {
    return unnamedBoxLanguage_.empty() ? kDefaultTranslationCode : unnamedBoxLanguage_;
  }
  return ::translationLanguage(settings_, boxSettingsKey(currentFileName));
}

void tHauptFenster::chooseLanguage() {
  std::string code = translationLanguage();
  if (chooseTranslationLanguage(this, &code)) keepTranslationLanguage(code);
}

void tHauptFenster::keepTranslationLanguage(const std::string& code) {
  if (currentFileName.empty()) {
    unnamedBoxLanguage_ = code;
  } else if (code != translationLanguage()) {
    setTranslationLanguage(&settings_, boxSettingsKey(currentFileName), code);
    saveSettings(settings_);
  }
}
