// The state behind the questions the training window asks before it saves.
#include "app/save_guard.h"

#include "kartei/stale_temp_files.h"

tLockState tSaveGuard::lock(const std::string& path) {
  const tLockState state = lock_.acquire(path);
  if (state == tLockState::kHeld) removeStaleTempFiles(path, &lock_);
  return state;
}

void tSaveGuard::forget() {
  lock_.release();
  readOnly_ = false;
  onlyToRead_ = false;
  lossyRewrite_ = false;
  stampKept_ = false;
  stamp_ = tFileStamp();
}

void tSaveGuard::loaded(const tFileReport& report, bool onlyToRead) {
  readOnly_ = report.readOnly;
  onlyToRead_ = onlyToRead;
  lossyRewrite_ = report.lossyRewrite;
  stampKept_ = report.opened;
  stamp_ = report.stamp;
}

bool tSaveGuard::retarget(const std::string& path, const std::string& oldPath) {
  // A box file the guard cannot lock (such as one in a directory it may not write) is
  // still saved there; the save itself says why it failed, if it does.
  if (lock_.acquire(path) == tLockState::kHeldElsewhere) {
    if (!oldPath.empty()) lock_.acquire(oldPath);
    return false;
  }
  const tFileStamp target = tFileStamp::ofPath(path);
  readOnly_ = false;
  onlyToRead_ = false;
  // The open file again under another of its names: what its load could not read is
  // still lost by writing it, and a change by someone else still shows.
  if (target.known && target == tFileStamp::ofPath(oldPath)) return true;
  lossyRewrite_ = false;
  // The learner chose this name, replacing whatever is there knowingly.
  stamp_ = target;
  stampKept_ = true;
  return true;
}

void tSaveGuard::saved(const tFileReport& report) {
  lossyRewrite_ = false;
  stampKept_ = true;
  stamp_ = report.stamp;
}

tSaveGuard::tCheck tSaveGuard::check(const std::string& path) const {
  if (readOnly_) return tCheck::kReadOnly;
  if (onlyToRead_) return tCheck::kOpenedToRead;
  if (lossyRewrite_) return tCheck::kLossyRewrite;
  if (stampKept_ && changedSince(path, stamp_)) return tCheck::kChanged;
  return tCheck::kWrite;
}

void tSaveGuard::accept(tCheck check, const std::string& path) {
  if (check == tCheck::kLossyRewrite) lossyRewrite_ = false;
  if (check == tCheck::kChanged) stamp_ = tFileStamp::ofPath(path);
}

tSaveGuard::tKnown tSaveGuard::known() const {
  tKnown known;
  known.readOnly = readOnly_;
  known.onlyToRead = onlyToRead_;
  known.lossyRewrite = lossyRewrite_;
  known.stampKept = stampKept_;
  known.stamp = stamp_;
  return known;
}

void tSaveGuard::restore(const tKnown& known, const std::string& path) {
  if (path.empty()) {
    lock_.release();
  } else {
    lock_.acquire(path);
  }
  readOnly_ = known.readOnly;
  onlyToRead_ = known.onlyToRead;
  lossyRewrite_ = known.lossyRewrite;
  stampKept_ = known.stampKept;
  stamp_ = known.stamp;
}
