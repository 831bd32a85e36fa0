// Feeds arbitrary bytes to the learning journal's reader as a journal file: whatever
// the file holds, the figures must come out without a crash or a read outside the
// file, every count must be sane, and an answer appended after it must be counted.

#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <string>

#include "fuzz/scratch_file.h"
#include "kartei/learning_journal.h"

namespace {

void check(bool condition) {
  if (!condition) std::abort();
}

constexpr std::time_t kNow = 1796650000;  // December 2026
std::time_t fixedClock() {
  return kNow;
}

int32_t answersToday(const tLearningFigures& figures) {
  return figures.days.back().known + figures.days.back().unknown;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!writeScratchFile(data, size)) return 0;
  setJournalClock(fixedClock);
  tLearningJournal journal(scratchFile());
  const tLearningFigures before = journal.figures(kNow);
  for (const auto& day : before.days) check(day.known >= 0 && day.unknown >= 0);
  for (const auto& week : before.weeks) check(week.archived >= 0);
  check(before.streak >= 0 && before.streak <= before.learningDays);
  std::string error;
  tTermel card = makeCard("Haus", "house");
  if (!journal.append(tJournalEvent::kUnknown, card, 2, 1, &error)) return 0;
  const tLearningFigures after = journal.figures(kNow);
  // A count that overflowed its day in the file may stay where it was.
  check(answersToday(after) == answersToday(before) + 1 || answersToday(before) == INT32_MAX);
  return 0;
}
