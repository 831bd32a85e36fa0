// decodeOwnRun with 32-byte vectors. This file alone is built for processors with
// AVX2; decodeOwnRun calls it only where the processor has them.
#include <immintrin.h>

#include "kartei/card_record_run.h"

namespace {

inline __attribute__((always_inline)) uint64_t maskOf(__m256i low, __m256i high) {
  return static_cast<uint32_t>(_mm256_movemask_epi8(low)) |
         static_cast<uint64_t>(static_cast<uint32_t>(_mm256_movemask_epi8(high))) << 32;
}

inline __attribute__((always_inline)) __m256i load(const unsigned char* bytes) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes));
}

// Both counters of the record's last 16 bytes, written to card once both are read:
// card may stand on those bytes. The digits of each go to the end of an 8-byte lane
// and are multiplied out in three steps.
inline __attribute__((always_inline)) void decodeCounters(__m128i tail, tTermel* card) {
  const tCounterBytes bytes(tail);
  if (!plainCounters(bytes.digits, bytes.blanks)) {
    alignas(16) unsigned char copy[16];
    _mm_store_si128(reinterpret_cast<__m128i*>(copy), tail);
    readCounters(copy, card);
    return;
  }
  const __m128i lanes = _mm_shuffle_epi8(
      bytes.values, _mm_setr_epi8(-1, -1, -1, 6, 7, 8, 9, 10, -1, -1, -1, 11, 12, 13, 14, 15));
  const __m128i pairs = _mm_maddubs_epi16(
      lanes, _mm_setr_epi8(10, 1, 10, 1, 10, 1, 10, 1, 10, 1, 10, 1, 10, 1, 10, 1));
  const __m128i fours = _mm_madd_epi16(pairs, _mm_setr_epi16(100, 1, 100, 1, 100, 1, 100, 1));
  const __m128i eights = _mm_madd_epi16(_mm_packus_epi32(fours, fours),
                                        _mm_setr_epi16(10000, 1, 10000, 1, 10000, 1, 10000, 1));
  card->timesKnown = _mm_cvtsi128_si32(eights);
  card->timesUnknown = _mm_extract_epi32(eights, 1);
}

struct tAvx2Record {
  static bool decode(const unsigned char* record, tTermel* card) {
    const __m256i front0 = load(record + 1), front1 = load(record + 33);
    const __m256i back0 = load(record + 65), back1 = load(record + 97);
    const __m128i tail = _mm_loadu_si128(reinterpret_cast<const __m128i*>(record + 128));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(card->front), front0);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(card->front + 32), front1);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(card->back), back0);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(card->back + 32), back1);
    const __m256i blank = _mm256_set1_epi8(' ');
    const uint64_t frontBlanks =
        maskOf(_mm256_cmpeq_epi8(front0, blank), _mm256_cmpeq_epi8(front1, blank));
    const uint64_t backBlanks =
        maskOf(_mm256_cmpeq_epi8(back0, blank), _mm256_cmpeq_epi8(back1, blank));
    // A NUL or a byte outside ASCII in either text.
    const __m256i least =
        _mm256_min_epu8(_mm256_min_epu8(front0, front1), _mm256_min_epu8(back0, back1));
    const __m256i any =
        _mm256_or_si256(_mm256_or_si256(front0, front1), _mm256_or_si256(back0, back1));
    const bool special = _mm256_movemask_epi8(_mm256_or_si256(
                             _mm256_cmpeq_epi8(least, _mm256_setzero_si256()), any)) != 0;
    decodeCounters(tail, card);
    return endTexts(card, frontBlanks, backBlanks, special);
  }
};

}  // namespace

tOwnRun decodeOwnRunAvx2(unsigned char* run, uint32_t count, const int8_t* compartmentOfLetter,
                         int8_t* compartments) {
  return decodeRunWith<tAvx2Record>(run, count, compartmentOfLetter, compartments);
}
