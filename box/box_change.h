// tBoxChange and tBoxObserver: what one change of a CardBox did, told to the one
// observer a box may have right after the change, so a watcher (the recovery data)
// learns of every change without looking at the whole box.
//
// A change that none of the kinds describes is told as kOther, the default: the
// watcher then takes the whole box again. A new mutating member that has nothing
// finer to say calls notify(tBoxChange{}).
#ifndef TERMEL_BOX_BOX_CHANGE_H_
#define TERMEL_BOX_BOX_CHANGE_H_

#include <cstdint>

#include "box/termel.h"

struct tBoxChange {
  enum class tKind : uint8_t {
    kOther,       // anything else: the whole box must be taken again
    kAppend,      // card put at the end of compartment `to`
    kInsert,      // card put into compartment `to` at position
    kRemove,      // the card at position of compartment `from` taken out
    kMoveHead,    // the head of `from` taken out and card put at the end of `to`
    kCorrect,     // the card at position of compartment `from` now reads as card
    kSwap,        // compartments `from` and `to` exchanged their cards
    kClear,       // compartment `from` emptied
    kAllToFirst,  // every compartment's cards appended to compartment 1, in order
  };
  tKind kind = tKind::kOther;
  int16_t from = 0;  // compartment numbers count from 1
  int16_t to = 0;
  int32_t position = 0;           // 0 is the head
  const tTermel* card = nullptr;  // valid during the call only
};

class tBoxObserver {
 public:
  virtual ~tBoxObserver() = default;
  virtual void boxChanged(const tBoxChange& change) = 0;
};

#endif  // TERMEL_BOX_BOX_CHANGE_H_
