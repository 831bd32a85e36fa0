// Speed of merging a box with a conflict copy at 200,000 cards: the merge of the card
// lists alone, and the whole merge on disk (reading the box, the copy and their
// ancestor among the backups, saving the merged box with its backup, moving the copy
// into the backups). Each side deleted, added, answered and corrected cards since they
// parted. Files and backups live in a scratch directory, never in the real home.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <utime.h>

#include <cstdlib>
#include <random>
#include <string>

#include "box/card_box.h"
#include "kartei/box_merge.h"
#include "kartei/box_merge_files.h"
#include "kartei/card_file.h"

namespace {

constexpr int kCards = 200000;

tPlacedCards ancestorBox() {
  tPlacedCards cards;
  cards.reserve(kCards);
  for (int i = 0; i < kCards; ++i) {
    const std::string front = "Begriff Nummer " + std::to_string(i);
    const std::string back = "translation number " + std::to_string(i);
    cards.push_back({makeCard(front.c_str(), back.c_str()), 1 + i % 7});
  }
  return cards;
}

// One side's changes: a tenth of the cards answered, 1,000 deleted, 1,000 added, 100
// corrected.
tPlacedCards diverged(const tPlacedCards& ancestor, unsigned seed, const char* side) {
  std::mt19937 random(seed);
  tPlacedCards cards = ancestor;
  for (int i = 0; i < kCards / 10; ++i) {
    tPlacedCard& c = cards[random() % cards.size()];
    ++c.card.timesKnown;
    c.compartment = c.compartment < 7 ? c.compartment + 1 : 7;
  }
  for (int i = 0; i < 100; ++i) cards[random() % cards.size()].card.back[0] = '*';
  for (int i = 0; i < 1000; ++i) cards.erase(cards.begin() + random() % cards.size());
  for (int i = 0; i < 1000; ++i) {
    const std::string text = std::string(side) + " neu " + std::to_string(i);
    cards.push_back({makeCard(text.c_str(), "new"), 1});
  }
  return cards;
}

struct tLayout {
  tPlacedCards ancestor = ancestorBox();
  tPlacedCards ours = diverged(ancestor, 1, "A");
  tPlacedCards theirs = diverged(ancestor, 2, "B");
};

tLayout& layout() {
  static tLayout layout;
  return layout;
}

void BM_MergeCardLists(benchmark::State& state) {
  const tLayout& l = layout();
  for (auto _ : state) {
    tMergeSummary summary;
    benchmark::DoNotOptimize(mergeCardLists(l.ours, l.theirs, &l.ancestor, &summary));
  }
}
BENCHMARK(BM_MergeCardLists)->Unit(benchmark::kMillisecond);

void setModified(const std::string& path, time_t when) {
  const struct utimbuf times = {when, when};
  utime(path.c_str(), &times);
}

void save(const std::string& path, const tPlacedCards& cards, time_t when) {
  fillBox(theCardBox, cards);
  saveCardFile(path.c_str());
  setModified(path, when);
}

// The files as a sync tool leaves them; laid out anew (untimed) before each merge.
void BM_MergeFilesIntoBox(benchmark::State& state) {
  char name[] = "/tmp/termel-merge-bench-XXXXXX";
  const std::string dir = mkdtemp(name);
  setenv("XDG_DATA_HOME", (dir + "/data").c_str(), 1);
  const std::string box = dir + "/box.trm";
  const std::string copy = dir + "/box.sync-conflict-20261205-181512-LAPTOP.trm";
  const tLayout& l = layout();
  for (auto _ : state) {
    state.PauseTiming();
    std::system(("rm -rf '" + dir + "'/* '" + dir + "'/.box*").c_str());
    save(box, l.ancestor, 1796000000);
    // The laptop saves over the same version; its box and its record of versions come
    // back as conflict copies, so the merge finds the version both were made from.
    std::system(("mkdir '" + dir + "/laptop' && cp -p '" + dir + "'/box.trm '" + dir +
                 "'/.box.trm.versions '" + dir + "/laptop/'")
                    .c_str());
    save(dir + "/laptop/box.trm", l.theirs, 1796007200);
    save(box, l.ours, 1796003600);
    std::system(("mv '" + dir + "/laptop/box.trm' '" + copy + "' && mv '" + dir +
                 "/laptop/.box.trm.versions' '" + dir +
                 "/.box.trm.sync-conflict-20261205-181512-LAPTOP.versions'")
                    .c_str());
    state.ResumeTiming();
    tMergeSummary summary;
    tFileReport report;
    if (!mergeFilesIntoBox(box, {copy}, &summary, &report)) state.SkipWithError("merge failed");
  }
  std::system(("rm -rf '" + dir + "'").c_str());
}
BENCHMARK(BM_MergeFilesIntoBox)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  layout();  // built once, outside every timing
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
