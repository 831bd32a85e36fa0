// Feeds arbitrary bytes to the merge as three versions of a box (the ancestor, ours
// and theirs, cards of arbitrary texts, compartments and counters) and as a file
// name beside a box. Whatever they hold, the merge must neither crash nor read
// outside a buffer, every card must come out at most once and from one of the two
// versions, merging a version with itself must change nothing, and either direction
// must give the same cards.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "kartei/box_merge.h"
#include "kartei/conflict_copies.h"

namespace {

void check(bool condition) {
  if (!condition) std::abort();
}

// Reads cards from the input: a byte for the compartment (1 to 7), one per counter,
// then two texts of up to four bytes from a small alphabet, so texts repeat.
class tReader {
 public:
  tReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool done() const { return at_ >= size_; }
  uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }
  std::string text() {
    std::string t(byte() % 5, ' ');
    for (char& c : t) c = "ab\x84\x93\xDF"[byte() % 5];
    return t;
  }
  tPlacedCards cards(int count) {
    tPlacedCards list;
    for (int i = 0; i < count && !done(); ++i) {
      const int compartment = 1 + byte() % 7;
      const int known = byte() % 4, unknown = byte() % 4;
      const std::string front = text(), back = text();
      tPlacedCard card{makeCard(front.c_str(), back.c_str()), compartment};
      card.card.timesKnown = known;
      card.card.timesUnknown = unknown;
      // A box holds each card once.
      const bool twice = std::any_of(list.begin(), list.end(), [&](const tPlacedCard& c) {
        return c.card.matchesBoth(card.card);
      });
      if (!twice) list.push_back(card);
    }
    std::stable_sort(list.begin(), list.end(), [](const tPlacedCard& a, const tPlacedCard& b) {
      return a.compartment < b.compartment;
    });
    return list;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
};

std::vector<std::string> described(const tPlacedCards& cards) {
  std::vector<std::string> lines;
  for (const tPlacedCard& c : cards) {
    lines.push_back(std::string(c.card.front) + '\0' + c.card.back + '\0' +
                    std::to_string(c.compartment) + ' ' + std::to_string(c.card.timesKnown) + ' ' +
                    std::to_string(c.card.timesUnknown));
  }
  return lines;
}

bool holds(const tPlacedCards& cards, const tTermel& card) {
  return std::any_of(cards.begin(), cards.end(),
                     [&](const tPlacedCard& c) { return c.card.matchesBoth(card); });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The input as a file name beside the box "box.trm".
  isConflictCopyName(std::string(reinterpret_cast<const char*>(data), size), "box.trm");

  tReader reader(data, size);
  const bool withAncestor = reader.byte() % 2 == 0;
  const tPlacedCards ancestor = reader.cards(reader.byte() % 12);
  const tPlacedCards ours = reader.cards(reader.byte() % 12);
  const tPlacedCards theirs = reader.cards(reader.byte() % 12);
  const tPlacedCards* base = withAncestor ? &ancestor : nullptr;

  const tPlacedCards merged = mergeCardLists(ours, theirs, base, nullptr);
  for (size_t i = 0; i < merged.size(); ++i) {
    check(merged[i].compartment >= 1 && merged[i].compartment <= 7);
    check(i == 0 || merged[i - 1].compartment <= merged[i].compartment);
    check(holds(ours, merged[i].card) || holds(theirs, merged[i].card));
    for (size_t j = 0; j < i; ++j) check(!merged[j].card.matchesBoth(merged[i].card));
  }
  check(described(mergeCardLists(ours, ours, base, nullptr)) == described(ours));
  std::vector<std::string> ab = described(merged);
  std::vector<std::string> ba = described(mergeCardLists(theirs, ours, base, nullptr));
  std::sort(ab.begin(), ab.end());
  std::sort(ba.begin(), ba.end());
  check(ab == ba);
  return 0;
}
