// The connection to speech-dispatcher through libspeechd, in single mode: no thread
// of the library's own, and every call returns as soon as the service has the request.
#include "app/speech_dispatcher.h"

#include <libspeechd.h>

#include <csignal>
#include <cstdlib>

#include "storage/text_encoding.h"

struct tSpeechDispatcher::tConnection {
  SPDConnection* spd;
};

namespace {

const char kNoService[] = "Kein Sprachdienst zum Vorlesen";

}  // namespace

std::unique_ptr<tSpeechDispatcher> tSpeechDispatcher::open(std::string* why) {
  // A service that goes away leaves a closed socket; writing to it must come back as
  // an error instead of ending the program.
  std::signal(SIGPIPE, SIG_IGN);
  // Only the desktop's own service is started when it is not running; one that
  // SPEECHD_ADDRESS names is someone else's to run, and may be anywhere.
  const int mayStart = std::getenv("SPEECHD_ADDRESS") == nullptr ? 1 : 0;
  char* error = nullptr;
  SPDConnection* spd =
      spd_open2("termel", "drill", nullptr, SPD_MODE_SINGLE, nullptr, mayStart, &error);
  // The library's reasons are English and long; none is anything the learner can act on.
  std::free(error);
  if (spd == nullptr) {
    *why = kNoService;
    return nullptr;
  }
  return std::unique_ptr<tSpeechDispatcher>(new tSpeechDispatcher(new tConnection{spd}));
}

tSpeechDispatcher::~tSpeechDispatcher() {
  // Closing alone would let the service finish the text after the program has gone.
  spd_cancel(connection_->spd);
  spd_close(connection_->spd);
  delete connection_;
}

bool tSpeechDispatcher::say(const std::string& cp1252, const std::string& language) {
  stop();
  return spd_set_language(connection_->spd, language.c_str()) == 0 &&
         spd_say(connection_->spd, SPD_TEXT, cp1252ToUtf8(cp1252).c_str()) >= 0;
}

void tSpeechDispatcher::stop() {
  spd_cancel(connection_->spd);
}
