#include "kartei/card_record.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// Ends a text whose 64 field bytes were stored at dest and whose last non-blank byte
// is at lastText (-1 for none): the text stops before a NUL, is cut to the 63
// characters a card holds and converted when it has bytes outside ASCII. True when it
// was cut.
bool endText(char* dest, int lastText, bool anyNul, bool anyHigh) {
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

#if defined(__SSE2__)
// The record's last 16 bytes hold GEWUSST from byte 6 and UNBEKANNT from byte 11, five
// bytes each. Given which of them are digits and which blanks (bit i for byte i): both
// are digits behind blanks, the common case that is read here.
inline __attribute__((always_inline)) bool plainCounters(unsigned digits, unsigned blanks) {
  const unsigned known = (blanks >> 6) & 0x1F, unknown = (blanks >> 11) & 0x1F;
  return ((digits | blanks) & 0xFFC0) == 0xFFC0 && (known & (known + 1)) == 0 &&
         (unknown & (unknown + 1)) == 0;
}

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
  bool decode(const unsigned char* record, tTermel* card) const {
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
  bool decode(const unsigned char* record, tTermel* card) const {
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

tOwnRun decodeOwnRun(unsigned char* run, uint32_t count, const int8_t* placeOfLetter,
                     int8_t* places) {
#if defined(TERMEL_AVX2_RUN)
  if (__builtin_cpu_supports("avx2")) {
    return decodeOwnRunAvx2(run, count, placeOfLetter, places);
  }
#endif
  return decodeRunWith<tRecord>(run, count, placeOfLetter, places);
}

namespace {

// A text into a character field 64 wide, as tCharField::set stores it.
void putText(const char* text, unsigned char* field) {
  char converted[tTermel::kTextSize + 1];
  toFileCharsetOnly(text, converted, tTermel::kTextSize);
  const size_t length = std::strlen(converted);
  std::memcpy(field, converted, length);
  std::memset(field + length, ' ', tTermel::kTextSize - length);
}

#if defined(__SSE2__)
// A text into its field in one pass: the bytes before its NUL, blanks after, and the
// bytes outside ASCII converted one by one to the file's code page. False when a byte
// has no place in the file's code page but a NUL, which putText handles.
bool putTextFast(const char* text, unsigned char* field) {
  const tFieldBytes bytes(reinterpret_cast<const unsigned char*>(text));
  uint64_t nuls = 0, high = 0;
#pragma GCC unroll 4
  for (int i = 0; i < 4; ++i) {
    const __m128i block = bytes.block[i];
    const int nul = _mm_movemask_epi8(_mm_cmpeq_epi8(block, _mm_setzero_si128()));
    nuls |= static_cast<uint64_t>(static_cast<uint16_t>(nul)) << (16 * i);
    high |= static_cast<uint64_t>(static_cast<uint16_t>(_mm_movemask_epi8(block))) << (16 * i);
  }
  const int length = nuls == 0 ? 64 : __builtin_ctzll(nuls);
  const __m128i end = _mm_set1_epi8(static_cast<char>(length));
#pragma GCC unroll 4
  for (int i = 0; i < 4; ++i) {
    const __m128i at =
        _mm_add_epi8(_mm_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15),
                     _mm_set1_epi8(static_cast<char>(16 * i)));
    const __m128i inText = _mm_cmplt_epi8(at, end);
    const __m128i stored = _mm_or_si128(_mm_and_si128(inText, bytes.block[i]),
                                        _mm_andnot_si128(inText, _mm_set1_epi8(' ')));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(field + 16 * i), stored);
  }
  if (length < 64) high &= (uint64_t{1} << length) - 1;
  for (; high != 0; high &= high - 1) {
    const int at = __builtin_ctzll(high);
    const char converted = ansiCharToOem(text[at]);
    if (converted == '\0') return false;
    field[at] = static_cast<unsigned char>(converted);
  }
  return true;
}
#else
bool putTextFast(const char*, unsigned char*) {
  return false;
}
#endif

// A number into a numeric field of width bytes (at most 9), as tNumField::set stores it.
void putNumber(int32_t value, unsigned char* field, int width) {
  static constexpr int32_t kLimits[] = {1,      10,      100,      1000,      10000,
                                        100000, 1000000, 10000000, 100000000, 1000000000};
  if (value >= kLimits[width]) {
    std::memset(field, '*', static_cast<size_t>(width));
    return;
  }
  if (value < 0) {
    char text[16];
    formatInteger(value, width, text);
    std::memcpy(field, text, static_cast<size_t>(width));
    return;
  }
  int at = width - 1;
  do {
    field[at--] = static_cast<unsigned char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  for (; at >= 0; --at) field[at] = ' ';
}

}  // namespace

void encodeOwnRecord(const tTermel& card, char letter, int32_t position, unsigned char* record) {
  record[0] = ' ';
  if (!putTextFast(card.front, record + 1)) putText(card.front, record + 1);
  if (!putTextFast(card.back, record + 65)) putText(card.back, record + 65);
  record[kOwnLetterOffset] = static_cast<unsigned char>(letter);
  putNumber(position, record + 130, 4);
  putNumber(card.timesKnown, record + 134, 5);
  putNumber(card.timesUnknown, record + 139, 5);
}
