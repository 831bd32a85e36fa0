// The languages a box's translation can be read aloud in: those the language dialog
// offers by name, and what counts as a code the learner types for any other. Codes are
// kept in lower case, as speech services list their voices.
#ifndef TERMEL_DIALOGS_LANGUAGES_H_
#define TERMEL_DIALOGS_LANGUAGES_H_

#include <cstddef>
#include <string>

// Englisch, Französisch, Spanisch, Italienisch, Niederländisch and Latein, in the
// order the dialog lists them.
constexpr size_t kListedLanguages = 6;
extern const char* const kListedCodes[kListedLanguages];
// The German side's language, and the translation's until the learner chooses one.
extern const char kGermanCode[];
extern const char kDefaultTranslationCode[];

// Index in kListedCodes of the language with this code, or kListedLanguages when the
// code is none of them.
size_t listedLanguage(const std::string& code);
// Reads a typed language code: two or three letters, then any number of parts of two
// to eight letters or digits, each after "-" or "_" ("pt", "pt-BR", "de_CH", "yue").
// Spaces around it are ignored. *code gets it in lower case with "-"; false when text
// is no such code.
bool parseLanguageCode(const std::string& text, std::string* code);

#endif  // TERMEL_DIALOGS_LANGUAGES_H_
