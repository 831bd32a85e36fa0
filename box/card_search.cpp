#include "box/card_search.h"

#include <cstring>

#include "box/text_fold.h"

namespace {

// The searched-for text as the cards are indexed: folded, without the spaces around
// it and without control characters, which could otherwise match the separators.
std::string needleOf(const std::string& text) {
  std::string plain;
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 0x20 || c == '\t') plain += c;
  }
  std::string folded = foldWithoutAccents(plain);
  const size_t begin = folded.find_first_not_of(' ');
  if (begin == std::string::npos) return std::string();
  return folded.substr(begin, folded.find_last_not_of(' ') - begin + 1);
}

}  // namespace

void tCardSearch::index() {
  cards_.clear();
  folded_.clear();
  starts_.clear();
  found_.clear();
  cards_.reserve(static_cast<size_t>(box_.totalCount()));
  starts_.reserve(static_cast<size_t>(box_.totalCount()) + 1);
  tTermel buffer;
  for (int n = 1; n <= box_.compartmentCount(); ++n) {
    for (tTermel* card = box_.firstIn(n, &buffer); card != nullptr;
         card = box_.nextIn(n, &buffer)) {
      cards_.push_back({card, static_cast<int16_t>(n)});
      starts_.push_back(static_cast<uint32_t>(folded_.size()));
      appendFoldedWithoutAccents(card->front, &folded_);
      folded_ += '\1';
      appendFoldedWithoutAccents(card->back, &folded_);
      folded_ += '\0';
    }
  }
  starts_.push_back(static_cast<uint32_t>(folded_.size()));
}

void tCardSearch::find(const std::string& text) {
  text_ = text;
  const std::string needle = needleOf(text);
  if (needle.empty()) {
    found_ = cards_;
    return;
  }
  found_.clear();
  const char* begin = folded_.data();
  const char* end = begin + folded_.size();
  size_t card = 0;
  while (card < cards_.size()) {
    const char* from = begin + starts_[card];
    const void* hit = memmem(from, static_cast<size_t>(end - from), needle.data(), needle.size());
    if (hit == nullptr) break;
    // The card whose texts hold the hit, found from the last one on, since hits only
    // move forward; the search goes on after that card.
    const auto offset = static_cast<uint32_t>(static_cast<const char*>(hit) - begin);
    while (starts_[card + 1] <= offset) ++card;
    found_.push_back(cards_[card]);
    ++card;
  }
}

tFoundCard tCardSearch::at(int32_t row) const {
  if (row < 0 || row >= count()) return {nullptr, 0};
  return found_[static_cast<size_t>(row)];
}

void tCardSearch::refresh() {
  index();
  find(text_);
}

int32_t tCardSearch::moveToFirst(const std::vector<int32_t>& rows,
                                 std::vector<tCardPlace>* places) {
  int32_t moved = 0;
  for (int32_t row : rows) {
    const tFoundCard found = at(row);
    if (found.card == nullptr || found.compartment == 1) continue;
    const tTermel copy = *found.card;
    const int32_t position = box_.positionOf(found.card, found.compartment);
    if (!box_.removeCard(found.card, found.compartment)) continue;
    box_.addCardTo(copy, 1);
    ++moved;
    if (places != nullptr) places->push_back({found.compartment, position});
  }
  refresh();
  return moved;
}
