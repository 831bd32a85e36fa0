// tUndoChange: what one command changed in the box, kept small enough that many of them
// fit beside a box of a million cards, so the command can be taken back exactly (order,
// counters, compartments). Each kind keeps only what it needs: the number of cards per
// compartment when cards were only moved or appended as whole runs, the order dealt
// when a compartment was shuffled, the cards themselves (packed) only where they were
// removed or changed.
//
// A change is made just before or after its command, as its maker says, and undone
// on the box exactly as the command left it (tUndoStack makes sure of that).
#ifndef TERMEL_BOX_UNDO_CHANGE_H_
#define TERMEL_BOX_UNDO_CHANGE_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "box/card_box.h"
#include "box/termel.h"

class tUndoChange {
 public:
  virtual ~tUndoChange() = default;
  // Puts the box back as it was before the command; false when it cannot, and then
  // the box is as it was when undo was called.
  virtual bool undo(CardBox* box) const = 0;
  // The memory the change holds, counted against the undo budget.
  virtual size_t bytes() const = 0;
};

// Cards copied into as few bytes as their texts need: about 30 per card instead of
// the 136 of a tTermel.
class tPackedCards {
 public:
  void add(const tTermel& card);
  size_t count() const { return count_; }
  size_t bytes() const { return bytes_.capacity(); }
  // Reads the cards back in order: offset starts at 0 and moves on.
  tTermel read(size_t* offset) const;
  void shrink() { bytes_.shrink_to_fit(); }

 private:
  std::string bytes_;
  size_t count_ = 0;
};

// Every card of the box by compartment (index: compartment - 1), as a command found
// it; a passing copy from which the change is worked out, never kept.
struct tBoxSnapshot {
  std::array<std::vector<tTermel>, CardBox::kCompartments> cards;
  CardBox::tArrangement arrangement;
};
tBoxSnapshot snapshotOf(CardBox* box);

// Made before CardBox::allToFirst; none when no card would move.
std::unique_ptr<tUndoChange> allToFirstChange(CardBox* box);
// Made before cards are only appended to compartments (import, new cards).
std::unique_ptr<tUndoChange> appendChange(CardBox* box);
// Made from the orders CardBox::shuffle dealt; none when nothing moved.
std::unique_ptr<tUndoChange> shuffleChange(CardBox::tOrders orders);
// Made before compartment n is emptied; none when it is empty.
std::unique_ptr<tUndoChange> clearChange(CardBox* box, int n);
// Made after the card at position of compartment n was changed from before; none
// when it is the same.
std::unique_ptr<tUndoChange> correctionChange(CardBox* box, int n, int32_t position,
                                              const tTermel& before);
// Where a card stood before it was moved: its compartment and its position there.
struct tCardPlace {
  int16_t compartment;
  int32_t position;
};
// Made after cards were taken from places, one after the other in that order, and
// each appended to compartment 1; none when none moved.
std::unique_ptr<tUndoChange> movedToFirstChange(std::vector<tCardPlace> places);
// Made after any change from the box as it was (before): the box before, rebuilt from
// runs of cards that are still in the box and the cards that are not. None when the
// box is the same.
std::unique_ptr<tUndoChange> differenceChange(CardBox* box, const tBoxSnapshot& before);

#endif  // TERMEL_BOX_UNDO_CHANGE_H_
