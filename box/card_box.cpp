#include "box/card_box.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <utility>

CardBox theCardBox;

namespace {

// A counter read from a foreign file may already stand at the largest value; it stays
// there rather than overflow.
void countOneMore(int32_t* counter) {
  if (*counter < std::numeric_limits<int32_t>::max()) ++*counter;
}

tBoxChange change(tBoxChange::tKind kind, int from, int to, int32_t position = 0,
                  const tTermel* card = nullptr) {
  tBoxChange c;
  c.kind = kind;
  c.from = static_cast<int16_t>(from);
  c.to = static_cast<int16_t>(to);
  c.position = position;
  c.card = card;
  return c;
}

}  // namespace

CardBox::CardBox() : current_(0), compartmentCount_(kCompartments), iterCompartment_(0) {
  // Only the learning compartments' thresholds are consulted; the doubling is
  // capped so the unused entries cannot overflow.
  int32_t threshold = 10;
  for (int i = 0; i < kListCount; ++i) {
    capacity_[i] = static_cast<int16_t>(threshold);
    threshold = std::min<int32_t>(threshold * 2, std::numeric_limits<int16_t>::max());
  }
  resetArrangement();
}

void CardBox::addCard(const tTermel& card) {
  addCardTo(card, 1);
}

bool CardBox::addCardTo(const tTermel& card, int n) {
  if (!valid(n)) return false;
  lists_[n - 1].append(&card);
  notify(change(tBoxChange::tKind::kAppend, 0, n, 0, &card));
  return true;
}

tTermel* CardBox::chooseNext(int16_t* compartment) {
  const int archive = compartmentCount_ - 1;
  int chosen = -1;
  for (int k = 0; k < archive && chosen < 0; ++k) {
    if (lists_[k].count() > capacity_[k]) chosen = k;
  }
  for (int k = 0; k <= archive && chosen < 0; ++k) {
    if (lists_[k].count() > 0) chosen = k;
  }
  current_ = static_cast<int16_t>(chosen < 0 ? 0 : chosen);
  if (compartment != nullptr) *compartment = static_cast<int16_t>(current_ + 1);
  return lists_[current_].head();
}

// Moves the head card of list from to the end of list to, as a new record.
void CardBox::moveHead(int from, int to) {
  const tTermel card = *lists_[from].head();
  if (from == to) {
    lists_[from].rotate();
  } else {
    lists_[from].removeHead();
    lists_[to].append(&card);
  }
  notify(change(tBoxChange::tKind::kMoveHead, from + 1, to + 1, 0, &card));
}

int16_t CardBox::answerKnown() {
  tTrmListe& list = lists_[current_];
  tTermel* card = list.head();
  if (card == nullptr) return 0;
  if (current_ == compartmentCount_ - 1) {
    moveHead(current_, current_);
    return static_cast<int16_t>(current_ + 1);
  }
  countOneMore(&card->timesKnown);
  moveHead(current_, current_ + 1);
  ++current_;
  return static_cast<int16_t>(current_ + 1);
}

int16_t CardBox::answerUnknown() {
  tTrmListe& list = lists_[current_];
  tTermel* card = list.head();
  if (card == nullptr) return 0;
  countOneMore(&card->timesUnknown);
  moveHead(current_, 0);
  return 1;
}

// An answer either rotated a list (from == to) or moved the head of from to the end
// of to; taking the end card out and putting the old record first reverses both.
bool CardBox::takeBackAnswer(int from, int to, const tTermel& before) {
  if (!valid(from) || !valid(to) || lists_[to - 1].count() == 0) return false;
  const int32_t last = lists_[to - 1].count() - 1;
  lists_[to - 1].remove(lists_[to - 1].tail());
  notify(change(tBoxChange::tKind::kRemove, to, 0, last));
  lists_[from - 1].prepend(&before);
  notify(change(tBoxChange::tKind::kInsert, 0, from, 0, &before));
  current_ = static_cast<int16_t>(from - 1);
  return true;
}

void CardBox::resetArrangement() {
  for (int k = 0; k < kCompartments; ++k) arrangement_[k] = static_cast<int8_t>(k);
}

void CardBox::swapLists(int i, int j) {
  lists_[i].swap(lists_[j]);
  std::swap(arrangement_[i], arrangement_[j]);
  notify(change(tBoxChange::tKind::kSwap, i + 1, j + 1));
}

void CardBox::rearrange(const tArrangement& arrangement) {
  for (int i = 0; i < kCompartments; ++i) {
    for (int j = i + 1; j < kCompartments && arrangement_[i] != arrangement[i]; ++j) {
      if (arrangement_[j] == arrangement[i]) swapLists(i, j);
    }
  }
}

tTermel* CardBox::deleteCurrent(int16_t* compartment) {
  if (compartment == nullptr) return nullptr;
  tTermel* result;
  if (valid(*compartment)) {
    tTrmListe& list = lists_[*compartment - 1];
    if (list.count() > 0) {
      list.removeHead();
      notify(change(tBoxChange::tKind::kRemove, *compartment, 0, 0));
    }
    result = chooseNext(compartment);
  } else {
    result = lists_[current_].head();
  }
  *compartment = static_cast<int16_t>(current_ + 1);
  return result;
}

bool CardBox::removeCard(const tTermel* card, int n) {
  if (!valid(n)) return false;
  // Where it stood costs a walk from the head, so it is only sought for an observer.
  const int32_t position = observer_ != nullptr ? lists_[n - 1].indexOf(card) : 0;
  if (!lists_[n - 1].remove(card)) return false;
  notify(change(tBoxChange::tKind::kRemove, n, 0, position));
  return true;
}

int32_t CardBox::positionOf(const tTermel* card, int n) const {
  return valid(n) ? lists_[n - 1].indexOf(card) : -1;
}

tTermel* CardBox::insertCard(const tTermel& card, int n, int32_t position) {
  if (!valid(n)) return nullptr;
  tTermel* stored = lists_[n - 1].insertAt(position, &card);
  notify(change(tBoxChange::tKind::kInsert, 0, n, std::max(position, 0), &card));
  return stored;
}

void CardBox::clearCompartment(int n) {
  if (!valid(n)) return;
  lists_[n - 1].clear();
  notify(change(tBoxChange::tKind::kClear, n, 0));
}

void CardBox::clearAll() {
  for (tTrmListe& list : lists_) list.clear();
  resetArrangement();
  notify(tBoxChange{});
}

void CardBox::allToFirst() {
  for (int k = 1; k < compartmentCount_; ++k) lists_[0].appendAll(lists_[k]);
  current_ = 0;
  notify(change(tBoxChange::tKind::kAllToFirst, 0, 1));
}

void CardBox::shuffle(int n, tOrders* dealt) {
  for (int k = 0; k < compartmentCount_; ++k) {
    if (n != 0 && n != k + 1) continue;
    std::vector<int32_t> order = lists_[k].shuffle();
    if (dealt != nullptr) (*dealt)[k] = std::move(order);
  }
  // The new order would take as much to tell as the box itself.
  notify(tBoxChange{});
}

bool CardBox::reorder(int n, const std::vector<int32_t>& order) {
  if (!valid(n) || static_cast<int32_t>(order.size()) != lists_[n - 1].count()) return false;
  lists_[n - 1].reorder(order);
  notify(tBoxChange{});
  return true;
}

bool CardBox::moveTail(int from, int32_t keep, int to) {
  if (!valid(from) || !valid(to) || from == to || keep < 0 || keep > countIn(from)) return false;
  lists_[from - 1].moveTail(keep, &lists_[to - 1]);
  notify(tBoxChange{});
  return true;
}

bool CardBox::cutTo(int n, int32_t keep) {
  if (!valid(n) || keep < 0 || keep > countIn(n)) return false;
  tTrmListe cut;
  lists_[n - 1].moveTail(keep, &cut);
  notify(tBoxChange{});
  return true;
}

bool CardBox::moveEmptyToEnd() {
  bool moved = false;
  const int archive = compartmentCount_ - 1;
  for (int i = 0; i < archive; ++i) {
    if (lists_[i].count() > 0) continue;
    int j = i + 1;
    while (j <= archive && lists_[j].count() == 0) ++j;
    if (j > archive) break;
    swapLists(i, j);
    moved = true;
  }
  return moved;
}

void CardBox::changedCard(const tTermel* card) {
  if (observer_ == nullptr) return;
  for (int n = 1; n <= compartmentCount_; ++n) {
    const int32_t position = lists_[n - 1].indexOf(card);
    if (position >= 0) {
      notify(change(tBoxChange::tKind::kCorrect, n, 0, position, card));
      return;
    }
  }
  notify(tBoxChange{});
}

int32_t CardBox::countIn(int n) const {
  return valid(n) ? lists_[n - 1].count() : 0;
}

int32_t CardBox::totalCount() const {
  int32_t total = 0;
  for (int k = 0; k < compartmentCount_; ++k) total += lists_[k].count();
  return total;
}

namespace {

tTermel* copyOut(tTermel* card, tTermel* buffer) {
  if (card != nullptr && buffer != nullptr) *buffer = *card;
  return card;
}

}  // namespace

tTermel* CardBox::firstIn(int n, tTermel* buffer) {
  if (!valid(n)) return nullptr;
  return copyOut(lists_[n - 1].first(), buffer);
}

tTermel* CardBox::nextIn(int n, tTermel* buffer) {
  if (!valid(n)) return nullptr;
  return copyOut(lists_[n - 1].next(), buffer);
}

tTermel* CardBox::lastIn(int n) const {
  return valid(n) ? lists_[n - 1].tail() : nullptr;
}

int CardBox::firstCard(tTermel* buffer) {
  iterCompartment_ = -1;
  return firstFrom(buffer);
}

int CardBox::nextCard(tTermel* buffer) {
  if (iterCompartment_ < 0 || iterCompartment_ >= compartmentCount_) return 0;
  if (copyOut(lists_[iterCompartment_].next(), buffer) != nullptr) return iterCompartment_ + 1;
  return firstFrom(buffer);
}

// Starts on the first card of the next non-empty compartment after iterCompartment_.
int CardBox::firstFrom(tTermel* buffer) {
  while (++iterCompartment_ < compartmentCount_) {
    if (copyOut(lists_[iterCompartment_].first(), buffer) != nullptr) return iterCompartment_ + 1;
  }
  return 0;
}

tTermel* CardBox::findInAll(tTermel* (tTrmListe::*find)(const tTermel&) const,
                            const tTermel& card) const {
  for (int k = 0; k < compartmentCount_; ++k) {
    // Calling through a reference: GCC 12's UBSan miscompiles (lists_[k].*find)(...).
    const tTrmListe& list = lists_[k];
    if (tTermel* found = (list.*find)(card)) return found;
  }
  return nullptr;
}

tTermel* CardBox::findEither(const tTermel& card) const {
  return findInAll(&tTrmListe::findEither, card);
}

tTermel* CardBox::findBoth(const tTermel& card) const {
  return findInAll(&tTrmListe::findBoth, card);
}
