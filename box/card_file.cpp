#include "box/card_file.h"

#include <cstdio>
#include <string>

#include "box/card_box.h"
#include "box/termel.h"
#include "storage/safe_replace.h"

namespace {

constexpr char kArchiveLetter = 'Z';
constexpr int32_t kArchiveMax = 999999;

std::string formatError(const char* format, int code) {
  char text[64];
  std::snprintf(text, sizeof text, format, code);
  return text;
}

void addError(std::vector<std::string>* errors, const char* format, int code) {
  if (errors != nullptr) errors->push_back(formatError(format, code));
}

const char kCardError[] = "Fehler in Termeldatei: %d";
const char kBoxError[] = "Fehler in Kastendatei: %d";

// A column missing from a foreign file reads as the empty text without raising a
// read error for every record.
void copyText(tCharField& field, char* dest, size_t size) {
  if (field.index() < 0) {
    dest[0] = '\0';
  } else {
    field.copyTo(dest, size);
  }
}

// The current record as a card, built where it is kept: a longer text of a foreign
// file is cut like any other.
void readCard(tTrmDB& db, tTermel* card) {
  copyText(db.DEUTSCH, card->front, sizeof card->front);
  copyText(db.UEBERSETZT, card->back, sizeof card->back);
  card->timesKnown = db.GEWUSST.get();
  card->timesUnknown = db.UNBEKANNT.get();
}

// Columns of the open card file that no handle is bound to, so a save drops them.
int foreignColumnCount(tTrmDB& db) {
  int known = 0;
  for (int index : {db.DEUTSCH.index(), db.UEBERSETZT.index(), db.KASTEN.index(), db.ALTER.index(),
                    db.GEWUSST.index(), db.UNBEKANNT.index()}) {
    if (index >= 0) ++known;
  }
  return db.fieldCount() - known;
}

int compartmentOfLetter(char letter) {
  return letter == kArchiveLetter ? CardBox::kCompartments
                                  : static_cast<unsigned char>(letter) - 64;
}

char letterOfCompartment(int n) {
  return n == CardBox::kCompartments ? kArchiveLetter : static_cast<char>(64 + n);
}

// Where the save has got to, per compartment: cards written so far.
struct tSaveTally {
  int32_t count[CardBox::kCompartments] = {};
};

bool writeCards(tTrmDB& db, tSaveTally* tally) {
  tTermel card;
  for (int n = theCardBox.firstCard(&card); n != 0; n = theCardBox.nextCard(&card)) {
    if (!db.append()) return false;
    const int32_t position = ++tally->count[n - 1];
    const char letter[2] = {letterOfCompartment(n), '\0'};
    db.DEUTSCH.set(card.front);
    db.UEBERSETZT.set(card.back);
    db.KASTEN.set(letter);
    db.ALTER.set(position);
    db.GEWUSST.set(card.timesKnown);
    db.UNBEKANNT.set(card.timesUnknown);
  }
  return true;
}

bool writeCompartments(tKastenDB& db, const tSaveTally& tally) {
  for (int i = 1; i <= CardBox::kCompartments; ++i) {
    if (!db.append()) return false;
    const bool archive = i == CardBox::kCompartments;
    char name[16];
    std::snprintf(name, sizeof name, "%d. Fach", i);
    const char letter[2] = {letterOfCompartment(i), '\0'};
    db.BEZ.set(letter);
    db.ANZAHL.set(tally.count[i - 1]);
    db.NAME.set(archive ? "Ablage" : name);
    db.MAX.set(archive ? kArchiveMax : theCardBox.capacity(i - 1));
    db.MAXALTER.set(tally.count[i - 1]);
  }
  return true;
}

// Writes one table into a temporary file and renames it over path only when the
// whole table is on disk. errorFormat turns a failure into its report text.
template <typename Table, typename Create, typename Fill>
bool replaceTable(const std::string& path, std::vector<std::string>* errors,
                  const char* errorFormat, Create create, Fill fill) {
  tSafeReplace replace(path);
  if (!replace.begin()) {
    addError(errors, errorFormat, kDbfCannotOpen);
    return false;
  }
  if (!create(replace.tempPath().c_str())) {
    addError(errors, errorFormat, kDbfShortWrite);
    return false;
  }
  Table db(errors);
  if (!db.open(replace.tempPath().c_str())) return false;
  const bool filled = fill(db);
  if (!db.close() || !filled) {
    // A failed append has reported itself; a failure only seen at close has not.
    if (filled) addError(errors, errorFormat, kDbfShortWrite);
    return false;
  }
  if (!replace.commit()) {
    addError(errors, errorFormat, kDbfShortWrite);
    return false;
  }
  return true;
}

}  // namespace

tTrmDB::~tTrmDB() = default;

bool tTrmDB::open(const char* path) {
  if (!tDBF::open(path)) return false;
  DEUTSCH.bind(this, "DEUTSCH");
  UEBERSETZT.bind(this, "UEBERSETZT");
  KASTEN.bind(this, "KASTEN");
  ALTER.bind(this, "ALTER");
  GEWUSST.bind(this, "GEWUSST");
  UNBEKANNT.bind(this, "UNBEKANNT");
  return true;
}

// Deliberately does not keep the code as lastError(), so every missing column of a
// foreign file is reported, not only the first.
void tTrmDB::error(int code) {
  addError(errors_, kCardError, code);
}

tKastenDB::~tKastenDB() = default;

bool tKastenDB::open(const char* path) {
  if (!tDBF::open(path)) return false;
  BEZ.bind(this, "BEZ");
  NAME.bind(this, "NAME");
  MAX.bind(this, "MAX");
  ANZAHL.bind(this, "ANZAHL");
  MAXALTER.bind(this, "MAXALTER");
  return true;
}

void tKastenDB::error(int code) {
  addError(errors_, kBoxError, code);
}

bool createCardTable(const char* path) {
  tCreateDBF table;
  table.addField("DEUTSCH", 'C', 64, 0);
  table.addField("UEBERSETZT", 'C', 64, 0);
  table.addField("KASTEN", 'C', 1, 0);
  table.addField("ALTER", 'N', 4, 0);
  table.addField("GEWUSST", 'N', 5, 0);
  table.addField("UNBEKANNT", 'N', 5, 0);
  return table.create(path);
}

bool createBoxTable(const char* path) {
  tCreateDBF table;
  table.addField("BEZ", 'C', 1, 0);
  table.addField("ANZAHL", 'N', 6, 0);
  table.addField("NAME", 'C', 10, 0);
  table.addField("MAX", 'N', 6, 0);
  table.addField("MAXALTER", 'N', 6, 0);
  return table.create(path);
}

std::string boxFileName(const std::string& cardPath) {
  const size_t slash = cardPath.rfind('/');
  const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  const size_t dot = cardPath.rfind('.');
  std::string result;
  if (dot != std::string::npos && dot > nameStart) {
    result = cardPath.substr(0, dot) + ".kas";
  }
  // No extension of its own, or one that is already ".kas": never the card file.
  if (result.empty() || result == cardPath) result = cardPath + ".kas";
  return result;
}

const char kLossyRewriteQuestion[] =
    "Die Datei wird im Kartei-Format neu geschrieben; nicht gelesene Felder gehen verloren. "
    "Trotzdem sichern?";

std::string placedInFirstText(int count) {
  if (count <= 0) return std::string();
  if (count == 1) return "1 Karte ohne g\xFCltiges Fach wurde ins 1. Fach gelegt.";
  char text[96];
  std::snprintf(text, sizeof text, "%d Karten ohne g\xFCltiges Fach wurden ins 1. Fach gelegt.",
                count);
  return text;
}

void loadCardFile(const char* path, tFileReport* report) {
  tFileReport local;
  if (report == nullptr) report = &local;
  const size_t errorsBefore = report->errors.size();
  tTrmDB db(&report->errors);
  report->opened = db.open(path);
  if (!report->opened) return;
  report->foreignColumns = foreignColumnCount(db);
  tTermel card;
  for (uint32_t i = 0; db.goTo(i) && !db.atEnd(); ++i) {
    readCard(db, &card);
    char letter[2];
    copyText(db.KASTEN, letter, sizeof letter);
    if (!theCardBox.addCardTo(card, compartmentOfLetter(letter[0]))) {
      theCardBox.addCardTo(card, 1);
      ++report->placedInFirst;
    }
    ++report->loaded;
  }
  report->lossyRewrite = report->errors.size() > errorsBefore || report->foreignColumns > 0;
}

bool saveCardFile(const char* path, tFileReport* report) {
  tFileReport local;
  if (report == nullptr) report = &local;
  if (path == nullptr || *path == '\0') {
    addError(&report->errors, kCardError, kDbfCannotOpen);
    return false;
  }
  tSaveTally tally;
  const bool saved = replaceTable<tTrmDB>(path, &report->errors, kCardError, createCardTable,
                                          [&tally](tTrmDB& db) { return writeCards(db, &tally); });
  if (!saved) return false;
  replaceTable<tKastenDB>(boxFileName(path), &report->errors, kBoxError, createBoxTable,
                          [&tally](tKastenDB& db) { return writeCompartments(db, tally); });
  return true;
}
