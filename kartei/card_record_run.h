// The loop of decodeOwnRun and what every way of decoding a record shares. Included by
// one file per instruction set, so everything here has internal linkage: a copy built
// for wider vectors never stands in for the plain one.
#ifndef TERMEL_KARTEI_CARD_RECORD_RUN_H_
#define TERMEL_KARTEI_CARD_RECORD_RUN_H_

#include <cstdint>
#include <cstring>

#include "box/termel.h"
#include "kartei/card_record.h"
#include "storage/fields.h"

namespace {

// Both counters as parseInteger reads them; card may stand on the bytes.
inline void readCounters(const unsigned char* tail, tTermel* card) {
  unsigned char bytes[16];
  std::memcpy(bytes, tail, sizeof bytes);
  card->timesKnown = parseInteger(bytes + 6, 5);
  card->timesUnknown = parseInteger(bytes + 11, 5);
}

// Record().decode(record, card) decodes one record into card, reading all of its bytes
// before writing any.
template <typename Record>
tOwnRun decodeRunWith(unsigned char* run, uint32_t count, const int8_t* placeOfLetter,
                      int8_t* places) {
  const Record decoder;
  tOwnRun result;
  for (; result.taken < count; ++result.taken) {
    const unsigned char* record = run + result.taken * kOwnRecordBytes;
    if (record[0] == '*') {
      ++result.deleted;
      continue;
    }
    if (record[0] == '\0') break;
    places[result.kept] = placeOfLetter[record[kOwnLetterOffset]];
    auto* card = reinterpret_cast<tTermel*>(run + result.kept++ * kOwnRecordBytes);
    if (decoder.decode(record, card)) ++result.longTexts;
  }
  return result;
}

}  // namespace

#if defined(TERMEL_AVX2_RUN)
// decodeOwnRun with 32-byte vectors, for processors that have them.
tOwnRun decodeOwnRunAvx2(unsigned char* run, uint32_t count, const int8_t* placeOfLetter,
                         int8_t* places);
#endif

#endif  // TERMEL_KARTEI_CARD_RECORD_RUN_H_
