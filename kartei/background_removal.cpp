#include "kartei/background_removal.h"

#include <unistd.h>

#include <system_error>
#include <utility>

tBackgroundRemoval& tBackgroundRemoval::ofProcess() {
  static tBackgroundRemoval removal;
  return removal;
}

void tBackgroundRemoval::remove(std::vector<std::string> paths) {
  if (paths.empty()) return;
  std::unique_lock<std::mutex> lock(mutex_);
  pending_.insert(pending_.end(), paths.begin(), paths.end());
  if (running_) return;
  // A worker that ran dry has ended; a new one takes over.
  if (worker_.joinable()) worker_.join();
  try {
    worker_ = std::thread(&tBackgroundRemoval::run, this);
    running_ = true;
  } catch (const std::system_error&) {
    for (; !pending_.empty(); pending_.pop_front()) unlink(pending_.front().c_str());
  }
}

void tBackgroundRemoval::run() {
  std::unique_lock<std::mutex> lock(mutex_);
  while (!pending_.empty()) {
    const std::string path = std::move(pending_.front());
    pending_.pop_front();
    lock.unlock();
    unlink(path.c_str());
    lock.lock();
  }
  running_ = false;
  done_.notify_all();
}

void tBackgroundRemoval::finish() {
  std::unique_lock<std::mutex> lock(mutex_);
  done_.wait(lock, [this] { return !running_; });
  if (worker_.joinable()) worker_.join();
}
