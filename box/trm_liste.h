// tTrmListe: the ordered cards of one compartment. The head is the card asked next;
// cards enter at the end. The list owns its card records (taken from a node pool
// shared by all lists and kept by it once freed). A reference handed out
// stays valid until that record is removed (moving a card between lists frees it).
#ifndef TERMEL_BOX_TRM_LISTE_H_
#define TERMEL_BOX_TRM_LISTE_H_

#include <cstddef>
#include <cstdint>
#include <vector>

#include "box/termel.h"

class tTrmListe {
 public:
  tTrmListe();
  ~tTrmListe();
  tTrmListe(const tTrmListe&) = delete;
  tTrmListe& operator=(const tTrmListe&) = delete;
  // Exchanges the whole contents of two lists in constant time.
  void swap(tTrmListe& other);
  // Moves every card of other to the end of this list, in order, in constant time;
  // the records are kept, so references to them stay valid.
  void appendAll(tTrmListe& other);

  // Room for a card together with the list's link. Loading writes cards straight into
  // runs of fresh slots (takeSlots), each kSlotBytes wide and starting with its tTermel.
  static constexpr size_t kSlotBytes = sizeof(tTermel) + sizeof(void*);
  // Up to wanted consecutive slots never handed out before, at least one; *got is set
  // to how many. Their bytes are unspecified. Until the run is settled with appendSlots
  // and returnSlots, no other card may be added to any list.
  static unsigned char* takeSlots(int32_t wanted, int32_t* got);
  // Puts the cards standing at the starts of the first count slots of the run taken
  // last, in order, each at the end of lists[listOf[i]], or of lists[0] where listOf[i]
  // is negative; returns how many went there that way.
  static int32_t appendSlots(tTrmListe* lists, unsigned char* run, int32_t count,
                             const int8_t* listOf);
  // Gives back the last count slots of the run taken last, which no list holds.
  static void returnSlots(int32_t count);

  void append(const tTermel* card);
  // Puts a new card at the end and returns it for the caller to fill in place; what it
  // holds until then is unspecified.
  tTermel* appendInPlace();
  // Puts a copy of card before the head, so it is the card asked next.
  void prepend(const tTermel* card);
  // Puts a copy of card at index (0 is the head; beyond the end appends) and returns
  // the stored card.
  tTermel* insertAt(int32_t index, const tTermel* card);
  // Where the stored card stands, 0 for the head; -1 when it is not in this list.
  int32_t indexOf(const tTermel* card) const;
  tTermel* head() const;
  // The last card, the one appended most recently; none when empty.
  tTermel* tail() const;
  void removeHead();
  // Searches from where the last removal left off, so removing cards in list order
  // (a run of heads, or the selected cards of a list from top to bottom) costs one step
  // each; a card elsewhere costs at most one walk round the list.
  bool remove(const tTermel* card);
  tTermel* rotate();
  tTermel* first();
  tTermel* next();
  int32_t count() const { return count_; }
  // Uniform random order in linear time; keeps every card and its counters. The
  // records are rewritten, so references taken before do not follow their cards.
  // Returns the order dealt, as reorder() takes it (empty when nothing moved).
  std::vector<int32_t> shuffle();
  // The card at position i becomes the one that stood at order[i]; ignored unless
  // order has one entry per card. Records are rewritten as by shuffle().
  void reorder(const std::vector<int32_t>& order);
  // Moves the cards after the first keep to the end of into, in order, walking only
  // the first keep cards.
  void moveTail(int32_t keep, tTrmListe* into);
  // Calls visit(card) for every card, head first.
  template <typename Visit>
  void forEach(Visit visit) const {
    const Node* node = firstNode_;
    for (int32_t i = 0; i < count_; ++i, node = node->next) visit(node->card);
  }
  tTermel* findEither(const tTermel& card) const;
  tTermel* findBoth(const tTermel& card) const;
  void clear();

 private:
  struct Node {
    tTermel card;
    Node* next;  // the ring while in a list, the free list while in the pool
  };
  class NodePool;
  void linkAtEnd(Node* node);
  void linkStretch(Node* first, Node* last, int32_t count);
  void unlink(Node* prev, Node* node);
  template <typename Match>
  tTermel* findFirst(Match match) const;

  Node* firstNode_;
  Node* lastNode_;
  int32_t count_;
  Node* cursorNode_;
  int32_t cursorIndex_;
  // The node before the one where the next search of remove() starts: the node that
  // preceded the last removed card, or null to start at the head. Always a node of
  // this list.
  Node* searchFrom_;
};

#endif  // TERMEL_BOX_TRM_LISTE_H_
