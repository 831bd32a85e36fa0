// tSprecher: a voice of the desktop's speech service that reads the card sides aloud,
// one text at a time. openSpeech connects to the service; tests put a recorder in its
// place with setSpeechFactory, so the drill can be checked without any sound.
#ifndef TERMEL_APP_SPEECH_H_
#define TERMEL_APP_SPEECH_H_

#include <functional>
#include <memory>
#include <string>

class tSprecher {
 public:
  virtual ~tSprecher() = default;

  // Stops whatever is being spoken and starts text (code page 1252) in language, a
  // code such as "de" or "pt-BR". Returns at once, while the text is still spoken.
  // False when the service is gone.
  virtual bool say(const std::string& cp1252, const std::string& language) = 0;
  // Stops what is being spoken, if anything.
  virtual void stop() = 0;
};

// Connects to the speech service; nullptr and a German reason (UTF-8) in *why when
// there is none to be had.
using tSpeechFactory = std::function<std::unique_ptr<tSprecher>(std::string* why)>;
std::unique_ptr<tSprecher> openSpeech(std::string* why);
// Replaces how openSpeech connects; an empty factory goes back to the real service.
// Safe while a connection is under way on another thread.
void setSpeechFactory(tSpeechFactory factory);

#endif  // TERMEL_APP_SPEECH_H_
