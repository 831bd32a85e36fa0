// tImportIndex: the cards of the box by their two texts, so an import can tell in
// constant time whether a card with equal front and equal back text is present.
// It refers to the stored records: built once per import from a box and kept up to
// date by importLine, it is valid only while nothing else changes that box.
#ifndef TERMEL_BOX_IMPORT_INDEX_H_
#define TERMEL_BOX_IMPORT_INDEX_H_

#include <cstddef>
#include <cstdint>
#include <vector>

#include "box/termel.h"

class CardBox;

class tImportIndex {
 public:
  // expected: how many cards are about to be added, so the table need not grow.
  explicit tImportIndex(CardBox& box, size_t expected = 0);
  // Same matching as CardBox::findBoth: exact bytes of both texts.
  bool contains(const tTermel& card) const;
  // record must stay in the box for as long as the index is used.
  void insert(const tTermel* record);

 private:
  struct Slot {
    uint64_t hash;
    const tTermel* record;  // nullptr: free
  };

  static uint64_t hashOf(const tTermel& card);
  void grow();
  void place(uint64_t hash, const tTermel* record);

  // Open addressing with linear probing: one cache line per lookup in the usual case.
  std::vector<Slot> slots_;
  size_t used_ = 0;
};

#endif  // TERMEL_BOX_IMPORT_INDEX_H_
