// The loop of decodeOwnRun and what every way of decoding a record shares. Included by
// one file per instruction set, so everything here has internal linkage: a copy built
// for wider vectors never stands in for the plain one.
#ifndef TERMEL_KARTEI_CARD_RECORD_RUN_H_
#define TERMEL_KARTEI_CARD_RECORD_RUN_H_

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "box/termel.h"
#include "kartei/card_record.h"
#include "storage/charset.h"
#include "storage/fields.h"

namespace {

// Ends a text whose 64 field bytes were stored at dest and whose last non-blank byte
// is at lastText (-1 for none): the text stops before a NUL, is cut to the 63
// characters a card holds and converted when it has bytes outside ASCII. True when it
// was cut.
inline __attribute__((always_inline)) bool endText(char* dest, int lastText, bool anyNul,
                                                   bool anyHigh) {
  size_t length = static_cast<size_t>(lastText + 1);
  if (anyNul) {
    const void* nul = std::memchr(dest, '\0', length);
    if (nul != nullptr) length = static_cast<size_t>(static_cast<const char*>(nul) - dest);
  }
  const size_t kept = length < tTermel::kTextSize ? length : tTermel::kTextSize - 1;
  if (anyHigh) {
    toScreenCharset(dest, kept);
  } else {
    dest[kept] = '\0';
  }
  return length >= tTermel::kTextSize;
}

// The record's last 16 bytes hold GEWUSST from byte 6 and UNBEKANNT from byte 11, five
// bytes each. Given which of them are digits and which blanks (bit i for byte i): both
// are digits behind blanks, the common case that is read here.
inline __attribute__((always_inline)) bool plainCounters(unsigned digits, unsigned blanks) {
  const unsigned known = (blanks >> 6) & 0x1F, unknown = (blanks >> 11) & 0x1F;
  return ((digits | blanks) & 0xFFC0) == 0xFFC0 && (known & (known + 1)) == 0 &&
         (unknown & (unknown + 1)) == 0;
}

// Both counters as parseInteger reads them; card may stand on the bytes.
inline void readCounters(const unsigned char* tail, tTermel* card) {
  unsigned char bytes[16];
  std::memcpy(bytes, tail, sizeof bytes);
  card->timesKnown = parseInteger(bytes + 6, 5);
  card->timesUnknown = parseInteger(bytes + 11, 5);
}

#if defined(__SSE2__)
// The masks of digits and blanks among the tail's bytes and the digits' values (blanks
// 0), as plainCounters takes them.
struct tCounterBytes {
  __m128i values;
  unsigned digits, blanks;
  explicit tCounterBytes(__m128i tail) {
    const __m128i value = _mm_sub_epi8(tail, _mm_set1_epi8('0'));
    const __m128i isDigit = _mm_cmpeq_epi8(_mm_min_epu8(value, _mm_set1_epi8(9)), value);
    values = _mm_and_si128(value, isDigit);
    digits = static_cast<unsigned>(_mm_movemask_epi8(isDigit));
    blanks = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(tail, _mm_set1_epi8(' '))));
  }
};
#endif

// The length of a field's text given its blanks (bit i for byte i), when it holds no
// NUL: no trailing blanks.
inline __attribute__((always_inline)) size_t lengthBeforeBlanks(uint64_t blanks) {
  const uint64_t text = ~blanks;
  return text == 0 ? 0 : 64 - static_cast<size_t>(__builtin_clzll(text));
}

// Ends both texts of a card whose field bytes were stored in it, given their blanks:
// the plain way when neither field holds a NUL or a byte outside ASCII (special false),
// which is the common case. True when a text was cut.
inline __attribute__((always_inline)) bool endTexts(tTermel* card, uint64_t frontBlanks,
                                                    uint64_t backBlanks, bool special) {
  const size_t front = lengthBeforeBlanks(frontBlanks), back = lengthBeforeBlanks(backBlanks);
  if (__builtin_expect(special, 0)) {
    const bool frontCut = endText(card->front, static_cast<int>(front) - 1, true, true);
    return endText(card->back, static_cast<int>(back) - 1, true, true) || frontCut;
  }
  card->front[front < tTermel::kTextSize ? front : tTermel::kTextSize - 1] = '\0';
  card->back[back < tTermel::kTextSize ? back : tTermel::kTextSize - 1] = '\0';
  return (front | back) >= tTermel::kTextSize;
}

// Record::decode(record, card) decodes one record into card, reading all of its bytes
// before writing any.
template <typename Record>
tOwnRun decodeRunWith(unsigned char* run, uint32_t count, const int8_t* compartmentOfLetter,
                      int8_t* compartments) {
  tOwnRun result;
  for (; result.taken < count; ++result.taken) {
    const unsigned char* record = run + result.taken * kOwnRecordBytes;
    if (record[0] == '*') {
      ++result.deleted;
      continue;
    }
    if (record[0] == '\0') break;
    compartments[result.kept] = compartmentOfLetter[record[kOwnLetterOffset]];
    auto* card = reinterpret_cast<tTermel*>(run + result.kept++ * kOwnRecordBytes);
    if (Record::decode(record, card)) ++result.longTexts;
  }
  return result;
}

}  // namespace

#if defined(TERMEL_AVX2_RUN)
// decodeOwnRun with 32-byte vectors, for processors that have them.
tOwnRun decodeOwnRunAvx2(unsigned char* run, uint32_t count, const int8_t* compartmentOfLetter,
                         int8_t* compartments);
#endif

#endif  // TERMEL_KARTEI_CARD_RECORD_RUN_H_
