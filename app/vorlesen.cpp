#include "app/vorlesen.h"

#include <chrono>

namespace {

const char kServiceGone[] = "Sprachdienst antwortet nicht";
// Long enough for a service that is busy, short enough that the learner hardly notices
// one that has hung.
constexpr std::chrono::milliseconds kDeadline(1000);

}  // namespace

tVorlesen::tVorlesen() : service_(kDeadline), connected_(false), failed_(false) {}

tVorlesen::~tVorlesen() = default;

bool tVorlesen::connect(std::string* why) {
  if (connected_) return true;
  if (failed_) return false;
  std::string reason;
  switch (service_.open(&reason)) {
    case tSpeechOutcome::kDone:
      connected_ = true;
      break;
    case tSpeechOutcome::kFailed:
      fail(why, reason);
      break;
    case tSpeechOutcome::kNoAnswer:
      fail(why, kServiceGone);
      break;
  }
  return connected_;
}

void tVorlesen::say(const std::string& cp1252, const std::string& language, std::string* why) {
  if (!connect(why)) return;
  check(cp1252.empty() ? service_.stop() : service_.say(cp1252, language), why);
}

void tVorlesen::stop(std::string* why) {
  if (connected_) check(service_.stop(), why);
}

bool tVorlesen::check(tSpeechOutcome outcome, std::string* why) {
  if (outcome == tSpeechOutcome::kDone) return true;
  connected_ = false;
  fail(why, kServiceGone);
  return false;
}

void tVorlesen::fail(std::string* why, const std::string& reason) {
  if (!failed_) *why = reason;
  failed_ = true;
}
