// tImportIndex: the cards of the box by their two texts, so an import can tell in
// constant time whether a card with equal front and equal back text is present.
// It refers to the stored records: built once per import from a box and kept up to
// date by importLine, it is valid only while nothing else changes that box.
#ifndef TERMEL_WORDLISTS_IMPORT_INDEX_H_
#define TERMEL_WORDLISTS_IMPORT_INDEX_H_

#include <cstddef>
#include <cstdint>
#include <vector>

#include "box/termel.h"

class CardBox;

class tImportIndex {
 public:
  // Sized for the cards of box; it grows with the cards inserted, so an import
  // that adds few cards costs little however long its file.
  explicit tImportIndex(CardBox& box);
  static uint64_t hashOf(const tTermel& card);
  // The same for the texts of a card not yet made, with their lengths (no NUL inside).
  static uint64_t hashOf(const char* front, size_t frontSize, const char* back, size_t backSize);
  // Same matching as CardBox::findBoth: exact bytes of both texts. hash is
  // hashOf(card).
  bool contains(const tTermel& card) const { return contains(card, hashOf(card)); }
  bool contains(const tTermel& card, uint64_t hash) const;
  // record must stay in the box for as long as the index is used.
  void insert(const tTermel* record) { insert(record, hashOf(*record)); }
  void insert(const tTermel* record, uint64_t hash);
  // Starts fetching the slot a later contains() with this hash will look at first:
  // on a large box the table is far bigger than the caches.
  void prefetch(uint64_t hash) const;

 private:
  struct Slot {
    uint64_t hash;
    const tTermel* record;  // nullptr: free
  };

  void grow();
  void place(uint64_t hash, const tTermel* record);

  // Open addressing with linear probing: one cache line per lookup in the usual case.
  std::vector<Slot> slots_;
  size_t used_ = 0;
};

#endif  // TERMEL_WORDLISTS_IMPORT_INDEX_H_
