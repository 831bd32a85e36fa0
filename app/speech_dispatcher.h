// tSpeechDispatcher: tSprecher over speech-dispatcher, the desktop's speech service,
// so the learner's own voices and settings are used. One connection per object; its
// requests only queue the text, the service speaks it on its own.
#ifndef TERMEL_APP_SPEECH_DISPATCHER_H_
#define TERMEL_APP_SPEECH_DISPATCHER_H_

#include <memory>
#include <string>

#include "app/speech.h"

class tSpeechDispatcher : public tSprecher {
 public:
  // Connects to the desktop's service, the one SPEECHD_ADDRESS names if it is set,
  // and starts the desktop's service if it is not running. nullptr and a German reason
  // in *why when that fails. Blocks while the service does not answer.
  static std::unique_ptr<tSpeechDispatcher> open(std::string* why);
  ~tSpeechDispatcher() override;

  tSpeechDispatcher(const tSpeechDispatcher&) = delete;
  tSpeechDispatcher& operator=(const tSpeechDispatcher&) = delete;

  bool say(const std::string& cp1252, const std::string& language) override;
  void stop() override;

 private:
  struct tConnection;  // libspeechd's connection, whose type has no name to declare
  explicit tSpeechDispatcher(tConnection* connection) : connection_(connection) {}

  tConnection* connection_;
};

#endif  // TERMEL_APP_SPEECH_DISPATCHER_H_
