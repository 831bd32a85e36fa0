#include "app/speech_thread.h"

#include <condition_variable>
#include <mutex>
#include <utility>

#include "app/speech.h"

// Owned jointly by the window's side and the thread, so a thread left behind still has
// everything it touches after the window has gone.
struct tSpeechThread::tShared {
  std::mutex mutex;
  std::condition_variable changed;
  tJob job;               // waiting to be taken, empty when none
  unsigned finished = 0;  // jobs done so far
  bool result = false;    // of the job done last
  bool quit = false;
  bool ended = false;
  // Touched by the jobs only, on the thread; why is read after a job has finished.
  std::unique_ptr<tSprecher> speaker;
  std::string why;
};

tSpeechThread::tSpeechThread(std::chrono::milliseconds deadline)
    : deadline_(deadline), shared_(std::make_shared<tShared>()), abandoned_(false) {}

tSpeechThread::~tSpeechThread() {
  if (!thread_.joinable()) return;
  bool ended = false;
  {
    std::unique_lock<std::mutex> lock(shared_->mutex);
    shared_->quit = true;
    shared_->changed.notify_all();
    if (!abandoned_) {
      ended = shared_->changed.wait_for(lock, deadline_, [this] { return shared_->ended; });
    }
  }
  if (ended) {
    thread_.join();
  } else {
    thread_.detach();
  }
}

tSpeechOutcome tSpeechThread::open(std::string* why) {
  const tSpeechOutcome outcome = run([](tShared& shared) {
    shared.speaker = openSpeech(&shared.why);
    return shared.speaker != nullptr;
  });
  if (outcome == tSpeechOutcome::kFailed) *why = shared_->why;
  return outcome;
}

tSpeechOutcome tSpeechThread::say(const std::string& cp1252, const std::string& language) {
  return run([cp1252, language](tShared& shared) {
    return shared.speaker != nullptr && shared.speaker->say(cp1252, language);
  });
}

tSpeechOutcome tSpeechThread::stop() {
  return run([](tShared& shared) {
    if (shared.speaker != nullptr) shared.speaker->stop();
    return true;
  });
}

tSpeechOutcome tSpeechThread::run(tJob job) {
  if (abandoned_) return tSpeechOutcome::kNoAnswer;
  if (!thread_.joinable()) thread_ = std::thread(serve, shared_);
  std::unique_lock<std::mutex> lock(shared_->mutex);
  shared_->job = std::move(job);
  const unsigned ticket = shared_->finished + 1;
  shared_->changed.notify_all();
  if (!shared_->changed.wait_for(lock, deadline_, [&] { return shared_->finished >= ticket; })) {
    abandoned_ = true;
    return tSpeechOutcome::kNoAnswer;
  }
  return shared_->result ? tSpeechOutcome::kDone : tSpeechOutcome::kFailed;
}

void tSpeechThread::serve(std::shared_ptr<tShared> shared) {
  std::unique_lock<std::mutex> lock(shared->mutex);
  for (;;) {
    shared->changed.wait(lock, [&] { return shared->job || shared->quit; });
    if (!shared->job) break;
    const tJob job = std::move(shared->job);
    shared->job = nullptr;
    lock.unlock();
    const bool result = job(*shared);
    lock.lock();
    shared->result = result;
    ++shared->finished;
    shared->changed.notify_all();
  }
  lock.unlock();
  // Cancels what is being spoken, so nothing goes on after the program has ended.
  shared->speaker.reset();
  lock.lock();
  shared->ended = true;
  shared->changed.notify_all();
}
