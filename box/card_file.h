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
  int skipped = 0;                  // records whose compartment letter was unusable
  bool opened = false;              // the card file could be opened
  // German texts of what went wrong without failing the operation (a backup not kept).
  std::vector<std::string> warnings;
};

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

// Appends the cards of the card file to theCardBox.
void loadCardFile(const char* path, tFileReport* report = nullptr);
// Writes theCardBox into the card file and its box file, each replaced atomically.
// The versions replaced are kept as backups first (box/backups.h); a backup that
// fails is a warning in the report and never stops the save.
// False whenever the card file could not be written completely; the previous files
// are then untouched. A failure of the box file alone does not change the result.
bool saveCardFile(const char* path, tFileReport* report = nullptr);
bool createCardTable(const char* path);
bool createBoxTable(const char* path);
// The box file's path: the card file's extension replaced by ".kas" (appended when
// the file name itself has no dot).
std::string boxFileName(const std::string& cardPath);

#endif  // TERMEL_BOX_CARD_FILE_H_
