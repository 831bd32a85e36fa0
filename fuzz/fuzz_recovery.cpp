// Feeds arbitrary bytes to the reader of recovery data, as a file: it must refuse
// what is not whole and intact without a crash or a read outside the file, and
// whatever it takes must be written back to exactly the same bytes (the layout has
// one way to write each box), so nothing it restores differs from what was kept.
// The input's last four bytes are made its checksum, so the search gets past the
// checksum to the layout; a wrong checksum is refused before anything is parsed.
//
// The same input is also read as the change log that follows a small box: cut into
// records (each a length byte and that many bytes) and sealed with their checksums, so
// the search reaches the records themselves; replaying them must keep every card in a
// compartment that exists, whatever they say.

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz/scratch_file.h"
#include "kartei/recovery_file.h"
#include "kartei/recovery_log.h"
#include "storage/little_endian.h"

namespace {

std::string sealedRecords(const uint8_t* data, size_t size) {
  std::string log = logStart(1);
  for (size_t at = 0; at < size;) {
    const size_t n = std::min<size_t>(data[at], size - at - 1);
    std::string record(4, '\0');
    encodeFixed32(reinterpret_cast<unsigned char*>(&record[0]), static_cast<uint32_t>(n));
    record.append(reinterpret_cast<const char*>(data + at + 1), n);
    const uLong crc = crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(record.data()),
                            static_cast<uInt>(record.size()));
    unsigned char sum[4];
    encodeFixed32(sum, static_cast<uint32_t>(crc));
    log += record;
    log.append(reinterpret_cast<const char*>(sum), 4);
    at += n + 1;
  }
  return log;
}

void replayAsLog(const uint8_t* data, size_t size) {
  tRecoveryData box;
  box.baseId = 1;
  for (int n = 1; n <= 7; ++n) box.cards.push_back({makeCard("Haus", "house"), n});
  if (!replayLog(sealedRecords(data, size), &box)) std::abort();
  for (const tPlacedCard& placed : box.cards) {
    if (placed.compartment < 1 || placed.compartment > 7) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  replayAsLog(data, size);
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
