// tBoxStats: the figures of the box overview, how the cards are spread over the
// compartments, how often they were known, and the cards missed most often. Computed
// in one pass over the box; the result is a copy and does not refer to the box.
#ifndef TERMEL_BOX_BOX_STATS_H_
#define TERMEL_BOX_BOX_STATS_H_

#include <cstddef>
#include <cstdint>
#include <vector>

#include "box/card_box.h"
#include "box/termel.h"

struct tBoxStats {
  static constexpr int kLearning = CardBox::kCompartments - 1;  // compartments 1..6
  static constexpr size_t kMostMissed = 20;

  // Cards in compartments 1..6 (index 0..5) and the archive (index 6).
  int32_t counts[CardBox::kCompartments] = {};
  // The threshold of each learning compartment: above it, it is asked first.
  int32_t thresholds[kLearning] = {};
  int32_t cards = 0;
  int64_t timesKnown = 0;    // summed over all cards
  int64_t timesUnknown = 0;  // summed over all cards
  // Cards in the archive per card in the box, 0 to 1; 0 for an empty box.
  double archiveShare = 0;
  // Copies of the cards with the highest timesUnknown, most missed first; of equal
  // counts the one nearer the front of the box comes first. Cards never missed are
  // left out, so there may be fewer than kMostMissed.
  std::vector<tTermel> mostMissed;
};

// The figures of box. Walks every card once with the box's per-compartment iteration
// (so no other iteration of box may be under way) and keeps only the best few on the
// way, so a large box costs little more than reading it.
tBoxStats computeBoxStats(CardBox& box, size_t mostMissed = tBoxStats::kMostMissed);

#endif  // TERMEL_BOX_BOX_STATS_H_
