// What keeping the recovery data costs the window for a box of a million cards (some
// 147 MB as a card file): the look at the box that tells whether it changed, and
// writing it (encoding and the atomic replacement, synced). The keeper waits a few
// times as long as these take before its next look. Files live in a scratch directory.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <string>

#include "box/card_box.h"
#include "kartei/recovery_file.h"

namespace {

constexpr int kCards = 1000000;

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

void BM_Fingerprint(benchmark::State& state) {
  fillMillion();
  for (auto _ : state) benchmark::DoNotOptimize(cardBoxFingerprint());
}
BENCHMARK(BM_Fingerprint)->Unit(benchmark::kMillisecond);

void BM_WriteRecovery(benchmark::State& state) {
  fillMillion();
  char dir[] = "/tmp/termel-recovery-bench-XXXXXX";
  if (mkdtemp(dir) == nullptr) {
    state.SkipWithError("no scratch directory");
    return;
  }
  const std::string file = std::string(dir) + "/ungesichert.wdh";
  tRecoveryData header;
  header.boxPath = "/home/lerner/million.trm";
  for (auto _ : state) {
    if (!writeRecovery(file, encodeBoxRecovery(header), nullptr)) state.SkipWithError("write");
  }
  state.counters["bytes"] = static_cast<double>(encodeBoxRecovery(header).size());
  const std::string command = std::string("rm -rf '") + dir + "'";
  if (std::system(command.c_str()) != 0) state.SkipWithError("cleanup");
}
BENCHMARK(BM_WriteRecovery)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
