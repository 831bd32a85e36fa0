#include "box/answer_history.h"

namespace {

bool sameCard(const tTermel& a, const tTermel& b) {
  return a.matchesBoth(b) && a.timesKnown == b.timesKnown && a.timesUnknown == b.timesUnknown;
}

}  // namespace

int16_t tAnswerHistory::answerKnown() {
  return record([this] { return box_->answerKnown(); });
}

int16_t tAnswerHistory::answerUnknown() {
  return record([this] { return box_->answerUnknown(); });
}

template <typename Answer>
int16_t tAnswerHistory::record(Answer answer) {
  Entry entry;
  entry.deletion = false;
  entry.position = 0;
  entry.from = static_cast<int16_t>(box_->current() + 1);
  entry.arrangement = box_->arrangement();
  if (box_->firstIn(entry.from, &entry.before) == nullptr) return answer();
  entry.to = answer();
  const tTermel* moved = box_->lastIn(entry.to);
  if (entry.to == 0 || moved == nullptr) return entry.to;
  entry.after = *moved;
  remember(entry);
  return entry.to;
}

void tAnswerHistory::remember(const Entry& entry) {
  if (!entries_.empty() && entries_.size() >= depth_) {
    forgotten_ = entries_.front().serial;
    entries_.pop_front();
  }
  entries_.push_back(entry);
  entries_.back().serial = ++serial_;
}

// A serial of its own, so a change kept just before the clear counts as forgotten too.
void tAnswerHistory::clear() {
  entries_.clear();
  forgotten_ = ++serial_;
}

bool tAnswerHistory::deleteCard(const tTermel* card, int n) {
  Entry entry;
  entry.position = box_->positionOf(card, n);
  if (entry.position < 0) return false;
  entry.deletion = true;
  entry.from = entry.to = static_cast<int16_t>(n);
  entry.arrangement = box_->arrangement();
  entry.before = *card;
  if (!box_->removeCard(card, n)) return false;
  remember(entry);
  return true;
}

// A deleted card goes back under the arrangement of its deletion; a place beyond the
// end of its compartment means the box was changed behind the history's back.
tTermel* tAnswerHistory::restore(const Entry& entry) {
  const CardBox::tArrangement now = box_->arrangement();
  box_->rearrange(entry.arrangement);
  if (entry.position > box_->countIn(entry.from)) {
    box_->rearrange(now);
    clear();
    return nullptr;
  }
  return box_->insertCard(entry.before, entry.from, entry.position);
}

// The lists may have been exchanged since (moveEmptyToEnd), but under the arrangement
// of the answer the card it moved must still be the last one of its compartment.
bool tAnswerHistory::stillFits(const Entry& entry) const {
  const tTermel* last = box_->lastIn(entry.to);
  return last != nullptr && sameCard(*last, entry.after);
}

tTermel* tAnswerHistory::takeBack(int16_t* compartment) {
  if (entries_.empty()) return nullptr;
  const Entry entry = entries_.back();
  entries_.pop_back();
  if (entry.deletion) {
    tTermel* card = restore(entry);
    if (card != nullptr && compartment != nullptr) *compartment = entry.from;
    return card;
  }
  const CardBox::tArrangement now = box_->arrangement();
  box_->rearrange(entry.arrangement);
  if (!stillFits(entry) || !box_->takeBackAnswer(entry.from, entry.to, entry.before)) {
    box_->rearrange(now);
    clear();
    return nullptr;
  }
  if (compartment != nullptr) *compartment = entry.from;
  return box_->firstIn(entry.from, nullptr);
}
