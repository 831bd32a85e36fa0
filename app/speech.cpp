// Which speech service openSpeech connects to: speech-dispatcher unless a test said
// otherwise.
#include "app/speech.h"

#include <mutex>
#include <utility>

#include "app/speech_dispatcher.h"

namespace {

// openSpeech runs on the speech thread, while a test may replace the factory on the
// window's; a connection under way keeps the factory it started with.
std::mutex& factoryMutex() {
  static std::mutex instance;
  return instance;
}

tSpeechFactory& factory() {
  static tSpeechFactory instance;
  return instance;
}

}  // namespace

std::unique_ptr<tSprecher> openSpeech(std::string* why) {
  tSpeechFactory current;
  {
    std::lock_guard<std::mutex> lock(factoryMutex());
    current = factory();
  }
  if (current) return current(why);
  return tSpeechDispatcher::open(why);
}

void setSpeechFactory(tSpeechFactory replacement) {
  std::lock_guard<std::mutex> lock(factoryMutex());
  factory() = std::move(replacement);
}
