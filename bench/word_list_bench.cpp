// Time and peak memory of importing a 2 GB CSV word list: one of blank lines, and one
// of 10,000 cards over and over (so the box stays small and what grows would be the
// reader's own memory). Peak memory must stay under 64 MB plus the cards. The files
// are written into a scratch directory under TMPDIR and removed at the end; set
// TERMEL_BENCH_CSV_MB for another size. Not run by ctest: it needs 2 GB of disk.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "box/card_box.h"
#include "wordlists/word_list_format.h"

namespace {

constexpr int kDistinctCards = 10000;

long long fileBytes() {
  const char* mb = std::getenv("TERMEL_BENCH_CSV_MB");
  return (mb != nullptr ? std::atoll(mb) : 2048) * 1024 * 1024;
}

std::string scratchDirectory() {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp != nullptr ? tmp : "/tmp") + "/termel-bench-XXXXXX";
  return mkdtemp(&pattern[0]) != nullptr ? pattern : std::string();
}

// Writes lines (a piece that ends in a line end) into path until it holds bytes.
bool writeRepeated(const std::string& path, const std::string& piece, long long bytes) {
  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (out == nullptr) return false;
  bool ok = true;
  for (long long written = 0; ok && written < bytes; written += piece.size()) {
    ok = std::fwrite(piece.data(), 1, piece.size(), out) == piece.size();
  }
  return std::fclose(out) == 0 && ok;
}

std::string cardLines() {
  std::string lines;
  for (int i = 0; i < kDistinctCards; ++i) {
    lines +=
        "Begriff " + std::to_string(i) + ",\"translation, number " + std::to_string(i) + "\"\r\n";
  }
  return lines;
}

long peakMegabytes() {
  rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024;
}

void importCsv(benchmark::State& state, const std::string& piece) {
  const std::string directory = scratchDirectory();
  const std::string path = directory + "/liste.csv";
  if (directory.empty() || !writeRepeated(path, piece, fileBytes())) {
    state.SkipWithError("cannot write the word list");
    return;
  }
  const long before = peakMegabytes();
  tImportResult result;
  for (auto _ : state) {
    theCardBox.clearAll();
    result = importWordList(path.c_str(), tWordListOptions(), nullptr);
    benchmark::DoNotOptimize(result);
  }
  state.counters["cards"] = result.added;
  state.counters["peak_MB"] = static_cast<double>(peakMegabytes());
  state.counters["peak_MB_before"] = static_cast<double>(before);
  unlink(path.c_str());
  rmdir(directory.c_str());
}

void BM_CsvOfBlankLines(benchmark::State& state) {
  importCsv(state, std::string(1 << 20, '\n'));
}
BENCHMARK(BM_CsvOfBlankLines)->Unit(benchmark::kSecond)->Iterations(1);

void BM_CsvOfRepeatedCards(benchmark::State& state) {
  importCsv(state, cardLines());
}
BENCHMARK(BM_CsvOfRepeatedCards)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
