// Word lists of other programs: the format is chosen by the file name's extension,
// here and nowhere else.
//   .txt    "term;translation" lines (importTextFile / exportTextFile); one that opens
//           with a flashcard program's header lines, and one whose first lines hold
//           tabs and no ';', is read as tab-separated text
//   .csv    comma-separated values from spreadsheets
//   .tsv    tab-separated text, also flashcard programs' exports with header lines
//   .kvtml  the XML vocabulary format of KDE's trainers
//   .apkg, .colpkg  flashcard packages, read only
// Any other extension is taken as .txt, as the import always did.
#ifndef TERMEL_WORDLISTS_WORD_LIST_FORMAT_H_
#define TERMEL_WORDLISTS_WORD_LIST_FORMAT_H_

#include <string>

#include "wordlists/card_intake.h"
#include "wordlists/text_io.h"

enum class tWordListFormat { kText, kCsv, kTsv, kKvtml, kPackage };

// The format the extension of path stands for (case does not matter).
tWordListFormat wordListFormatOf(const char* path);

// A text file's bytes as the CSV and tab-separated readers take them: UTF-8 without
// byte-order mark. UTF-16 with its mark is converted; other bytes that aren't UTF-8
// are taken as code page 1252.
std::string wordListText(std::string bytes);

// True when head, the first bytes of a .txt file in any encoding, opens with the
// header lines of a flashcard program's export ("#separator:tab", "#html:true" ...).
bool textIsFlashcardExport(const std::string& head);
// True when head, the first bytes of a .txt file in any encoding, holds a tab and no
// ';': a tab-separated list, as spreadsheets save "Unicode text".
bool textIsTabSeparated(const std::string& head);

// Filter for file dialogs, one entry per format and "Alle (*.*)" last, in the form
// "Name (*.ext)|*.ext|...".
const char* wordListFileFilter();
// The same for import, with flashcard packages before "Alle (*.*)".
const char* wordListImportFilter();

struct tWordListOptions {
  // The first record names the columns and is no card (CSV and tab-separated).
  bool firstLineNamesColumns = false;
  // .txt export only: UTF-8 instead of code page 1252.
  bool utf8 = false;
  // .kvtml export only: the translations' language as a locale ("en", "fr"); empty
  // when not known.
  std::string translationLocale;
};

// Whether the first line of the word list in path may name the columns, so that the
// learner has to say so: CSV files, and tab-separated files (.tsv, and .txt read as
// such) without the header lines of flashcard programs. A .tsv file that cannot be
// read is asked about like any other.
bool firstLineMayNameColumns(const char* path);

// Imports path into theCardBox in the format its extension names. Cards go to
// compartment 1 (KVTML and packages: the compartment of
// their progress); each line not taken and each
// notice goes to report with its line. result.opened is false when the file could not
// be read. Text, CSV and tab-separated files are read as streams, so memory grows
// with the cards taken, not with the file.
tImportResult importWordList(const char* path, const tWordListOptions& options,
                             const tWordListReporter& report);

// Writes every card of theCardBox to path in the format its extension names; the
// file is replaced only once it is complete. False when it could not be written, and
// for a flashcard package, which is never written (errno ENOTSUP).
bool exportWordList(const char* path, const tWordListOptions& options);

#endif  // TERMEL_WORDLISTS_WORD_LIST_FORMAT_H_
