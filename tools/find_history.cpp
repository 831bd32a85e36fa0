#include "tools/find_history.h"

#include <unistd.h>

#include <cstdio>
#include <string>

#include "box/card_box.h"
#include "box/card_search.h"
#include "kartei/card_file.h"
#include "kartei/learning_journal.h"
#include "storage/text_encoding.h"

namespace {

int fail(const std::string& message) {
  std::fprintf(stderr, "termel-tool: %s\n", message.c_str());
  return 1;
}

std::string compartmentLabel(int n) {
  if (n == theCardBox.compartmentCount()) return "Ablage";
  return std::to_string(n) + ". Fach";
}

}  // namespace

int findCardsCommand(const char* box, const char* text) {
  tFileReport report;
  loadCardFile(box, &report);
  if (!report.opened) return fail(std::string("Die Datei kann nicht gelesen werden: ") + box);
  // A damaged file or one without card columns would seem to hold no such card.
  if (!report.errors.empty()) {
    for (const std::string& error : report.errors) fail(cp1252ToUtf8(error));
    return 1;
  }
  std::string cp1252;
  // A character no card can hold is in no card either.
  if (!utf8ToCp1252(text, &cp1252)) return 1;
  tCardSearch search(theCardBox);
  search.index();
  search.find(cp1252);
  for (const tFoundCard& found : search.found()) {
    const std::string line = std::string(found.card->front) + " = " + found.card->back;
    std::printf("%s: %s\n", compartmentLabel(found.compartment).c_str(),
                cp1252ToUtf8(line).c_str());
  }
  return search.count() > 0 ? 0 : 1;
}

int historyCommand(const char* box) {
  if (access(box, R_OK) != 0) {
    return fail(std::string("Die Datei kann nicht gelesen werden: ") + box);
  }
  const tLearningFigures figures = tLearningJournal::forBox(box).figures(journalNow());
  std::printf("Antworten der letzten %d Tage (gewusst/unbekannt):\n", tLearningFigures::kDays);
  for (const tLearningFigures::Day& day : figures.days) {
    std::printf("  %s %d/%d\n", day.date.c_str(), day.known, day.unknown);
  }
  std::printf("Tage in Folge: %d\n", figures.streak);
  std::printf("Lerntage insgesamt: %d\n", figures.learningDays);
  std::printf("In die Ablage gekommen (Woche ab):\n");
  for (const tLearningFigures::Week& week : figures.weeks) {
    std::printf("  %s %d\n", week.monday.c_str(), week.archived);
  }
  return 0;
}
