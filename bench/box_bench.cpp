// Speed of the card box at 10,000 and 100,000 cards. Every benchmark reports its
// time per card ("per_card"), so linear scaling shows as equal figures at both
// sizes; the plain file reads give the floor for loading and importing. At the end the
// ratios of load and import to those reads, and of 100,000 to 10,000 cards, are printed.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "box/answer_history.h"
#include "box/box_stats.h"
#include "box/card_box.h"
#include "box/card_file.h"
#include "box/card_view.h"
#include "box/text_io.h"

namespace {

// Files shared by the benchmarks, written once per size into one scratch directory.
class BenchFiles {
 public:
  BenchFiles() {
    char name[] = "/tmp/termel-bench-XXXXXX";
    dir_ = mkdtemp(name) != nullptr ? name : "/tmp";
  }
  ~BenchFiles() {
    for (const auto& entry : written_) std::remove(entry.second.c_str());
    std::remove(boxPath(10000).c_str());
    std::remove(boxPath(100000).c_str());
    rmdir(dir_.c_str());
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

  static void fillBox(int n, int compartments = 7) {
    theCardBox.clearAll();
    for (int i = 0; i < n; ++i) {
      const std::string front = "Wort " + std::to_string(i);
      const std::string back = "word " + std::to_string(i);
      theCardBox.addCardTo(makeCard(front.c_str(), back.c_str()), 1 + i % compartments);
    }
  }

  std::string boxPath(int n) const { return dir_ + "/trm" + std::to_string(n) + ".kas"; }

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

void BM_Save(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const std::string path = files().cardFile(n) + ".save.trm";
  BenchFiles::fillBox(n);
  for (auto _ : state) benchmark::DoNotOptimize(saveCardFile(path.c_str()));
  theCardBox.clearAll();
  std::remove(path.c_str());
  std::remove(boxFileName(path).c_str());
  perCard(state, n);
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

void bothSizes(benchmark::internal::Benchmark* b) {
  b->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_ReadCardFileBytes)->Apply(bothSizes);
BENCHMARK(BM_Load)->Apply(bothSizes);
BENCHMARK(BM_Save)->Apply(bothSizes);
BENCHMARK(BM_ReadTextFileBytes)->Apply(bothSizes);
BENCHMARK(BM_ReadTextFileLines)->Apply(bothSizes);
BENCHMARK(BM_Import)->Apply(bothSizes);
BENCHMARK(BM_ShuffleOneCompartment)->Apply(bothSizes);
BENCHMARK(BM_ShuffleAll)->Apply(bothSizes);
BENCHMARK(BM_MoveWholeCompartment)->Apply(bothSizes);
BENCHMARK(BM_ShowCompartment)->Arg(20000)->Arg(200000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrillStep)->Arg(10000)->Arg(100000)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_BoxStats)->Arg(200000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TakeBackAnswer)->Arg(200000)->Unit(benchmark::kMillisecond);

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
      auto found = best_.find(name);
      const double t = run.GetAdjustedCPUTime();
      if (found == best_.end() || t < found->second) best_[name] = t;
    }
    ConsoleReporter::ReportRuns(runs);
  }

  // Prints a / b for the named benchmarks when both ran; a limit of 0 marks a figure
  // given for information.
  void ratio(const char* what, const std::string& a, const std::string& b, double limit) const {
    const auto x = best_.find(a), y = best_.find(b);
    if (x == best_.end() || y == best_.end() || y->second <= 0) return;
    const double r = x->second / y->second;
    if (limit <= 0) {
      std::printf("%-44s %6.2f  (for information)\n", what, r);
    } else {
      std::printf("%-44s %6.2f  (at most %.1f)%s\n", what, r, limit,
                  r <= limit ? "" : "  EXCEEDED");
    }
  }

  void printRatios() const {
    std::printf("\nRatios of the fastest runs:\n");
    for (const char* n : {"10000", "100000"}) {
      const std::string size = std::string("/") + n;
      ratio(("load / fread of the card file" + size).c_str(), "BM_Load" + size,
            "BM_ReadCardFileBytes" + size, 10);
      ratio(("import / reading the lines" + size).c_str(), "BM_Import" + size,
            "BM_ReadTextFileLines" + size, 10);
      ratio(("import / fread of the text file" + size).c_str(), "BM_Import" + size,
            "BM_ReadTextFileBytes" + size, 0);
    }
    // Per card at 100,000 against per card at 10,000; the times cover ten times the cards.
    for (const char* name : {"BM_Load", "BM_Import", "BM_MoveWholeCompartment"}) {
      const std::string big = std::string(name) + "/100000", small = std::string(name) + "/10000";
      const auto x = best_.find(big), y = best_.find(small);
      if (x == best_.end() || y == best_.end() || y->second <= 0) continue;
      const double r = x->second / (10 * y->second);
      std::printf("%-44s %6.2f  (at most 1.5)%s\n",
                  (std::string(name) + " per card, 100k / 10k").c_str(), r,
                  r <= 1.5 ? "" : "  EXCEEDED");
    }
  }

 private:
  std::map<std::string, double> best_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.printRatios();
  benchmark::Shutdown();
  return 0;
}
