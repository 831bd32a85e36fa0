// What keeping the recovery data costs for a box of a million cards (some 147 MB as a
// card file), and how soon a change is on disk.
//
// Whole box each time (the way the keeper once worked): a look at the box every
// 250 ms (or five times its own length) tells whether it changed, then the whole box
// is encoded and replaced atomically, synced. BM_Fingerprint reports the share of one
// core those looks take while nothing changes (idle_cpu_percent); a change reaches
// the disk after a look, the encoding and the write (BM_Fingerprint +
// BM_WriteRecovery).
//
// Change log (the way it works now): the box tells of each change, its record is
// appended to the log and synced (BM_ChangeToDurableRecord; the keeper hands records
// over 200 ms after a change, so that many changes go in one append). While nothing
// changes nothing runs. The whole box is still written for the first change after a
// load or save and for a shuffle or merge: the window copies it (BM_CopyBox), the
// writer thread encodes and writes it (BM_WriteRecovery). Files live in a scratch
// directory.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <string>

#include "box/card_box.h"
#include "kartei/box_merge.h"
#include "kartei/recovery_file.h"
#include "kartei/recovery_log.h"

namespace {

constexpr int kCards = 1000000;
constexpr double kPollMs = 250;
constexpr double kPauseFactor = 4;

void fillMillion() {
  if (theCardBox.totalCount() == kCards) return;
  theCardBox.clearAll();
  for (int i = 0; i < kCards; ++i) {
    const std::string front = "Begriff Nummer " + std::to_string(i);
    const std::string back = "translation number " + std::to_string(i);
    tTermel card = makeCard(front.c_str(), back.c_str());
    card.timesKnown = i % 9;
    theCardBox.addCardTo(card, 1 + i % 7);
  }
}

class tScratch {
 public:
  tScratch() : ok_(mkdtemp(dir_) != nullptr) {}
  ~tScratch() {
    const std::string command = std::string("rm -rf '") + dir_ + "'";
    if (ok_ && std::system(command.c_str()) != 0) std::abort();
  }
  bool ok() const { return ok_; }
  std::string file(const char* name) const { return std::string(dir_) + "/" + name; }

 private:
  char dir_[40] = "/tmp/termel-recovery-bench-XXXXXX";
  bool ok_;
};

// Records every change as the keeper does.
class tRecorder : public tBoxObserver {
 public:
  tRecorder() { theCardBox.setObserver(this); }
  ~tRecorder() override { theCardBox.setObserver(nullptr); }
  void boxChanged(const tBoxChange& change) override { addChangeRecord(&records, change); }
  std::string records;
};

void BM_Fingerprint(benchmark::State& state) {
  fillMillion();
  double seconds = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(cardBoxFingerprint());
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  const double lookMs = 1000 * seconds / static_cast<double>(state.iterations());
  const double periodMs = std::max(kPollMs, lookMs * (1 + kPauseFactor));
  state.counters["idle_cpu_percent"] = 100 * lookMs / periodMs;
}
BENCHMARK(BM_Fingerprint)->Unit(benchmark::kMillisecond);

void BM_WriteRecovery(benchmark::State& state) {
  fillMillion();
  tScratch dir;
  if (!dir.ok()) {
    state.SkipWithError("no scratch directory");
    return;
  }
  const std::string file = dir.file("ungesichert.wdh");
  tRecoveryData header;
  header.boxPath = "/home/lerner/million.trm";
  for (auto _ : state) {
    if (!writeRecovery(file, encodeBoxRecovery(header), nullptr)) state.SkipWithError("write");
  }
  state.counters["bytes"] = static_cast<double>(encodeBoxRecovery(header).size());
}
BENCHMARK(BM_WriteRecovery)->Unit(benchmark::kMillisecond);

void BM_CopyBox(benchmark::State& state) {
  fillMillion();
  for (auto _ : state) benchmark::DoNotOptimize(cardsOf(theCardBox));
}
BENCHMARK(BM_CopyBox)->Unit(benchmark::kMillisecond);

// An answer, from the change to its record synced in the log.
void BM_ChangeToDurableRecord(benchmark::State& state) {
  fillMillion();
  tScratch dir;
  if (!dir.ok()) {
    state.SkipWithError("no scratch directory");
    return;
  }
  const std::string log = dir.file("ungesichert.log");
  if (!writeRecovery(log, logStart(1), nullptr)) state.SkipWithError("log");
  tRecorder recorder;
  tRecoveryCounts counts;
  for (auto _ : state) {
    theCardBox.chooseNext();
    theCardBox.answerKnown();
    addCountsRecord(&recorder.records, counts);
    if (!appendToLog(log, recorder.records, nullptr)) state.SkipWithError("append");
    recorder.records.clear();
  }
}
BENCHMARK(BM_ChangeToDurableRecord)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
