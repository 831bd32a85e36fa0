// termel-tool: the card box from the command line. Shows how full a box is, imports
// and exports word lists, and checks a card file. Card texts are code page 1252
// inside the program and UTF-8 on the terminal.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "box/box_stats.h"
#include "box/card_box.h"
#include "kartei/backups.h"
#include "kartei/box_lock.h"
#include "kartei/box_merge_files.h"
#include "kartei/card_file.h"
#include "kartei/conflict_copies.h"
#include "kartei/file_texts.h"
#include "kartei/stale_temp_files.h"
#include "storage/text_encoding.h"
#include "tools/find_history.h"
#include "wordlists/card_intake.h"
#include "wordlists/text_io.h"
#include "wordlists/word_list_format.h"

namespace {

const char kUsage[] =
    "Aufruf: termel-tool BEFEHL ...\n"
    "  info BOX.trm                    Karten je Fach\n"
    "  backups BOX.trm                 Sicherungen (Datum, Uhrzeit, Karten, Datei)\n"
    "  import [--header] [--force] BOX.trm WORDS\n"
    "                                  Wortliste in Fach 1 übernehmen\n"
    "  export [--utf8] BOX.trm WORDS   alle Karten als Wortliste schreiben\n"
    "  check BOX.trm                   Kartendatei prüfen, Konfliktkopien auflisten\n"
    "  merge BOX.trm ANDERE.trm...     andere Fassungen in die Kartei zusammenführen\n"
    "  stats BOX.trm                   Übersicht: Fächer, Summen, am häufigsten nicht "
    "gewusst\n"
    "  find BOX.trm TEXT               Karten mit TEXT auf einer Seite (Ende 1: keine)\n"
    "  history BOX.trm                 Lernverlauf: Antworten je Tag, Lerntage, Ablage\n"
    "  --help                          diese Hilfe\n"
    "  --version                       Version ausgeben\n"
    "Das Format der Wortliste folgt aus ihrer Endung: .txt (Begriff;Übersetzung),\n"
    ".csv (durch Komma, Semikolon, Tabulator oder | getrennt), .tsv (durch Tabulator\n"
    "getrennt; ebenso .txt mit Tabulatoren und ohne Semikolon),\n"
    ".kvtml (KDE-Vokabeldatei), .apkg und .colpkg (Karteikarten-Paket, nur\n"
    "Import, mit Lernstand). --header: die erste Zeile einer .csv- oder\n"
    ".tsv-Datei benennt die Spalten und wird übergangen. --utf8: .txt in UTF-8.\n"
    "WORDS \"-\" liest die Standardeingabe (import) oder schreibt in die\n"
    "Standardausgabe (export), jeweils als .txt-Wortliste.\n"
    "--force sichert auch über eine Kartei mit fremden oder nicht lesbaren Feldern\n"
    "oder Texten über 63 Zeichen; diese gehen dabei verloren oder werden gekürzt.\n"
    "Optionen dürfen auch nach den Dateien stehen; -- beendet sie. Fehler erscheinen\n"
    "auf der Standardfehlerausgabe.\n";

int usageError() {
  std::fputs(kUsage, stderr);
  return 2;
}

// Program texts are code page 1252; the terminal expects UTF-8.
void printLine(std::FILE* out, const std::string& cp1252) {
  std::fprintf(out, "%s\n", cp1252ToUtf8(cp1252).c_str());
}

void printErrors(const tFileReport& report, std::FILE* out) {
  for (const std::string& error : report.errors) printLine(out, error);
  for (const std::string& warning : report.warnings) printLine(out, warning);
}

// Messages and paths are printed as they are: paths come from the system in its
// own encoding.
int fail(const std::string& message) {
  std::fprintf(stderr, "termel-tool: %s\n", message.c_str());
  return 1;
}

// The load has already said why, in words, on standard error.
int boxNotRead() {
  return 1;
}

// A word list that could not be read, with the system's reason when it gave one.
int cannotRead(const char* path, int error) {
  const std::string file = std::string("Die Datei ") + path;
  struct stat st;
  if (stat(path, &st) == 0 && S_ISDIR(st.st_mode)) {
    return fail(file + " ist ein Verzeichnis und keine Wortliste.");
  }
  if (stat(path, &st) == 0 && !S_ISREG(st.st_mode)) {
    return fail(file + " ist keine gewöhnliche Datei und keine Wortliste.");
  }
  std::string message = file + " kann nicht gelesen werden";
  if (error != 0) message += std::string(": ") + cp1252ToUtf8(systemErrorText(error));
  return fail(message);
}

// A file that could not be written, with the system's reason when it gave one.
int cannotWrite(const char* path, int error) {
  std::string message = std::string("Die Datei ") + path + " kann nicht geschrieben werden";
  if (error != 0) message += std::string(": ") + cp1252ToUtf8(systemErrorText(error));
  return fail(message);
}

bool exists(const char* path) {
  return access(path, F_OK) == 0;
}

bool isStandardStream(const char* path) {
  return std::strcmp(path, "-") == 0;
}

// Loads a card file that must exist and be readable, printing what its load reports.
bool loadExisting(const char* path, tFileReport* report) {
  loadCardFile(path, report);
  printErrors(*report, stderr);
  if (report->placedInFirst > 0) printLine(stderr, placedInFirstText(report->placedInFirst));
  return report->opened;
}

// Loads a card file only to show or write out its cards: one the load raised errors on
// (damaged, no card file, columns missing) would show cards that are not there.
bool loadWhole(const char* path) {
  tFileReport report;
  return loadExisting(path, &report) && report.errors.empty();
}

int info(const char* box) {
  if (!loadWhole(box)) return boxNotRead();
  for (int n = 1; n < theCardBox.compartmentCount(); ++n) {
    std::printf("%d. Fach: %d\n", n, theCardBox.countIn(n));
  }
  std::printf("Ablage: %d\n", theCardBox.countIn(theCardBox.compartmentCount()));
  std::printf("Gesamt: %d\n", theCardBox.totalCount());
  return 0;
}

// Refused lines go to standard error, with their line number where the format has one;
// *notes counts them.
tImportResult importWords(const char* words, const tWordListOptions& options, int* notes) {
  const tWordListReporter report = [notes](int, const char* caption, const char* text, int line) {
    ++*notes;
    printLine(stderr, wordListNote(caption, text, line));
  };
  if (!isStandardStream(words)) return importWordList(words, options, report);
  return importTextStream(stdin, report);
}

// Takes the box's lock for a command that writes it; false, with the reason on standard
// error, when it cannot be taken: the box is then never written.
bool lockForWriting(const tBoxIdentity& box, tBoxLock* lock) {
  if (lock->acquire(box) == tLockState::kHeld) return true;
  printLine(stderr, lock->reason());
  return false;
}

int import(const char* boxPath, const char* words, const tWordListOptions& options, bool force) {
  const tBoxIdentity identity(boxPath);
  const char* box = identity.path().c_str();
  // The box must not change under a program that has it open and would save over it.
  tBoxLock lock;
  if (!lockForWriting(identity, &lock)) {
    return fail(std::string("Nichts geändert: ") + box);
  }
  // Holding the lock, the import may remove what killed saves of this box left.
  removeStaleTempFiles(identity, &lock);
  // A missing box is started empty; one that exists but can't be read is never
  // overwritten, and neither is one whose rewrite would lose what could not be read.
  if (exists(box)) {
    tFileReport loaded;
    if (!loadExisting(box, &loaded)) return boxNotRead();
    if (loaded.foreignColumns > 0) {
      std::fprintf(stderr, "Fremde Spalten: %d\n", loaded.foreignColumns);
    }
    if (loaded.lossyRewrite && !force) {
      return fail(std::string(box) +
                  ": Die Datei wird im Kartei-Format neu geschrieben; nicht gelesene Felder "
                  "gehen verloren, längere Texte werden auf 63 Zeichen gekürzt. Nichts "
                  "geändert; --force sichert trotzdem.");
    }
  }
  int notes = 0;
  errno = 0;
  const tImportResult result = importWords(words, options, &notes);
  if (!result.opened || result.readFailed) return cannotRead(words, errno);
  // Nothing added: the box file and its backups stay as they are, and a box that did
  // not exist is not made. A list that gave no card, with errors or without a single
  // record (empty, a byte-order mark or a "sep=" line alone), is a failure.
  if (result.added == 0) {
    std::printf("Hinzugefügt: 0\n");
    return fail(std::string(notes > 0 ? "Die Wortliste ergab keine Karte: "
                                      : "Die Wortliste enthält keine Karte: ") +
                words);
  }
  tFileReport report;
  const bool saved = saveCardFile(identity, &report, &lock);
  printErrors(report, stderr);
  if (!saved) return fail(std::string("Die Kartei wurde nicht gesichert: ") + box);
  std::printf("Hinzugefügt: %d\n", result.added);
  if (result.replaced > 0) std::printf("Mit ersetzten Zeichen: %d\n", result.replaced);
  if (result.cut > 0) std::printf("Gekürzt: %d\n", result.cut);
  if (result.joined > 0) std::printf("Zusammengefügte Felder: %d\n", result.joined);
  if (result.separator != 0) printLine(stdout, "Trennzeichen: " + separatorName(result.separator));
  const int notTaken = result.malformed + result.alreadyPresent;
  if (notTaken > 0) std::printf("Nicht übernommen: %d\n", notTaken);
  return 0;
}

// A text file splits a term at its ";" when read back: how many cards it will not
// keep, on standard error.
void warnOfTextExport(const char* words) {
  if (!isStandardStream(words) && wordListFormatOf(words) != tWordListFormat::kText) return;
  const std::string note = textExportNote(textExportLoss());
  if (!note.empty()) printLine(stderr, note);
}

int exportWords(const char* box, const char* words, const tWordListOptions& options) {
  if (!loadWhole(box)) return boxNotRead();
  errno = 0;
  const bool written = isStandardStream(words) ? exportTextStream(stdout, options.utf8)
                                               : exportWordList(words, options);
  if (!written) return cannotWrite(words, errno);
  warnOfTextExport(words);
  return 0;
}

// The copies a sync tool left beside the box, one a line.
void listConflictCopies(const char* box) {
  const std::vector<std::string> copies = findConflictCopies(box);
  std::printf("Konfliktkopien: %d\n", static_cast<int>(copies.size()));
  for (const std::string& copy : copies) std::printf("  %s\n", copy.c_str());
}

int check(const char* box) {
  tFileReport report;
  loadCardFile(box, &report);
  printErrors(report, stderr);
  if (!report.opened) return boxNotRead();
  std::printf("Geladen: %d\n", report.loaded);
  std::printf("Ins 1. Fach gelegt: %d\n", report.placedInFirst);
  if (report.foreignColumns > 0) std::printf("Fremde Spalten: %d\n", report.foreignColumns);
  if (report.deletedSkipped > 0) {
    std::printf("Gelöschte Sätze übergangen: %d\n", report.deletedSkipped);
  }
  if (report.longTexts > 0) std::printf("Texte über 63 Zeichen: %d\n", report.longTexts);
  listConflictCopies(box);
  // A damaged file (such as records of nothing but NUL bytes), one that is no card file
  // and one that lacks columns fail the check.
  return report.errors.empty() ? 0 : 1;
}

// Merges the other versions into the box, then prints the summary and the conflicts.
int merge(const std::vector<std::string>& files) {
  const tBoxIdentity identity(files[0]);
  const char* box = identity.path().c_str();
  tBoxLock lock;
  if (!lockForWriting(identity, &lock)) {
    return fail(std::string("nichts zusammengeführt: ") + box);
  }
  // Holding the lock, the merge removes what killed saves of this box left, as a save does.
  if (lock.held()) removeStaleTempFiles(box, &lock);
  tMergeSummary summary;
  tFileReport report;
  const bool merged = mergeFilesIntoBox(
      identity, std::vector<std::string>(files.begin() + 1, files.end()), &summary, &report, &lock);
  printErrors(report, stderr);
  if (!merged) return fail(std::string("nichts zusammengeführt: ") + box);
  printLine(stdout, summary.text());
  for (const std::string& conflict : summary.conflicts) printLine(stdout, "  " + conflict);
  return 0;
}

// Newest first; a count that cannot be read shows as "?".
int listBackups(const char* box) {
  const std::vector<tBackup> backups = tBackupStore::forUser().list(tBoxIdentity(box));
  if (backups.empty()) std::printf("Keine Sicherungen.\n");
  for (const tBackup& backup : backups) {
    const std::string count = backup.cards < 0 ? "?" : std::to_string(backup.cards);
    std::printf("%s %s %7s  %s\n", backup.date().c_str(), backup.time().c_str(), count.c_str(),
                backup.cardPath.c_str());
  }
  return 0;
}

// A share as a German percentage with one decimal: 0.125 gives "12,5 %".
std::string percent(double share) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f %%", share * 100);
  std::string result = text;
  std::replace(result.begin(), result.end(), '.', ',');
  return result;
}

int stats(const char* box) {
  if (!loadWhole(box)) return boxNotRead();
  const tBoxStats stats = computeBoxStats(theCardBox);
  for (int k = 0; k < tBoxStats::kLearning; ++k) {
    std::printf("%d. Fach: %d (Grenze: %d)\n", k + 1, stats.counts[k], stats.thresholds[k]);
  }
  std::printf("Ablage: %d\n", stats.counts[tBoxStats::kLearning]);
  std::printf("Karten: %d\n", stats.cards);
  std::printf("Gewusst: %lld\n", static_cast<long long>(stats.timesKnown));
  std::printf("Unbekannt: %lld\n", static_cast<long long>(stats.timesUnknown));
  std::printf("Anteil in der Ablage: %s\n", percent(stats.archiveShare).c_str());
  if (stats.mostMissed.empty()) {
    printLine(stdout, "Am h\xE4ufigsten nicht gewusst: keine");
    return 0;
  }
  printLine(stdout, "Am h\xE4ufigsten nicht gewusst:");
  for (const tTermel& card : stats.mostMissed) {
    char counts[64];
    std::snprintf(counts, sizeof counts, " (Unbekannt: %d, Gewusst: %d)", card.timesUnknown,
                  card.timesKnown);
    printLine(stdout, std::string(card.front) + " = " + card.back + counts);
  }
  return 0;
}

int run(const std::vector<std::string>& args) {
  if (args.empty()) return usageError();
  const std::string& command = args[0];
  if (command == "--help" || command == "-h") {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (command == "--version" && args.size() == 1) {
    std::printf("termel-tool %s\n", TERMEL_VERSION);
    return 0;
  }
  // Options may stand anywhere after the command; "--" ends them.
  std::vector<std::string> files;
  tWordListOptions options;
  bool force = false;
  bool optionsEnded = false;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      files.push_back(arg);
    } else if (arg == "--") {
      optionsEnded = true;
    } else if (command == "import" && arg == "--header") {
      options.firstLineNamesColumns = true;
    } else if (command == "import" && arg == "--force") {
      force = true;
    } else if (command == "export" && arg == "--utf8") {
      options.utf8 = true;
    } else {
      return usageError();
    }
  }
  if (command == "merge") return files.size() >= 2 ? merge(files) : usageError();
  if (command == "find") {
    return files.size() == 2 ? findCardsCommand(files[0].c_str(), files[1].c_str()) : usageError();
  }
  if (files.size() == 1) {
    const char* box = files[0].c_str();
    if (command == "info") return info(box);
    if (command == "check") return check(box);
    if (command == "stats") return stats(box);
    if (command == "backups") return listBackups(box);
    if (command == "history") return historyCommand(box);
  }
  if (files.size() != 2) return usageError();
  const char* box = files[0].c_str();
  const char* words = files[1].c_str();
  if (command == "import") return import(box, words, options, force);
  if (command == "export") return exportWords(box, words, options);
  return usageError();
}

}  // namespace

int main(int argc, char** argv) {
  // The system's error texts in the user's language; numbers stay as they are.
  std::setlocale(LC_MESSAGES, "");
  return run(std::vector<std::string>(argv + 1, argv + argc));
}
