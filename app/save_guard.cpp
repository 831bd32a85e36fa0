// The state behind the questions the training window asks before it saves.
#include "app/save_guard.h"

void tSaveGuard::forget() {
  lock_.release();
  known_ = tKnown();
}

void tSaveGuard::loaded(const tFileReport& report, bool onlyToRead) {
  known_.readOnly = report.readOnly;
  known_.onlyToRead = onlyToRead;
  known_.lossyRewrite = report.lossyRewrite;
  known_.stampKept = report.opened;
  known_.stamp = report.stamp;
}

void tSaveGuard::restore(const tKnown& known, const std::string& path) {
  if (path.empty()) {
    lock_.release();
  } else {
    lock_.acquire(path);
  }
  known_ = known;
}

bool tSaveGuard::retarget(const std::string& path, const std::string& oldPath) {
  // A box file the guard cannot lock (such as one in a directory it may not write) is
  // still saved there; the save itself says why it failed, if it does.
  if (lock_.acquire(path) == tLockState::kHeldElsewhere) {
    if (!oldPath.empty()) lock_.acquire(oldPath);
    return false;
  }
  const tFileStamp target = tFileStamp::ofPath(path);
  known_.readOnly = false;
  known_.onlyToRead = false;
  // The open file again under another of its names: what its load could not read is
  // still lost by writing it, and a change by someone else still shows.
  if (target.known && target == tFileStamp::ofPath(oldPath)) return true;
  known_.lossyRewrite = false;
  // The learner chose this name, replacing whatever is there knowingly.
  known_.stamp = target;
  known_.stampKept = true;
  return true;
}

void tSaveGuard::saved(const tFileReport& report) {
  known_.lossyRewrite = false;
  known_.stampKept = true;
  known_.stamp = report.stamp;
}

tSaveGuard::tCheck tSaveGuard::check(const std::string& path) const {
  if (known_.readOnly) return tCheck::kReadOnly;
  if (known_.onlyToRead) return tCheck::kOpenedToRead;
  if (known_.lossyRewrite) return tCheck::kLossyRewrite;
  if (known_.stampKept && changedSince(path, known_.stamp)) return tCheck::kChanged;
  return tCheck::kWrite;
}

void tSaveGuard::accept(tCheck check, const std::string& path) {
  if (check == tCheck::kLossyRewrite) known_.lossyRewrite = false;
  if (check == tCheck::kChanged) known_.stamp = tFileStamp::ofPath(path);
}
