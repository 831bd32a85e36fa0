// Time and peak memory of importing a large KVTML file (2 GB unless
// TERMEL_KVTML_BENCH_MB names another size in MB). The file is written once into a
// scratch directory and removed at the end; it holds 100,000 different cards, each
// repeated until the size is reached, so the box stays small and the memory measured
// is the reader's. "extra_MB" is the peak resident memory during the import above
// what was resident before it, with the box of cards (goal: under 64 MB plus the
// cards); "cards_MB" is what the box alone grew by.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "bench/proc_status.h"
#include "box/card_box.h"
#include "wordlists/word_list_format.h"

namespace {

constexpr int kDistinctCards = 100000;

long megabytesWanted() {
  const char* wanted = std::getenv("TERMEL_KVTML_BENCH_MB");
  return wanted != nullptr ? std::max(1L, std::atol(wanted)) : 2048;
}

// Resets the peak resident size to the current one (Linux 4.0 and later).
void resetPeak() {
  if (std::FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
    std::fputs("5", f);
    std::fclose(f);
  }
}

// Writes a KVTML 2 document of about megabytes MB to path; false when it can't.
bool writeDocument(const std::string& path, long megabytes) {
  std::FILE* f = std::fopen(path.c_str(), "w");
  if (f == nullptr) return false;
  std::fputs(
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<kvtml version=\"2.0\">\n<identifiers>\n"
      "<identifier id=\"0\"><name>Deutsch</name><locale>de</locale></identifier>\n"
      "<identifier id=\"1\"><name>Englisch</name><locale>en</locale></identifier>\n"
      "</identifiers>\n<entries>\n",
      f);
  const long long size = static_cast<long long>(megabytes) << 20;
  long long written = 0;
  for (long long i = 0; written < size; ++i) {
    const int n = static_cast<int>(i % kDistinctCards);
    written += std::fprintf(f,
                            "  <entry id=\"%lld\">\n    <translation id=\"0\"><text>Stra\xC3\x9F"
                            "e %d</text></translation>\n    <translation id=\"1\"><text>street "
                            "%d</text>\n      <grade><currentgrade>%d</currentgrade><count>3"
                            "</count><errorcount>1</errorcount></grade>\n    </translation>\n"
                            "  </entry>\n",
                            i, n, n, n % 8);
  }
  std::fputs("</entries>\n</kvtml>\n", f);
  return std::fclose(f) == 0;
}

void BM_ImportLargeKvtml(benchmark::State& state) {
  const long megabytes = megabytesWanted();
  char dir[] = "/tmp/termel-kvtml-bench-XXXXXX";
  struct statvfs space;
  if (mkdtemp(dir) == nullptr || statvfs(dir, &space) != 0 ||
      static_cast<long long>(space.f_bavail * space.f_frsize) < (megabytes + 512LL) << 20) {
    state.SkipWithError("kein Platz f\xC3\xBCr die Datei in /tmp");
    return;
  }
  const std::string path = std::string(dir) + "/gross.kvtml";
  if (!writeDocument(path, megabytes)) state.SkipWithError("Datei nicht geschrieben");
  long extraKb = 0, cardsKb = 0;
  for (auto _ : state) {
    state.PauseTiming();
    theCardBox.clearAll();
    resetPeak();
    const long before = statusKb("VmRSS");
    state.ResumeTiming();
    const tImportResult result = importWordList(path.c_str(), tWordListOptions(), nullptr);
    state.PauseTiming();
    if (result.added != kDistinctCards) state.SkipWithError("nicht alle Karten gelesen");
    extraKb = std::max(extraKb, statusKb("VmHWM") - before);
    cardsKb = std::max(cardsKb, statusKb("VmRSS") - before);
    state.ResumeTiming();
  }
  theCardBox.clearAll();
  std::remove(path.c_str());
  rmdir(dir);
  state.counters["extra_MB"] = static_cast<double>(extraKb) / 1024.0;
  state.counters["cards_MB"] = static_cast<double>(cardsKb) / 1024.0;
  state.SetBytesProcessed(state.iterations() * (static_cast<int64_t>(megabytes) << 20));
}

}  // namespace

BENCHMARK(BM_ImportLargeKvtml)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

BENCHMARK_MAIN();
