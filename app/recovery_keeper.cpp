#include "app/recovery_keeper.h"

#include <utility>

#include "box/card_box.h"

namespace {

// How many times the last look's duration the keeper waits before the next.
constexpr int kPauseFactor = 4;

}  // namespace

tRecoveryWriter::tRecoveryWriter() : thread_([this] { run(); }) {}

tRecoveryWriter::~tRecoveryWriter() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

void tRecoveryWriter::post(const std::string& file, std::string bytes) {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    file_ = file;
    bytes_ = std::move(bytes);
    pending_ = true;
  }
  changed_.notify_all();
}

void tRecoveryWriter::wait(bool dropPending) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (dropPending) pending_ = false;
  changed_.wait(lock, [this] { return !pending_ && !busy_; });
}

std::string tRecoveryWriter::takeError() {
  const std::lock_guard<std::mutex> lock(mutex_);
  return std::move(error_);
}

void tRecoveryWriter::run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return pending_ || stop_; });
    if (!pending_) return;
    const std::string file = file_;
    const std::string bytes = std::move(bytes_);
    pending_ = false;
    busy_ = true;
    lock.unlock();
    std::string error;
    const bool written = writeRecovery(file, bytes, &error);
    lock.lock();
    busy_ = false;
    if (!written) error_ = error;
    changed_.notify_all();
  }
}

tRecoveryKeeper::tRecoveryKeeper(std::function<void(const std::string&)> report)
    : report_(std::move(report)), timer_(this) {
  Bind(wxEVT_TIMER, &tRecoveryKeeper::onTimer, this);
  timer_.Start(kPollMs);
}

tRecoveryKeeper::~tRecoveryKeeper() {
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
  baseline_ = written_ = cardBoxFingerprint();
  baselineTotal_ = theCardBox.totalCount();
  counts_ = countsWritten_ = tRecoveryCounts();
  failed_ = false;
  return active();
}

void tRecoveryKeeper::restored(const tRecoveryData& data) {
  counts_ = data.counts;
  savedAt_ = data.savedAt;
  baselineTotal_ = theCardBox.totalCount() - data.counts.cardsAdded + data.counts.cardsRemoved;
}

void tRecoveryKeeper::noteAnswer(int delta) {
  counts_.answers = std::max(0, counts_.answers + delta);
}

void tRecoveryKeeper::noteCorrection() {
  ++counts_.corrections;
}

void tRecoveryKeeper::onTimer(wxTimerEvent&) {
  if (std::chrono::steady_clock::now() < nextLook_) return;
  const std::string error = writer_.takeError();
  if (!error.empty()) {
    // Written again at the next look; told once per box and failure, so the learner
    // is not stopped at every answer.
    written_ = baseline_;
    if (!failed_ && report_) report_(error);
    failed_ = true;
  }
  const auto start = std::chrono::steady_clock::now();
  look();
  const auto end = std::chrono::steady_clock::now();
  nextLook_ = end + (end - start) * kPauseFactor;
}

void tRecoveryKeeper::flush() {
  look();
  writer_.wait(false);
}

void tRecoveryKeeper::look() {
  if (!active()) return;
  const uint64_t fingerprint = cardBoxFingerprint();
  if (fingerprint == written_) return;
  // A change that neither answers, corrections nor the number of cards explain.
  const int32_t total = theCardBox.totalCount();
  if (counts_.answers == countsWritten_.answers &&
      counts_.corrections == countsWritten_.corrections &&
      total - baselineTotal_ == countsWritten_.cardsAdded - countsWritten_.cardsRemoved) {
    counts_.otherChanges = true;
  }
  counts_.cardsAdded = std::max(0, total - baselineTotal_);
  counts_.cardsRemoved = std::max(0, baselineTotal_ - total);
  if (fingerprint == baseline_) {
    // Back as its file holds it (answers taken back): nothing is left to recover.
    if (remove()) written_ = fingerprint;
    return;
  }
  write(fingerprint);
}

void tRecoveryKeeper::write(uint64_t fingerprint) {
  tRecoveryData data;
  data.boxPath = cardPath_;
  data.savedAt = savedAt_;
  data.writtenAt = static_cast<int64_t>(std::time(nullptr));
  data.counts = counts_;
  writer_.post(file_, encodeBoxRecovery(data));
  written_ = fingerprint;
  countsWritten_ = counts_;
}

bool tRecoveryKeeper::remove() {
  writer_.wait(true);
  return removeRecovery(file_);
}

void tRecoveryKeeper::movedAway() {
  written_ = baseline_;
}

void tRecoveryKeeper::closedUnchanged() {
  if (active() && remove()) baseline_ = written_ = cardBoxFingerprint();
}

void tRecoveryKeeper::saved(const std::string& cardPath, int64_t savedAt) {
  if (active()) remove();
  attach(cardPath, savedAt);
}
