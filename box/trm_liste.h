// tTrmListe: the ordered cards of one compartment. The head is the card asked next;
// cards enter at the end. The list owns its card records. A reference handed out
// stays valid until that record is removed (moving a card between lists frees it).
#ifndef TERMEL_BOX_TRM_LISTE_H_
#define TERMEL_BOX_TRM_LISTE_H_

#include <cstdint>

#include "box/termel.h"

class tTrmListe {
 public:
  tTrmListe();
  ~tTrmListe();
  tTrmListe(const tTrmListe&) = delete;
  tTrmListe& operator=(const tTrmListe&) = delete;
  // Exchanges the whole contents of two lists in constant time.
  void swap(tTrmListe& other);

  void append(const tTermel* card);
  tTermel* head() const;
  void removeHead();
  bool remove(const tTermel* card);
  tTermel* rotate();
  tTermel* first();
  tTermel* next();
  int32_t count() const { return count_; }
  // Uniform random order in linear time; keeps every card and its counters.
  void shuffle();
  tTermel* findEither(const tTermel& card) const;
  tTermel* findBoth(const tTermel& card) const;
  void clear();

 private:
  struct Node;
  Node* firstNode_;
  Node* lastNode_;
  int32_t count_;
  Node* cursorNode_;
  int32_t cursorIndex_;
};

#endif  // TERMEL_BOX_TRM_LISTE_H_
