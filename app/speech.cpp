// Which speech service openSpeech connects to: speech-dispatcher unless a test said
// otherwise.
#include "app/speech.h"

#include <utility>

#include "app/speech_dispatcher.h"

namespace {

tSpeechFactory& factory() {
  static tSpeechFactory instance;
  return instance;
}

}  // namespace

std::unique_ptr<tSprecher> openSpeech(std::string* why) {
  if (factory()) return factory()(why);
  return tSpeechDispatcher::open(why);
}

void setSpeechFactory(tSpeechFactory replacement) {
  factory() = std::move(replacement);
}
