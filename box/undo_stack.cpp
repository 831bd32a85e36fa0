#include "box/undo_stack.h"

#include <utility>

void tUndoStack::record(const std::string& label, std::unique_ptr<tUndoChange> change) {
  if (change == nullptr) return;
  dropStale();
  tStep step;
  step.label = label;
  step.bytes = change->bytes() + label.capacity() + sizeof step;
  step.change = std::move(change);
  step.serial = history_->serial();
  step.arrangement = box_->arrangement();
  for (int n = 1; n <= CardBox::kCompartments; ++n) step.counts[n - 1] = box_->countIn(n);
  bytes_ += step.bytes;
  steps_.push_back(std::move(step));
  while (!steps_.empty() && (bytes_ > budget_ || steps_.size() > kMaxSteps)) dropOldest();
}

void tUndoStack::dropOldest() {
  bytes_ -= steps_.front().bytes;
  steps_.pop_front();
}

void tUndoStack::dropStale() {
  while (!steps_.empty() && steps_.front().serial < history_->forgotten()) dropOldest();
}

tUndoStack::tNext tUndoStack::next() {
  dropStale();
  if (history_->canTakeBack() && (steps_.empty() || history_->newest() > steps_.back().serial)) {
    return tNext::kHistory;
  }
  return steps_.empty() ? tNext::kNothing : tNext::kChange;
}

std::string tUndoStack::nextLabel() {
  switch (next()) {
    case tNext::kHistory:
      return history_->nextIsDeletion() ? "L\xF6schen" : "Antwort";
    case tNext::kChange:
      return steps_.back().label;
    default:
      return std::string();
  }
}

bool tUndoStack::fits(const tStep& step) const {
  for (int n = 1; n <= CardBox::kCompartments; ++n) {
    if (box_->countIn(n) != step.counts[n - 1]) return false;
  }
  return true;
}

bool tUndoStack::undo() {
  if (next() != tNext::kChange) return false;
  const CardBox::tArrangement now = box_->arrangement();
  // Lists exchanged since (moveEmptyToEnd) go back where the command left them.
  box_->rearrange(steps_.back().arrangement);
  if (!fits(steps_.back()) || !steps_.back().change->undo(box_)) {
    box_->rearrange(now);
    clear();
    return false;
  }
  bytes_ -= steps_.back().bytes;
  steps_.pop_back();
  return true;
}

void tUndoStack::clear() {
  steps_.clear();
  bytes_ = 0;
}
