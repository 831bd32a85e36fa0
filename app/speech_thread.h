// tSpeechThread: the connection to the speech service, kept on a thread of its own so
// that the window never waits on the service longer than a deadline. A call the service
// leaves unanswered past the deadline leaves the thread behind, stuck in the service's
// library; every later call then fails at once, and the thread ends by itself once the
// service answers or goes away.
#ifndef TERMEL_APP_SPEECH_THREAD_H_
#define TERMEL_APP_SPEECH_THREAD_H_

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>

class tSprecher;

enum class tSpeechOutcome { kDone, kFailed, kNoAnswer };

class tSpeechThread {
 public:
  explicit tSpeechThread(std::chrono::milliseconds deadline);
  // Closes the connection, waiting for that no longer than the deadline.
  ~tSpeechThread();
  tSpeechThread(const tSpeechThread&) = delete;
  tSpeechThread& operator=(const tSpeechThread&) = delete;

  // Connects through openSpeech; kFailed with the reason (UTF-8) in *why.
  tSpeechOutcome open(std::string* why);
  // tSprecher's say and stop on the connection open has made.
  tSpeechOutcome say(const std::string& cp1252, const std::string& language);
  tSpeechOutcome stop();

 private:
  struct tShared;
  using tJob = std::function<bool(tShared&)>;

  tSpeechOutcome run(tJob job);
  // The thread's loop: runs each job as it comes, and closes the connection when told
  // to quit.
  static void serve(std::shared_ptr<tShared> shared);

  std::chrono::milliseconds deadline_;
  std::shared_ptr<tShared> shared_;
  std::thread thread_;  // started by the first call
  bool abandoned_;
};

#endif  // TERMEL_APP_SPEECH_THREAD_H_
