#include "box/import_index.h"

#include "box/card_box.h"

namespace {

// FNV-1a over one NUL-terminated text, continuing from h.
uint64_t hashText(uint64_t h, const char* text) {
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
    h = (h ^ *p) * 0x100000001B3ull;
  }
  return h;
}

size_t tableSizeFor(size_t entries) {
  size_t size = 16;
  while (size < entries * 2) size *= 2;
  return size;
}

}  // namespace

tImportIndex::tImportIndex(CardBox& box, size_t expected) {
  slots_.assign(tableSizeFor(static_cast<size_t>(box.totalCount()) + expected), Slot{0, nullptr});
  for (int n = 1; n <= box.compartmentCount(); ++n) {
    for (tTermel* c = box.firstIn(n, nullptr); c != nullptr; c = box.nextIn(n, nullptr)) {
      insert(c);
    }
  }
}

uint64_t tImportIndex::hashOf(const tTermel& card) {
  // A separator byte between the texts, so ("ab", "c") and ("a", "bc") usually
  // hash apart; equal hashes are compared in full anyway.
  const uint64_t h = hashText(0xCBF29CE484222325ull, card.front);
  return hashText((h ^ 0xFF) * 0x100000001B3ull, card.back);
}

bool tImportIndex::contains(const tTermel& card) const {
  const uint64_t hash = hashOf(card);
  const size_t mask = slots_.size() - 1;
  for (size_t i = hash & mask; slots_[i].record != nullptr; i = (i + 1) & mask) {
    if (slots_[i].hash == hash && slots_[i].record->matchesBoth(card)) return true;
  }
  return false;
}

void tImportIndex::insert(const tTermel* record) {
  if ((used_ + 1) * 2 > slots_.size()) grow();
  place(hashOf(*record), record);
  ++used_;
}

void tImportIndex::place(uint64_t hash, const tTermel* record) {
  const size_t mask = slots_.size() - 1;
  size_t i = hash & mask;
  while (slots_[i].record != nullptr) i = (i + 1) & mask;
  slots_[i] = Slot{hash, record};
}

void tImportIndex::grow() {
  std::vector<Slot> old(slots_.size() * 2, Slot{0, nullptr});
  old.swap(slots_);
  for (const Slot& slot : old) {
    if (slot.record != nullptr) place(slot.hash, slot.record);
  }
}
