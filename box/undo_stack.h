// tUndoStack: the commands that changed the box, newest last, so Strg+Z takes them back
// one after the other together with the answers and deletions of tAnswerHistory, in
// the order they happened. Each step is named for the menu ("In 1. Fach") and holds a
// tUndoChange. The steps together hold at most their budget of bytes (and kMaxSteps steps); the
// oldest go first, and a step bigger than the budget is not kept at all.
//
// A step is taken back only when the box stands exactly as the step left it: every
// answer or deletion since is taken back first, and a step made before an entry the
// history forgot or was cleared of can no longer be taken back and is dropped. The box
// and the history must outlive the stack.
#ifndef TERMEL_BOX_UNDO_STACK_H_
#define TERMEL_BOX_UNDO_STACK_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>

#include "box/answer_history.h"
#include "box/card_box.h"
#include "box/undo_change.h"

class tUndoStack {
 public:
  static constexpr size_t kBudget = size_t{64} << 20;
  static constexpr size_t kMaxSteps = 100;

  tUndoStack(CardBox* box, const tAnswerHistory* history, size_t budget = kBudget)
      : box_(box), history_(history), budget_(budget) {}
  tUndoStack(const tUndoStack&) = delete;
  tUndoStack& operator=(const tUndoStack&) = delete;

  // Keeps change, just made by the command named label (code page 1252), with the box
  // as the command left it. A null change (nothing changed) is not kept.
  void record(const std::string& label, std::unique_ptr<tUndoChange> change);

  // What Strg+Z takes back next: nothing, the history's newest answer or deletion, or
  // the newest step.
  enum class tNext { kNothing, kHistory, kChange };
  tNext next();
  // The name of what Strg+Z takes back next ("Antwort", "Löschen" or the command's),
  // empty when nothing.
  std::string nextLabel();
  // Takes back the newest step, when next() says so. False when there is none or the
  // box no longer fits it; then the box is unchanged and every step is dropped.
  bool undo();

  void clear();
  size_t size() const { return steps_.size(); }
  size_t bytes() const { return bytes_; }

 private:
  struct tStep {
    std::string label;
    std::unique_ptr<tUndoChange> change;
    uint64_t serial;  // the history's serial when the step was made
    CardBox::tArrangement arrangement;
    std::array<int32_t, CardBox::kCompartments> counts;
    size_t bytes;
  };
  // Drops the steps the history no longer reaches back to.
  void dropStale();
  void dropOldest();
  bool fits(const tStep& step) const;

  CardBox* box_;
  const tAnswerHistory* history_;
  size_t budget_;
  std::deque<tStep> steps_;
  size_t bytes_ = 0;
};

#endif  // TERMEL_BOX_UNDO_STACK_H_
