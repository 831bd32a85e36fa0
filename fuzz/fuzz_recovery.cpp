// Feeds arbitrary bytes to the reader of recovery data, as a file: it must refuse
// what is not whole and intact without a crash or a read outside the file, and
// whatever it takes must be written back to exactly the same bytes (the layout has
// one way to write each box), so nothing it restores differs from what was kept.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz/scratch_file.h"
#include "kartei/recovery_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!writeScratchFile(data, size)) return 0;
  tRecoveryData read;
  if (readRecovery(scratchFile(), &read, nullptr) != tRecoveryRead::kFound) return 0;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  if (encodeRecovery(read) != bytes) std::abort();
  for (const tPlacedCard& placed : read.cards) {
    if (placed.compartment < 1 || placed.compartment > 7) std::abort();
  }
  return 0;
}
