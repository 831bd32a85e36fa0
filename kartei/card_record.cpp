#include "kartei/card_record.h"

#include <cstring>

#include "box/termel.h"
#include "kartei/card_file.h"
#include "kartei/card_record_run.h"
#include "storage/charset.h"
#include "storage/dbf.h"
#include "storage/fields.h"

tCardLayout layoutOf(tTrmDB& db) {
  tCardLayout layout;
  const auto isText = [&db](const tCharField& field) {
    return field.index() >= 0 && db.fieldLength(field.index()) == tTermel::kTextSize;
  };
  layout.usable = isText(db.DEUTSCH) && isText(db.UEBERSETZT) && db.KASTEN.index() >= 0 &&
                  db.GEWUSST.type() == 'N' && db.UNBEKANNT.type() == 'N';
  layout.front = db.fieldOffset(db.DEUTSCH.index());
  layout.back = db.fieldOffset(db.UEBERSETZT.index());
  layout.letter = db.fieldOffset(db.KASTEN.index());
  layout.known = db.fieldOffset(db.GEWUSST.index());
  layout.unknown = db.fieldOffset(db.UNBEKANNT.index());
  layout.knownWidth = static_cast<size_t>(db.GEWUSST.length());
  layout.unknownWidth = static_cast<size_t>(db.UNBEKANNT.length());
  layout.own = layout.usable && db.recordLength() == kOwnRecordBytes && layout.front == 1 &&
               layout.back == 65 && layout.letter == static_cast<int>(kOwnLetterOffset) &&
               db.KASTEN.length() == 1 && layout.known == 134 && layout.knownWidth == 5 &&
               layout.unknown == 139 && layout.unknownWidth == 5;
  return layout;
}

namespace {

#if defined(__SSE2__)
// A field's 64 bytes, loaded.
struct tFieldBytes {
  __m128i block[4];
  explicit tFieldBytes(const unsigned char* field) {
#pragma GCC unroll 4
    for (int i = 0; i < 4; ++i) {
      block[i] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(field + 16 * i));
    }
  }
};

// Stores the field at dest and makes it a card's text. One pass finds its blanks;
// NULs and bytes outside ASCII, which are rare, are only looked for when present.
inline bool storeText(const tFieldBytes& field, char* dest) {
  uint64_t blanks = 0;
#pragma GCC unroll 4
  for (int i = 0; i < 4; ++i) {
    const __m128i block = field.block[i];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dest + 16 * i), block);
    const int blank = _mm_movemask_epi8(_mm_cmpeq_epi8(block, _mm_set1_epi8(' ')));
    blanks |= static_cast<uint64_t>(static_cast<uint16_t>(blank)) << (16 * i);
  }
  const __m128i least = _mm_min_epu8(_mm_min_epu8(field.block[0], field.block[1]),
                                     _mm_min_epu8(field.block[2], field.block[3]));
  const __m128i any = _mm_or_si128(_mm_or_si128(field.block[0], field.block[1]),
                                   _mm_or_si128(field.block[2], field.block[3]));
  const uint64_t text = ~blanks;
  const int lastText = text == 0 ? -1 : 63 - __builtin_clzll(text);
  return endText(dest, lastText, _mm_movemask_epi8(_mm_cmpeq_epi8(least, _mm_setzero_si128())) != 0,
                 _mm_movemask_epi8(any) != 0);
}

// Both counters of the record's last 16 bytes, written to card once both are read:
// card may stand on those bytes.
void decodeCounters(__m128i tail, tTermel* card) {
  const tCounterBytes bytes(tail);
  alignas(16) unsigned char values[16];
  if (!plainCounters(bytes.digits, bytes.blanks)) {
    _mm_store_si128(reinterpret_cast<__m128i*>(values), tail);
    readCounters(values, card);
    return;
  }
  _mm_store_si128(reinterpret_cast<__m128i*>(values), bytes.values);
  const auto number = [](const unsigned char* d) {
    return (((d[0] * 10 + d[1]) * 10 + d[2]) * 10 + d[3]) * 10 + d[4];
  };
  card->timesKnown = number(values + 6);
  card->timesUnknown = number(values + 11);
}

struct tSse2Record {
  static bool decode(const unsigned char* record, tTermel* card) {
    const tFieldBytes front(record + 1), back(record + 65);
    const __m128i tail = _mm_loadu_si128(reinterpret_cast<const __m128i*>(record + 128));
    const bool frontCut = storeText(front, card->front);
    const bool backCut = storeText(back, card->back);
    decodeCounters(tail, card);
    return frontCut || backCut;
  }
};
using tRecord = tSse2Record;
#else
struct tFieldBytes {
  unsigned char bytes[tTermel::kTextSize];
  explicit tFieldBytes(const unsigned char* field) { std::memcpy(bytes, field, sizeof bytes); }
};

bool storeText(const tFieldBytes& field, char* dest) {
  std::memcpy(dest, field.bytes, tTermel::kTextSize);
  const int lastText = static_cast<int>(dbfTextLength(field.bytes, tTermel::kTextSize)) - 1;
  bool high = false;
  for (unsigned char c : field.bytes) high = high || c >= 0x80;
  return endText(dest, lastText, true, high);
}

struct tPlainRecord {
  static bool decode(const unsigned char* record, tTermel* card) {
    unsigned char bytes[kOwnRecordBytes];
    std::memcpy(bytes, record, sizeof bytes);
    const bool frontCut = storeText(tFieldBytes(bytes + 1), card->front);
    const bool backCut = storeText(tFieldBytes(bytes + 65), card->back);
    card->timesKnown = decodeCounter(bytes + 134, 5);
    card->timesUnknown = decodeCounter(bytes + 139, 5);
    return frontCut || backCut;
  }
};
using tRecord = tPlainRecord;
#endif

}  // namespace

bool decodeCardText(const unsigned char* field, char* dest) {
  return storeText(tFieldBytes(field), dest);
}

// Digits behind blanks are read here, all else as parseInteger reads it. Widths up to 9
// digits cannot overflow.
int32_t decodeCounter(const unsigned char* field, size_t width) {
  if (width > 9) return parseInteger(field, width);
  size_t i = 0;
  while (i < width && field[i] == ' ') ++i;
  int32_t value = 0;
  for (; i < width; ++i) {
    const unsigned digit = static_cast<unsigned>(field[i]) - '0';
    if (digit > 9) return parseInteger(field, width);
    value = value * 10 + static_cast<int32_t>(digit);
  }
  return value;
}

tOwnRun decodeOwnRun(unsigned char* run, uint32_t count, const int8_t* compartmentOfLetter,
                     int8_t* compartments) {
#if defined(TERMEL_AVX2_RUN)
  if (__builtin_cpu_supports("avx2")) {
    return decodeOwnRunAvx2(run, count, compartmentOfLetter, compartments);
  }
#endif
  return decodeRunWith<tRecord>(run, count, compartmentOfLetter, compartments);
}
