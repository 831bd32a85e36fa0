#include "box/trm_liste.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <utility>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#define TERMEL_POISON(address, size) ASAN_POISON_MEMORY_REGION(address, size)
#define TERMEL_UNPOISON(address, size) ASAN_UNPOISON_MEMORY_REGION(address, size)
#else
#define TERMEL_POISON(address, size) ((void)(address), (void)(size))
#define TERMEL_UNPOISON(address, size) ((void)(address), (void)(size))
#endif

// Nodes of all lists come from one pool, because swap and appendAll hand nodes from
// list to list. Freed nodes are kept for the next cards: a box that is cleared and
// loaded again reuses its memory instead of asking the system for fresh pages, and
// taking a node costs a few instructions instead of a trip through malloc. Lists are
// used from one thread only, like the box that holds them.
class tTrmListe::NodePool {
 public:
  static NodePool& instance() {
    static NodePool pool;
    return pool;
  }

  Node* take(const tTermel& card) {
    Node* node = takeUnset();
    node->card = card;
    return node;
  }

  // A node whose card the caller fills in.
  Node* takeUnset() {
    Node* node = free_;
    if (node != nullptr) {
      free_ = node->next;
    } else {
      node = carve();
    }
    TERMEL_UNPOISON(node, sizeof *node);
    node->next = nullptr;
    ++live_;
    return node;
  }

  // Up to wanted nodes from the block being carved, or from a fresh one when it is
  // used up: a run is one stretch of memory.
  Node* carveRun(size_t wanted, size_t* got) {
    static_assert(sizeof(Node) == kSlotBytes, "a slot is one node");
    Node* run = carve();
    const size_t more = std::min(wanted, kBlockNodes - carvedNodes_ + 1) - 1;
    carvedNodes_ += more;
    *got = more + 1;
    TERMEL_UNPOISON(run, *got * sizeof(Node));
    return run;
  }

  // The last count nodes carved, which were never handed out, go back.
  void uncarve(size_t count) {
    carvedNodes_ -= count;
    TERMEL_POISON(&blocks_[carvedBlocks_][carvedNodes_], count * sizeof(Node));
  }

  // Nodes of a run, now held by lists.
  void taken(size_t count) { live_ += count; }

  void give(Node* node) {
    // Under AddressSanitizer a card used after its removal is still reported.
    TERMEL_POISON(&node->card, sizeof node->card);
    if (--live_ == 0) {
      // Once the box is empty the blocks are handed out again in address order, so
      // a freshly loaded box walks its memory in order rather than in the order of
      // the cards freed before.
      free_ = nullptr;
      carvedBlocks_ = 0;
      carvedNodes_ = 0;
      return;
    }
    node->next = free_;
    free_ = node;
  }

 private:
  // About 590 KB: a load reads a block's worth of records with one call and decodes
  // them while they are still in the processor's cache.
  static constexpr size_t kBlockNodes = 4096;

  NodePool() = default;
  ~NodePool() {
    for (auto& block : blocks_) TERMEL_UNPOISON(block.get(), kBlockNodes * sizeof(Node));
  }

  // The next node never handed out since the pool was last empty.
  Node* carve() {
    if (carvedNodes_ == kBlockNodes) {
      ++carvedBlocks_;
      carvedNodes_ = 0;
    }
    if (carvedBlocks_ == blocks_.size()) {
      blocks_.emplace_back(new Node[kBlockNodes]);
      TERMEL_POISON(blocks_.back().get(), kBlockNodes * sizeof(Node));
    }
    return &blocks_[carvedBlocks_][carvedNodes_++];
  }

  Node* free_ = nullptr;
  size_t live_ = 0;
  size_t carvedBlocks_ = 0;  // blocks_[carvedBlocks_] is the one being carved
  size_t carvedNodes_ = 0;   // nodes carved from it
  std::vector<std::unique_ptr<Node[]>> blocks_;
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
    : firstNode_(nullptr),
      lastNode_(nullptr),
      count_(0),
      cursorNode_(nullptr),
      cursorIndex_(0),
      searchFrom_(nullptr) {
  // The pool is made before the first list is complete, so it is destroyed after
  // the last list, static ones included.
  NodePool::instance();
}

tTrmListe::~tTrmListe() {
  clear();
}

void tTrmListe::swap(tTrmListe& other) {
  std::swap(firstNode_, other.firstNode_);
  std::swap(lastNode_, other.lastNode_);
  std::swap(count_, other.count_);
  std::swap(cursorNode_, other.cursorNode_);
  std::swap(cursorIndex_, other.cursorIndex_);
  std::swap(searchFrom_, other.searchFrom_);
}

unsigned char* tTrmListe::takeSlots(int32_t wanted, int32_t* got) {
  size_t carved = 0;
  Node* run = NodePool::instance().carveRun(static_cast<size_t>(std::max(wanted, 1)), &carved);
  *got = static_cast<int32_t>(carved);
  return reinterpret_cast<unsigned char*>(run);
}

int32_t tTrmListe::appendSlots(tTrmListe* lists, unsigned char* run, int32_t count,
                               const int8_t* listOf) {
  NodePool::instance().taken(static_cast<size_t>(count));
  Node* const nodes = reinterpret_cast<Node*>(run);
  // A file lists each compartment's cards together, so the run is linked a stretch of
  // one list at a time: inside a stretch each node simply points at the next.
  int32_t elsewhere = 0;
  for (int32_t i = 0; i < count;) {
    const int8_t list = listOf[i];
    int32_t end = i + 1;
    for (; end < count && listOf[end] == list; ++end) nodes[end - 1].next = &nodes[end];
    lists[list < 0 ? 0 : list].linkStretch(&nodes[i], &nodes[end - 1], end - i);
    if (list < 0) elsewhere += end - i;
    i = end;
  }
  return elsewhere;
}

// Puts the nodes first..last, already linked in order, at the end of the list.
void tTrmListe::linkStretch(Node* first, Node* last, int32_t count) {
  if (lastNode_ == nullptr) {
    firstNode_ = first;
  } else {
    lastNode_->next = first;
  }
  last->next = firstNode_;
  lastNode_ = last;
  count_ += count;
}

void tTrmListe::returnSlots(int32_t count) {
  if (count > 0) NodePool::instance().uncarve(static_cast<size_t>(count));
}

void tTrmListe::append(const tTermel* card) {
  if (card == nullptr) return;
  linkAtEnd(NodePool::instance().take(*card));
}

tTermel* tTrmListe::appendInPlace() {
  Node* node = NodePool::instance().takeUnset();
  linkAtEnd(node);
  return &node->card;
}

void tTrmListe::linkAtEnd(Node* node) {
  linkStretch(node, node, 1);
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
  other.searchFrom_ = nullptr;
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
    searchFrom_ = nullptr;
  } else {
    searchFrom_ = prev;
    prev->next = node->next;
    if (node == firstNode_) firstNode_ = node->next;
    if (node == lastNode_) lastNode_ = prev;
  }
  --count_;
  NodePool::instance().give(node);
}

bool tTrmListe::remove(const tTermel* card) {
  if (firstNode_ == nullptr || card == nullptr) return false;
  Node* prev = searchFrom_ != nullptr ? searchFrom_ : lastNode_;
  Node* node = prev->next;
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

std::vector<int32_t> tTrmListe::shuffle() {
  std::vector<int32_t> order;
  if (count_ < 3) return order;
  std::srand(static_cast<unsigned>(std::time(nullptr)));
  order.resize(count_);
  for (int32_t i = 0; i < count_; ++i) order[i] = i;
  for (int32_t i = count_ - 1; i > 0; --i) std::swap(order[i], order[uniformBelow(i + 1)]);
  reorder(order);
  return order;
}

void tTrmListe::reorder(const std::vector<int32_t>& order) {
  if (static_cast<int32_t>(order.size()) != count_) return;
  // The cards are dealt out anew over the nodes, which keep their ring: walking a
  // list in memory order stays cheap for long lists, and only the small index
  // array is touched at random.
  std::vector<tTermel> cards;
  cards.reserve(count_);
  Node* node = firstNode_;
  for (int32_t i = 0; i < count_; ++i, node = node->next) cards.push_back(node->card);
  // The cards are read in random order: fetch a few ahead, since a long list's copy is
  // far bigger than the caches.
  constexpr int32_t kAhead = 8;
  node = firstNode_;
  for (int32_t i = 0; i < count_; ++i, node = node->next) {
    if (i + kAhead < count_) {
      const char* ahead = reinterpret_cast<const char*>(&cards[order[i + kAhead]]);
      for (size_t line = 0; line < sizeof(tTermel); line += 64) __builtin_prefetch(ahead + line);
    }
    node->card = cards[order[i]];
  }
  cursorNode_ = nullptr;
  cursorIndex_ = 0;
}

void tTrmListe::moveTail(int32_t keep, tTrmListe* into) {
  if (into == this || keep < 0 || keep >= count_) return;
  tTrmListe tail;
  if (keep == 0) {
    tail.swap(*this);
  } else {
    Node* last = firstNode_;
    for (int32_t i = 1; i < keep; ++i) last = last->next;
    tail.firstNode_ = last->next;
    tail.lastNode_ = lastNode_;
    tail.count_ = count_ - keep;
    tail.lastNode_->next = tail.firstNode_;
    last->next = firstNode_;
    lastNode_ = last;
    count_ = keep;
    cursorNode_ = nullptr;
    cursorIndex_ = 0;
    searchFrom_ = nullptr;
  }
  into->appendAll(tail);
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

void tTrmListe::prepend(const tTermel* card) {
  if (card == nullptr) return;
  Node* node = NodePool::instance().take(*card);
  if (firstNode_ == nullptr) {
    linkAtEnd(node);
    return;
  }
  node->next = firstNode_;
  lastNode_->next = node;
  firstNode_ = node;
  ++count_;
}

tTermel* tTrmListe::insertAt(int32_t index, const tTermel* card) {
  if (card == nullptr) return nullptr;
  if (index <= 0 || firstNode_ == nullptr) {
    prepend(card);
    return head();
  }
  if (index >= count_) {
    append(card);
    return tail();
  }
  Node* prev = firstNode_;
  for (int32_t i = 1; i < index; ++i) prev = prev->next;
  Node* node = NodePool::instance().take(*card);
  node->next = prev->next;
  prev->next = node;
  ++count_;
  return &node->card;
}

int32_t tTrmListe::indexOf(const tTermel* card) const {
  const Node* node = firstNode_;
  for (int32_t i = 0; i < count_; ++i, node = node->next) {
    if (&node->card == card) return i;
  }
  return -1;
}
