#include "wordlists/card_intake.h"

#include <algorithm>

#include "box/card_box.h"
#include "box/card_text.h"
#include "box/termel.h"
#include "storage/text_encoding.h"

namespace {

// The text as a card holds it: cut to 63 characters, and without trailing spaces
// after the cut too, so a card never ends in one and reads back the same from any
// export.
void fitToCard(std::string* text) {
  text->resize(std::min(text->size(), static_cast<size_t>(tTermel::kTextSize - 1)));
  const size_t end = text->find_last_not_of(' ');
  text->erase(end == std::string::npos ? 0 : end + 1);
}

// A record may spread a text over several lines; a card shows one line.
std::string withoutLineBreaks(const std::string& text) {
  std::string flat;
  flat.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    flat.push_back(c == '\r' || c == '\n' || c == '\t' ? ' ' : c);
  }
  return flat;
}

bool hasControlCharacter(const std::string& text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return true;
  }
  return false;
}

}  // namespace

const char* wordListCaption(int code) {
  switch (code) {
    case kImportExtraColumns:
      return "Weitere Spalten ignoriert";
    case kImportOpenQuote:
      return "Anf\xFChrungszeichen nicht geschlossen";
    case kImportNotAWordList:
      return "Keine lesbare Vokabeldatei";
    case kImportStrayQuote:
      return "Anf\xFChrungszeichen als Text \xFC"
             "bernommen";
    default:
      return importCaption(code);
  }
}

std::string wordListNote(const char* caption, const char* text, int line) {
  std::string note = line > 0 ? "Zeile " + std::to_string(line) + ": " : std::string();
  note += caption != nullptr ? caption : "";
  note += ": ";
  note += text != nullptr ? text : "";
  while (!note.empty() && (note.back() == '\n' || note.back() == '\r')) note.pop_back();
  return note;
}

int cardTextFromUtf8(const std::string& utf8, std::string* cp1252, bool* replaced) {
  // Characters are judged here and nowhere else: the same rules as every other way
  // text enters a card (card_text.h).
  if (hasControlCharacter(utf8) || !utf8ToCp1252(utf8, cp1252)) return kImportNotEncodable;
  const tCardTextFit fit = fitCardText(cp1252);
  if (!fit.fits) return kImportNotEncodable;
  if (fit.replaced && replaced != nullptr) *replaced = true;
  return kImportAdded;
}

tCardIntake::tCardIntake(const tWordListReporter& report, tImportResult* result)
    : report_(report), result_(result), index_(theCardBox) {}

int tCardIntake::add(tWordCard card) {
  std::string front, back;
  bool replaced = false;
  int code = cardTextFromUtf8(withoutLineBreaks(card.front), &front, &replaced);
  if (code == kImportAdded) code = cardTextFromUtf8(withoutLineBreaks(card.back), &back, &replaced);
  fitToCard(&front);
  fitToCard(&back);
  if (code == kImportAdded && front.empty()) code = kImportNoFirstTerm;
  if (code == kImportAdded && back.empty()) code = kImportNoSecondTerm;
  if (code != kImportAdded) {
    refuse(code, card.line, card.front + ";" + card.back);
    return code;
  }
  tTermel made = makeCard(front.c_str(), back.c_str());
  made.timesKnown = card.timesKnown;
  made.timesUnknown = card.timesUnknown;
  const uint64_t hash = tImportIndex::hashOf(made);
  if (index_.contains(made, hash)) return kImportAlreadyPresent;
  const int archive = theCardBox.compartmentCount();
  const int n = card.compartment < 1 ? 1 : card.compartment > archive ? archive : card.compartment;
  theCardBox.addCardTo(made, n);
  index_.insert(theCardBox.lastIn(n), hash);
  ++result_->added;
  if (replaced) ++result_->replaced;
  return kImportAdded;
}

void tCardIntake::refuse(int code, int line, const std::string& text) {
  ++result_->malformed;
  tell(code, line, text);
}

void tCardIntake::notice(int code, int line, const std::string& text) {
  tell(code, line, text);
}

void tCardIntake::tell(int code, int line, const std::string& utf8) {
  if (report_) report_(code, wordListCaption(code), utf8ToCp1252Shown(utf8).c_str(), line);
}
