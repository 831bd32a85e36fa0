// termel-tool: the card box from the command line. Shows how full a box is, imports
// and exports word lists, and checks a card file. Card texts are code page 1252
// inside the program and UTF-8 on the terminal.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "box/box_stats.h"
#include "box/card_box.h"
#include "kartei/backups.h"
#include "kartei/box_lock.h"
#include "kartei/card_file.h"
#include "storage/text_encoding.h"
#include "tools/find_history.h"
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
    "  check BOX.trm                   Kartendatei prüfen\n"
    "  stats BOX.trm                   Übersicht: Fächer, Summen, am häufigsten nicht "
    "gewusst\n"
    "  find BOX.trm TEXT               Karten mit TEXT auf einer Seite (Ende 1: keine)\n"
    "  history BOX.trm                 Lernverlauf: Antworten je Tag, Lerntage, Ablage\n"
    "  --help                          diese Hilfe\n"
    "  --version                       Version ausgeben\n"
    "Das Format der Wortliste folgt aus ihrer Endung: .txt (Begriff;Übersetzung),\n"
    ".csv (durch Komma oder Semikolon getrennt), .tsv (durch Tabulator getrennt),\n"
    ".kvtml (KDE-Vokabeldatei). --header: die erste Zeile einer .csv- oder\n"
    ".tsv-Datei benennt die Spalten und wird übergangen. --utf8: .txt in UTF-8.\n"
    "WORDS \"-\" liest die Standardeingabe (import) oder schreibt in die\n"
    "Standardausgabe (export), jeweils als .txt-Wortliste.\n"
    "--force sichert auch über eine Kartei mit fremden oder nicht lesbaren Feldern;\n"
    "diese gehen dabei verloren.\n";

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

int cannotRead(const char* path) {
  return fail(std::string("Die Datei kann nicht gelesen werden: ") + path);
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

bool loadExisting(const char* path) {
  tFileReport report;
  return loadExisting(path, &report);
}

int info(const char* box) {
  if (!loadExisting(box)) return cannotRead(box);
  for (int n = 1; n < theCardBox.compartmentCount(); ++n) {
    std::printf("%d. Fach: %d\n", n, theCardBox.countIn(n));
  }
  std::printf("Ablage: %d\n", theCardBox.countIn(theCardBox.compartmentCount()));
  std::printf("Gesamt: %d\n", theCardBox.totalCount());
  return 0;
}

// Refused lines go to standard error, with their line number where the format has one.
tImportResult importWords(const char* words, const tWordListOptions& options) {
  const tWordListReporter report = [](int, const char* caption, const char* text, int line) {
    printLine(stderr, wordListNote(caption, text, line));
  };
  if (!isStandardStream(words)) return importWordList(words, options, report);
  return importTextStream(stdin, [&report](int code, const char* caption, const char* text) {
    report(code, caption, text, 0);
  });
}

int import(const char* box, const char* words, const tWordListOptions& options, bool force) {
  // The box must not change under a program that has it open and would save over it.
  tBoxLock lock;
  if (lock.acquire(box) == tLockState::kHeldElsewhere) {
    return fail(std::string("ist in einem anderen Programm geöffnet: ") + box);
  }
  // A missing box is started empty; one that exists but can't be read is never
  // overwritten, and neither is one whose rewrite would lose what could not be read.
  if (exists(box)) {
    tFileReport loaded;
    if (!loadExisting(box, &loaded)) return cannotRead(box);
    if (loaded.foreignColumns > 0) {
      std::fprintf(stderr, "Fremde Spalten: %d\n", loaded.foreignColumns);
    }
    if (loaded.lossyRewrite && !force) {
      return fail(std::string(box) +
                  ": Die Datei wird im Kartei-Format neu geschrieben; nicht gelesene Felder "
                  "gehen verloren. Nichts geändert; --force sichert trotzdem.");
    }
  }
  const tImportResult result = importWords(words, options);
  if (!result.opened || result.readFailed) return cannotRead(words);
  tFileReport report;
  if (!saveCardFile(box, &report)) {
    printErrors(report, stderr);
    return fail(std::string("kann nicht geschrieben werden: ") + box);
  }
  printErrors(report, stderr);
  std::printf("Hinzugefügt: %d\n", result.added);
  if (result.replaced > 0) std::printf("Mit ersetzten Zeichen: %d\n", result.replaced);
  return 0;
}

int exportWords(const char* box, const char* words, const tWordListOptions& options) {
  if (!loadExisting(box)) return cannotRead(box);
  const bool written = isStandardStream(words) ? exportTextStream(stdout, options.utf8)
                                               : exportWordList(words, options);
  if (!written) return fail(std::string("kann nicht geschrieben werden: ") + words);
  return 0;
}

int check(const char* box) {
  tFileReport report;
  loadCardFile(box, &report);
  printErrors(report, stdout);
  if (!report.opened) return cannotRead(box);
  std::printf("Geladen: %d\n", report.loaded);
  std::printf("Ins 1. Fach gelegt: %d\n", report.placedInFirst);
  if (report.foreignColumns > 0) std::printf("Fremde Spalten: %d\n", report.foreignColumns);
  return 0;
}

// Newest first; a count that cannot be read shows as "?".
int listBackups(const char* box) {
  const std::vector<tBackup> backups = tBackupStore::forUser().list(box);
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
  if (!loadExisting(box)) return fail(std::string("kann nicht gelesen werden: ") + box);
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
  if (command == "info" && args.size() == 2) return info(args[1].c_str());
  if (command == "check" && args.size() == 2) return check(args[1].c_str());
  if (command == "stats" && args.size() == 2) return stats(args[1].c_str());
  if (command == "backups" && args.size() == 2) return listBackups(args[1].c_str());
  if (command == "find" && args.size() == 3)
    return findCardsCommand(args[1].c_str(), args[2].c_str());
  if (command == "history" && args.size() == 2) return historyCommand(args[1].c_str());
  if (command != "import" && command != "export") return usageError();
  tWordListOptions options;
  bool force = false;
  size_t next = 1;
  for (; next < args.size() && args[next].compare(0, 2, "--") == 0; ++next) {
    if (command == "import" && args[next] == "--header") {
      options.firstLineNamesColumns = true;
    } else if (command == "import" && args[next] == "--force") {
      force = true;
    } else if (command == "export" && args[next] == "--utf8") {
      options.utf8 = true;
    } else {
      return usageError();
    }
  }
  if (args.size() - next != 2) return usageError();
  const char* box = args[next].c_str();
  const char* words = args[next + 1].c_str();
  return command == "import" ? import(box, words, options, force)
                             : exportWords(box, words, options);
}

}  // namespace

int main(int argc, char** argv) {
  return run(std::vector<std::string>(argv + 1, argv + argc));
}
