// The card file (.trm, one record per card) and the box file (.kas, one record per
// compartment, written on every save and never read), and loading and saving
// theCardBox through them.
//
// Errors and warnings are collected in a tFileReport for the caller to show once or
// print. Each is a sentence that names its file and the reason in words ("... ist keine
// Kartei", "... ist beschädigt (nach 3 von 10 Karten)", "... kann nicht gelesen werden:
// Keine Berechtigung" with the system's own text), never a bare code. Code page 1252.
#ifndef TERMEL_KARTEI_CARD_FILE_H_
#define TERMEL_KARTEI_CARD_FILE_H_

#include <functional>
#include <string>
#include <vector>

#include "kartei/box_identity.h"
#include "storage/dbf.h"
#include "storage/fields.h"
#include "storage/file_status.h"

struct tTermel;
class tBoxLock;

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
  // Records another dBASE program marked deleted: no cards, so a save leaves them out.
  int deletedSkipped = 0;
  // Cards with a text longer than the 63 characters a card holds, from a file with
  // wider columns: loaded whole up to 63 characters, so a save cuts them.
  int longTexts = 0;
  // Saving over the file would lose what the load could not read: the load raised
  // errors (a missing card column, a record it could not read), or the file holds
  // foreign columns or texts longer than a card holds. A caller asks before it saves over such a
  // file (kLossyRewriteQuestion).
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

// A failure a table raised: its code (storage/dbf.h) and errno at that moment.
struct tTableFailure {
  int code;
  int systemError;
};

// Card file table: DEUTSCH C64, UEBERSETZT C64, KASTEN C1, ALTER N4, GEWUSST N5,
// UNBEKANNT N5.
class tTrmDB : public tDBF {
 public:
  tTrmDB() = default;
  ~tTrmDB() override;
  bool open(const char* path, tMode mode = tMode::kReadWrite);

  tCharField DEUTSCH, UEBERSETZT, KASTEN;
  tNumField ALTER, GEWUSST, UNBEKANNT;
  // Every failure since construction, in order.
  const std::vector<tTableFailure>& failures() const { return failures_; }

 protected:
  void error(int code) override;

 private:
  std::vector<tTableFailure> failures_;
};

// Box file table: BEZ C1, ANZAHL N6, NAME C10, MAX N6, MAXALTER N6.
class tKastenDB : public tDBF {
 public:
  tKastenDB() = default;
  ~tKastenDB() override;
  bool open(const char* path);

  tCharField BEZ, NAME;
  tNumField MAX, ANZAHL, MAXALTER;
  const std::vector<tTableFailure>& failures() const { return failures_; }

 protected:
  void error(int code) override;

 private:
  std::vector<tTableFailure> failures_;
};

// Appends the cards of the card file to theCardBox. A record whose compartment
// letter is unusable goes into compartment 1; a record marked deleted is passed over
// and counted, with a warning. A table with neither text column is no card file and
// is not opened. The file is only read, so a write-protected one loads too
// (report->readOnly tells).
void loadCardFile(const char* path, tFileReport* report = nullptr);
// Reads the card file as loadCardFile does, handing each card and its compartment to
// take instead of theCardBox. take refuses a compartment number it has no place for
// (false), and the card is handed over again for compartment 1.
using tCardTaker = std::function<bool(const tTermel& card, int compartment)>;
void readCardFile(const char* path, const tCardTaker& take, tFileReport* report = nullptr);
// Writes theCardBox into the card file and its box file, each replaced atomically.
// A symbolic link is followed: the file it names is replaced, and the box file is
// written beside that file under that file's name. A box file that is a link is
// written through only when the link names a box file of this box's name; any other
// link is replaced by the box file itself. Never saves without the box's lock:
// heldLock, when given and held, is the caller's lock on this box; otherwise the save
// takes the lock for its own time, and is refused (the reason in the report) when it
// cannot. False whenever the card file could
// not be replaced (a directory, a FIFO or device, a write-protected file or directory,
// or any failure on the way); the previous files are then untouched. Once the card
// file is replaced the save counts as done: a failure of the box file alone, or a
// directory that could not be synced, is reported but does not change the result.
// The versions replaced are kept as backups first (kartei/backups.h); a backup that
// fails is a warning in the report and never stops the save. Temporary files a killed
// save left are removed first when no other program holds the box's lock
// (kartei/stale_temp_files.h). Each version saved gets its line in the box's record of
// versions (kartei/version_record.h), written before the new file takes the card file's
// place, made from the version it replaces and from the versions alsoMadeFrom names (the
// hashes of those a merge took in).
bool saveCardFile(const tBoxIdentity& box, tFileReport* report = nullptr,
                  const tBoxLock* heldLock = nullptr,
                  const std::vector<std::string>& alsoMadeFrom = {});
bool saveCardFile(const char* path, tFileReport* report = nullptr,
                  const std::vector<std::string>& alsoMadeFrom = {});
// Why a save of box is refused when lock, the box's lock, could not be taken: where
// the file could not be written anyway (a missing or write-protected folder, a
// write-protected file) that reason, which the learner can do something about, else
// lock.reason(). Code page 1252.
std::string lockRefusalText(const tBoxIdentity& box, const tBoxLock& lock);
bool createCardTable(const char* path);
bool createBoxTable(const char* path);

#endif  // TERMEL_KARTEI_CARD_FILE_H_
