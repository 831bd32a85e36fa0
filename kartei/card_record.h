// Card records decoded straight from their bytes, without a call per field: the texts
// and counters of a card file whose text columns are as wide as a card's buffer, and
// runs of whole records of the layout this program writes, which a load reads many at a
// time into the memory where the cards will stay.
#ifndef TERMEL_KARTEI_CARD_RECORD_H_
#define TERMEL_KARTEI_CARD_RECORD_H_

#include <cstddef>
#include <cstdint>

class tTrmDB;

// Where the values of a card stand in a record of a card file: usable when both texts
// are exactly as wide as a card's buffer and both counters are numeric.
struct tCardLayout {
  int front = -1, back = -1, letter = -1, known = -1, unknown = -1;
  size_t knownWidth = 0, unknownWidth = 0;
  bool usable = false;
  // The record is laid out exactly as this program writes it: DEUTSCH C64, UEBERSETZT
  // C64, KASTEN C1, ALTER N4, GEWUSST N5, UNBEKANNT N5 behind the deletion flag.
  bool own = false;
};

constexpr size_t kOwnRecordBytes = 144;
constexpr size_t kOwnLetterOffset = 129;

tCardLayout layoutOf(tTrmDB& db);

// A text of a card-wide field into a card's buffer, as tCharField::copyTo gives it;
// true when it was cut to the 63 characters a card holds.
bool decodeCardText(const unsigned char* field, char* dest);

// A counter of a right-aligned numeric field, as parseInteger reads it.
int32_t decodeCounter(const unsigned char* field, size_t width);

// What decodeOwnRun went through.
struct tOwnRun {
  uint32_t taken = 0;      // records gone through: all, or those before one that may be blank
  uint32_t kept = 0;       // cards decoded
  uint32_t deleted = 0;    // records marked deleted, which give no card
  uint32_t longTexts = 0;  // cards with a text cut to the 63 characters a card holds
};

// Decodes count records of this program's own layout standing kOwnRecordBytes apart
// from run on, in place: card i is written as the tTermel that starts at
// run + i * kOwnRecordBytes (so tTermel objects must live there), and places[i]
// gets placeOfLetter[its letter byte]. Stops before a record whose deletion flag
// is a NUL, which may be a hole in the file rather than a record.
tOwnRun decodeOwnRun(unsigned char* run, uint32_t count, const int8_t* placeOfLetter,
                     int8_t* places);

struct tTermel;

// card as a record of this program's own layout at record (kOwnRecordBytes), its flag
// blank, in compartment letter at position: the texts as tCharField::set stores them,
// the numbers as tNumField::set does.
void encodeOwnRecord(const tTermel& card, char letter, int32_t position, unsigned char* record);

#endif  // TERMEL_KARTEI_CARD_RECORD_H_
