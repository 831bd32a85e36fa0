#include "box/box_stats.h"

#include <algorithm>

namespace {

struct Candidate {
  int32_t unknown;
  int64_t position;  // in box order
  tTermel card;
};

// Orders the candidates most missed first, earlier position first on equal counts.
bool missedMore(const Candidate& a, const Candidate& b) {
  if (a.unknown != b.unknown) return a.unknown > b.unknown;
  return a.position < b.position;
}

// The best `limit` cards seen so far. The heap's top is the weakest of them, so a new
// card has to beat only that one; the box is walked in order, so a later card never
// wins a tie.
class MostMissed {
 public:
  explicit MostMissed(size_t limit) : limit_(limit) { heap_.reserve(limit); }

  void offer(const tTermel& card, int64_t position) {
    if (limit_ == 0 || card.timesUnknown <= 0) return;
    if (heap_.size() == limit_) {
      if (card.timesUnknown <= heap_.front().unknown) return;
      std::pop_heap(heap_.begin(), heap_.end(), missedMore);
      heap_.pop_back();
    }
    heap_.push_back(Candidate{card.timesUnknown, position, card});
    std::push_heap(heap_.begin(), heap_.end(), missedMore);
  }

  std::vector<tTermel> take() {
    std::sort_heap(heap_.begin(), heap_.end(), missedMore);
    std::vector<tTermel> cards;
    cards.reserve(heap_.size());
    for (const Candidate& c : heap_) cards.push_back(c.card);
    return cards;
  }

 private:
  size_t limit_;
  std::vector<Candidate> heap_;
};

}  // namespace

tBoxStats computeBoxStats(CardBox& box, size_t mostMissed) {
  tBoxStats stats;
  MostMissed missed(mostMissed);
  int64_t position = 0;
  for (int n = 1; n <= CardBox::kCompartments; ++n) {
    stats.counts[n - 1] = box.countIn(n);
    // Without a buffer the iteration hands out the cards in place: no copies.
    for (tTermel* card = box.firstIn(n, nullptr); card != nullptr; card = box.nextIn(n, nullptr)) {
      stats.timesKnown += card->timesKnown;
      stats.timesUnknown += card->timesUnknown;
      missed.offer(*card, position++);
    }
  }
  for (int k = 0; k < tBoxStats::kLearning; ++k) stats.thresholds[k] = box.capacity(k);
  stats.cards = box.totalCount();
  const int32_t archived = stats.counts[CardBox::kCompartments - 1];
  stats.archiveShare = stats.cards > 0 ? static_cast<double>(archived) / stats.cards : 0.0;
  stats.mostMissed = missed.take();
  return stats;
}
