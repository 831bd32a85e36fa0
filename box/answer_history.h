// tAnswerHistory: the last answers of a drill and the cards deleted since, so they can
// be taken back one after the other. Each answer goes through the history, which remembers where
// the card came from, where it went and the card as it was before; taking the answer back puts that
// card again at the head of its compartment, as the card to ask.
//
// A deleted card goes back to the compartment and place it was deleted from.
//
// The history only knows the answers and deletions. Whoever changes the box in any other way
// must either clear() it or keep that change where it can be taken back first, exactly
// (tUndoStack); moveEmptyToEnd is the exception, its exchanges of lists are undone
// along with the answer. A take-back that no longer fits the box is
// refused and clears the history. The box must outlive the history.
#ifndef TERMEL_BOX_ANSWER_HISTORY_H_
#define TERMEL_BOX_ANSWER_HISTORY_H_

#include <cstddef>
#include <cstdint>
#include <deque>

#include "box/card_box.h"
#include "box/termel.h"

class tAnswerHistory {
 public:
  static constexpr size_t kDepth = 30;

  // depth: how many answers and deletions are kept, about 300 bytes each.
  explicit tAnswerHistory(CardBox* box, size_t depth = kDepth) : box_(box), depth_(depth) {}
  tAnswerHistory(const tAnswerHistory&) = delete;
  tAnswerHistory& operator=(const tAnswerHistory&) = delete;

  // CardBox::answerKnown / answerUnknown on the card being asked, remembered; the
  // oldest answer is forgotten beyond the depth. Without a card nothing is remembered.
  int16_t answerKnown();
  int16_t answerUnknown();

  // Deletes the stored card from compartment n, remembered; false (nothing deleted or
  // remembered) when the card is not there.
  bool deleteCard(const tTermel* card, int n);

  // Takes back the last answer or deletion. An answer: the box is as it was before it, the card is
  // again at the head of the compartment it was asked from and that compartment is the one asked.
  // Returns the card (in the box) and sets *compartment (when given) to its number, like
  // CardBox::chooseNext; none when there is nothing to take back or the box was changed behind the
  // history's back (then it is cleared). A deletion: the card is back where it was; returns it and
  // its compartment, but the compartment asked stays as it was.
  tTermel* takeBack(int16_t* compartment = nullptr);
  // Whether takeBack() would take back a deletion rather than an answer.
  bool nextIsDeletion() const { return !entries_.empty() && entries_.back().deletion; }
  // The compartment the card that takeBack() would take back is in now (as numbered
  // when it got there); 0 when there is nothing to take back.
  int16_t nextFrom() const { return entries_.empty() ? 0 : entries_.back().to; }

  bool canTakeBack() const { return !entries_.empty(); }
  size_t size() const { return entries_.size(); }
  void clear();

  // Every entry remembered gets the next serial number, from 1. serial() is the last
  // one handed out; newest() that of the entry takeBack() would take back (0: none);
  // forgotten() the newest serial that is gone without being taken back (dropped
  // beyond the depth or cleared), so a change made at serial s can still be taken back
  // exactly while forgotten() <= s.
  uint64_t serial() const { return serial_; }
  uint64_t newest() const { return entries_.empty() ? 0 : entries_.back().serial; }
  uint64_t forgotten() const { return forgotten_; }

 private:
  struct Entry {
    int16_t from;  // compartment numbers, in the arrangement below
    int16_t to;
    CardBox::tArrangement arrangement;
    tTermel before;  // the card as it was asked
    tTermel after;   // the card as the answer left it, at the end of to
    bool deletion;   // before was deleted from compartment from, at position
    int32_t position;
    uint64_t serial = 0;
  };

  template <typename Answer>
  int16_t record(Answer answer);
  bool stillFits(const Entry& entry) const;
  void remember(const Entry& entry);
  tTermel* restore(const Entry& entry);

  CardBox* box_;
  size_t depth_;
  std::deque<Entry> entries_;
  uint64_t serial_ = 0;
  uint64_t forgotten_ = 0;
};

#endif  // TERMEL_BOX_ANSWER_HISTORY_H_
