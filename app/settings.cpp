// Reading and writing the settings file with wxFileConfig. The file is replaced as a
// whole through a temporary file, so a crash while writing leaves the old one.
#include "app/settings.h"

#include <wx/fileconf.h>
#include <wx/filename.h>
#include <wx/log.h>
#include <wx/utils.h>
#include <wx/wfstream.h>

#include <algorithm>

#include "dialogs/languages.h"
#include "storage/file_status.h"

namespace {

const char kTypedAnswers[] = "/Optionen/AntwortEintippen";
const char kReadAloud[] = "/Optionen/Vorlesen";
const char kLanguageBox[] = "/Vorlesen/Kartei%d";
const char kLanguageCode[] = "/Vorlesen/Sprache%d";
const char kFontPercent[] = "/Optionen/Schrift";
const char kWidth[] = "/Fenster/Breite";
const char kHeight[] = "/Fenster/Hoehe";
const char kLastBox[] = "/Zuletzt/Offen";
const char kLastFolder[] = "/Zuletzt/Ordner";
// The keys wxFileHistory keeps its list under: file1, file2, ...
const char kRecentBox[] = "/Zuletzt/file%d";
// Far beyond any screen, yet small enough that a frame of this size can be made.
constexpr int kMinSize = 100;
constexpr int kMaxSize = 10000;

wxString configHome() {
  return wxString(xdgBaseDirectory("XDG_CONFIG_HOME", ".config").c_str(), *wxConvFileName);
}

// A number stored as text; fallback when it is missing, no number, or out of range.
int readInt(const wxFileConfig& config, const char* key, int low, int high, int fallback) {
  wxString text;
  long value = 0;
  if (!config.Read(key, &text) || !text.Trim(true).Trim(false).ToLong(&value)) return fallback;
  return value >= low && value <= high ? static_cast<int>(value) : fallback;
}

// The list ends at its first gap, as wxFileHistory reads it.
std::vector<wxString> readRecentBoxes(const wxFileConfig& config) {
  std::vector<wxString> boxes;
  wxString path;
  while (static_cast<int>(boxes.size()) < tSettings::kRecentBoxes &&
         config.Read(wxString::Format(kRecentBox, static_cast<int>(boxes.size()) + 1), &path) &&
         !path.empty()) {
    boxes.push_back(path);
  }
  return boxes;
}

// Pairs up to the first gap; a pair whose code is none is skipped.
std::vector<std::pair<wxString, std::string>> readLanguages(const wxFileConfig& config) {
  std::vector<std::pair<wxString, std::string>> languages;
  wxString box;
  wxString text;
  for (int i = 1; i <= tSettings::kLanguageBoxes; ++i) {
    if (!config.Read(wxString::Format(kLanguageBox, i), &box) || box.empty() ||
        !config.Read(wxString::Format(kLanguageCode, i), &text)) {
      break;
    }
    std::string code;
    if (parseLanguageCode(text.utf8_string(), &code)) languages.emplace_back(box, code);
  }
  return languages;
}

}  // namespace

std::string translationLanguage(const tSettings& settings, const wxString& realPath) {
  for (const auto& [box, code] : settings.translationLanguages) {
    if (box == realPath) return code;
  }
  return kDefaultTranslationCode;
}

void setTranslationLanguage(tSettings* settings, const wxString& realPath,
                            const std::string& code) {
  auto& languages = settings->translationLanguages;
  languages.erase(
      std::remove_if(languages.begin(), languages.end(),
                     [&realPath](const auto& entry) { return entry.first == realPath; }),
      languages.end());
  languages.emplace(languages.begin(), realPath, code);
  if (languages.size() > tSettings::kLanguageBoxes) languages.resize(tSettings::kLanguageBoxes);
}

wxString settingsPath() {
  const wxString home = configHome();
  // Without any home there is nowhere to keep settings: defaults every run.
  return home.empty() ? home : home + "/termel/termel.conf";
}

tSettings loadSettings() {
  tSettings settings;
  const wxString path = settingsPath();
  if (path.empty() || !wxFileName::FileExists(path)) return settings;
  // A damaged file is no concern of the learner's: wx's complaints about it are dropped.
  wxLogNull quiet;
  wxFileInputStream stream(path);
  if (!stream.IsOk()) return settings;
  wxFileConfig config(stream, wxConvUTF8);
  // A path is a path: "$HOME" in a folder's name stays as it is.
  config.SetExpandEnvVars(false);
  settings.typedAnswers = readInt(config, kTypedAnswers, 0, 1, 0) == 1;
  settings.readAloud = readInt(config, kReadAloud, 0, 1, 0) == 1;
  settings.translationLanguages = readLanguages(config);
  const int percent =
      readInt(config, kFontPercent, tSettings::kFontMin, tSettings::kFontMax, tSettings::kFontMin);
  if ((percent - tSettings::kFontMin) % tSettings::kFontStep == 0) settings.fontPercent = percent;
  settings.width = readInt(config, kWidth, kMinSize, kMaxSize, tSettings::kDefaultWidth);
  settings.height = readInt(config, kHeight, kMinSize, kMaxSize, tSettings::kDefaultHeight);
  settings.lastBox = config.Read(kLastBox, wxString());
  settings.recentBoxes = readRecentBoxes(config);
  settings.lastFolder = config.Read(kLastFolder, wxString());
  return settings;
}

bool saveSettings(const tSettings& settings) {
  wxLogNull quiet;
  if (settingsPath().empty()) return false;
  const wxFileName path(settingsPath());
  if (!path.DirExists() && !wxFileName::Mkdir(path.GetPath(), 0700, wxPATH_MKDIR_FULL)) {
    return false;
  }
  // No file of its own: the contents are written through the stream below.
  wxFileConfig config(wxEmptyString, wxEmptyString, wxEmptyString, wxEmptyString, 0);
  config.Write(kTypedAnswers, settings.typedAnswers ? 1 : 0);
  config.Write(kReadAloud, settings.readAloud ? 1 : 0);
  for (size_t i = 0; i < settings.translationLanguages.size() && i < tSettings::kLanguageBoxes;
       ++i) {
    const int number = static_cast<int>(i) + 1;
    config.Write(wxString::Format(kLanguageBox, number), settings.translationLanguages[i].first);
    config.Write(wxString::Format(kLanguageCode, number),
                 wxString::FromUTF8(settings.translationLanguages[i].second));
  }
  config.Write(kFontPercent, settings.fontPercent);
  config.Write(kWidth, settings.width);
  config.Write(kHeight, settings.height);
  config.Write(kLastBox, settings.lastBox);
  config.Write(kLastFolder, settings.lastFolder);
  for (size_t i = 0; i < settings.recentBoxes.size() && i < tSettings::kRecentBoxes; ++i) {
    config.Write(wxString::Format(kRecentBox, static_cast<int>(i) + 1), settings.recentBoxes[i]);
  }
  wxTempFileOutputStream stream(path.GetFullPath());
  return stream.IsOk() && config.Save(stream, wxConvUTF8) && stream.Commit();
}
