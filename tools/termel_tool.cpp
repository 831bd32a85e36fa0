// termel-tool: the card box from the command line. Shows how full a box is, imports
// and exports word lists, and checks a card file. Card texts are code page 1252
// inside the program and UTF-8 on the terminal.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "box/card_box.h"
#include "box/card_file.h"
#include "box/text_io.h"
#include "storage/text_encoding.h"

namespace {

const char kUsage[] =
    "Aufruf: termel-tool BEFEHL ...\n"
    "  info BOX.trm                         Karten je Fach\n"
    "  import [--force] BOX.trm WORDS.txt   Wortliste (Begriff;Übersetzung) in Fach 1 "
    "übernehmen\n"
    "  export [--utf8] BOX.trm WORDS.txt    alle Karten als Wortliste schreiben\n"
    "  check BOX.trm                        Kartendatei prüfen\n"
    "  --help                               diese Hilfe\n"
    "WORDS.txt \"-\" liest die Standardeingabe (import) oder schreibt in die "
    "Standardausgabe (export).\n"
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

tImportResult importWords(const char* words) {
  const tImportReporter report = [](int, const char* caption, const char* text) {
    std::string line = cp1252ToUtf8(text);
    if (!line.empty() && line.back() == '\n') line.pop_back();
    std::fprintf(stderr, "%s: %s\n", caption, line.c_str());
  };
  return isStandardStream(words) ? importTextStream(stdin, report) : importTextFile(words, report);
}

int import(const char* box, const char* words, bool force) {
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
  const tImportResult result = importWords(words);
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

int exportWords(const char* box, const char* words, bool utf8) {
  if (!loadExisting(box)) return cannotRead(box);
  const bool written =
      isStandardStream(words) ? exportTextStream(stdout, utf8) : exportTextFile(words, utf8);
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

int run(const std::vector<std::string>& args) {
  if (args.empty()) return usageError();
  const std::string& command = args[0];
  if (command == "--help" || command == "-h") {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (command == "info" && args.size() == 2) return info(args[1].c_str());
  if (command == "check" && args.size() == 2) return check(args[1].c_str());
  if (command == "import" && args.size() == 3) {
    return import(args[1].c_str(), args[2].c_str(), false);
  }
  if (command == "import" && args.size() == 4 && args[1] == "--force") {
    return import(args[2].c_str(), args[3].c_str(), true);
  }
  if (command == "export" && args.size() == 3) {
    return exportWords(args[1].c_str(), args[2].c_str(), false);
  }
  if (command == "export" && args.size() == 4 && args[1] == "--utf8") {
    return exportWords(args[2].c_str(), args[3].c_str(), true);
  }
  return usageError();
}

}  // namespace

int main(int argc, char** argv) {
  return run(std::vector<std::string>(argv + 1, argv + argc));
}
