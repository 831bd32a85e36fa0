// The settings file: defaults for whatever is missing or damaged, and a round trip.
#include "app/settings.h"

#include <gtest/gtest.h>
#include <wx/utils.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

// Points XDG_CONFIG_HOME at a fresh directory for one test and restores it after.
class SettingsTest : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/termel_settings_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    hadOld_ = wxGetEnv("XDG_CONFIG_HOME", &old_);
    wxSetEnv("XDG_CONFIG_HOME", wxString::FromUTF8(dir_));
  }
  void TearDown() override {
    if (hadOld_) {
      wxSetEnv("XDG_CONFIG_HOME", old_);
    } else {
      wxUnsetEnv("XDG_CONFIG_HOME");
    }
    std::filesystem::remove_all(dir_);
  }
  void writeFile(const std::string& text) {
    std::filesystem::create_directories(dir_ + "/termel");
    std::ofstream(dir_ + "/termel/termel.conf", std::ios::binary) << text;
  }
  static void expectDefaults(const tSettings& s) {
    EXPECT_FALSE(s.typedAnswers);
    EXPECT_EQ(s.fontPercent, 100);
    EXPECT_EQ(s.width, 600);
    EXPECT_EQ(s.height, 250);
  }

  std::string dir_;
  wxString old_;
  bool hadOld_ = false;
};

TEST_F(SettingsTest, FileLivesUnderTheConfigHome) {
  EXPECT_EQ(settingsPath().utf8_string(), dir_ + "/termel/termel.conf");
  // A relative XDG_CONFIG_HOME is to be ignored, as the base directory rules say.
  wxSetEnv("XDG_CONFIG_HOME", "relative/dir");
  wxString home;
  ASSERT_TRUE(wxGetEnv("HOME", &home));
  EXPECT_EQ(settingsPath(), home + "/.config/termel/termel.conf");
}

TEST_F(SettingsTest, MissingFileGivesDefaults) {
  expectDefaults(loadSettings());
  EXPECT_FALSE(std::filesystem::exists(dir_ + "/termel"));  // reading creates nothing
}

TEST_F(SettingsTest, SavedSettingsComeBack) {
  tSettings saved;
  saved.typedAnswers = true;
  saved.fontPercent = 175;
  saved.width = 1024;
  saved.height = 480;
  ASSERT_TRUE(saveSettings(saved));  // creates the termel directory
  const tSettings loaded = loadSettings();
  EXPECT_TRUE(loaded.typedAnswers);
  EXPECT_EQ(loaded.fontPercent, 175);
  EXPECT_EQ(loaded.width, 1024);
  EXPECT_EQ(loaded.height, 480);
  saved.typedAnswers = false;
  ASSERT_TRUE(saveSettings(saved));  // replaces the old file
  EXPECT_FALSE(loadSettings().typedAnswers);
}

TEST_F(SettingsTest, DamagedFilesGiveDefaults) {
  // Binary garbage, NUL bytes included.
  const char binary[] = "\x00\xff\xfe garbage \x01\x02";
  const std::string damaged[] = {
      std::string(binary, sizeof binary - 1),
      "[Optionen\nAntwortEintippen=1\n",  // unclosed group: the entry is not where it belongs
      "[Optionen]\nAntwortEintippen=ja\nSchrift=groß\n[Fenster]\nBreite=\nHoehe=-5\n",
      "[Optionen]\nAntwortEintippen=2\nSchrift=110\n[Fenster]\nBreite=99999999999\nHoehe=50\n",
      "[Optionen]\nSchrift=325\n[Fenster]\nBreite=12.5\nHoehe=0x100\n",
  };
  for (const std::string& text : damaged) {
    writeFile(text);
    SCOPED_TRACE(text);
    expectDefaults(loadSettings());
  }
}

TEST_F(SettingsTest, GoodValuesSurviveDamagedNeighbours) {
  // Written by hand: CRLF line ends, a BOM, spaces and a comment.
  writeFile(
      "\xEF\xBB\xBF# termel\r\n[Optionen]\r\nAntwortEintippen = 1\r\nSchrift=kaputt\r\n"
      "[Fenster]\r\nBreite= 800 \r\nHoehe=300\r\n");
  const tSettings loaded = loadSettings();
  EXPECT_TRUE(loaded.typedAnswers);
  EXPECT_EQ(loaded.fontPercent, 100);
  EXPECT_EQ(loaded.width, 800);
  EXPECT_EQ(loaded.height, 300);
}

TEST_F(SettingsTest, BoxesComeBackAsTheyWereWrittenNewestFirst) {
  tSettings saved;
  saved.lastBox = wxString::FromUTF8("/home/lena/Wörter $HOME/Reise = Ferien.trm");
  saved.recentBoxes = {saved.lastBox, wxString::FromUTF8("/home/lena/\"Zitat\" und ; .trm"),
                       " mit Leerzeichen .trm", "/tmp/d.trm", "/tmp/e.trm"};
  ASSERT_TRUE(saveSettings(saved));
  const tSettings loaded = loadSettings();
  EXPECT_EQ(loaded.lastBox, saved.lastBox) << "a \"$\" in a path is no variable";
  ASSERT_EQ(loaded.recentBoxes.size(), 4u) << "the menu lists four";
  for (size_t i = 0; i < 4; ++i) EXPECT_EQ(loaded.recentBoxes[i], saved.recentBoxes[i]);

  // Written by hand: the list ends at its first gap.
  writeFile("[Zuletzt]\r\nOffen=\r\nfile1=/a.trm\r\nfile2=\r\nfile3=/c.trm\r\n");
  const tSettings gap = loadSettings();
  EXPECT_EQ(gap.lastBox, "");
  ASSERT_EQ(gap.recentBoxes.size(), 1u);
  EXPECT_EQ(gap.recentBoxes[0], "/a.trm");
}

TEST_F(SettingsTest, UnwritableDirectoryFailsAndKeepsDefaults) {
  // A plain file where the directory belongs cannot be written into, even by root.
  std::ofstream(dir_ + "/termel") << "not a directory";
  EXPECT_FALSE(saveSettings(tSettings()));
  expectDefaults(loadSettings());
}

}  // namespace

namespace {

TEST_F(SettingsTest, ReadingAloudAndEachBoxsLanguageComeBackTheLatestChoiceFirst) {
  tSettings saved;
  saved.readAloud = true;
  const wxString reise = wxString::FromUTF8("/home/lena/Wörter $HOME/Reise = Ferien.trm");
  setTranslationLanguage(&saved, reise, "fr");
  setTranslationLanguage(&saved, "/tmp/latein.trm", "la");
  setTranslationLanguage(&saved, reise, "pt-br");  // chosen again: one entry, now first
  ASSERT_TRUE(saveSettings(saved));
  const tSettings loaded = loadSettings();
  EXPECT_TRUE(loaded.readAloud);
  ASSERT_EQ(loaded.translationLanguages.size(), 2u);
  EXPECT_EQ(loaded.translationLanguages[0].first, reise);
  EXPECT_EQ(translationLanguage(loaded, reise), "pt-br");
  EXPECT_EQ(translationLanguage(loaded, "/tmp/latein.trm"), "la");
  EXPECT_EQ(translationLanguage(loaded, "/tmp/andere.trm"), "en") << "English until chosen";

  // The oldest choice goes once the list is full.
  for (int i = 0; i < tSettings::kLanguageBoxes; ++i) {
    setTranslationLanguage(&saved, wxString::Format("/tmp/%d.trm", i), "nl");
  }
  EXPECT_EQ(saved.translationLanguages.size(), static_cast<size_t>(tSettings::kLanguageBoxes));
  EXPECT_EQ(translationLanguage(saved, reise), "en");
}

TEST_F(SettingsTest, LanguagesWrittenByHandAreTakenUpToTheFirstGapAndOnlyAsCodes) {
  writeFile(
      "[Optionen]\r\nVorlesen=ja\r\n[Vorlesen]\r\nKartei1=/a.trm\r\nSprache1= PT_br \r\n"
      "Kartei2=/b.trm\r\nSprache2=Französisch\r\nKartei3=/c.trm\r\nSprache3=es\r\n"
      "Kartei5=/e.trm\r\nSprache5=it\r\n");
  const tSettings loaded = loadSettings();
  EXPECT_FALSE(loaded.readAloud);
  EXPECT_EQ(translationLanguage(loaded, "/a.trm"), "pt-br");
  EXPECT_EQ(translationLanguage(loaded, "/b.trm"), "en");
  EXPECT_EQ(translationLanguage(loaded, "/c.trm"), "es");
  EXPECT_EQ(translationLanguage(loaded, "/e.trm"), "en");
}

}  // namespace
