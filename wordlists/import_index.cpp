#include "wordlists/import_index.h"

#include <algorithm>
#include <cstring>

#include "box/card_box.h"

namespace {

constexpr uint64_t kMultiplier = 0x9E3779B97F4A7C15ull;

// The last n bytes of a text (n below 8) as one word. Read in at most two loads
// rather than byte by byte into memory, which would make the load of the word wait for
// the stores to drain.
uint64_t tailWord(const char* text, size_t n) {
  if (n >= 4) {
    uint32_t low, high;
    std::memcpy(&low, text, sizeof low);
    std::memcpy(&high, text + n - 4, sizeof high);  // overlaps low when n < 8
    return low | static_cast<uint64_t>(high) << 32;
  }
  if (n == 0) return 0;
  const auto byte = [text](size_t i) {
    return static_cast<uint64_t>(static_cast<uint8_t>(text[i]));
  };
  return byte(0) | byte(n / 2) << 8 | byte(n - 1) << 16;
}

// One text of n bytes, eight bytes at a time, continuing from h. The length goes in
// with the last bytes, so texts that differ only in trailing NULs hash apart.
uint64_t hashText(uint64_t h, const char* text, size_t n) {
  for (; n >= 8; n -= 8, text += 8) {
    uint64_t word;
    std::memcpy(&word, text, sizeof word);
    h = (h ^ word) * kMultiplier;
    h ^= h >> 32;
  }
  h = (h ^ tailWord(text, n) ^ (static_cast<uint64_t>(n) << 56)) * kMultiplier;
  return h ^ (h >> 32);
}

// Spreads every input bit over the low bits that pick the slot: the high half of a
// product depends on all bits of its factor. One multiplication, as every line of an
// import waits for it.
uint64_t finish(uint64_t h) {
  h *= 0xFF51AFD7ED558CCDull;
  return h ^ (h >> 32);
}

size_t tableSizeFor(size_t entries) {
  size_t size = 16;
  while (size < entries * 2) size *= 2;
  return size;
}

}  // namespace

tImportIndex::tImportIndex(CardBox& box) {
  slots_.assign(tableSizeFor(static_cast<size_t>(box.totalCount())), Slot{0, nullptr});
  for (int n = 1; n <= box.compartmentCount(); ++n) {
    for (tTermel* c = box.firstIn(n, nullptr); c != nullptr; c = box.nextIn(n, nullptr)) {
      insert(c);
    }
  }
}

uint64_t tImportIndex::hashOf(const tTermel& card) {
  return hashOf(card.front, std::strlen(card.front), card.back, std::strlen(card.back));
}

uint64_t tImportIndex::hashOf(const char* front, size_t frontSize, const char* back,
                              size_t backSize) {
  // Each text's length is part of its hash, so ("ab", "c") and ("a", "bc") usually
  // hash apart; equal hashes are compared in full anyway. The two texts are hashed
  // apart from different starts, so their chains of multiplications overlap; the
  // rotation keeps (x, y) and (y, x) apart.
  const uint64_t h = hashText(0, front, frontSize);
  const uint64_t g = hashText(kMultiplier, back, backSize);
  return finish(h ^ (g << 29 | g >> 35));
}

bool tImportIndex::contains(const tTermel& card, uint64_t hash) const {
  const size_t mask = slots_.size() - 1;
  for (size_t i = hash & mask; slots_[i].record != nullptr; i = (i + 1) & mask) {
    if (slots_[i].hash == hash && slots_[i].record->matchesBoth(card)) return true;
  }
  return false;
}

void tImportIndex::insert(const tTermel* record, uint64_t hash) {
  if ((used_ + 1) * 2 > slots_.size()) grow();
  place(hash, record);
  ++used_;
}

void tImportIndex::prefetch(uint64_t hash) const {
  __builtin_prefetch(&slots_[hash & (slots_.size() - 1)]);
}

void tImportIndex::place(uint64_t hash, const tTermel* record) {
  const size_t mask = slots_.size() - 1;
  size_t i = hash & mask;
  while (slots_[i].record != nullptr) i = (i + 1) & mask;
  slots_[i] = Slot{hash, record};
}

void tImportIndex::grow() {
  // Doubling would move each entry of an import into an empty box about once: a table
  // below 64k slots (1 MB) grows sixteenfold, up to that size, a larger one fourfold,
  // and past a million slots it only doubles, to keep its memory in step.
  constexpr size_t kSmall = size_t{1} << 16, kLarge = size_t{1} << 20;
  const size_t size = slots_.size();
  size_t larger = size < kLarge ? size * 4 : size * 2;
  if (larger < kSmall) larger = std::min(size * 16, kSmall);
  std::vector<Slot> old(larger);  // value-initialised: all free
  old.swap(slots_);
  for (const Slot& slot : old) {
    if (slot.record != nullptr) place(slot.hash, slot.record);
  }
}
