// tVorlesen: the training window's voice. It connects to the speech service on first
// use and keeps the connection; once the service could not be had, went away or left a
// request unanswered for a second, it stays silent for the rest of the run and says why
// only that once. The service is talked to on a thread of its own, so the window waits
// on it a second at most, and not at all once it has stopped answering.
#ifndef TERMEL_APP_VORLESEN_H_
#define TERMEL_APP_VORLESEN_H_

#include <string>

#include "app/speech_thread.h"

class tVorlesen {
 public:
  tVorlesen();
  ~tVorlesen();
  tVorlesen(const tVorlesen&) = delete;
  tVorlesen& operator=(const tVorlesen&) = delete;

  // Connects unless connected. False when there is no service; *why then gets the
  // reason (UTF-8) the first time and is left empty after that.
  bool connect(std::string* why);
  // False once the service could not be had.
  bool usable() const { return !failed_; }
  // Speaks text (code page 1252) in language, cutting off what is being spoken; an
  // empty text only does that. *why as for connect.
  void say(const std::string& cp1252, const std::string& language, std::string* why);
  // Cuts off what is being spoken, if connected. *why as for connect.
  void stop(std::string* why);

 private:
  // Keeps the outcome of a request to the connected service; false unless it was done.
  bool check(tSpeechOutcome outcome, std::string* why);
  void fail(std::string* why, const std::string& reason);

  tSpeechThread service_;
  bool connected_;
  bool failed_;
};

#endif  // TERMEL_APP_VORLESEN_H_
