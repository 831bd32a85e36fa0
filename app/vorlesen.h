// tVorlesen: the training window's voice. It connects to the speech service on first
// use and keeps the connection; once the service could not be had, or went away, it
// stays silent for the rest of the run and says why only that once.
#ifndef TERMEL_APP_VORLESEN_H_
#define TERMEL_APP_VORLESEN_H_

#include <memory>
#include <string>

#include "app/speech.h"

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
  void stop();

 private:
  void fail(std::string* why, const std::string& reason);

  std::unique_ptr<tSprecher> speaker_;
  bool failed_;
};

#endif  // TERMEL_APP_VORLESEN_H_
