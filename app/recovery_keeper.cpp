#include "app/recovery_keeper.h"

#include <algorithm>
#include <ctime>
#include <random>
#include <utility>

#include "box/card_box.h"
#include "kartei/box_merge.h"
#include "kartei/recovery_log.h"
#include "kartei/version_record.h"
#include "storage/safe_replace.h"

namespace {

// Beyond this the log is replaced by the whole box, so reading it back stays quick.
constexpr size_t kMaxLogSize = size_t{64} << 20;

uint64_t newBaseId() {
  static std::mt19937_64 ids{std::random_device{}()};
  return ids() | 1;  // never 0, the id of no recovery file
}

}  // namespace

tRecoveryWriter::tRecoveryWriter(std::function<void()> failed)
    : failed_(std::move(failed)), thread_([this] { run(); }) {}

tRecoveryWriter::~tRecoveryWriter() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

void tRecoveryWriter::prepare(const std::string& path, const tCardFileVersion& stamp) {
  if (path.empty() || stamp.size < 0) return;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    preparePath_ = path;
    prepareStamp_ = stamp;
  }
  changed_.notify_all();
}

void tRecoveryWriter::postBase(const std::string& file, std::unique_ptr<tRecoveryData> base) {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    file_ = file;
    base_ = std::move(base);
    records_.clear();
  }
  changed_.notify_all();
}

void tRecoveryWriter::postRecords(const std::string& records) {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    records_ += records;
  }
  changed_.notify_all();
}

void tRecoveryWriter::wait(bool dropPending) {
  std::unique_lock<std::mutex> lock(mutex_);
  // A hash not yet begun is taken again when a whole box needs it.
  preparePath_.clear();
  if (dropPending) {
    base_.reset();
    records_.clear();
  }
  changed_.wait(lock, [this] { return !pending() && !busy_; });
}

std::string tRecoveryWriter::takeError() {
  const std::lock_guard<std::mutex> lock(mutex_);
  return std::move(error_);
}

void tRecoveryWriter::run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return pending() || !preparePath_.empty() || stop_; });
    if (stop_ && !pending()) return;
    if (!pending()) {
      const std::string path = std::move(preparePath_);
      preparePath_.clear();
      const tCardFileVersion stamp = prepareStamp_;
      busy_ = true;
      lock.unlock();
      hashCardFile(path, stamp);
      lock.lock();
      busy_ = false;
      changed_.notify_all();
      continue;
    }
    const std::string file = file_;
    std::unique_ptr<tRecoveryData> base = std::move(base_);
    const std::string records = std::move(records_);
    records_.clear();
    const bool skip = base == nullptr && logBroken_;
    busy_ = true;
    lock.unlock();
    std::string error;
    bool written = true;
    if (base != nullptr) {
      written = writeBase(file, base.get(), records, &error);
    } else if (!skip) {
      written = appendToLog(recoveryLogOf(file), records, &error);
    }
    lock.lock();
    busy_ = false;
    if (base != nullptr || !written) logBroken_ = !written;
    if (!written) error_ = error;
    changed_.notify_all();
    if (!written && failed_) failed_();
  }
}

bool tRecoveryWriter::writeBase(const std::string& file, tRecoveryData* base,
                                const std::string& records, std::string* error) {
  tCardFileVersion& version = base->fileVersion;
  if (version.size >= 0) {
    hashCardFile(base->boxPath, version);
    version.hash = hashed_.hash;
  }
  // The recovery file first: until the new log is in place, the old one names the
  // old recovery file and is left alone.
  return writeRecovery(file, encodeRecovery(*base), error) &&
         writeRecovery(recoveryLogOf(file), logStart(base->baseId) + records, error);
}

void tRecoveryWriter::hashCardFile(const std::string& path, const tCardFileVersion& stamp) {
  if (hashedPath_ == path && hashed_.size == stamp.size && hashed_.mtimeNs == stamp.mtimeNs) {
    return;
  }
  tVersionId id;
  if (!versionOfFile(path, &id)) id.hash.clear();
  // Written over since it was loaded: what the data was taken from is gone, and no
  // hash is known for it.
  const tCardFileVersion now = cardFileStamp(path);
  if (now.size != stamp.size || now.mtimeNs != stamp.mtimeNs) id.hash.clear();
  hashedPath_ = path;
  hashed_ = stamp;
  hashed_.hash = id.hash;
}

tRecoveryKeeper::tRecoveryKeeper(std::function<void(const std::string&)> report)
    : report_(std::move(report)),
      timer_(this),
      writer_([this] { CallAfter(&tRecoveryKeeper::writeFailed); }) {
  Bind(wxEVT_TIMER, &tRecoveryKeeper::onTimer, this);
  theCardBox.setObserver(this);
}

tRecoveryKeeper::~tRecoveryKeeper() {
  if (theCardBox.observer() == this) theCardBox.setObserver(nullptr);
  timer_.Stop();
  writer_.wait(false);
  release();
}

void tRecoveryKeeper::release() {
  releaseRecoveryDir(claim_);
  claim_ = -1;
  file_.clear();
}

bool tRecoveryKeeper::attach(const std::string& cardPath, int64_t savedAt) {
  writer_.wait(false);
  if (claim_ < 0 || cardPath != cardPath_) {
    release();
    const tBoxIdentity box(cardPath);
    claim_ = claimRecoveryDir(box);
    if (claim_ >= 0) file_ = recoveryFileOf(box);
  }
  cardPath_ = cardPath;
  savedAt_ = savedAt;
  stamp_ = cardFileStamp(cardPath);
  if (active()) writer_.prepare(cardPath, stamp_);
  baselineTotal_ = theCardBox.totalCount();
  counts_ = countsWritten_ = tRecoveryCounts();
  dirty_ = false;
  needsBase_ = true;
  records_.clear();
  failed_ = false;
  timer_.Stop();
  return active();
}

void tRecoveryKeeper::restored(const tRecoveryData& data) {
  counts_ = data.counts;
  savedAt_ = data.savedAt;
  baselineTotal_ = theCardBox.totalCount() - data.counts.cardsAdded + data.counts.cardsRemoved;
  needsBase_ = true;
  dirty_ = true;
  schedule(kWriteDelayMs);
}

void tRecoveryKeeper::noteAnswer(int delta) {
  counts_.answers = std::max(0, counts_.answers + delta);
  dirty_ = true;
  schedule(kWriteDelayMs);
}

void tRecoveryKeeper::noteCorrection() {
  ++counts_.corrections;
  dirty_ = true;
  schedule(kWriteDelayMs);
}

void tRecoveryKeeper::boxChanged(const tBoxChange& change) {
  if (!active()) return;
  dirty_ = true;
  if (!needsBase_ &&
      (!addChangeRecord(&records_, change) || logSize_ + records_.size() > kMaxLogSize)) {
    needsBase_ = true;
    records_.clear();
  }
  schedule(kWriteDelayMs);
}

void tRecoveryKeeper::schedule(int delayMs) {
  if (active() && !timer_.IsRunning()) timer_.StartOnce(delayMs);
}

void tRecoveryKeeper::onTimer(wxTimerEvent&) {
  handOver();
}

void tRecoveryKeeper::flush() {
  timer_.Stop();
  handOver();
  writer_.wait(false);
}

void tRecoveryKeeper::updateCounts() {
  // A change that neither answers, corrections nor the number of cards explain.
  const int32_t total = theCardBox.totalCount();
  if (counts_.answers == countsWritten_.answers &&
      counts_.corrections == countsWritten_.corrections &&
      total - baselineTotal_ == countsWritten_.cardsAdded - countsWritten_.cardsRemoved) {
    counts_.otherChanges = true;
  }
  counts_.cardsAdded = std::max(0, total - baselineTotal_);
  counts_.cardsRemoved = std::max(0, baselineTotal_ - total);
}

void tRecoveryKeeper::handOver() {
  if (!active() || !dirty_) return;
  updateCounts();
  if (needsBase_) {
    auto base = std::make_unique<tRecoveryData>();
    base->boxPath = cardPath_;
    base->savedAt = savedAt_;
    base->writtenAt = static_cast<int64_t>(std::time(nullptr));
    base->baseId = newBaseId();
    base->fileVersion = stamp_;
    base->counts = counts_;
    base->cards = cardsOf(theCardBox);
    writer_.postBase(file_, std::move(base));
    logSize_ = 0;
    needsBase_ = false;
  } else {
    addCountsRecord(&records_, counts_);
    logSize_ += records_.size();
    writer_.postRecords(records_);
  }
  records_.clear();
  dirty_ = false;
  countsWritten_ = counts_;
}

void tRecoveryKeeper::writeFailed() {
  const std::string error = writer_.takeError();
  if (error.empty() || !active()) return;
  // Told once per box and failure, so the learner is not stopped at every answer; the
  // whole box is written again a little later.
  if (!failed_ && report_) report_(error);
  failed_ = true;
  needsBase_ = true;
  dirty_ = true;
  records_.clear();
  schedule(kRetryMs);
}

bool tRecoveryKeeper::remove() {
  writer_.wait(true);
  // What is not yet handed over continues data that is gone.
  needsBase_ = true;
  records_.clear();
  return removeRecovery(file_);
}

void tRecoveryKeeper::movedAway(bool changed) {
  dirty_ = changed;
  needsBase_ = true;
  records_.clear();
  if (changed) schedule(kWriteDelayMs);
}

void tRecoveryKeeper::closedUnchanged() {
  if (active() && remove()) dirty_ = false;
}

void tRecoveryKeeper::saved(const std::string& cardPath, int64_t savedAt) {
  if (active()) remove();
  attach(cardPath, savedAt);
}
