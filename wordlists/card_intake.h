// tCardIntake: the one place where the word-list readers (.txt, CSV, tab-separated,
// KVTML) hand in their cards, so every format gets the same rules: trailing spaces
// go, both texts must be there, every character must have a place in the card file,
// texts are cut to 63 characters, a card already in the box is not added twice. Each
// card not taken, and each text cut, is reported with the line it came from.
//
// Readers pass texts as UTF-8 (the .txt reader, which decodes lines itself, code page
// 1252); the intake turns line breaks and tabs inside a text into spaces, converts it
// to the card file's code page 1252 and checks its characters in addCp1252, the
// single point where that is done.
// An intake refers to theCardBox and must not outlive an import run: nothing else
// may change the box while it is in use.
#ifndef TERMEL_WORDLISTS_CARD_INTAKE_H_
#define TERMEL_WORDLISTS_CARD_INTAKE_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "box/termel.h"
#include "wordlists/import_index.h"
#include "wordlists/text_io.h"

// What an import did, as the learner reads it at its end (code page 1252): cards
// taken, lines not taken, texts cut and lines with replaced characters, one sentence
// each, those with nothing to say left out.
std::string importSummaryText(const tImportResult& result);

// Codes of the word-list readers beyond those of importLine.
enum : int {
  kImportExtraColumns = 1311,  // "Weitere Spalten ignoriert" (a notice, nothing refused)
  kImportOpenQuote = 1312,     // "Anführungszeichen nicht geschlossen"
  kImportNotAWordList = 1313,  // "Keine lesbare Vokabeldatei"
  kImportStrayQuote = 1314,    // "Anführungszeichen als Text übernommen" (a notice)
  kImportFieldCount = 1315,    // "Andere Spaltenzahl als die übrigen Zeilen"
  kImportTabInText = 1316,     // "Tabulator als Leerzeichen übernommen" (a notice)
  kImportCloze = 1320,         // "Lückentext nicht übernommen"
  kImportFewFields = 1321,     // "Weniger als zwei Felder mit Text"
  kImportMediaIgnored = 1322,  // "Mediendateien ignoriert" (a notice)
  kImportEntity = 1323,        // "Entität nicht aufgelöst"
};

// The separator as the learner names it ("Semikolon", "Tabulator" ...), code page 1252.
std::string separatorName(char separator);

// Called once per refused card or notice: its code, caption, the text to show (code
// page 1252) and the line of the file it starts on (0 when not known).
using tWordListReporter = tImportReporter;

// How a report shows a NUL byte of a line, which would otherwise end its text unseen.
extern const char kShownNul[];

// Caption for any import code, or nullptr for a card that was handled.
const char* wordListCaption(int code);

// One report of an import as the learner reads it, "Zeile N: caption: text" (without
// "Zeile N: " for line 0), line breaks at the end of text left out, line breaks and
// tabs inside as spaces and other control characters as '?'; code page 1252. A NUL
// byte of the file arrives in text as kShownNul already.
std::string wordListNote(const char* caption, const char* text, int line);

// One card as a reader found it.
struct tWordCard {
  std::string front, back;  // UTF-8
  int line = 0;             // where its record starts, counted from 1
  int compartment = 1;      // 1 to 6; anything higher means the archive
  int32_t timesKnown = 0;
  int32_t timesUnknown = 0;
  bool replaced = false;  // its reader replaced typographic characters already
  std::string label;      // UTF-8, put before the texts in reports ("Notiz 3 ...: ")
  // The record as it stands in the file, for reports (UTF-8); empty: "front;back".
  std::string source;
};

// A card checked and made by tCardIntake::prepare, waiting to be added.
struct tPreparedCard {
  tPreparedCard() = default;
  // shown may view kept, which a copy would not take along.
  tPreparedCard(const tPreparedCard&) = delete;
  tPreparedCard& operator=(const tPreparedCard&) = delete;

  tTermel made;
  uint64_t hash = 0;
  int code = 0;  // kImportAdded, or the code that refuses it
  int line = 0;
  int compartment = 1;
  bool replaced = false;
  bool cut = false;
  // What a report shows of the line (code page 1252), only read when one is made: a
  // view of the line itself, which must stay valid until commit (prepareFitted), or
  // of its copy in kept (prepare).
  std::string_view shown;
  std::string kept;
};

class tCardIntake {
 public:
  // The duplicate index grows with the cards added, so a long file of refused lines
  // costs no memory.
  tCardIntake(const tWordListReporter& report, tImportResult* result);
  tCardIntake(const tCardIntake&) = delete;
  tCardIntake& operator=(const tCardIntake&) = delete;

  // Adds the card or reports why not. Returns kImportAdded, kImportAlreadyPresent or
  // the code of the refusal.
  int add(tWordCard card);
  // The same for a card whose texts are code page 1252 already; shown is what a
  // report shows of its line (code page 1252).
  int addCp1252(tWordCard card, const std::string& shown);
  // addCp1252 in two steps, for readers that prepare a few cards before they add
  // them, so the index is fetched from memory while the next cards are made: prepare
  // checks and makes the card and starts fetching its place in the index; commit
  // adds or reports it, and must follow in the order of the lines.
  void prepare(tWordCard card, const std::string& shown, tPreparedCard* prepared);
  // prepare for texts that need no fitting: code page 1252 without a control
  // character, as fitCardText leaves them (printable ASCII is). The card goes to
  // compartment 1 with both counts 0. shown is not copied: it must stay valid until
  // commit.
  void prepareFitted(std::string_view front, std::string_view back, int line,
                     std::string_view shown, tPreparedCard* prepared);
  int commit(const tPreparedCard& prepared);
  // Reports a record that holds no card (counted as malformed); text is UTF-8.
  void refuse(int code, int line, const std::string& text);
  void refuseCp1252(int code, int line, const std::string& text);
  // Reports something the learner should know that refuses nothing.
  void notice(int code, int line, const std::string& text);
  void noticeCp1252(int code, int line, const std::string& text);
  // Counts a quoted field whose line breaks became blanks.
  void fieldJoined() { ++result_->joined; }
  // Tells which separator the reader found the file to use.
  void separatorFound(char separator) { result_->separator = separator; }

 private:
  void tell(int code, int line, const std::string& cp1252);

  const tWordListReporter& report_;
  tImportResult* result_;
  tImportIndex index_;
};

#endif  // TERMEL_WORDLISTS_CARD_INTAKE_H_
