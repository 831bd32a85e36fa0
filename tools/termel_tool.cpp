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
#include "box/card_file.h"
#include "box/text_io.h"
#include "storage/text_encoding.h"

namespace {

const char kUsage[] =
    "Aufruf: termel-tool BEFEHL ...\n"
    "  info BOX.trm                    Karten je Fach\n"
    "  import BOX.trm WORDS.txt        Wortliste (Begriff;Übersetzung) in Fach 1 "
    "übernehmen\n"
    "  export [--utf8] BOX.trm WORDS.txt  alle Karten als Wortliste schreiben\n"
    "  check BOX.trm                   Kartendatei prüfen\n"
    "  stats BOX.trm                   Übersicht: Fächer, Summen, am häufigsten nicht "
    "gewusst\n"
    "  --help                          diese Hilfe\n";

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

bool exists(const char* path) {
  return access(path, F_OK) == 0;
}

// Loads a card file that must exist and be readable.
bool loadExisting(const char* path) {
  tFileReport report;
  loadCardFile(path, &report);
  printErrors(report, stderr);
  return report.opened;
}

int info(const char* box) {
  if (!loadExisting(box)) return fail(std::string("kann nicht gelesen werden: ") + box);
  for (int n = 1; n < theCardBox.compartmentCount(); ++n) {
    std::printf("%d. Fach: %d\n", n, theCardBox.countIn(n));
  }
  std::printf("Ablage: %d\n", theCardBox.countIn(theCardBox.compartmentCount()));
  std::printf("Gesamt: %d\n", theCardBox.totalCount());
  return 0;
}

int import(const char* box, const char* words) {
  // A missing box is started empty; one that exists but can't be read is never
  // overwritten.
  if (exists(box) && !loadExisting(box)) {
    return fail(std::string("kann nicht gelesen werden: ") + box);
  }
  const tImportResult result =
      importTextFile(words, [](int, const char* caption, const char* text) {
        std::string line = cp1252ToUtf8(text);
        if (!line.empty() && line.back() == '\n') line.pop_back();
        std::fprintf(stderr, "%s: %s\n", caption, line.c_str());
      });
  if (!result.opened) return fail(std::string("kann nicht gelesen werden: ") + words);
  tFileReport report;
  if (!saveCardFile(box, &report)) {
    printErrors(report, stderr);
    return fail(std::string("kann nicht geschrieben werden: ") + box);
  }
  printErrors(report, stderr);
  std::printf("Hinzugefügt: %d\n", result.added);
  return 0;
}

int exportWords(const char* box, const char* words, bool utf8) {
  if (!loadExisting(box)) return fail(std::string("kann nicht gelesen werden: ") + box);
  if (!exportTextFile(words, utf8)) {
    return fail(std::string("kann nicht geschrieben werden: ") + words);
  }
  return 0;
}

int check(const char* box) {
  tFileReport report;
  loadCardFile(box, &report);
  printErrors(report, stdout);
  if (!report.opened) return fail(std::string("kann nicht gelesen werden: ") + box);
  std::printf("Geladen: %d\n", report.loaded);
  std::printf("Übersprungen: %d\n", report.skipped);
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
  if (command == "info" && args.size() == 2) return info(args[1].c_str());
  if (command == "check" && args.size() == 2) return check(args[1].c_str());
  if (command == "stats" && args.size() == 2) return stats(args[1].c_str());
  if (command == "import" && args.size() == 3) return import(args[1].c_str(), args[2].c_str());
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
