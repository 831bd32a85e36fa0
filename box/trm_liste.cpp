#include "box/trm_liste.h"

#include <cstdlib>
#include <ctime>
#include <utility>
#include <vector>

struct tTrmListe::Node {
  tTermel card;
  Node* next;
};

namespace {

// rand() reduced to 0..bound-1 without the bias of a plain remainder.
int32_t uniformBelow(int32_t bound) {
  const int64_t range = static_cast<int64_t>(RAND_MAX) + 1;
  const int64_t limit = range - range % bound;
  int64_t r;
  do {
    r = std::rand();
  } while (r >= limit);
  return static_cast<int32_t>(r % bound);
}

}  // namespace

tTrmListe::tTrmListe()
    : firstNode_(nullptr), lastNode_(nullptr), count_(0), cursorNode_(nullptr), cursorIndex_(0) {}

tTrmListe::~tTrmListe() {
  clear();
}

void tTrmListe::swap(tTrmListe& other) {
  std::swap(firstNode_, other.firstNode_);
  std::swap(lastNode_, other.lastNode_);
  std::swap(count_, other.count_);
  std::swap(cursorNode_, other.cursorNode_);
  std::swap(cursorIndex_, other.cursorIndex_);
}

void tTrmListe::append(const tTermel* card) {
  if (card == nullptr) return;
  linkAtEnd(new Node{*card, nullptr});
}

void tTrmListe::linkAtEnd(Node* node) {
  if (lastNode_ == nullptr) {
    firstNode_ = node;
  } else {
    lastNode_->next = node;
  }
  node->next = firstNode_;
  lastNode_ = node;
  ++count_;
}

void tTrmListe::appendAll(tTrmListe& other) {
  if (&other == this || other.count_ == 0) return;
  if (count_ == 0) {
    swap(other);
    return;
  }
  lastNode_->next = other.firstNode_;
  other.lastNode_->next = firstNode_;
  lastNode_ = other.lastNode_;
  count_ += other.count_;
  other.firstNode_ = other.lastNode_ = nullptr;
  other.count_ = 0;
  other.cursorNode_ = nullptr;
  other.cursorIndex_ = 0;
}

tTermel* tTrmListe::head() const {
  return firstNode_ ? &firstNode_->card : nullptr;
}

tTermel* tTrmListe::tail() const {
  return lastNode_ ? &lastNode_->card : nullptr;
}

void tTrmListe::removeHead() {
  if (firstNode_ == nullptr) return;
  unlink(lastNode_, firstNode_);
}

// Takes node out of the ring and frees it; prev is the node that links to it.
void tTrmListe::unlink(Node* prev, Node* node) {
  if (count_ == 1) {
    firstNode_ = lastNode_ = nullptr;
  } else {
    prev->next = node->next;
    if (node == firstNode_) firstNode_ = node->next;
    if (node == lastNode_) lastNode_ = prev;
  }
  --count_;
  delete node;
}

bool tTrmListe::remove(const tTermel* card) {
  if (firstNode_ == nullptr || card == nullptr) return false;
  Node* prev = firstNode_;
  Node* node = firstNode_->next;
  for (int32_t i = 0; i < count_; ++i) {
    if (&node->card == card) {
      unlink(prev, node);
      return true;
    }
    prev = node;
    node = node->next;
  }
  return false;
}

tTermel* tTrmListe::rotate() {
  if (firstNode_ == nullptr) return nullptr;
  lastNode_ = firstNode_;
  firstNode_ = firstNode_->next;
  return &firstNode_->card;
}

tTermel* tTrmListe::first() {
  cursorIndex_ = 0;
  cursorNode_ = firstNode_;
  if (firstNode_ == nullptr) return nullptr;
  cursorIndex_ = 1;
  return &firstNode_->card;
}

tTermel* tTrmListe::next() {
  if (cursorIndex_ >= count_ || cursorNode_ == nullptr) return nullptr;
  cursorNode_ = cursorNode_->next;
  ++cursorIndex_;
  return &cursorNode_->card;
}

void tTrmListe::shuffle() {
  if (count_ < 3) return;
  std::srand(static_cast<unsigned>(std::time(nullptr)));
  // The cards are dealt out anew over the nodes, which keep their ring: walking a
  // list in memory order stays cheap for long lists, and only the small index
  // array is touched at random.
  std::vector<tTermel> cards;
  cards.reserve(count_);
  std::vector<int32_t> order(count_);
  Node* node = firstNode_;
  for (int32_t i = 0; i < count_; ++i, node = node->next) {
    cards.push_back(node->card);
    order[i] = i;
  }
  for (int32_t i = count_ - 1; i > 0; --i) std::swap(order[i], order[uniformBelow(i + 1)]);
  node = firstNode_;
  for (int32_t i = 0; i < count_; ++i, node = node->next) node->card = cards[order[i]];
  cursorNode_ = nullptr;
  cursorIndex_ = 0;
}

template <typename Match>
tTermel* tTrmListe::findFirst(Match match) const {
  Node* node = firstNode_;
  for (int32_t i = 0; i < count_; ++i, node = node->next) {
    if (match(node->card)) return &node->card;
  }
  return nullptr;
}

tTermel* tTrmListe::findEither(const tTermel& card) const {
  return findFirst([&card](const tTermel& c) { return c.matchesEither(card); });
}

tTermel* tTrmListe::findBoth(const tTermel& card) const {
  return findFirst([&card](const tTermel& c) { return c.matchesBoth(card); });
}

void tTrmListe::clear() {
  while (firstNode_ != nullptr) removeHead();
  cursorNode_ = nullptr;
  cursorIndex_ = 0;
}
