// tSettings: what the program remembers between runs, the typed-answer and read-aloud
// options, the language each box's translations are read in, the size of the card texts, the size
// of the main frame, the box that was open when the program closed and the boxes opened lately.
// They live in one small file, $XDG_CONFIG_HOME/termel/termel.conf (~/.config/termel/ without
// XDG_CONFIG_HOME). Reading never fails: a missing or damaged file, or a value out of range, gives
// the default of that value.
#ifndef TERMEL_APP_SETTINGS_H_
#define TERMEL_APP_SETTINGS_H_

#include <wx/string.h>

#include <string>
#include <utility>
#include <vector>

struct tSettings {
  static constexpr int kFontMin = 100;  // per cent of the normal size
  static constexpr int kFontMax = 300;
  static constexpr int kFontStep = 25;
  static constexpr int kDefaultWidth = 600;  // the frame's outer size
  static constexpr int kDefaultHeight = 250;
  static constexpr int kRecentBoxes = 4;      // the length of the list in "Datei"
  static constexpr int kLanguageBoxes = 100;  // boxes whose language is remembered

  bool typedAnswers = false;
  bool readAloud = false;
  int fontPercent = kFontMin;
  int width = kDefaultWidth;
  int height = kDefaultHeight;
  // Paths as wxConvFileName reads the file system's bytes. The box open at the last
  // close, empty when none was; the boxes opened or saved lately, newest first, at
  // most kRecentBoxes, none empty.
  wxString lastBox;
  std::vector<wxString> recentBoxes;
  // Language codes of the translations, by the box's real path, the latest choice
  // first, at most kLanguageBoxes.
  std::vector<std::pair<wxString, std::string>> translationLanguages;
  // The folder a file was last chosen in, where file dialogs start when no box is open.
  wxString lastFolder;
};

// The language the translations of the box at realPath are read in; English when
// none was chosen.
std::string translationLanguage(const tSettings& settings, const wxString& realPath);
void setTranslationLanguage(tSettings* settings, const wxString& realPath, const std::string& code);

// The settings file's path; its directory need not exist. Empty without any home
// directory: settings then stay at their defaults.
wxString settingsPath();
tSettings loadSettings();
// Writes the file whole, creating its directory; false when that failed, in which
// case an older file is left as it was.
bool saveSettings(const tSettings& settings);

#endif  // TERMEL_APP_SETTINGS_H_
