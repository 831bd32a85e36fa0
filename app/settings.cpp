// Reading and writing the settings file with wxFileConfig. The file is replaced as a
// whole through a temporary file, so a crash while writing leaves the old one.
#include "app/settings.h"

#include <wx/fileconf.h>
#include <wx/filename.h>
#include <wx/log.h>
#include <wx/utils.h>
#include <wx/wfstream.h>

namespace {

const char kTypedAnswers[] = "/Optionen/AntwortEintippen";
const char kFontPercent[] = "/Optionen/Schrift";
const char kWidth[] = "/Fenster/Breite";
const char kHeight[] = "/Fenster/Hoehe";
// Far beyond any screen, yet small enough that a frame of this size can be made.
constexpr int kMinSize = 100;
constexpr int kMaxSize = 10000;

wxString configHome() {
  wxString home;
  if (wxGetEnv("XDG_CONFIG_HOME", &home) && wxFileName(home).IsAbsolute()) return home;
  return wxFileName::GetHomeDir() + "/.config";
}

// A number stored as text; fallback when it is missing, no number, or out of range.
int readInt(const wxFileConfig& config, const char* key, int low, int high, int fallback) {
  wxString text;
  long value = 0;
  if (!config.Read(key, &text) || !text.Trim(true).Trim(false).ToLong(&value)) return fallback;
  return value >= low && value <= high ? static_cast<int>(value) : fallback;
}

}  // namespace

wxString settingsPath() {
  return configHome() + "/termel/termel.conf";
}

tSettings loadSettings() {
  tSettings settings;
  const wxString path = settingsPath();
  if (!wxFileName::FileExists(path)) return settings;
  // A damaged file is no concern of the learner's: wx's complaints about it are dropped.
  wxLogNull quiet;
  wxFileInputStream stream(path);
  if (!stream.IsOk()) return settings;
  const wxFileConfig config(stream, wxConvUTF8);
  settings.typedAnswers = readInt(config, kTypedAnswers, 0, 1, 0) == 1;
  const int percent =
      readInt(config, kFontPercent, tSettings::kFontMin, tSettings::kFontMax, tSettings::kFontMin);
  if ((percent - tSettings::kFontMin) % tSettings::kFontStep == 0) settings.fontPercent = percent;
  settings.width = readInt(config, kWidth, kMinSize, kMaxSize, tSettings::kDefaultWidth);
  settings.height = readInt(config, kHeight, kMinSize, kMaxSize, tSettings::kDefaultHeight);
  return settings;
}

bool saveSettings(const tSettings& settings) {
  wxLogNull quiet;
  const wxFileName path(settingsPath());
  if (!path.DirExists() && !wxFileName::Mkdir(path.GetPath(), 0700, wxPATH_MKDIR_FULL)) {
    return false;
  }
  // No file of its own: the contents are written through the stream below.
  wxFileConfig config(wxEmptyString, wxEmptyString, wxEmptyString, wxEmptyString, 0);
  config.Write(kTypedAnswers, settings.typedAnswers ? 1 : 0);
  config.Write(kFontPercent, settings.fontPercent);
  config.Write(kWidth, settings.width);
  config.Write(kHeight, settings.height);
  wxTempFileOutputStream stream(path.GetFullPath());
  return stream.IsOk() && config.Save(stream, wxConvUTF8) && stream.Commit();
}
