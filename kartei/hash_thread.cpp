#include "kartei/hash_thread.h"

#include <system_error>

tHashThread::tHashThread() {
  try {
    thread_ = std::thread(&tHashThread::run, this);
  } catch (const std::system_error&) {
    // No thread: add() hashes each piece itself.
  }
}

tHashThread::~tHashThread() {
  if (!thread_.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  work_.notify_all();
  thread_.join();
}

void tHashThread::add(tStream stream, std::vector<unsigned char> piece) {
  if (!thread_.joinable()) {
    hashes_[stream].add(piece.data(), piece.size());
    return;
  }
  std::unique_lock<std::mutex> lock(mutex_);
  room_.wait(lock, [this] { return waiting_.size() < kMostWaiting; });
  waiting_.emplace_back(stream, std::move(piece));
  // The thread sleeps only when nothing waits: most pieces need no wake-up.
  const bool wake = waiting_.size() == 1;
  lock.unlock();
  if (wake) work_.notify_one();
}

std::vector<unsigned char> tHashThread::spare() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (spares_.empty()) return {};
  std::vector<unsigned char> piece = std::move(spares_.back());
  spares_.pop_back();
  return piece;
}

tVersionId tHashThread::version(tStream stream) {
  std::unique_lock<std::mutex> lock(mutex_);
  room_.wait(lock, [this] { return waiting_.empty() && !hashing_; });
  return hashes_[stream].version();
}

void tHashThread::run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    work_.wait(lock, [this] { return stop_ || !waiting_.empty(); });
    if (waiting_.empty()) return;
    tPiece piece = std::move(waiting_.front());
    const bool wasFull = waiting_.size() == kMostWaiting;
    waiting_.pop_front();
    hashing_ = true;
    lock.unlock();
    // Only a save held up by a full queue is woken for room.
    if (wasFull) room_.notify_all();
    hashes_[piece.first].add(piece.second.data(), piece.second.size());
    lock.lock();
    if (spares_.size() < kMostWaiting) spares_.push_back(std::move(piece.second));
    hashing_ = false;
    if (waiting_.empty()) room_.notify_all();
  }
}
