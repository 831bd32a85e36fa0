#include "wordlists/package_format.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "wordlists/card_intake.h"
#include "wordlists/html_text.h"
#include "wordlists/package_archive.h"
#include "wordlists/package_collection.h"

namespace {

// The shortest interval, in days, of compartments 2 to 6 and of the archive.
constexpr int64_t kIntervalFloors[] = {1, 3, 7, 15, 30, 60};

std::string lowerCase(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// "Deutsch", "German word", "de", "de_AT", "DE-CH".
bool namesGerman(const std::string& fieldName) {
  const std::string name = lowerCase(fieldName);
  return name == "de" || name.compare(0, 3, "de_") == 0 || name.compare(0, 3, "de-") == 0 ||
         name.find("deutsch") != std::string::npos || name.find("german") != std::string::npos;
}

// Whether the text holds a cloze deletion, "{{c1::...}}".
bool holdsCloze(const std::string& text) {
  for (size_t at = text.find("{{c"); at != std::string::npos; at = text.find("{{c", at + 1)) {
    size_t end = at + 3;
    while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end]))) ++end;
    if (end > at + 3 && text.compare(end, 2, "::") == 0) return true;
  }
  return false;
}

// A field as the card shows it: plain text without recordings and pictures.
std::string fieldText(const std::string& html) {
  return htmlToText(withoutSounds(html));
}

int compartmentFor(const tPackageNote& note) {
  if (!note.reviewed) return 1;
  const auto floor =
      std::upper_bound(std::begin(kIntervalFloors), std::end(kIntervalFloors), note.interval);
  return 1 + static_cast<int>(floor - std::begin(kIntervalFloors));
}

// "Notiz 3 (ID 1588109511621): ", what reports put before a note's texts.
std::string labelOf(const tPackageNote& note, int number) {
  return "Notiz " + std::to_string(number) + " (ID " + std::to_string(note.id) + "): ";
}

// The note's texts, field after field, for a report.
std::string shownFields(const std::vector<std::string>& texts) {
  std::string shown;
  for (const std::string& text : texts) {
    if (text.empty()) continue;
    if (!shown.empty()) shown += ";";
    shown += text;
  }
  return shown;
}

void takeNote(const tPackageNote& note, int number, const tNoteType* type, tCardIntake* intake) {
  std::vector<std::string> texts;
  for (const std::string& field : note.fields) texts.push_back(fieldText(field));
  const std::string label = labelOf(note, number);
  const bool cloze = (type != nullptr && type->cloze) ||
                     std::any_of(note.fields.begin(), note.fields.end(), holdsCloze);
  if (cloze) {
    intake->refuse(kImportCloze, 0, label + shownFields(texts));
    return;
  }
  if (texts.size() < 2 || texts[0].empty() || texts[1].empty()) {
    intake->refuse(kImportFewFields, 0, label + shownFields(texts));
    return;
  }
  tWordCard card;
  card.front = std::move(texts[0]);
  card.back = std::move(texts[1]);
  card.label = label;
  const std::vector<std::string> noNames;
  const std::vector<std::string>& names = type != nullptr ? type->fieldNames : noNames;
  if (names.size() >= 2 && namesGerman(names[1]) && !namesGerman(names[0])) {
    std::swap(card.front, card.back);
  }
  card.compartment = compartmentFor(note);
  card.timesUnknown = std::max(0, note.lapses);
  card.timesKnown = std::max(0, note.reviews - card.timesUnknown);
  intake->add(std::move(card));
}

}  // namespace

void importPackage(const std::string& bytes, tCardIntake* intake) {
  tPackageContents contents;
  tPackageCollection collection;
  std::string error;
  if (!readPackageArchive(bytes, &contents, &error) ||
      !readPackageCollection(&contents.collection, &collection, &error)) {
    intake->refuse(kImportNotAWordList, 0, error);
    return;
  }
  std::string().swap(contents.collection);  // the notes hold all that is needed now
  if (contents.mediaFiles > 0) {
    const int n = contents.mediaFiles;
    intake->notice(kImportMediaIgnored, 0,
                   std::to_string(n) + (n == 1 ? " Datei" : " Dateien") + " (Bilder, Aufnahmen)");
  }
  int number = 0;
  for (const tPackageNote& note : collection.notes) {
    const auto type = collection.types.find(note.type);
    takeNote(note, ++number, type != collection.types.end() ? &type->second : nullptr, intake);
  }
}
