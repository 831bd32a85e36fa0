#include "wordlists/kvtml_format.h"

#include <libxml/xmlreader.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <pugixml.hpp>
#include <sstream>

#include "box/card_box.h"
#include "storage/text_encoding.h"
#include "wordlists/card_intake.h"
#include "wordlists/kvtml_reader.h"
#include "wordlists/xml_stream.h"

namespace {

constexpr int kHighestGrade = 7;

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
  pugi::xml_node text = translation.append_child("text");
  const std::string utf8 = cp1252ToUtf8(cp1252);
  // A reader takes white space around a text for layout unless told otherwise.
  const char* const space = " \t\r\n";
  if (!utf8.empty() && (std::strchr(space, utf8.front()) || std::strchr(space, utf8.back()))) {
    text.append_attribute("xml:space").set_value("preserve");
  }
  text.text().set(utf8.c_str());
  return translation;
}

}  // namespace

namespace {

// Moves xml to the root element; false when there is none.
bool toRoot(tXmlStream* xml) {
  while (xml->next()) {
    if (xml->type() == XML_READER_TYPE_ELEMENT) return true;
  }
  return false;
}

// Why the document can't be read as KVTML, or an empty text; *line is where.
std::string faultOf(const tByteSource& source, int* line) {
  tXmlStream xml(source);
  if (toRoot(&xml)) {
    const std::string version = xml.attribute("version");
    *line = xml.line();
    if (xml.path()[0] != "kvtml") return "Kein KVTML-Dokument";
    if (!version.empty() && version[0] != '1' && version[0] != '2') {
      return "KVTML-Version \xE2\x80\x9E" + version + "\xE2\x80\x9C wird nicht unterst\xC3\xBCtzt";
    }
    while (xml.next()) {
    }
  }
  *line = xml.errorLine();
  return xml.error();
}

}  // namespace

void importKvtml(const tByteSourceOpener& open, tCardIntake* intake) {
  int line = 0;
  const std::string fault = faultOf(open(), &line);
  if (!fault.empty()) {
    intake->refuse(kImportNotAWordList, line, fault);
    return;
  }
  tXmlStream xml(open());
  if (!toRoot(&xml)) return;
  const std::string version = xml.attribute("version");
  if (version[0] == '2') {
    readKvtml2Entries(&xml, intake);
  } else {
    readKvtml1Entries(&xml, intake);
  }
  // Only a file changed or failing between the two readings ends here.
  if (!xml.error().empty()) intake->refuse(kImportNotAWordList, xml.errorLine(), xml.error());
}

void importKvtml(const std::string& bytes, tCardIntake* intake) {
  importKvtml(
      [&bytes]() {
        auto given = std::make_shared<size_t>(0);
        return [&bytes, given](char* buffer, size_t size) {
          const size_t n = std::min(size, bytes.size() - *given);
          std::memcpy(buffer, bytes.data() + *given, n);
          *given += n;
          return static_cast<long>(n);
        };
      },
      intake);
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
