// Feeds arbitrary bytes to the reader of recovery data, as a file: it must refuse
// what is not whole and intact without a crash or a read outside the file, and
// whatever it takes must be written back to exactly the same bytes (the layout has
// one way to write each box), so nothing it restores differs from what was kept.
// The input's last four bytes are made its checksum, so the search gets past the
// checksum to the layout; a wrong checksum is refused before anything is parsed.

#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz/scratch_file.h"
#include "kartei/recovery_file.h"
#include "storage/little_endian.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  std::string bytes(reinterpret_cast<const char*>(data), size);
  const uLong crc = crc32(crc32(0L, Z_NULL, 0), data, static_cast<uInt>(size - 4));
  encodeFixed32(reinterpret_cast<unsigned char*>(&bytes[size - 4]), static_cast<uint32_t>(crc));
  if (!writeScratchFile(reinterpret_cast<const uint8_t*>(bytes.data()), size)) return 0;
  tRecoveryData read;
  if (readRecovery(scratchFile(), &read, nullptr) != tRecoveryRead::kFound) return 0;
  if (encodeRecovery(read) != bytes) std::abort();
  for (const tPlacedCard& placed : read.cards) {
    if (placed.compartment < 1 || placed.compartment > 7) std::abort();
  }
  return 0;
}
