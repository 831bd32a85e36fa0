// tTermel: one vocabulary card in memory, copied by value.
#ifndef TERMEL_BOX_TERMEL_H_
#define TERMEL_BOX_TERMEL_H_

#include <cstdint>

struct tTermel {
  static constexpr int kTextSize = 64;  // at most 63 characters and the NUL

  char front[kTextSize];  // German term, code page 1252
  char back[kTextSize];   // translation, code page 1252
  int32_t timesKnown;
  int32_t timesUnknown;

  // Empties both texts; the counters stay.
  void clear();
  // Copies both texts, each cut to 63 characters; the counters stay.
  void set(const char* frontText, const char* backText);
  bool matchesEither(const tTermel& other) const;
  bool matchesBoth(const tTermel& other) const;
};

// Copies text into a card-sized buffer (tTermel::kTextSize bytes), cut to 63
// characters so it always fits with its NUL.
void copyCardText(char* dest, const char* text);

// A cleared card with both counters 0.
tTermel makeCard(const char* front, const char* back);

#endif  // TERMEL_BOX_TERMEL_H_
