#include "app/vorlesen.h"

namespace {

const char kServiceGone[] = "Sprachdienst antwortet nicht";

}  // namespace

tVorlesen::tVorlesen() : failed_(false) {}

tVorlesen::~tVorlesen() = default;

bool tVorlesen::connect(std::string* why) {
  if (speaker_ != nullptr) return true;
  if (failed_) return false;
  std::string reason;
  speaker_ = openSpeech(&reason);
  if (speaker_ == nullptr) fail(why, reason);
  return speaker_ != nullptr;
}

void tVorlesen::say(const std::string& cp1252, const std::string& language, std::string* why) {
  if (!connect(why)) return;
  if (cp1252.empty()) {
    speaker_->stop();
  } else if (!speaker_->say(cp1252, language)) {
    speaker_.reset();
    fail(why, kServiceGone);
  }
}

void tVorlesen::stop() {
  if (speaker_ != nullptr) speaker_->stop();
}

void tVorlesen::fail(std::string* why, const std::string& reason) {
  if (!failed_) *why = reason;
  failed_ = true;
}
