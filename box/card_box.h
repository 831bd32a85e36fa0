// CardBox: the card box in memory, six learning compartments and the archive
// (compartment 7), with the learning rules and every operation that rearranges it.
// Compartment numbers count from 1; other numbers are refused as each operation says.
// The one instance is theCardBox, alive for the whole run.
#ifndef TERMEL_BOX_CARD_BOX_H_
#define TERMEL_BOX_CARD_BOX_H_

#include <array>
#include <cstdint>
#include <vector>

#include "box/box_change.h"
#include "box/termel.h"
#include "box/trm_liste.h"

class CardBox {
 public:
  static constexpr int kListCount = 25;
  static constexpr int16_t kCompartments = 7;

  CardBox();
  CardBox(const CardBox&) = delete;
  CardBox& operator=(const CardBox&) = delete;

  int16_t compartmentCount() const { return compartmentCount_; }
  void addCard(const tTermel& card);
  bool addCardTo(const tTermel& card, int n);
  // Chooses the compartment to ask from; *compartment (when given) gets its number.
  tTermel* chooseNext(int16_t* compartment = nullptr);
  // The answers return the number of the compartment the card went to (the same one
  // when it only moved to the end of its own), or 0 when there was no card.
  int16_t answerKnown();
  int16_t answerUnknown();
  // Undoes an answer that moved a card from compartment from to compartment to: the
  // card at the end of to is taken out and before (the card as it was before the
  // answer) is put back at the head of from, which becomes the compartment asked.
  // Refused (false, nothing changed) when a number is out of range or to is empty;
  // the caller makes sure that the end of to is that card.
  bool takeBackAnswer(int from, int to, const tTermel& before);
  // Which list each compartment holds. moveEmptyToEnd exchanges whole lists, so an
  // answer given before it must be taken back with the lists where they were then.
  using tArrangement = std::array<int8_t, kCompartments>;
  const tArrangement& arrangement() const { return arrangement_; }
  // Exchanges whole lists until the compartments hold them as in arrangement, an
  // earlier result of arrangement().
  void rearrange(const tArrangement& arrangement);
  tTermel* deleteCurrent(int16_t* compartment);
  bool removeCard(const tTermel* card, int n);
  // Where the stored card stands in compartment n, 0 for the head; -1 when it is not
  // there or n is out of range.
  int32_t positionOf(const tTermel* card, int n) const;
  // Puts card into compartment n at position (0 is the head, beyond the end appends);
  // returns the stored card, none when n is out of range.
  tTermel* insertCard(const tTermel& card, int n, int32_t position);
  void clearCompartment(int n);
  void clearAll();
  void allToFirst();
  // The order each compartment was dealt in by shuffle (index: compartment - 1), as
  // tTrmListe::reorder takes it; empty for a compartment whose order stayed.
  using tOrders = std::array<std::vector<int32_t>, kCompartments>;
  // Shuffles compartment n, or every compartment for 0; *dealt (when given) gets the
  // orders dealt.
  void shuffle(int n, tOrders* dealt = nullptr);
  // Deals compartment n anew as tTrmListe::reorder does; false when n is out of range
  // or order does not have one entry per card.
  bool reorder(int n, const std::vector<int32_t>& order);
  // Moves the cards of compartment from after its first keep to the end of
  // compartment to; false (nothing moved) when a number is out of range, they are the
  // same or from holds fewer than keep cards.
  bool moveTail(int from, int32_t keep, int to);
  // Removes the cards of compartment n after its first keep; false as moveTail.
  bool cutTo(int n, int32_t keep);
  bool moveEmptyToEnd();
  int32_t countIn(int n) const;
  int32_t totalCount() const;
  tTermel* firstIn(int n, tTermel* buffer);
  tTermel* nextIn(int n, tTermel* buffer);
  // The card at the end of compartment n (the one added last), or none.
  tTermel* lastIn(int n) const;
  // Calls visit(card, n) for every card, compartment by compartment from 1, each
  // compartment head first: the order firstCard and nextCard give, without copies.
  template <typename Visit>
  void forEachCard(Visit visit) const {
    for (int n = 1; n <= compartmentCount_; ++n) {
      lists_[n - 1].forEach([&visit, n](const tTermel& card) { visit(card, n); });
    }
  }
  int firstCard(tTermel* buffer);
  int nextCard(tTermel* buffer);
  tTermel* findEither(const tTermel& card) const;
  tTermel* findBoth(const tTermel& card) const;
  // 0-based index of the compartment being asked.
  int16_t current() const { return current_; }
  int16_t capacity(int index) const { return capacity_[index]; }

  // The one observer told of every change (box/box_change.h); none with nullptr.
  void setObserver(tBoxObserver* observer) { observer_ = observer; }
  tBoxObserver* observer() const { return observer_; }
  // The caller changed the texts of a stored card through its pointer (a correction):
  // the observer is told where the card stands.
  void changedCard(const tTermel* card);
  // Puts many cards into the box, as a load does: each goes to the end of its
  // compartment as by addCardTo, but the observer is told only once, when the filling
  // ends, that the whole box changed.
  class tBulkAppend {
   public:
    explicit tBulkAppend(CardBox& box) : box_(box) {}
    ~tBulkAppend() {
      if (added_) box_.notify(tBoxChange{});
    }
    tBulkAppend(const tBulkAppend&) = delete;
    tBulkAppend& operator=(const tBulkAppend&) = delete;
    // A new card at the end of compartment n, or of compartment 1 when n is out of
    // range, for the caller to fill in place.
    tTermel* add(int n) {
      added_ = true;
      return box_.lists_[box_.valid(n) ? n - 1 : 0].appendInPlace();
    }
    bool valid(int n) const { return box_.valid(n); }
    // Cards read straight into fresh memory: see tTrmListe::takeSlots. keepSlots puts
    // the cards of the first count slots, in order, each at the end of the list
    // lists[i] names, as listOf(n) names compartment n; it returns how many went to
    // compartment 1 because their compartment was out of range.
    unsigned char* takeSlots(int32_t wanted, int32_t* got) {
      return tTrmListe::takeSlots(wanted, got);
    }
    int8_t listOf(int n) const { return static_cast<int8_t>(valid(n) ? n - 1 : -1); }
    int32_t keepSlots(unsigned char* run, int32_t count, const int8_t* lists) {
      if (count > 0) added_ = true;
      return tTrmListe::appendSlots(box_.lists_, run, count, lists);
    }
    void returnSlots(int32_t count) { tTrmListe::returnSlots(count); }

   private:
    CardBox& box_;
    bool added_ = false;
  };

  // Tells the observer of change, when there is one.
  void notify(const tBoxChange& change) {
    if (observer_ != nullptr) observer_->boxChanged(change);
  }

 private:
  bool valid(int n) const { return n >= 1 && n <= compartmentCount_; }
  void moveHead(int from, int to);
  void swapLists(int i, int j);
  void resetArrangement();
  int firstFrom(tTermel* buffer);
  tTermel* findInAll(tTermel* (tTrmListe::*find)(const tTermel&) const, const tTermel& card) const;

  tTrmListe lists_[kListCount];
  int16_t capacity_[kListCount];
  tArrangement arrangement_;
  int16_t current_;
  int16_t compartmentCount_;
  int32_t iterCompartment_;
  tBoxObserver* observer_ = nullptr;
};

extern CardBox theCardBox;

#endif  // TERMEL_BOX_CARD_BOX_H_
