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
  changed_.notify_all();
  thread_.join();
}

void tHashThread::add(tStream stream, std::vector<unsigned char> piece) {
  if (!thread_.joinable()) {
    hashes_[stream].add(piece.data(), piece.size());
    return;
  }
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return waiting_.size() < kMostWaiting; });
  waiting_.emplace_back(stream, std::move(piece));
  lock.unlock();
  changed_.notify_all();
}

tVersionId tHashThread::version(tStream stream) {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return waiting_.empty() && !hashing_; });
  return hashes_[stream].version();
}

void tHashThread::run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return stop_ || !waiting_.empty(); });
    if (waiting_.empty()) return;
    tPiece piece = std::move(waiting_.front());
    waiting_.pop_front();
    hashing_ = true;
    lock.unlock();
    changed_.notify_all();
    hashes_[piece.first].add(piece.second.data(), piece.second.size());
    lock.lock();
    hashing_ = false;
    changed_.notify_all();
  }
}
