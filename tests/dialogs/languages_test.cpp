// Language codes the learner types under "Andere…", and the listed languages.
#include "dialogs/languages.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(LanguagesTest, TypedCodesAreTakenInLowerCaseWithHyphens) {
  const std::pair<const char*, const char*> good[] = {
      {"pt", "pt"},
      {"PT-BR", "pt-br"},
      {" de_CH\t", "de-ch"},
      {"yue", "yue"},
      {"es-419", "es-419"},
      {"sr-Latn-RS", "sr-latn-rs"},
      {"en-GB-oxendict", "en-gb-oxendict"},
  };
  for (const auto& [typed, expected] : good) {
    std::string code;
    EXPECT_TRUE(parseLanguageCode(typed, &code)) << typed;
    EXPECT_EQ(code, expected);
  }
}

TEST(LanguagesTest, TextsThatAreNoCodeAreRefused) {
  const char* bad[] = {"",
                       "  ",
                       "d",
                       "deut",
                       "3x",
                       "de-",
                       "-de",
                       "de--ch",
                       "de-c",
                       "de-abcdefghi",
                       "dé",
                       "de ch",
                       "Französisch",
                       "de;rm -rf",
                       "\xE2\x80\x9C"
                       "de\xE2\x80\x9D"};
  for (const char* text : bad) {
    std::string code = "unchanged";
    EXPECT_FALSE(parseLanguageCode(text, &code)) << text;
    EXPECT_EQ(code, "unchanged");
  }
}

TEST(LanguagesTest, ListedLanguagesAreFoundByCodeAndOthersAreAndere) {
  EXPECT_EQ(listedLanguage("en"), 0u);
  EXPECT_EQ(listedLanguage("la"), 5u);
  EXPECT_EQ(listedLanguage("pt-br"), kListedLanguages);
  EXPECT_EQ(listedLanguage(""), kListedLanguages);
}

}  // namespace
