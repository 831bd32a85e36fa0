#include "kartei/box_merge.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string_view>
#include <unordered_map>

#include "box/card_box.h"

namespace {

size_t hashOf(const tTermel& card) {
  const size_t a = std::hash<std::string_view>()(card.front);
  return a ^
         (std::hash<std::string_view>()(card.back) + 0x9e3779b97f4a7c15ULL + (a << 6) + (a >> 2));
}

// Where each card of a list stands, by its texts: an open-addressing table of
// positions in the list, each with its card's hash, so finding a card among 200,000
// touches little memory and indexing allocates nothing per card. Of cards with the
// same texts the first counts.
class tCardIndex {
 public:
  explicit tCardIndex(const tPlacedCards* cards) : cards_(cards) {
    if (cards == nullptr) return;
    size_t capacity = 16;
    while (capacity < 2 * cards->size()) capacity *= 2;
    slots_.assign(capacity, tSlot{0, kEmpty});
    mask_ = capacity - 1;
    for (size_t i = 0; i < cards->size(); ++i) {
      const tTermel& card = (*cards)[i].card;
      const size_t hash = hashOf(card);
      size_t at = probe(card, hash);
      if (slots_[at].index == kEmpty)
        slots_[at] = {static_cast<uint32_t>(hash), static_cast<uint32_t>(i)};
    }
  }
  // The card with the same texts as card, or none.
  const tPlacedCard* find(const tTermel& card) const {
    const long index = indexOf(card);
    return index < 0 ? nullptr : &(*cards_)[index];
  }
  long indexOf(const tTermel& card) const {
    if (slots_.empty()) return -1;
    const uint32_t index = slots_[probe(card, hashOf(card))].index;
    return index == kEmpty ? -1 : static_cast<long>(index);
  }

 private:
  static constexpr uint32_t kEmpty = UINT32_MAX;
  struct tSlot {
    uint32_t hash;
    uint32_t index;
  };

  // The slot that holds card, or the empty one where it would go.
  size_t probe(const tTermel& card, size_t hash) const {
    for (size_t at = hash & mask_;; at = (at + 1) & mask_) {
      const tSlot& slot = slots_[at];
      if (slot.index == kEmpty) return at;
      if (slot.hash == static_cast<uint32_t>(hash) &&
          (*cards_)[slot.index].card.matchesBoth(card)) {
        return at;
      }
    }
  }

  const tPlacedCards* cards_;
  std::vector<tSlot> slots_;
  size_t mask_ = 0;
};

bool sameState(const tPlacedCard& a, const tPlacedCard& b) {
  return a.compartment == b.compartment && a.card.timesKnown == b.card.timesKnown &&
         a.card.timesUnknown == b.card.timesUnknown;
}

long long answers(const tPlacedCard& c) {
  return static_cast<long long>(c.card.timesKnown) + c.card.timesUnknown;
}

// Two versions of one card (texts of a), changed apart: the compartment of the one with
// more answers, each counter the larger. With as many answers on both, a side that
// kept the ancestor's state gives way to the other; else the lower compartment, which
// asks the card sooner. Symmetric, so merging either way round gives the same card.
tPlacedCard combine(const tPlacedCard& a, const tPlacedCard& b, const tPlacedCard* ancestor) {
  const tPlacedCard* winner = &a;
  if (answers(b) != answers(a)) {
    winner = answers(b) > answers(a) ? &b : &a;
  } else if (ancestor != nullptr && sameState(a, *ancestor) != sameState(b, *ancestor)) {
    winner = sameState(a, *ancestor) ? &b : &a;
  } else if (b.compartment < a.compartment) {
    winner = &b;
  }
  tPlacedCard result = a;
  result.compartment = winner->compartment;
  result.card.timesKnown = std::max(a.card.timesKnown, b.card.timesKnown);
  result.card.timesUnknown = std::max(a.card.timesUnknown, b.card.timesUnknown);
  return result;
}

std::string quoted(const tTermel& card) {
  // „front = back“ in code page 1252.
  return std::string("\x84") + card.front + " = " + card.back + "\x93";
}

std::string learnedConflict(const tTermel& card) {
  return quoted(card) + ": auf einem Rechner gel\xF6scht, auf dem anderen gelernt \x96 behalten";
}

std::string correction(const tTermel& before, const tTermel& after, bool bothKept) {
  return quoted(before) + " korrigiert zu " + quoted(after) + (bothKept ? " (beide behalten)" : "");
}

// Cards only one side has and the ancestor has not: candidates for the new text of a
// correction, found by either text.
class tNewCards {
 public:
  void add(const tPlacedCard* card, size_t index) {
    entries_.push_back({card, index, false});
    byFront_.emplace(card->card.front, entries_.size() - 1);
    byBack_.emplace(card->card.back, entries_.size() - 1);
  }
  // A card not yet paired that differs from old in exactly one text and stands where
  // old stood with old's counters; its index, or -1.
  long pairWith(const tPlacedCard& old) {
    long found = search(byFront_, old.card.front, old);
    if (found < 0) found = search(byBack_, old.card.back, old);
    return found;
  }

 private:
  struct tEntry {
    const tPlacedCard* card;
    size_t index;
    bool paired;
  };
  using tByText = std::unordered_multimap<std::string_view, size_t>;

  long search(const tByText& byText, std::string_view text, const tPlacedCard& old) {
    const auto range = byText.equal_range(text);
    for (auto it = range.first; it != range.second; ++it) {
      tEntry& entry = entries_[it->second];
      if (entry.paired || !sameState(*entry.card, old)) continue;
      const bool frontSame = std::strcmp(entry.card->card.front, old.card.front) == 0;
      const bool backSame = std::strcmp(entry.card->card.back, old.card.back) == 0;
      if (frontSame == backSame) continue;
      entry.paired = true;
      return static_cast<long>(entry.index);
    }
    return -1;
  }

  std::vector<tEntry> entries_;
  tByText byFront_, byBack_;
};

constexpr int kNone = 0;  // compartment of a slot that puts no card into the result

// The merge of one pair of lists. Every card of ours gets a slot for what it puts into
// the result, and so does every card of theirs; a card of ours whose compartment comes
// from theirs is put into the slot of theirs' version, so it follows theirs' order.
class tMerge {
 public:
  tMerge(const tPlacedCards& ours, const tPlacedCards& theirs, const tPlacedCards* ancestor,
         tMergeSummary* summary)
      : ours_(ours),
        theirs_(theirs),
        ancestor_(ancestor),
        ourIndex_(&ours),
        theirIndex_(&theirs),
        ancestorIndex_(ancestor),
        summary_(summary),
        ourSlots_(ours.size()),
        theirSlots_(theirs.size()),
        ourSeen_(ours.size()),
        theirSeen_(theirs.size()) {
    for (auto& slot : ourSlots_) slot.compartment = kNone;
    for (auto& slot : theirSlots_) slot.compartment = kNone;
  }

  tPlacedCards run() {
    mergeShared();
    mergeCorrections(ours_, &ourSeen_, theirs_, &theirSeen_, theirIndex_, &tMerge::foldIntoTheirs);
    mergeCorrections(theirs_, &theirSeen_, ours_, &ourSeen_, ourIndex_, &tMerge::foldIntoOurs);
    mergeOneSided();
    return collect();
  }

 private:
  // Cards both sides have.
  void mergeShared() {
    for (size_t i = 0; i < ours_.size(); ++i) {
      const tPlacedCard& mine = ours_[i];
      const long j = theirIndex_.indexOf(mine.card);
      if (j < 0) continue;
      const tPlacedCard& other = theirs_[j];
      ourSeen_[i] = true;
      theirSeen_[j] = true;
      if (sameState(mine, other)) {
        ourSlots_[i] = mine;
        continue;
      }
      place(i, j, combine(mine, other, ancestorIndex_.find(mine.card)));
    }
  }

  // The result for ours[i]: in its own slot when it stays in its compartment, else in
  // the slot of theirs[j].
  void place(size_t i, long j, const tPlacedCard& result) {
    const tPlacedCard& mine = ours_[i];
    if (!sameState(result, mine)) ++summary_->progress;
    if (result.compartment == mine.compartment || j < 0) {
      ourSlots_[i] = result;
    } else {
      theirSlots_[j] = result;
    }
  }

  // Corrections made on the side "made": its new card (not in the ancestor) and the old
  // card it replaced (in the ancestor, gone from made, still on the other side).
  using tFold = void (tMerge::*)(size_t madeIndex, const tPlacedCard& old, long otherIndex);
  void mergeCorrections(const tPlacedCards& other, std::vector<bool>* otherSeenList,
                        const tPlacedCards& made, std::vector<bool>* madeSeenList,
                        const tCardIndex& madeIndex, tFold fold) {
    if (ancestor_ == nullptr) return;
    std::vector<bool>& otherSeen = *otherSeenList;
    std::vector<bool>& madeSeen = *madeSeenList;
    tNewCards fresh;
    for (size_t k = 0; k < made.size(); ++k) {
      if (!madeSeen[k] && ancestorIndex_.find(made[k].card) == nullptr) fresh.add(&made[k], k);
    }
    for (size_t k = 0; k < other.size(); ++k) {
      if (otherSeen[k] || madeIndex.find(other[k].card) != nullptr) continue;
      const tPlacedCard* old = ancestorIndex_.find(other[k].card);
      if (old == nullptr) continue;
      const long pair = fresh.pairWith(*old);
      if (pair < 0) continue;
      otherSeen[k] = true;
      madeSeen[pair] = true;
      summary_->conflicts.push_back(correction(old->card, made[pair].card, false));
      (this->*fold)(pair, other[k], static_cast<long>(k));
    }
  }

  // A correction made in ours: the corrected card takes what theirs learned on the old.
  void foldIntoOurs(size_t i, const tPlacedCard& old, long j) {
    place(i, j, combine(ours_[i], retexted(old, ours_[i]), ancestorIndex_.find(old.card)));
  }
  // A correction made in theirs: the corrected card comes in with what ours learned.
  void foldIntoTheirs(size_t j, const tPlacedCard& old, long) {
    ++summary_->taken;
    theirSlots_[j] = combine(theirs_[j], retexted(old, theirs_[j]), ancestorIndex_.find(old.card));
  }
  static tPlacedCard retexted(const tPlacedCard& state, const tPlacedCard& texts) {
    tPlacedCard result = state;
    result.card.set(texts.card.front, texts.card.back);
    return result;
  }

  // Cards only one side has, not part of a correction.
  void mergeOneSided() {
    for (size_t i = 0; i < ours_.size(); ++i) {
      if (!ourSeen_[i] && keepOneSided(ours_[i])) ourSlots_[i] = ours_[i];
    }
    for (size_t j = 0; j < theirs_.size(); ++j) {
      if (theirSeen_[j] || !keepOneSided(theirs_[j])) continue;
      theirSlots_[j] = theirs_[j];
      ++summary_->taken;
    }
    if (ancestor_ == nullptr) reportUnpairedCorrections();
  }

  // A card one side lacks: added on the side that has it, or deleted on the other.
  bool keepOneSided(const tPlacedCard& card) {
    const tPlacedCard* before = ancestorIndex_.find(card.card);
    if (before == nullptr) return true;
    if (sameState(card, *before)) {
      ++summary_->deleted;
      return false;
    }
    summary_->conflicts.push_back(learnedConflict(card.card));
    return true;
  }

  // Without an ancestor either card of a correction may be the old one: both stay,
  // and the pair is reported.
  void reportUnpairedCorrections() {
    tNewCards fresh;
    for (size_t j = 0; j < theirs_.size(); ++j) {
      if (!theirSeen_[j]) fresh.add(&theirs_[j], j);
    }
    for (size_t i = 0; i < ours_.size(); ++i) {
      if (ourSeen_[i]) continue;
      const long j = fresh.pairWith(ours_[i]);
      if (j >= 0) summary_->conflicts.push_back(correction(ours_[i].card, theirs_[j].card, true));
    }
  }

  tPlacedCards collect() const {
    std::vector<tPlacedCards> byCompartment(CardBox::kCompartments + 1);
    for (const std::vector<tPlacedCard>* slots : {&ourSlots_, &theirSlots_}) {
      for (const tPlacedCard& slot : *slots) {
        if (slot.compartment >= 1 && slot.compartment <= CardBox::kCompartments) {
          byCompartment[slot.compartment].push_back(slot);
        }
      }
    }
    tPlacedCards result;
    result.reserve(ours_.size() + theirs_.size());
    for (const tPlacedCards& cards : byCompartment)
      result.insert(result.end(), cards.begin(), cards.end());
    return result;
  }

  const tPlacedCards& ours_;
  const tPlacedCards& theirs_;
  const tPlacedCards* ancestor_;
  tCardIndex ourIndex_, theirIndex_, ancestorIndex_;
  tMergeSummary* summary_;
  std::vector<tPlacedCard> ourSlots_, theirSlots_;
  std::vector<bool> ourSeen_, theirSeen_;
};

}  // namespace

std::string tMergeSummary::text() const {
  char line[160];
  std::snprintf(line, sizeof line,
                "%d \xFC"
                "bernommen, %d Fortschritte zusammengef\xFChrt, %d gel\xF6scht, %d Konflikte",
                taken, progress, deleted, static_cast<int>(conflicts.size()));
  return line;
}

tPlacedCards mergeCardLists(const tPlacedCards& ours, const tPlacedCards& theirs,
                            const tPlacedCards* ancestor, tMergeSummary* summary) {
  tMergeSummary local;
  return tMerge(ours, theirs, ancestor, summary != nullptr ? summary : &local).run();
}

tPlacedCards cardsOf(CardBox& box) {
  tPlacedCards cards;
  cards.reserve(box.totalCount());
  tTermel card;
  for (int n = box.firstCard(&card); n != 0; n = box.nextCard(&card)) cards.push_back({card, n});
  return cards;
}

void fillBox(CardBox& box, const tPlacedCards& cards) {
  box.clearAll();
  for (const tPlacedCard& placed : cards) box.addCardTo(placed.card, placed.compartment);
}
