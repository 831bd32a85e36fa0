#include "wordlists/kvtml_format.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <sstream>

#include <pugixml.hpp>

#include "box/card_box.h"
#include "storage/text_encoding.h"
#include "wordlists/card_intake.h"

namespace {

constexpr int kHighestGrade = 7;

// Lines of a document by byte offset, for offsets asked in rising order: each byte is
// counted once however many entries there are.
class tLineCounter {
 public:
  explicit tLineCounter(const std::string& bytes) : bytes_(bytes) {}
  int lineAt(ptrdiff_t offset) {
    if (offset < 0) return 0;
    const size_t end = std::min(bytes_.size(), static_cast<size_t>(offset));
    if (end < counted_) {  // asked backwards after all: count again from the start
      counted_ = 0;
      line_ = 1;
    }
    line_ += static_cast<int>(std::count(bytes_.begin() + counted_, bytes_.begin() + end, '\n'));
    counted_ = end;
    return line_;
  }

 private:
  const std::string& bytes_;
  size_t counted_ = 0;
  int line_ = 1;
};

// The ids of the first two languages, "0" and "1" when the document names none.
void languageIds(const pugi::xml_node& root, std::string* front, std::string* back) {
  *front = "0";
  *back = "1";
  int n = 0;
  for (const pugi::xml_node& identifier : root.child("identifiers").children("identifier")) {
    const char* id = identifier.attribute("id").value();
    if (*id == '\0') continue;
    *(n++ == 0 ? front : back) = id;
    if (n == 2) break;
  }
}

// The text of a translation; white space around it only lays out the XML.
std::string textOf(const pugi::xml_node& translation) {
  const std::string text = translation.child("text").text().get();
  const char* const space = " \t\r\n";
  const size_t first = text.find_first_not_of(space);
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(space) - first + 1);
}

pugi::xml_node translation(const pugi::xml_node& entry, const std::string& id) {
  return entry.find_child_by_attribute("translation", "id", id.c_str());
}

int32_t number(const pugi::xml_node& grade, const char* name) {
  return std::max(0, grade.child(name).text().as_int(0));
}

// Compartment and counters from a <grade> element.
void takeGrade(const pugi::xml_node& grade, tWordCard* card) {
  const int level = std::min(number(grade, "currentgrade"), kHighestGrade);
  card->compartment = std::max(1, level);
  card->timesUnknown = number(grade, "errorcount");
  card->timesKnown = std::max(0, number(grade, "count") - card->timesUnknown);
}

void addGrade(pugi::xml_node translation, int compartment, const tTermel& card) {
  const int64_t asked = int64_t{card.timesKnown} + card.timesUnknown;
  // A card never asked sits in compartment 1 with nothing to tell.
  if (compartment == 1 && asked == 0) return;
  pugi::xml_node grade = translation.append_child("grade");
  grade.append_child("currentgrade").text().set(std::min(compartment, kHighestGrade));
  grade.append_child("count").text().set(static_cast<long long>(asked));
  grade.append_child("errorcount").text().set(card.timesUnknown);
}

void addIdentifier(pugi::xml_node identifiers, int id, const char* name, const char* locale) {
  pugi::xml_node identifier = identifiers.append_child("identifier");
  identifier.append_attribute("id").set_value(id);
  identifier.append_child("name").text().set(name);
  identifier.append_child("locale").text().set(locale);
}

pugi::xml_node addTranslation(pugi::xml_node entry, int id, const char* cp1252) {
  pugi::xml_node translation = entry.append_child("translation");
  translation.append_attribute("id").set_value(id);
  translation.append_child("text").text().set(cp1252ToUtf8(cp1252).c_str());
  return translation;
}

}  // namespace

void importKvtml(const std::string& bytes, tCardIntake* intake) {
  pugi::xml_document document;
  const pugi::xml_parse_result parsed = document.load_buffer(bytes.data(), bytes.size());
  const pugi::xml_node root = document.child("kvtml");
  tLineCounter lines(bytes);
  if (!parsed) {
    intake->refuse(kImportNotAWordList, lines.lineAt(parsed.offset), "Kein g\xC3\xBCltiges XML");
    return;
  }
  if (!root || root.attribute("version").value()[0] != '2') {
    intake->refuse(kImportNotAWordList, 1, "KVTML 2.0 erwartet");
    return;
  }
  std::string frontId, backId;
  languageIds(root, &frontId, &backId);
  for (const pugi::xml_node& entry : root.child("entries").children("entry")) {
    const pugi::xml_node front = translation(entry, frontId);
    const pugi::xml_node back = translation(entry, backId);
    tWordCard card;
    card.front = textOf(front);
    card.back = textOf(back);
    card.line = lines.lineAt(entry.offset_debug());
    const pugi::xml_node grade = back.child("grade") ? back.child("grade") : front.child("grade");
    if (grade) takeGrade(grade, &card);
    intake->add(std::move(card));
  }
}

std::string kvtmlFromBox(const std::string& title) {
  pugi::xml_document document;
  pugi::xml_node declaration = document.append_child(pugi::node_declaration);
  declaration.append_attribute("version").set_value("1.0");
  declaration.append_attribute("encoding").set_value("UTF-8");
  document.append_child(pugi::node_doctype)
      .set_value("kvtml PUBLIC \"kvtml2.dtd\" \"http://edu.kde.org/kvtml/kvtml2.dtd\"");
  pugi::xml_node root = document.append_child("kvtml");
  root.append_attribute("version").set_value("2.0");
  pugi::xml_node information = root.append_child("information");
  information.append_child("generator").text().set("termel");
  information.append_child("title").text().set(title.c_str());
  pugi::xml_node identifiers = root.append_child("identifiers");
  addIdentifier(identifiers, 0, "Deutsch", "de");
  addIdentifier(identifiers, 1, "Englisch", "en");
  pugi::xml_node entries = root.append_child("entries");
  pugi::xml_node lesson = root.append_child("lessons").append_child("container");
  lesson.append_child("name").text().set(title.c_str());
  lesson.append_child("inpractice").text().set("true");
  tTermel card;
  int id = 0;
  for (int n = theCardBox.firstCard(&card); n != 0; n = theCardBox.nextCard(&card), ++id) {
    pugi::xml_node entry = entries.append_child("entry");
    entry.append_attribute("id").set_value(id);
    addTranslation(entry, 0, card.front);
    const int compartment = n == theCardBox.compartmentCount() ? kHighestGrade : n;
    addGrade(addTranslation(entry, 1, card.back), compartment, card);
    lesson.append_child("entry").append_attribute("id").set_value(id);
  }
  std::ostringstream out;
  document.save(out, "  ", pugi::format_default, pugi::encoding_utf8);
  return out.str();
}
