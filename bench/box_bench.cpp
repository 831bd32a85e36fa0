// Speed of the card box at 10,000 and 100,000 cards (loading also at 200,000 and
// 1,000,000). Every benchmark reports its time per card ("per_card"), so linear
// scaling shows as equal figures at all sizes; the plain file reads and writes give the
// floor for loading, importing and saving. At the end the ratios to those floors, of the
// larger sizes to 10,000 cards, and the times of the window's paths at a million cards
// are printed, each with its goal.
// Saving over a box is measured with and without the backup of the replaced version;
// backups go to a scratch XDG_DATA_HOME, never into the real home. The peak memory of a
// load is taken in a fresh process of this program (--peak-of-load FILE).
// Storing one typed card is measured at 200,000 cards (goal: under 50 ms).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <ftw.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <sys/stat.h>
#include <unistd.h>
#include <climits>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "bench/proc_status.h"
#include "box/answer_history.h"
#include "box/box_stats.h"
#include "box/card_box.h"
#include "box/card_search.h"
#include "box/card_view.h"
#include "kartei/backups.h"
#include "kartei/box_file_name.h"
#include "kartei/card_file.h"
#include "kartei/learning_journal.h"
#include "wordlists/text_io.h"

namespace {

// Files shared by the benchmarks, written once per size into one scratch directory.
class BenchFiles {
 public:
  BenchFiles() {
    char name[] = "/tmp/termel-bench-XXXXXX";
    dir_ = mkdtemp(name) != nullptr ? name : "/tmp";
  }
  // Everything the benchmarks left in the scratch directory goes with it: card and box
  // files, version records and the backups of the saves.
  ~BenchFiles() {
    if (dir_ == "/tmp") return;
    nftw(
        dir_.c_str(),
        [](const char* path, const struct stat*, int, struct FTW*) { return std::remove(path); },
        16, FTW_DEPTH | FTW_PHYS);
  }

  const std::string& cardFile(int n) {
    return once("trm" + std::to_string(n), [this, n](const std::string& path) {
      fillBox(n);
      saveCardFile(path.c_str());
      theCardBox.clearAll();
    });
  }

  const std::string& textFile(int n) {
    return once("txt" + std::to_string(n), [n](const std::string& path) {
      std::FILE* f = std::fopen(path.c_str(), "w");
      for (int i = 0; i < n; ++i) std::fprintf(f, "Wort %d;word %d\n", i, i);
      std::fclose(f);
    });
  }

  // megabytes of line feeds and nothing else.
  const std::string& blankLines(int megabytes) {
    return once("txt-blank" + std::to_string(megabytes), [megabytes](const std::string& path) {
      std::FILE* f = std::fopen(path.c_str(), "w");
      const std::string block(1 << 20, '\n');
      for (int i = 0; i < megabytes; ++i) std::fwrite(block.data(), 1, block.size(), f);
      std::fclose(f);
    });
  }

  static void fillBox(int n, int compartments = 7) {
    theCardBox.clearAll();
    for (int i = 0; i < n; ++i) {
      const std::string front = "Wort " + std::to_string(i);
      const std::string back = "word " + std::to_string(i);
      theCardBox.addCardTo(makeCard(front.c_str(), back.c_str()), 1 + i % compartments);
    }
  }

  const std::string& dir() const { return dir_; }

 private:
  template <typename Write>
  const std::string& once(const std::string& key, Write write) {
    auto found = written_.find(key);
    if (found != written_.end()) return found->second;
    const std::string path = dir_ + "/" + key + (key[1] == 'r' ? ".trm" : ".txt");
    write(path);
    return written_[key] = path;
  }

  std::string dir_;
  std::map<std::string, std::string> written_;
};

BenchFiles& files() {
  static BenchFiles instance;
  return instance;
}

void perCard(benchmark::State& state, int cards) {
  state.counters["per_card"] = benchmark::Counter(
      cards, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

size_t readAll(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  static char buffer[1 << 20];
  size_t total = 0, n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) total += n;
  std::fclose(f);
  return total;
}

// Runs fill(path) into an empty box per iteration; path is the file that the
// given member of BenchFiles writes for this size.
template <typename Fill>
void intoEmptyBox(benchmark::State& state, const std::string& (BenchFiles::*file)(int), Fill fill) {
  const int n = static_cast<int>(state.range(0));
  const std::string& path = (files().*file)(n);
  for (auto _ : state) {
    state.PauseTiming();
    theCardBox.clearAll();
    state.ResumeTiming();
    fill(path);
  }
  theCardBox.clearAll();
  perCard(state, n);
}

void BM_ReadCardFileBytes(benchmark::State& state) {
  intoEmptyBox(state, &BenchFiles::cardFile,
               [](const std::string& path) { benchmark::DoNotOptimize(readAll(path)); });
}

void BM_Load(benchmark::State& state) {
  intoEmptyBox(state, &BenchFiles::cardFile,
               [](const std::string& path) { loadCardFile(path.c_str()); });
}

// What loading the card file adds to the peak memory of a fresh process, in kB: this
// program run again with --peak-of-load, so no memory kept by earlier benchmarks counts.
long peakOfLoadKb(const std::string& path) {
  char self[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
  if (length <= 0) return -1;
  self[length] = '\0';
  const std::string command = std::string("'") + self + "' --peak-of-load '" + path + "'";
  std::FILE* child = popen(command.c_str(), "r");
  if (child == nullptr) return -1;
  long kb = -1;
  if (std::fscanf(child, "%ld", &kb) != 1) kb = -1;
  return pclose(child) == 0 ? kb : -1;
}

// The peak memory of loading the card file against the file's size.
void BM_LoadMemory(benchmark::State& state) {
  const std::string& path = files().cardFile(static_cast<int>(state.range(0)));
  struct stat st {};
  stat(path.c_str(), &st);
  long kb = -1;
  for (auto _ : state) kb = peakOfLoadKb(path);
  if (kb < 0 || st.st_size <= 0) state.SkipWithError("the load in a fresh process failed");
  state.counters["memory_per_file"] = static_cast<double>(kb) * 1024 / st.st_size;
}

// Removes a saved box with its box file and the backups its saves kept.
void removeSaved(const std::string& path) {
  for (const tBackup& kept : tBackupStore::forUser().list(path)) {
    std::remove(kept.cardPath.c_str());
    std::remove(kept.boxPath.c_str());
  }
  std::remove(path.c_str());
  std::remove(boxFileName(path).c_str());
}

void BM_Save(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const std::string path = files().cardFile(n) + ".save.trm";
  BenchFiles::fillBox(n);
  for (auto _ : state) benchmark::DoNotOptimize(saveCardFile(path.c_str()));
  theCardBox.clearAll();
  removeSaved(path);
  perCard(state, n);
}

// Saving over an existing box, as every save but the first does. Without a backup the
// backup directory cannot be created (a file stands in its way), which costs a failed
// mkdir and nothing more. With backups every save also prunes, so in the steady state
// each save removes a backup as well.
void saveReplacing(benchmark::State& state, bool backup) {
  const int n = static_cast<int>(state.range(0));
  const std::string path = files().dir() + "/replace.trm";
  const std::string dataHome = files().dir() + (backup ? "/data" : "/blocked");
  if (!backup) std::fclose(std::fopen(dataHome.c_str(), "w"));
  setenv("XDG_DATA_HOME", dataHome.c_str(), 1);
  // The box as the window has it: loaded from its card file, each compartment's cards
  // one after the other in memory.
  theCardBox.clearAll();
  loadCardFile(files().cardFile(n).c_str());
  // Ten old versions, each a file of its own, so every save below prunes one.
  for (int i = 0; i <= tBackupStore::kNewestKept; ++i) {
    saveCardFile(path.c_str());
    const struct timespec old[2] = {{946684800 + i, 0}, {946684800 + i, 0}};
    utimensat(AT_FDCWD, path.c_str(), old, 0);
  }
  for (auto _ : state) benchmark::DoNotOptimize(saveCardFile(path.c_str()));
  theCardBox.clearAll();
  removeSaved(path);
  setenv("XDG_DATA_HOME", (files().dir() + "/data").c_str(), 1);
  perCard(state, n);
}

// The floor for a save: the bytes of the card file written into a new file with one
// write and put on disk with fsync, as the save must do at the least.
void BM_WriteCardFileBytes(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  std::string bytes;
  {
    std::ifstream in(files().cardFile(n), std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  const std::string path = files().dir() + "/written.trm";
  for (auto _ : state) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const bool ok = fd >= 0 &&
                    write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()) &&
                    fsync(fd) == 0;
    if (fd >= 0) close(fd);
    if (!ok) state.SkipWithError("cannot write the card file's bytes");
  }
  std::remove(path.c_str());
  perCard(state, n);
}

void BM_SaveReplacingWithoutBackup(benchmark::State& state) {
  saveReplacing(state, false);
}
void BM_SaveReplacingWithBackup(benchmark::State& state) {
  saveReplacing(state, true);
}

void BM_ReadTextFileBytes(benchmark::State& state) {
  intoEmptyBox(state, &BenchFiles::textFile,
               [](const std::string& path) { benchmark::DoNotOptimize(readAll(path)); });
}

// The least any line-based import must do: fetch the file line by line.
void BM_ReadTextFileLines(benchmark::State& state) {
  intoEmptyBox(state, &BenchFiles::textFile, [](const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "r");
    char line[1024];
    int lines = 0;
    while (std::fgets(line, sizeof line, f) != nullptr) ++lines;
    std::fclose(f);
    benchmark::DoNotOptimize(lines);
  });
}

void BM_Import(benchmark::State& state) {
  intoEmptyBox(state, &BenchFiles::textFile, [](const std::string& path) {
    benchmark::DoNotOptimize(importTextFile(path.c_str(), nullptr));
  });
}

// Import of a file of nothing but line feeds (state.range(0) MB): it adds nothing, so
// its time is the cost of reading lines and its memory must not grow with the file.
// "extra_MB" is the peak resident memory during the import above what was resident
// before it.
void BM_ImportBlankLines(benchmark::State& state) {
  const int megabytes = static_cast<int>(state.range(0));
  const std::string& path = files().blankLines(megabytes);
  theCardBox.clearAll();
  long extraKb = 0;
  for (auto _ : state) {
    state.PauseTiming();
    // Resets the peak resident size to the current one (Linux 4.0 and later).
    if (std::FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
      std::fputs("5", f);
      std::fclose(f);
    }
    const long before = statusKb("VmRSS");
    state.ResumeTiming();
    const tImportResult result = importTextFile(path.c_str(), nullptr);
    state.PauseTiming();
    if (result.added != 0 || !result.opened) state.SkipWithError("blank lines added cards");
    extraKb = std::max(extraKb, statusKb("VmHWM") - before);
    state.ResumeTiming();
  }
  state.counters["extra_MB"] = static_cast<double>(extraKb) / 1024.0;
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(megabytes) << 20);
}

// All cards spread over compartments 1..spread, then CardBox::shuffle(which).
void shuffleBench(benchmark::State& state, int spread, int which) {
  const int n = static_cast<int>(state.range(0));
  BenchFiles::fillBox(n, spread);
  for (auto _ : state) theCardBox.shuffle(which);
  theCardBox.clearAll();
  perCard(state, n);
}

void BM_ShuffleOneCompartment(benchmark::State& state) {
  shuffleBench(state, 1, 1);
}
void BM_ShuffleAll(benchmark::State& state) {
  shuffleBench(state, 7, 0);
}

// One drill step: choose the card, then answer; known and unknown alternate so the
// compartments keep roughly their shape over millions of steps.
void BM_DrillStep(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  BenchFiles::fillBox(n);
  bool known = false;
  for (auto _ : state) {
    benchmark::DoNotOptimize(theCardBox.chooseNext());
    if ((known = !known)) {
      theCardBox.answerKnown();
    } else {
      theCardBox.answerUnknown();
    }
  }
  theCardBox.clearAll();
}

// What "Kasten wecheln" does with every card of a compartment selected: the list's
// references are taken, then each card is moved to the end of the other compartment.
// The cards go back and forth between compartments 1 and 2.
void BM_MoveWholeCompartment(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  BenchFiles::fillBox(n, 1);
  tCardView view(theCardBox);
  std::vector<int32_t> rows(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) rows[static_cast<size_t>(i)] = i;
  int from = 1;
  for (auto _ : state) {
    view.show(from);
    view.moveRows(rows, 3 - from);
    from = 3 - from;
  }
  if (theCardBox.countIn(from) != n) state.SkipWithError("cards lost in the move");
  theCardBox.clearAll();
  perCard(state, n);
}

// n cards over all compartments with counters spread like a box in use: many
// cards with a few misses, some with many, so the most-missed list keeps changing.
void fillUsedBox(int n) {
  theCardBox.clearAll();
  uint32_t seed = 12345;
  for (int i = 0; i < n; ++i) {
    seed = seed * 1103515245u + 12345u;
    const std::string front = "Wort " + std::to_string(i);
    tTermel card = makeCard(front.c_str(), "word");
    card.timesKnown = static_cast<int32_t>(seed >> 20 & 63);
    card.timesUnknown = static_cast<int32_t>((seed >> 8 & 1023) * (seed >> 18 & 1023) >> 12);
    theCardBox.addCardTo(card, 1 + i % 7);
  }
}

// The figures of the box overview; the dialog must open in well under 100 ms.
void BM_BoxStats(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  fillUsedBox(n);
  for (auto _ : state) benchmark::DoNotOptimize(computeBoxStats(theCardBox));
  theCardBox.clearAll();
  perCard(state, n);
}

// Opening the card editing dialog on a compartment, or refilling its list: the list
// is virtual, so taking the references is all that grows with the compartment.
void BM_ShowCompartment(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  BenchFiles::fillBox(n, 1);
  tCardView view(theCardBox);
  for (auto _ : state) {
    view.show(1);
    benchmark::DoNotOptimize(view.at(n - 1));
  }
  theCardBox.clearAll();
  perCard(state, n);
}

// Taking back an unknown answer when all cards are in compartment 1: the card has to
// be found at the end of the whole compartment.
void BM_TakeBackAnswer(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  BenchFiles::fillBox(n, 1);
  tAnswerHistory history(&theCardBox);
  for (auto _ : state) {
    theCardBox.chooseNext();
    history.answerUnknown();
    benchmark::DoNotOptimize(history.takeBack());
  }
  theCardBox.clearAll();
}

// What "Speichern" in "Termeln eingeben" does with a new card: the duplicate search
// over every compartment, which finds nothing and so reads every card, then the card
// joins compartment 1.
void BM_StoreCard(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  BenchFiles::fillBox(n);
  int stored = 0;
  for (auto _ : state) {
    const std::string text = "Neu " + std::to_string(++stored);
    const tTermel card = makeCard(text.c_str(), text.c_str());
    if (theCardBox.findEither(card) == nullptr) theCardBox.addCard(card);
  }
  theCardBox.clearAll();
}

void bothSizes(benchmark::internal::Benchmark* b) {
  b->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
}

void loadSizes(benchmark::internal::Benchmark* b) {
  b->Arg(10000)->Arg(100000)->Arg(200000)->Arg(1000000)->Unit(benchmark::kMillisecond);
}

void saveSizes(benchmark::internal::Benchmark* b) {
  b->Arg(200000)->Arg(1000000)->Unit(benchmark::kMillisecond);
}

// n cards of realistic length, with umlauts and typographic marks to fold.
void fillSearchBox(int n) {
  theCardBox.clearAll();
  for (int i = 0; i < n; ++i) {
    const std::string number = std::to_string(i);
    const std::string front =
        "die Stra\xDF"
        "enbahnhaltestelle Nr. " +
        number + " \x96 \x84" + (i % 100 == 0 ? "Haus" : "Hof") + "\x93";
    const std::string back = "tram stop no. " + number + " \x96 caf\xE9 of the house";
    theCardBox.addCardTo(makeCard(front.c_str(), back.c_str()), 1 + i % 7);
  }
}

// One keystroke in "Karte suchen" on n cards: typing "haus" letter by letter, the
// first letters matching nearly every card. The box is indexed once, as when the
// dialog opens.
void BM_FindCards(benchmark::State& state) {
  fillSearchBox(static_cast<int>(state.range(0)));
  tCardSearch search(theCardBox);
  search.index();
  const char* const typed[] = {"h", "ha", "hau", "haus"};
  size_t keystroke = 0;
  for (auto _ : state) {
    search.find(typed[keystroke++ % 4]);
    benchmark::DoNotOptimize(search.count());
  }
  search.find("haus");
  state.counters["found"] = search.count();
  theCardBox.clearAll();
}

// Opening "Karte suchen", and refreshing it after a change: every card folded anew.
void BM_IndexCards(benchmark::State& state) {
  fillSearchBox(static_cast<int>(state.range(0)));
  tCardSearch search(theCardBox);
  for (auto _ : state) {
    search.index();
    search.find("");
  }
  theCardBox.clearAll();
}

// "Lernverlauf" opening on a journal of n lines (answers over 400 days, some taken
// back): reading the file and summing it up into the figures shown.
void BM_LearningJournalFigures(benchmark::State& state) {
  const int64_t n = state.range(0);
  char name[] = "/tmp/termel-journal-XXXXXX";
  const std::string dir = mkdtemp(name) != nullptr ? name : "/tmp";
  const std::string path = dir + "/box.verlauf";
  const std::time_t start = 1765000000;
  {
    std::string text;
    for (int64_t i = 0; i < n; ++i) {
      const char event = i % 50 == 49 ? 'Z' : (i % 4 == 0 ? 'U' : 'G');
      text += std::to_string(start + i * 400LL * 86400 / n) + '\t' + event +
              "\t3\t4\tdie Stra\xDF" + "enbahnhaltestelle\ttram stop\n";
    }
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f != nullptr) {
      std::fwrite(text.data(), 1, text.size(), f);
      std::fclose(f);
    }
  }
  tLearningJournal journal(path);
  for (auto _ : state) {
    benchmark::DoNotOptimize(journal.figures(start + 400LL * 86400).learningDays);
  }
  std::remove(path.c_str());
  rmdir(dir.c_str());
}

BENCHMARK(BM_ReadCardFileBytes)->Apply(loadSizes);
BENCHMARK(BM_Load)->Apply(loadSizes);
BENCHMARK(BM_LoadMemory)->Arg(1000000)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Save)->Apply(bothSizes);
// Mostly waiting for the disk, so measured by the clock.
BENCHMARK(BM_WriteCardFileBytes)->Apply(saveSizes)->UseRealTime();
BENCHMARK(BM_SaveReplacingWithoutBackup)->Apply(saveSizes)->UseRealTime();
BENCHMARK(BM_SaveReplacingWithBackup)->Apply(saveSizes)->UseRealTime();
BENCHMARK(BM_ReadTextFileBytes)->Apply(bothSizes);
BENCHMARK(BM_ReadTextFileLines)->Apply(bothSizes);
BENCHMARK(BM_Import)->Apply(bothSizes);
BENCHMARK(BM_ImportBlankLines)->Arg(50)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShuffleOneCompartment)->Apply(bothSizes);
BENCHMARK(BM_ShuffleAll)->Apply(bothSizes);
BENCHMARK(BM_MoveWholeCompartment)->Apply(bothSizes);
BENCHMARK(BM_ShowCompartment)->Arg(20000)->Arg(200000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrillStep)->Arg(10000)->Arg(100000)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_BoxStats)->Arg(200000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindCards)->Arg(200000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IndexCards)->Arg(200000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LearningJournalFigures)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TakeBackAnswer)->Arg(200000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StoreCard)->Arg(550)->Arg(200000)->Unit(benchmark::kMillisecond);

// Keeps the fastest time per iteration of every benchmark (over its repetitions):
// the least disturbed figure on a shared machine, from which the ratios are taken.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      // With --benchmark_report_aggregates_only only the medians come here.
      const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
      if ((run.run_type != Run::RT_Iteration && !median) || run.error_occurred) continue;
      const std::string name = run.run_name.str();
      keepFastest(&best_, name, run.GetAdjustedCPUTime());
      keepFastest(&bestReal_, name, run.GetAdjustedRealTime());
      const auto memory = run.counters.find("memory_per_file");
      if (memory != run.counters.end()) memoryPerFile_[name] = memory->second;
    }
    ConsoleReporter::ReportRuns(runs);
  }

  // Prints a / b for the named benchmarks when both ran, by CPU time or, for what waits
  // for the disk, by the clock; a limit of 0 marks a figure given for information.
  void ratio(const char* what, const std::string& a, const std::string& b, double limit,
             bool byClock = false) const {
    const std::map<std::string, double>& best = byClock ? bestReal_ : best_;
    const auto x = best.find(a), y = best.find(b);
    if (x == best.end() || y == best.end() || y->second <= 0) return;
    const double r = x->second / y->second;
    if (limit <= 0) {
      std::printf("%-44s %6.2f  (for information)\n", what, r);
    } else {
      std::printf("%-44s %6.2f  (at most %.1f)%s\n", what, r, limit,
                  r <= limit ? "" : "  EXCEEDED");
    }
  }

  // Prints a figure against its upper limit.
  static void figure(const std::string& what, double value, double limit, const char* unit) {
    std::printf("%-44s %6.2f%s  (at most %.1f%s)%s\n", what.c_str(), value, unit, limit, unit,
                value <= limit ? "" : "  EXCEEDED");
  }

  void printRatios() const {
    std::printf("\nRatios of the fastest runs:\n");
    for (const char* n : {"10000", "100000", "200000"}) {
      const std::string size = std::string("/") + n;
      ratio(("load / fread of the card file" + size).c_str(), "BM_Load" + size,
            "BM_ReadCardFileBytes" + size, 2);
    }
    for (const char* n : {"10000", "100000"}) {
      const std::string size = std::string("/") + n;
      ratio(("import / reading the lines" + size).c_str(), "BM_Import" + size,
            "BM_ReadTextFileLines" + size, 6);
      ratio(("import / fread of the text file" + size).c_str(), "BM_Import" + size,
            "BM_ReadTextFileBytes" + size, 0);
    }
    for (const char* n : {"200000", "1000000"}) {
      const std::string size = std::string("/") + n + "/real_time";
      ratio(("save / write+fsync of its bytes" + size).c_str(), "BM_SaveReplacingWithBackup" + size,
            "BM_WriteCardFileBytes" + size, 2, true);
    }
    ratio("save with backup / without, 200000 cards", "BM_SaveReplacingWithBackup/200000/real_time",
          "BM_SaveReplacingWithoutBackup/200000/real_time", 1.2, true);
    // Per card at the larger sizes against per card at 10,000.
    const std::pair<const char*, int> scaled[] = {{"BM_Load/100000", 10},
                                                  {"BM_Load/1000000", 100},
                                                  {"BM_Import/100000", 10},
                                                  {"BM_MoveWholeCompartment/100000", 10}};
    for (const auto& big : scaled) {
      const std::string name = big.first;
      const auto x = best_.find(name);
      const auto y = best_.find(name.substr(0, name.find('/')) + "/10000");
      if (x == best_.end() || y == best_.end() || y->second <= 0) continue;
      figure(name + " per card / at 10k", x->second / (big.second * y->second), 1.5, "");
    }
    printLoadAgainstReading();
    printWindowFigures();
  }

  // Reading the file's bytes alone costs more per card at 1M than at 10k, where they
  // stay in the processor's cache; what the load costs per card against that reading,
  // at 1M against 10k, shows what the load itself adds as the box grows.
  void printLoadAgainstReading() const {
    const auto load = [this](const char* size) {
      const auto x = best_.find(std::string("BM_Load/") + size);
      const auto y = best_.find(std::string("BM_ReadCardFileBytes/") + size);
      return x == best_.end() || y == best_.end() || y->second <= 0 ? 0 : x->second / y->second;
    };
    if (load("10000") > 0 && load("1000000") > 0) {
      std::printf("%-44s %6.2f  (for information)\n", "load / fread, 1M against 10k",
                  load("1000000") / load("10000"));
    }
  }

  // The paths the window takes on a box of a million cards: its load at the start,
  // Strg+S, and the memory the cards take.
  void printWindowFigures() const {
    const auto load = bestReal_.find("BM_Load/1000000");
    if (load != bestReal_.end()) figure("load of 1,000,000 cards, ms", load->second, 250, "");
    const auto save = bestReal_.find("BM_SaveReplacingWithBackup/1000000/real_time");
    if (save != bestReal_.end()) figure("save of 1,000,000 cards, ms", save->second, 300, "");
    const auto memory = memoryPerFile_.find("BM_LoadMemory/1000000/iterations:1");
    if (memory != memoryPerFile_.end()) {
      figure("peak memory of the load / file size, 1M", memory->second, 2, "");
    }
  }

 private:
  static void keepFastest(std::map<std::string, double>* best, const std::string& name, double t) {
    auto found = best->find(name);
    if (found == best->end() || t < found->second) (*best)[name] = t;
  }

  std::map<std::string, double> best_;
  std::map<std::string, double> bestReal_;
  std::map<std::string, double> memoryPerFile_;
};

// --peak-of-load FILE: loads FILE and prints what that added to the peak memory, in kB.
int printPeakOfLoad(const char* path) {
  const long before = statusKb("VmRSS");
  loadCardFile(path);
  std::printf("%ld\n", statusKb("VmHWM") - before);
  return theCardBox.totalCount() > 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--peak-of-load") == 0) return printPeakOfLoad(argv[2]);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  // Saves over existing files keep backups; they stay in the scratch directory.
  setenv("XDG_DATA_HOME", (files().dir() + "/data").c_str(), 1);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.printRatios();
  benchmark::Shutdown();
  return 0;
}
