// The card file (.trm, one record per card) and the box file (.kas, one record per
// compartment, written on every save and never read), and loading and saving
// theCardBox through them.
//
// Error texts ("Fehler in Termeldatei: %d", "Fehler in Kastendatei: %d", and texts
// naming the file for targets that cannot be saved over) and warnings are collected in
// a tFileReport for the caller to show once or print. Texts are code page 1252.
#ifndef TERMEL_KARTEI_CARD_FILE_H_
#define TERMEL_KARTEI_CARD_FILE_H_

#include <functional>
#include <string>
#include <vector>

#include "storage/dbf.h"
#include "storage/fields.h"
#include "storage/file_status.h"

struct tTermel;

struct tFileReport {
  std::vector<std::string> errors;    // formatted error texts, in the order raised
  std::vector<std::string> warnings;  // the file was saved, but the learner should know this
  int loaded = 0;                     // records appended to the box
  // Records whose compartment letter was unusable (blank, lower case, a digit, H to
  // Y), loaded into compartment 1 with their texts and counters; see
  // placedInFirstText. No error: a save keeps these cards.
  int placedInFirst = 0;
  // Columns of the file other than the six of a card file: a save drops them.
  int foreignColumns = 0;
  // Saving over the file would lose what the load could not read: the load raised
  // errors (a missing card column, a record it could not read) or the file holds
  // foreign columns. A caller asks before it saves over such a file
  // (kLossyRewriteQuestion).
  bool lossyRewrite = false;
  bool opened = false;  // the card file could be opened
  // Load: this user may not write the card file or its directory, so "Sichern" cannot
  // replace it.
  bool readOnly = false;
  // The card file as it was loaded or as it was saved (links followed): hand it to
  // changedSince() before the next save to learn whether someone else wrote it since.
  tFileStamp stamp;
};

// Asked before a save writes over a card file whose load set lossyRewrite.
extern const char kLossyRewriteQuestion[];
// The text that tells how many records were loaded into compartment 1 because their
// compartment letter was unusable (code page 1252); empty when count is 0.
std::string placedInFirstText(int count);

// A path as it can stand in a code page 1252 text: paths are UTF-8 on this system, and
// what code page 1252 cannot show becomes '?'.
std::string pathForText(const std::string& path);

// Card file table: DEUTSCH C64, UEBERSETZT C64, KASTEN C1, ALTER N4, GEWUSST N5,
// UNBEKANNT N5.
class tTrmDB : public tDBF {
 public:
  explicit tTrmDB(std::vector<std::string>* errors = nullptr) : errors_(errors) {}
  ~tTrmDB() override;
  bool open(const char* path, tMode mode = tMode::kReadWrite);

  tCharField DEUTSCH, UEBERSETZT, KASTEN;
  tNumField ALTER, GEWUSST, UNBEKANNT;

 protected:
  void error(int code) override;

 private:
  std::vector<std::string>* errors_;
};

// Box file table: BEZ C1, ANZAHL N6, NAME C10, MAX N6, MAXALTER N6.
class tKastenDB : public tDBF {
 public:
  explicit tKastenDB(std::vector<std::string>* errors = nullptr) : errors_(errors) {}
  ~tKastenDB() override;
  bool open(const char* path);

  tCharField BEZ, NAME;
  tNumField MAX, ANZAHL, MAXALTER;

 protected:
  void error(int code) override;

 private:
  std::vector<std::string>* errors_;
};

// Appends the cards of the card file to theCardBox. A record whose compartment
// letter is unusable goes into compartment 1. The file is only read, so a
// write-protected one loads too (report->readOnly tells).
void loadCardFile(const char* path, tFileReport* report = nullptr);
// Reads the card file as loadCardFile does, handing each card and its compartment to
// take instead of theCardBox. take refuses a compartment number it has no place for
// (false), and the card is handed over again for compartment 1.
using tCardTaker = std::function<bool(const tTermel& card, int compartment)>;
void readCardFile(const char* path, const tCardTaker& take, tFileReport* report = nullptr);
// Writes theCardBox into the card file and its box file, each replaced atomically.
// A symbolic link is followed: the file it names is replaced, and the box file is
// written beside that file under that file's name. False whenever the card file could
// not be replaced (a directory, a FIFO or device, a write-protected file or directory,
// or any failure on the way); the previous files are then untouched. Once the card
// file is replaced the save counts as done: a failure of the box file alone, or a
// directory that could not be synced, is reported but does not change the result.
// The versions replaced are kept as backups first (kartei/backups.h); a backup that
// fails is a warning in the report and never stops the save.
bool saveCardFile(const char* path, tFileReport* report = nullptr);
bool createCardTable(const char* path);
bool createBoxTable(const char* path);

#endif  // TERMEL_KARTEI_CARD_FILE_H_
