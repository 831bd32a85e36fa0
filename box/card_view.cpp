#include "box/card_view.h"

#include <cstddef>

void tCardView::show(int n) {
  compartment_ = n;
  cards_.clear();
  cards_.reserve(static_cast<std::size_t>(box_.countIn(n)));
  tTermel buffer;
  for (tTermel* card = box_.firstIn(n, &buffer); card != nullptr; card = box_.nextIn(n, &buffer))
    cards_.push_back(card);
}

tTermel* tCardView::at(int32_t row) const {
  if (row < 0 || row >= count()) return nullptr;
  return cards_[static_cast<std::size_t>(row)];
}

void tCardView::moveRows(const std::vector<int32_t>& rows, int target) {
  for (int32_t row : rows) {
    tTermel* stored = at(row);
    if (stored == nullptr) continue;
    const tTermel copy = *stored;
    if (box_.removeCard(stored, compartment_)) box_.addCardTo(copy, target);
  }
  show(compartment_);
}
