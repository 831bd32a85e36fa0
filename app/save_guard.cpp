// The state behind the questions the training window asks before it saves.
#include "app/save_guard.h"

#include "kartei/stale_temp_files.h"

tLockState tSaveGuard::lock(const std::string& path) {
  box_ = tBoxIdentity(path);
  const tLockState state = lock_.acquire(box_);
  reason_ = lock_.reason();
  lockFailed_ = state == tLockState::kError;
  if (state == tLockState::kHeld) removeStaleTempFiles(box_, &lock_);
  return state;
}

tBoxIdentity tSaveGuard::boxAt(const std::string& path) const {
  return !box_.empty() && box_.path() == absolutePath(path) ? box_ : tBoxIdentity(path);
}

void tSaveGuard::forget() {
  lock_.release();
  box_ = tBoxIdentity();
  lockFailed_ = false;
  readOnly_ = false;
  onlyToRead_ = false;
  lossyRewrite_ = false;
  stampKept_ = false;
  stamp_ = tFileStamp();
}

void tSaveGuard::loaded(const tFileReport& report, bool onlyToRead) {
  readOnly_ = report.readOnly;
  onlyToRead_ = onlyToRead || lockFailed_;
  lossyRewrite_ = report.lossyRewrite;
  stampKept_ = report.opened;
  stamp_ = report.stamp;
}

tLockState tSaveGuard::retarget(const std::string& path, const std::string& oldPath) {
  // Never saved without the lock: a box file the guard cannot lock (held by another
  // program, or in a directory this user may not write) is not written at all.
  const tBoxIdentity box(path);
  const tLockState state = lock_.acquire(box);
  if (state != tLockState::kHeld) {
    reason_ = lockRefusalText(box, lock_);
    if (!oldPath.empty() && !box_.empty()) lock_.acquire(box_);
    return state;
  }
  box_ = box;
  reason_.clear();
  lockFailed_ = false;
  const tFileStamp target = tFileStamp::ofPath(path);
  readOnly_ = false;
  onlyToRead_ = false;
  // The open file again under another of its names: what its load could not read is
  // still lost by writing it, and a change by someone else still shows.
  if (target.known && target == tFileStamp::ofPath(oldPath)) return tLockState::kHeld;
  lossyRewrite_ = false;
  // The learner chose this name, replacing whatever is there knowingly.
  stamp_ = target;
  stampKept_ = true;
  return tLockState::kHeld;
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
    box_ = tBoxIdentity();
  } else {
    box_ = tBoxIdentity(path);
    lock_.acquire(box_);
  }
  readOnly_ = known.readOnly;
  onlyToRead_ = known.onlyToRead;
  lossyRewrite_ = known.lossyRewrite;
  stampKept_ = known.stampKept;
  stamp_ = known.stamp;
}
