// Feeds arbitrary bytes to the card-file loader as a file on /dev/shm (in memory, so
// a run costs no disk): whatever the file holds, the load must neither crash nor
// read outside a buffer, and its report must agree with the box it filled.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "box/card_box.h"
#include "fuzz/scratch_file.h"
#include "kartei/card_file.h"

namespace {

void check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!writeScratchFile(data, size)) return 0;
  theCardBox.clearAll();
  tFileReport report;
  loadCardFile(scratchFile().c_str(), &report);
  check(report.loaded == theCardBox.totalCount());
  if (!report.opened) {
    check(report.loaded == 0 && !report.errors.empty());
    return 0;
  }
  check(report.placedInFirst >= 0 && report.placedInFirst <= theCardBox.countIn(1));
  check(report.foreignColumns >= 0);
  check(report.lossyRewrite ==
        (!report.errors.empty() || report.foreignColumns > 0 || report.longTexts > 0));
  tTermel card;
  for (int n = theCardBox.firstCard(&card); n != 0; n = theCardBox.nextCard(&card)) {
    check(std::char_traits<char>::length(card.front) < sizeof card.front);
    check(std::char_traits<char>::length(card.back) < sizeof card.back);
  }
  theCardBox.clearAll();
  return 0;
}
