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

// The length of a field's text given its blanks (bit i for byte i), when it holds no
// NUL: no trailing blanks.
inline __attribute__((always_inline)) size_t lengthBeforeBlanks(uint64_t blanks) {
  const uint64_t text = ~blanks;
  return text == 0 ? 0 : 64 - static_cast<size_t>(__builtin_clzll(text));
}

// Ends both texts of a card whose field bytes, holding neither a NUL nor a byte outside
// ASCII, were stored in it, given their blanks. True when a text was cut.
inline __attribute__((always_inline)) bool endTexts(tTermel* card, uint64_t frontBlanks,
                                                    uint64_t backBlanks) {
  const size_t front = lengthBeforeBlanks(frontBlanks), back = lengthBeforeBlanks(backBlanks);
  card->front[front < tTermel::kTextSize ? front : tTermel::kTextSize - 1] = '\0';
  card->back[back < tTermel::kTextSize ? back : tTermel::kTextSize - 1] = '\0';
  return (front | back) >= tTermel::kTextSize;
}

// The compiler would otherwise build the constants afresh for every record; this makes
// it keep them in registers for the whole run.
template <typename Vector>
inline Vector kept(Vector value) {
  asm("" : "+x"(value));
  return value;
}

// A record with a NUL or a byte outside ASCII in a text, or a counter that is not digits
// behind blanks: read from a copy, as card may stand on the record.
__attribute__((noinline, cold)) bool decodeOther(const unsigned char* record, tTermel* card) {
  unsigned char copy[kOwnRecordBytes];
  std::memcpy(copy, record, sizeof copy);
  const bool frontCut = decodeCardText(copy + 1, card->front);
  const bool backCut = decodeCardText(copy + 65, card->back);
  readCounters(copy + 128, card);
  return frontCut || backCut;
}

class tAvx2Record {
 public:
  bool decode(const unsigned char* record, tTermel* card) const {
    const __m256i front0 = load(record + 1), front1 = load(record + 33);
    const __m256i back0 = load(record + 65), back1 = load(record + 97);
    __m128i oddCounters;
    const __m128i counters =
        countersOf(_mm_loadu_si128(reinterpret_cast<const __m128i*>(record + 128)), &oddCounters);
    // A NUL or a byte outside ASCII in either text: a byte not above 0 as signed.
    const __m256i least =
        _mm256_min_epi8(_mm256_min_epi8(front0, front1), _mm256_min_epi8(back0, back1));
    const __m256i odd =
        _mm256_or_si256(_mm256_cmpgt_epi8(one_, least), _mm256_zextsi128_si256(oddCounters));
    if (__builtin_expect(!_mm256_testz_si256(odd, odd), 0)) return decodeOther(record, card);
    const uint64_t frontBlanks =
        maskOf(_mm256_cmpeq_epi8(front0, blank_), _mm256_cmpeq_epi8(front1, blank_));
    const uint64_t backBlanks =
        maskOf(_mm256_cmpeq_epi8(back0, blank_), _mm256_cmpeq_epi8(back1, blank_));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(card->front), front0);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(card->front + 32), front1);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(card->back), back0);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(card->back + 32), back1);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(&card->timesKnown), counters);
    return endTexts(card, frontBlanks, backBlanks);
  }

 private:
  // Both counters of the record's last 16 bytes: their digits go to the end of an 8-byte
  // lane each and are multiplied out in three steps, blanks counting as 0. *odd is all
  // zero when both are digits behind blanks, the only form read here.
  inline __attribute__((always_inline)) __m128i countersOf(__m128i tail, __m128i* odd) const {
    const __m128i value = _mm_sub_epi8(tail, zeroDigit_);
    const __m128i isDigit = _mm_cmpeq_epi8(_mm_min_epu8(value, nine_), value);
    const __m128i isBlank = _mm_cmpeq_epi8(tail, _mm256_castsi256_si128(blank_));
    *odd = _mm_or_si128(
        _mm_andnot_si128(_mm_or_si128(isDigit, isBlank), counterBytes_),
        _mm_and_si128(_mm_and_si128(isBlank, _mm_slli_si128(isDigit, 1)), innerBytes_));
    const __m128i lanes = _mm_shuffle_epi8(_mm_and_si128(value, isDigit), lanes_);
    const __m128i pairs = _mm_maddubs_epi16(lanes, tens_);
    const __m128i fours = _mm_madd_epi16(pairs, hundreds_);
    return _mm_madd_epi16(_mm_packus_epi32(fours, fours), tenThousands_);
  }

  const __m256i blank_ = kept(_mm256_set1_epi8(' '));
  const __m256i one_ = kept(_mm256_set1_epi8(1));
  const __m128i zeroDigit_ = kept(_mm_set1_epi8('0'));
  const __m128i nine_ = kept(_mm_set1_epi8(9));
  // Bytes 6 to 15 of the tail hold the counters; a blank behind a digit of the same
  // counter (bytes 7 to 10 and 12 to 15) makes it odd too.
  const __m128i counterBytes_ =
      kept(_mm_setr_epi8(0, 0, 0, 0, 0, 0, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1));
  const __m128i innerBytes_ =
      kept(_mm_setr_epi8(0, 0, 0, 0, 0, 0, 0, -1, -1, -1, -1, 0, -1, -1, -1, -1));
  const __m128i lanes_ =
      kept(_mm_setr_epi8(-1, -1, -1, 6, 7, 8, 9, 10, -1, -1, -1, 11, 12, 13, 14, 15));
  const __m128i tens_ = kept(_mm_setr_epi8(10, 1, 10, 1, 10, 1, 10, 1, 10, 1, 10, 1, 10, 1, 10, 1));
  const __m128i hundreds_ = kept(_mm_setr_epi16(100, 1, 100, 1, 100, 1, 100, 1));
  const __m128i tenThousands_ = kept(_mm_setr_epi16(10000, 1, 10000, 1, 10000, 1, 10000, 1));
};

}  // namespace

tOwnRun decodeOwnRunAvx2(unsigned char* run, uint32_t count, const int8_t* placeOfLetter,
                         int8_t* places) {
  return decodeRunWith<tAvx2Record>(run, count, placeOfLetter, places);
}
