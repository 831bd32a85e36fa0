#include "wordlists/kvtml_format.h"

#include <strings.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <sstream>
#include <vector>

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

// A language is German by its locale ("de", "de_AT", "de-CH") or its name.
bool isGerman(const pugi::xml_node& identifier) {
  const char* locale = identifier.child("locale").text().get();
  const char* name = identifier.child("name").text().get();
  return (strncasecmp(locale, "de", 2) == 0 &&
          (locale[2] == '\0' || locale[2] == '_' || locale[2] == '-')) ||
         strcasecmp(name, "Deutsch") == 0 || strcasecmp(name, "German") == 0;
}

// The ids of the two languages that become front and back: German, wherever the
// document names it, and the first other language; the first two when none is German.
// "0" and "1" when the document names none.
void languageIds(const pugi::xml_node& root, std::string* front, std::string* back) {
  std::vector<pugi::xml_node> languages;
  for (const pugi::xml_node& identifier : root.child("identifiers").children("identifier")) {
    if (*identifier.attribute("id").value() != '\0') languages.push_back(identifier);
  }
  const auto german = std::find_if(languages.begin(), languages.end(), isGerman);
  if (german != languages.end()) std::rotate(languages.begin(), german, german + 1);
  *front = languages.size() > 0 ? languages[0].attribute("id").value() : "0";
  *back = languages.size() > 1 ? languages[1].attribute("id").value() : "1";
}

// The text of a translation, with the text on both sides of a comment or in CDATA;
// white space around it only lays out the XML.
std::string textOf(const pugi::xml_node& translation) {
  std::string text;
  for (const pugi::xml_node& part : translation.child("text").children()) {
    if (part.type() == pugi::node_pcdata || part.type() == pugi::node_cdata) text += part.value();
  }
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

// The German name of the language of a locale ("en_GB": "Englisch"); the locale
// itself for one we don't know, "Übersetzung" for none.
std::string languageName(const std::string& locale) {
  static const char* const kNames[][2] = {
      {"en", "Englisch"},        {"fr", "Franz\xC3\xB6sisch"}, {"es", "Spanisch"},
      {"it", "Italienisch"},     {"pt", "Portugiesisch"},      {"nl", "Niederl\xC3\xA4ndisch"},
      {"pl", "Polnisch"},        {"cs", "Tschechisch"},        {"sv", "Schwedisch"},
      {"da", "D\xC3\xA4nisch"},  {"nb", "Norwegisch"},         {"fi", "Finnisch"},
      {"tr", "T\xC3\xBCrkisch"}, {"ru", "Russisch"},           {"la", "Latein"},
      {"el", "Griechisch"},      {"hu", "Ungarisch"},          {"de", "Deutsch"}};
  if (locale.empty()) return std::string("\xC3\x9C") + "bersetzung";
  for (const auto& entry : kNames) {
    if (locale.compare(0, 2, entry[0]) == 0 &&
        (locale.size() == 2 || locale[2] == '_' || locale[2] == '-')) {
      return entry[1];
    }
  }
  return locale;
}

void addIdentifier(pugi::xml_node identifiers, int id, const std::string& locale) {
  pugi::xml_node identifier = identifiers.append_child("identifier");
  identifier.append_attribute("id").set_value(id);
  identifier.append_child("name").text().set(languageName(locale).c_str());
  // Without a locale a trainer asks which language it is, rather than guess wrong.
  if (!locale.empty()) identifier.append_child("locale").text().set(locale.c_str());
}

pugi::xml_node addTranslation(pugi::xml_node entry, int id, const char* cp1252) {
  pugi::xml_node translation = entry.append_child("translation");
  translation.append_attribute("id").set_value(id);
  translation.append_child("text").text().set(cp1252ToUtf8(cp1252).c_str());
  return translation;
}

// The encoding the XML declaration at the start of bytes names, in lower case; empty
// when there is none.
std::string declaredEncoding(const std::string& bytes) {
  const size_t declarationEnd = bytes.find("?>");
  if (bytes.find("<?xml") > 3 || declarationEnd == std::string::npos) return std::string();
  const size_t name = bytes.find("encoding", 0);
  if (name > declarationEnd) return std::string();
  const size_t quote = bytes.find_first_of("\"'", name);
  const size_t end =
      quote < declarationEnd ? bytes.find(bytes[quote], quote + 1) : std::string::npos;
  if (end > declarationEnd) return std::string();
  std::string encoding = bytes.substr(quote + 1, end - quote - 1);
  for (char& c : encoding) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return encoding;
}

// The document as the XML parser is to read it, in *text and *encoding; false for an
// encoding we can't read. Windows programs that declare Latin-1 write code page 1252
// (its typographic characters where Latin-1 has control codes), as browsers assume;
// undeclared bytes that aren't UTF-8 are code page 1252 as in every word list.
bool documentText(const std::string& bytes, std::string* text, pugi::xml_encoding* encoding) {
  static const char* const kCodePage1252[] = {"windows-1252", "cp1252",   "iso-8859-1",
                                              "iso8859-1",    "latin1",   "latin-1",
                                              "l1",           "us-ascii", "ascii"};
  static const char* const kUnicode[] = {"", "utf-8", "utf8", "utf-16", "utf-16le", "utf-16be"};
  const std::string declared = declaredEncoding(bytes);
  const bool utf16 = bytes.size() >= 2 && (bytes[0] == '\0' || bytes[1] == '\0' ||
                                           static_cast<unsigned char>(bytes[0]) >= 0xFE);
  const auto named = [&declared](const char* name) { return declared == name; };
  const bool unicode = std::any_of(std::begin(kUnicode), std::end(kUnicode), named);
  if (utf16 || (unicode && isValidUtf8(bytes))) {
    *text = bytes;
    *encoding = pugi::encoding_auto;
    return true;
  }
  if (!unicode && std::none_of(std::begin(kCodePage1252), std::end(kCodePage1252), named)) {
    return false;
  }
  // cp1252ToUtf8 keeps every line break where it was, so lines are counted alike.
  *text = cp1252ToUtf8(bytes);
  *encoding = pugi::encoding_utf8;
  return true;
}

}  // namespace

void importKvtml(const std::string& bytes, tCardIntake* intake) {
  std::string text;
  pugi::xml_encoding encoding = pugi::encoding_auto;
  if (!documentText(bytes, &text, &encoding)) {
    intake->refuse(kImportNotAWordList, 1,
                   "Zeichenkodierung \xE2\x80\x9E" + declaredEncoding(bytes) +
                       "\xE2\x80\x9C wird nicht unterst\xC3\xBCtzt");
    return;
  }
  pugi::xml_document document;
  const pugi::xml_parse_result parsed =
      document.load_buffer(text.data(), text.size(), pugi::parse_default, encoding);
  const pugi::xml_node root = document.child("kvtml");
  tLineCounter lines(text);
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

std::string kvtmlFromBox(const std::string& title, const std::string& backLocale) {
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
  addIdentifier(identifiers, 0, "de");
  addIdentifier(identifiers, 1, backLocale);
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
