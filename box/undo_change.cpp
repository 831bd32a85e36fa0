#include "box/undo_change.h"

#include <cstring>
#include <unordered_map>
#include <utility>

namespace {

using tCounts = std::array<int32_t, CardBox::kCompartments>;

tCounts countsOf(const CardBox& box) {
  tCounts counts{};
  for (int n = 1; n <= CardBox::kCompartments; ++n) counts[n - 1] = box.countIn(n);
  return counts;
}

bool sameCard(const tTermel& a, const tTermel& b) {
  return a.matchesBoth(b) && a.timesKnown == b.timesKnown && a.timesUnknown == b.timesUnknown;
}

// The stored cards of compartment n, for reading them by position.
std::vector<const tTermel*> cardsIn(CardBox* box, int n) {
  std::vector<const tTermel*> cards;
  cards.reserve(box->countIn(n));
  for (const tTermel* card = box->firstIn(n, nullptr); card != nullptr;
       card = box->nextIn(n, nullptr)) {
    cards.push_back(card);
  }
  return cards;
}

// All to compartment 1 appended compartments 2 to 7 to it in order: cutting the first
// compartment at the old counts puts each run back.
class tAllToFirst : public tUndoChange {
 public:
  explicit tAllToFirst(const tCounts& counts) : counts_(counts) {}
  bool undo(CardBox* box) const override {
    for (int n = 1; n < CardBox::kCompartments; ++n) {
      if (!box->moveTail(n, counts_[n - 1], n + 1)) return false;
    }
    return true;
  }
  size_t bytes() const override { return sizeof *this; }

 private:
  tCounts counts_;
};

class tAppended : public tUndoChange {
 public:
  explicit tAppended(const tCounts& counts) : counts_(counts) {}
  bool undo(CardBox* box) const override {
    for (int n = 1; n <= CardBox::kCompartments; ++n) {
      if (box->countIn(n) < counts_[n - 1]) return false;
    }
    for (int n = 1; n <= CardBox::kCompartments; ++n) box->cutTo(n, counts_[n - 1]);
    return true;
  }
  size_t bytes() const override { return sizeof *this; }

 private:
  tCounts counts_;
};

std::vector<int32_t> inverse(const std::vector<int32_t>& order) {
  std::vector<int32_t> back(order.size());
  for (size_t i = 0; i < order.size(); ++i) back[order[i]] = static_cast<int32_t>(i);
  return back;
}

class tShuffled : public tUndoChange {
 public:
  explicit tShuffled(CardBox::tOrders orders) : orders_(std::move(orders)) {}
  bool undo(CardBox* box) const override {
    for (int n = 1; n <= CardBox::kCompartments; ++n) {
      const std::vector<int32_t>& order = orders_[n - 1];
      if (!order.empty() && static_cast<int32_t>(order.size()) != box->countIn(n)) return false;
    }
    for (int n = 1; n <= CardBox::kCompartments; ++n) {
      if (!orders_[n - 1].empty()) box->reorder(n, inverse(orders_[n - 1]));
    }
    return true;
  }
  size_t bytes() const override {
    size_t total = sizeof *this;
    for (const auto& order : orders_) total += order.capacity() * sizeof(int32_t);
    return total;
  }

 private:
  CardBox::tOrders orders_;
};

class tCleared : public tUndoChange {
 public:
  tCleared(int n, tPackedCards cards) : n_(n), cards_(std::move(cards)) {}
  bool undo(CardBox* box) const override {
    if (box->countIn(n_) != 0) return false;
    size_t offset = 0;
    for (size_t i = 0; i < cards_.count(); ++i) box->addCardTo(cards_.read(&offset), n_);
    return true;
  }
  size_t bytes() const override { return sizeof *this + cards_.bytes(); }

 private:
  int n_;
  tPackedCards cards_;
};

class tCorrected : public tUndoChange {
 public:
  tCorrected(int n, int32_t position, const tTermel& before)
      : n_(n), position_(position), before_(before) {}
  bool undo(CardBox* box) const override {
    const tTermel* card = box->firstIn(n_, nullptr);
    for (int32_t i = 0; i < position_ && card != nullptr; ++i) card = box->nextIn(n_, nullptr);
    if (card == nullptr || !box->removeCard(card, n_)) return false;
    return box->insertCard(before_, n_, position_) != nullptr;
  }
  size_t bytes() const override { return sizeof *this; }

 private:
  int n_;
  int32_t position_;
  tTermel before_;
};

// Each card goes back from the end of compartment 1 to its place, the last moved
// first, so every position is taken in the compartment as it stood then.
class tMovedToFirst : public tUndoChange {
 public:
  explicit tMovedToFirst(std::vector<tCardPlace> places) : places_(std::move(places)) {}
  bool undo(CardBox* box) const override {
    if (box->countIn(1) < static_cast<int32_t>(places_.size())) return false;
    for (auto place = places_.rbegin(); place != places_.rend(); ++place) {
      const tTermel card = *box->lastIn(1);
      if (!box->removeCard(box->lastIn(1), 1) ||
          box->insertCard(card, place->compartment, place->position) == nullptr) {
        return false;
      }
    }
    return true;
  }
  size_t bytes() const override { return sizeof *this + places_.capacity() * sizeof(tCardPlace); }

 private:
  std::vector<tCardPlace> places_;
};

uint64_t hashOf(const tTermel& card) {
  uint64_t hash = 14695981039346656037ull;
  const auto mix = [&hash](const void* data, size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < size; ++i) hash = (hash ^ bytes[i]) * 1099511628211ull;
  };
  mix(card.front, std::strlen(card.front) + 1);
  mix(card.back, std::strlen(card.back) + 1);
  mix(&card.timesKnown, sizeof card.timesKnown);
  mix(&card.timesUnknown, sizeof card.timesUnknown);
  return hash;
}

// A run of the box before: length cards that stand in compartment `from` of the box
// after, from start on, or (from 0) the next length cards of the packed ones.
struct tRun {
  int32_t start;
  int32_t length;
  int8_t from;
};

using tAfter = std::array<std::vector<const tTermel*>, CardBox::kCompartments>;

// Where each card of the box after stands, found by its contents.
class tCardFinder {
 public:
  explicit tCardFinder(const tAfter& after) : after_(after) {
    for (int k = 0; k < CardBox::kCompartments; ++k) {
      for (size_t i = 0; i < after[k].size(); ++i) {
        places_.emplace(hashOf(*after[k][i]),
                        tRun{static_cast<int32_t>(i), 1, static_cast<int8_t>(k + 1)});
      }
    }
  }
  // A place of card in the box after, from 0 when it is not there.
  tRun find(const tTermel& card) const {
    const auto range = places_.equal_range(hashOf(card));
    for (auto it = range.first; it != range.second; ++it) {
      if (sameCard(*after_[it->second.from - 1][it->second.start], card)) return it->second;
    }
    return tRun{0, 1, 0};
  }
  // Whether card is the one that follows run in the box after.
  bool follows(const tRun& run, const tTermel& card) const {
    if (run.from == 0) return false;
    const std::vector<const tTermel*>& list = after_[run.from - 1];
    const size_t next = static_cast<size_t>(run.start) + run.length;
    return next < list.size() && sameCard(*list[next], card);
  }

 private:
  const tAfter& after_;
  std::unordered_multimap<uint64_t, tRun> places_;
};

class tDifference : public tUndoChange {
 public:
  tDifference(const tBoxSnapshot& before, const tAfter& after) : arrangement_(before.arrangement) {
    const tCardFinder finder(after);
    for (int k = 0; k < CardBox::kCompartments; ++k) {
      for (const tTermel& card : before.cards[k]) addCard(finder, k, card);
      runs_[k].shrink_to_fit();
    }
    cards_.shrink();
    for (int k = 0; k < CardBox::kCompartments; ++k) counts_[k] = after[k].size();
  }

  // The box is the same when every compartment is one run of its own cards.
  bool unchanged() const {
    for (int k = 0; k < CardBox::kCompartments; ++k) {
      if (runs_[k].empty() && counts_[k] == 0) continue;
      if (runs_[k].size() != 1 || runs_[k][0].from != k + 1 || runs_[k][0].start != 0 ||
          runs_[k][0].length != static_cast<int32_t>(counts_[k])) {
        return false;
      }
    }
    return true;
  }

  bool undo(CardBox* box) const override {
    tAfter after;
    for (int k = 0; k < CardBox::kCompartments; ++k) {
      after[k] = cardsIn(box, k + 1);
      if (after[k].size() != counts_[k]) return false;
    }
    std::array<std::vector<tTermel>, CardBox::kCompartments> cards;
    size_t offset = 0;
    for (int k = 0; k < CardBox::kCompartments; ++k) {
      for (const tRun& run : runs_[k]) {
        for (int32_t i = 0; i < run.length; ++i) {
          cards[k].push_back(run.from == 0 ? cards_.read(&offset)
                                           : *after[run.from - 1][run.start + i]);
        }
      }
    }
    box->rearrange(arrangement_);
    for (int k = 0; k < CardBox::kCompartments; ++k) {
      box->clearCompartment(k + 1);
      for (const tTermel& card : cards[k]) box->addCardTo(card, k + 1);
    }
    return true;
  }

  size_t bytes() const override {
    size_t total = sizeof *this + cards_.bytes();
    for (const auto& runs : runs_) total += runs.capacity() * sizeof(tRun);
    return total;
  }

 private:
  void addCard(const tCardFinder& finder, int k, const tTermel& card) {
    std::vector<tRun>& runs = runs_[k];
    if (!runs.empty() && finder.follows(runs.back(), card)) {
      ++runs.back().length;
      return;
    }
    const tRun place = finder.find(card);
    if (place.from == 0) {
      cards_.add(card);
      if (!runs.empty() && runs.back().from == 0) {
        ++runs.back().length;
        return;
      }
    }
    runs.push_back(place);
  }

  CardBox::tArrangement arrangement_;
  std::array<std::vector<tRun>, CardBox::kCompartments> runs_;
  std::array<size_t, CardBox::kCompartments> counts_{};
  tPackedCards cards_;
};

}  // namespace

void tPackedCards::add(const tTermel& card) {
  bytes_.append(card.front, std::strlen(card.front) + 1);
  bytes_.append(card.back, std::strlen(card.back) + 1);
  bytes_.append(reinterpret_cast<const char*>(&card.timesKnown), sizeof card.timesKnown);
  bytes_.append(reinterpret_cast<const char*>(&card.timesUnknown), sizeof card.timesUnknown);
  ++count_;
}

tTermel tPackedCards::read(size_t* offset) const {
  tTermel card = makeCard("", "");
  if (*offset >= bytes_.size()) return card;
  const char* text = bytes_.data() + *offset;
  copyCardText(card.front, text);
  text += std::strlen(text) + 1;
  copyCardText(card.back, text);
  text += std::strlen(text) + 1;
  std::memcpy(&card.timesKnown, text, sizeof card.timesKnown);
  std::memcpy(&card.timesUnknown, text + sizeof card.timesKnown, sizeof card.timesUnknown);
  text += sizeof card.timesKnown + sizeof card.timesUnknown;
  *offset = static_cast<size_t>(text - bytes_.data());
  return card;
}

tBoxSnapshot snapshotOf(CardBox* box) {
  tBoxSnapshot snapshot;
  snapshot.arrangement = box->arrangement();
  for (int k = 0; k < CardBox::kCompartments; ++k) {
    for (const tTermel* card : cardsIn(box, k + 1)) snapshot.cards[k].push_back(*card);
  }
  return snapshot;
}

std::unique_ptr<tUndoChange> allToFirstChange(CardBox* box) {
  const tCounts counts = countsOf(*box);
  if (box->totalCount() == counts[0]) return nullptr;
  return std::make_unique<tAllToFirst>(counts);
}

std::unique_ptr<tUndoChange> appendChange(CardBox* box) {
  return std::make_unique<tAppended>(countsOf(*box));
}

std::unique_ptr<tUndoChange> shuffleChange(CardBox::tOrders orders) {
  bool moved = false;
  for (const auto& order : orders) moved = moved || !order.empty();
  if (!moved) return nullptr;
  return std::make_unique<tShuffled>(std::move(orders));
}

std::unique_ptr<tUndoChange> clearChange(CardBox* box, int n) {
  if (box->countIn(n) == 0) return nullptr;
  tPackedCards cards;
  for (const tTermel* card : cardsIn(box, n)) cards.add(*card);
  cards.shrink();
  return std::make_unique<tCleared>(n, std::move(cards));
}

std::unique_ptr<tUndoChange> correctionChange(CardBox* box, int n, int32_t position,
                                              const tTermel& before) {
  if (position < 0) return nullptr;
  const tTermel* card = box->firstIn(n, nullptr);
  for (int32_t i = 0; i < position && card != nullptr; ++i) card = box->nextIn(n, nullptr);
  if (card == nullptr || sameCard(*card, before)) return nullptr;
  return std::make_unique<tCorrected>(n, position, before);
}

std::unique_ptr<tUndoChange> movedToFirstChange(std::vector<tCardPlace> places) {
  if (places.empty()) return nullptr;
  return std::make_unique<tMovedToFirst>(std::move(places));
}

std::unique_ptr<tUndoChange> differenceChange(CardBox* box, const tBoxSnapshot& before) {
  tAfter after;
  for (int k = 0; k < CardBox::kCompartments; ++k) after[k] = cardsIn(box, k + 1);
  auto change = std::make_unique<tDifference>(before, after);
  if (change->unchanged() && box->arrangement() == before.arrangement) return nullptr;
  return change;
}
