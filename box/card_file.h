// The card file (.trm, one record per card) and the box file (.kas, one record per
// compartment, written on every save and never read), and loading and saving
// theCardBox through them.
//
// Error texts ("Fehler in Termeldatei: %d", "Fehler in Kastendatei: %d") are collected
// in a tFileReport for the caller to show once or print.
#ifndef TERMEL_BOX_CARD_FILE_H_
#define TERMEL_BOX_CARD_FILE_H_

#include <string>
#include <vector>

#include "storage/dbf.h"
#include "storage/fields.h"

struct tFileReport {
  std::vector<std::string> errors;  // formatted error texts, in the order raised
  int loaded = 0;                   // records appended to the box
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
};

// Asked before a save writes over a card file whose load set lossyRewrite.
extern const char kLossyRewriteQuestion[];
// The text that tells how many records were loaded into compartment 1 because their
// compartment letter was unusable (code page 1252); empty when count is 0.
std::string placedInFirstText(int count);

// Card file table: DEUTSCH C64, UEBERSETZT C64, KASTEN C1, ALTER N4, GEWUSST N5,
// UNBEKANNT N5.
class tTrmDB : public tDBF {
 public:
  explicit tTrmDB(std::vector<std::string>* errors = nullptr) : errors_(errors) {}
  ~tTrmDB() override;
  bool open(const char* path);

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
// letter is unusable goes into compartment 1.
void loadCardFile(const char* path, tFileReport* report = nullptr);
// Writes theCardBox into the card file and its box file, each replaced atomically.
// False whenever the card file could not be written completely; the previous files
// are then untouched. A failure of the box file alone does not change the result.
bool saveCardFile(const char* path, tFileReport* report = nullptr);
bool createCardTable(const char* path);
bool createBoxTable(const char* path);
// The box file's path: the card file's extension replaced by ".kas" (appended when
// the file name itself has no dot).
std::string boxFileName(const std::string& cardPath);

#endif  // TERMEL_BOX_CARD_FILE_H_
