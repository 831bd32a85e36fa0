// KVTML documents: which language is the front, text around comments, the encodings
// documents declare, the languages an export names, and every vocabulary file KDE's
// data package installs, read here once more with libxml2 to compare.
#include <dirent.h>
#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <pugixml.hpp>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "box/card_text.h"
#include "storage/text_encoding.h"
#include "tests/wordlists/word_list_test_support.h"

namespace {

using Codes = std::vector<std::pair<int, int>>;

const char kKdeVocabulary[] = "/usr/share/apps/kvtml";

// A KVTML document with the given <identifiers> content and <entries> content.
std::string document(const std::string& identifiers, const std::string& entries,
                     const std::string& encoding = "UTF-8") {
  return "<?xml version=\"1.0\" encoding=\"" + encoding + "\"?>\n<kvtml version=\"2.0\">\n" +
         "<identifiers>" + identifiers + "</identifiers>\n<entries>\n" + entries +
         "</entries>\n</kvtml>\n";
}

std::string language(int id, const std::string& name, const std::string& locale) {
  std::string xml = "<identifier id=\"" + std::to_string(id) + "\">";
  if (!name.empty()) xml += "<name>" + name + "</name>";
  if (!locale.empty()) xml += "<locale>" + locale + "</locale>";
  return xml + "</identifier>";
}

// An entry with the texts of translations 0, 1 and so on; the translation numbered
// graded holds grade 4, asked 3 times and not known once.
std::string entry(const std::vector<std::string>& texts, size_t graded = 99) {
  std::string xml = "<entry>";
  for (size_t id = 0; id < texts.size(); ++id) {
    xml += "<translation id=\"" + std::to_string(id) + "\"><text>" + texts[id] + "</text>";
    if (id == graded) {
      xml +=
          "<grade><currentgrade>4</currentgrade><count>3</count><errorcount>1</errorcount>"
          "</grade>";
    }
    xml += "</translation>";
  }
  return xml + "</entry>\n";
}

class KvtmlTest : public WordListTest {};

TEST_F(KvtmlTest, GermanIsTheFrontWhereverTheDocumentNamesIt) {
  struct Case {
    const char* name;
    std::string identifiers;
    Placed card;
  };
  // The grade of the back counts, the English translation's; with English the front,
  // its grade stands in for the back's.
  const Placed german = {4, "Haus", "house", 2, 1};
  const Placed english = {4, "house", "Haus", 2, 1};
  const Case cases[] = {
      {"german second by locale", language(0, "English", "en") + language(1, "", "de_AT"), german},
      {"german by name", language(0, "", "en") + language(1, "German", ""), german},
      {"german by german name", language(0, "Englisch", "") + language(1, "deutsch", ""), german},
      {"german first", language(1, "Deutsch", "de") + language(0, "English", "en"), german},
      {"no german: the first two", language(0, "", "en") + language(1, "", "fr"), english},
      {"a locale that only starts with de", language(0, "", "en") + language(1, "", "dea"),
       english},
  };
  for (const Case& c : cases) {
    theCardBox.clearAll();
    importBytes("a.kvtml", document(c.identifiers, entry({"house", "Haus"}, 0)));
    EXPECT_EQ(wholeBox(), std::vector<Placed>({c.card})) << c.name;
  }
  // With three languages the back is the first that isn't German.
  theCardBox.clearAll();
  importBytes("b.kvtml",
              document(language(0, "", "fr") + language(1, "", "en") + language(2, "", "de"),
                       entry({"maison", "house", "Haus"}, 0)));
  EXPECT_EQ(textsIn(4), Texts({"Haus;maison"}));
}

TEST_F(KvtmlTest, TextAroundCommentsIsKept) {
  const std::string two = language(0, "", "de") + language(1, "", "en");
  importBytes(
      "c.kvtml",
      document(two, entry({"Haus<!-- alt: Heim -->t\xC3\xBCr", "front <!--x--><![CDATA[door]]>"}) +
                        entry({"<!-- leer -->", "nothing"})));
  EXPECT_EQ(textsIn(1), Texts({"Haust\xFCr;front door"}));
  EXPECT_EQ(reported(), Codes({{kImportNoFirstTerm, 6}}));
}

TEST_F(KvtmlTest, DeclaredEncodingsAreRead) {
  const std::string two = language(0, "", "de") + language(1, "", "en");
  struct Case {
    const char* encoding;
    std::string text;
    Texts cards;
  };
  // Latin-1 files from Windows hold code page 1252's typographic characters.
  const Case cases[] = {
      {"windows-1252", "\x84K\xE4se\x93 \x96 \x80", {"\"K\xE4se\" - EUR;x"}},
      {"ISO-8859-1", "K\xE4se \x85", {"K\xE4se ...;x"}},
      {"latin1", "M\xFChe", {"M\xFChe;x"}},
      {"UTF-8", "M\xFChe", {"M\xFChe;x"}},  // not UTF-8 after all: code page 1252
      {"utf-8", "M\xC3\xBChe", {"M\xFChe;x"}},
  };
  for (const Case& c : cases) {
    theCardBox.clearAll();
    importBytes("d.kvtml", document(two, entry({c.text, "x"}), c.encoding));
    EXPECT_EQ(textsIn(1), c.cards) << c.encoding;
    EXPECT_EQ(reports_, std::vector<Report>()) << c.encoding;
  }
  theCardBox.clearAll();
  importBytes("f.kvtml", utf16(document(two, entry({"K\xE4se", "x"}), "UTF-16"), true));
  EXPECT_EQ(textsIn(1), Texts({"K\xE4se;x"}));
  theCardBox.clearAll();
  importBytes("e.kvtml", document(two, entry({"\xE4", "x"}), "KOI8-R"));
  EXPECT_EQ(theCardBox.totalCount(), 0);
  EXPECT_EQ(reports_, std::vector<Report>({{kImportNotAWordList, "Keine lesbare Vokabeldatei",
                                            "Zeichenkodierung \x84koi8-r\x93 wird nicht "
                                            "unterst\xFCtzt",
                                            1}}));
}

TEST_F(KvtmlTest, ExportNamesTheTranslationsLanguageWhenKnown) {
  theCardBox.addCardTo(card("Haus", "house"), 1);
  const std::string path = dir_.file("sprachen.kvtml");
  tWordListOptions options;
  options.translationLocale = "en_GB";
  ASSERT_TRUE(exportWordList(path.c_str(), options));
  pugi::xml_document exported;
  ASSERT_TRUE(exported.load_file(path.c_str()));
  const pugi::xml_node identifiers = exported.child("kvtml").child("identifiers");
  EXPECT_STREQ(identifiers.first_child().child_value("name"), "Deutsch");
  EXPECT_STREQ(identifiers.first_child().child_value("locale"), "de");
  EXPECT_STREQ(identifiers.last_child().child_value("name"), "Englisch");
  EXPECT_STREQ(identifiers.last_child().child_value("locale"), "en_GB");
  options.translationLocale = "eo";
  ASSERT_TRUE(exportWordList(path.c_str(), options));
  ASSERT_TRUE(exported.load_file(path.c_str()));
  EXPECT_STREQ(exported.child("kvtml").child("identifiers").last_child().child_value("name"), "eo");
}

// A KVTML 1 document of the given entries (<e> elements), with a DOCTYPE as KDE's
// trainers wrote it.
std::string version1(const std::string& entries, const std::string& root = "<kvtml>") {
  return "<?xml version=\"1.0\"?>\n<!DOCTYPE kvtml SYSTEM \"kvoctrain.dtd\">\n" + root + "\n" +
         entries + "</kvtml>\n";
}

TEST_F(KvtmlTest, Version1GivesFrontAndBackByLanguageWithTheGradeOfThatDirection) {
  struct Case {
    const char* name;
    std::string document;
    std::vector<Placed> cards;
  };
  // Grades of a translation: "from" when the original was shown, "to" the other way.
  const std::string graded = "<t l=\"en\" g=\"3;5\" c=\"4;9\" b=\"1;2\">house</t>";
  const Case cases[] = {
      {"german original: the translation's from-grade",
       version1("<e><o l=\"de\">Haus</o>" + graded + "</e>\n"),
       {{3, "Haus", "house", 3, 1}}},
      {"german translation: its to-grade, as the front",
       version1("<e><o l=\"en\">house</o><t l=\"de\" g=\"3;5\" c=\"4;9\" b=\"1;2\">Haus</t></e>"),
       {{5, "Haus", "house", 7, 2}}},
      {"languages of the first entry hold for the next; grammar notes are left out",
       version1("<e><o l=\"fr\">maison</o><t l=\"en\">house</t><t l=\"de\">Haus</t></e>\n"
                "<e><o>aller</o><t>\n<conjugation><t n=\"PrSi\"><s1>go</s1></t></conjugation>\n"
                "go</t><t>gehen<comparison><l1>x</l1></comparison></t></e>\n"),
       {{1, "Haus", "maison", 0, 0}, {1, "gehen", "aller", 0, 0}}},
      {"no languages: original and first translation; a grade of 7 is the archive",
       version1("<e><o> Haus</o><t g=\"7\" c=\"2\">house</t><t>maison</t></e>",
                "<kvtml version=\"1.0\" encoding=\"UTF-8\">"),
       {{7, "Haus", "house", 2, 0}}},
      {"article and conjugation tables hold no entries",
       version1("<article><e l=\"de\"><fd>die</fd></e></article>\n<e><o>Hund</o><t>dog</t></e>"),
       {{1, "Hund", "dog", 0, 0}}},
  };
  for (const Case& c : cases) {
    theCardBox.clearAll();
    importBytes("v1.kvtml", c.document);
    EXPECT_EQ(wholeBox(), c.cards) << c.name;
    EXPECT_EQ(reports_, std::vector<Report>()) << c.name;
  }
}

TEST_F(KvtmlTest, EntitiesAndFaultsAreReportedAtTheirLine) {
  struct Case {
    const char* name;
    std::string document;
    Texts cards;
    Codes reports;
    std::string firstText;
  };
  const std::string two = language(0, "", "de") + language(1, "", "en");
  const std::string entries = entry({"Haus &xxe;", "house"}) + entry({"Hund", "dog"});
  const std::string external =
      "<?xml version=\"1.0\"?>\n<!DOCTYPE kvtml PUBLIC \"kvtml2.dtd\" \"kvtml2.dtd\">\n";
  const std::string declared =
      "<?xml version=\"1.0\"?>\n<!DOCTYPE kvtml [<!ENTITY xxe SYSTEM \"/etc/hostname\">]>\n";
  const std::string body = document(two, entries);  // from the XML declaration on
  const std::string afterDeclaration = body.substr(body.find('\n') + 1);
  const Case cases[] = {
      {"undeclared, the DTD not loaded",
       external + afterDeclaration,
       {"Hund;dog"},
       {{kImportEntity, 6}},
       "Haus &xxe;;house"},
      {"a file of this machine is never read",
       declared + afterDeclaration,
       {"Hund;dog"},
       {{kImportEntity, 6}},
       "Haus &xxe;;house"},
      {"without a DTD the document is not XML",
       body,
       {},
       {{kImportNotAWordList, 5}},
       "Kein g\xFCltiges XML"},
      {"a fault refuses the entries before it too",
       document(two, entry({"Hund", "dog"}) + "<entry>\n"),
       {},
       {{kImportNotAWordList, 7}},
       "Kein g\xFCltiges XML"},
      {"version 1 cut off",
       version1("<e><o>Hund</o><t>dog</t></e>\n<e><o>Ka").substr(0, 120),
       {},
       {{kImportNotAWordList, 5}},
       "Kein g\xFCltiges XML"},
      {"not KVTML",
       "<?xml version=\"1.0\"?>\n\n<html><e/></html>",
       {},
       {{kImportNotAWordList, 3}},
       "Kein KVTML-Dokument"},
  };
  for (const Case& c : cases) {
    theCardBox.clearAll();
    importBytes("e.kvtml", c.document);
    EXPECT_EQ(textsIn(1), c.cards) << c.name;
    EXPECT_EQ(reported(), c.reports) << c.name;
    if (!reports_.empty()) {
      EXPECT_EQ(reports_[0].text, c.firstText) << c.name;
    }
  }
}

TEST_F(KvtmlTest, EntriesBeyondLine65535AreReportedAtTheirLine) {
  // libxml2 keeps an element's line in 16 bits; each entry here takes three lines,
  // and every 10,000th lacks its translation.
  struct Case {
    const char* name;
    std::string start, entry, lacking, end;
  };
  const Case cases[] = {
      {"version 2", "<?xml version=\"1.0\"?>\n<kvtml version=\"2.0\"><entries>\n",
       "<entry>\n <translation id=\"0\"><text>Wort%d</text></translation><translation "
       "id=\"1\"><text>word</text></translation>\n</entry>\n",
       "<entry>\n <translation id=\"0\"><text>Wort%d</text></translation>\n</entry>\n",
       "</entries></kvtml>\n"},
      {"version 1", "<?xml version=\"1.0\"?>\n<kvtml>\n", "<e>\n <o>Wort%d</o><t>word</t>\n</e>\n",
       "<e>\n <o>Wort%d</o>\n</e>\n", "</kvtml>\n"},
  };
  for (const Case& c : cases) {
    std::string xml = c.start;
    Codes expected;
    char entry[200];
    for (int i = 0; i < 40000; ++i) {
      const bool lacking = i % 10000 == 9999;
      if (lacking) expected.emplace_back(kImportNoSecondTerm, 3 + 3 * i);
      std::snprintf(entry, sizeof entry, (lacking ? c.lacking : c.entry).c_str(), i);
      xml += entry;
    }
    theCardBox.clearAll();
    importBytes("gross.kvtml", xml + c.end);
    EXPECT_EQ(reported(), expected) << c.name;
    EXPECT_EQ(theCardBox.totalCount(), 39996) << c.name;
  }
}

TEST_F(KvtmlTest, FuzzFindingComesBackFromItsExport) {
  // Bytes that aren't UTF-8 in a UTF-8 document: a no-break space at the start of a
  // text became a blank, which the export has to keep.
  import(sample("haushalt-fuzz.kvtml"));
  EXPECT_EQ(textsIn(6), Texts({"Spiegel; mirror"}));
  expectRoundTrip("haushalt.kvtml");
}

// What a plain libxml2 reading of a KVTML document finds: the texts of front and back
// of each entry (German the front, the first other language the back) and its line.
struct WalkedEntry {
  std::string front, back;
  int line;
};

struct WalkedDocument {
  bool kvtml = false;  // version 1 or 2
  std::vector<WalkedEntry> entries;
};

std::string trimmed(std::string text) {
  const size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

std::string content(xmlNode* node) {
  xmlChar* text = xmlNodeGetContent(node);
  const std::string result = text != nullptr ? reinterpret_cast<const char*>(text) : "";
  xmlFree(text);
  return result;
}

std::string attribute(xmlNode* node, const char* name) {
  xmlChar* value = xmlGetProp(node, reinterpret_cast<const xmlChar*>(name));
  const std::string result = value != nullptr ? reinterpret_cast<const char*>(value) : "";
  xmlFree(value);
  return result;
}

std::vector<xmlNode*> children(xmlNode* parent, const char* name) {
  std::vector<xmlNode*> found;
  for (xmlNode* node = parent != nullptr ? parent->children : nullptr; node; node = node->next) {
    if (node->type == XML_ELEMENT_NODE && xmlStrEqual(node->name, BAD_CAST name)) {
      found.push_back(node);
    }
  }
  return found;
}

xmlNode* child(xmlNode* parent, const char* name) {
  const std::vector<xmlNode*> found = children(parent, name);
  return found.empty() ? nullptr : found.front();
}

// The text directly in node, without that of the elements in it.
std::string ownText(xmlNode* node) {
  std::string text;
  for (xmlNode* part = node != nullptr ? node->children : nullptr; part; part = part->next) {
    if (part->type == XML_TEXT_NODE || part->type == XML_CDATA_SECTION_NODE) {
      text += reinterpret_cast<const char*>(part->content);
    }
  }
  return trimmed(text);
}

bool germanLocale(const std::string& locale) {
  return locale == "de" || locale.rfind("de_", 0) == 0;
}

// Version 1: <e> entries of an <o> and its <t> translations; a column's language is
// named by the first entry that names it.
void walkVersion1(xmlNode* root, WalkedDocument* walked) {
  std::vector<std::string> locales;
  for (xmlNode* entry : children(root, "e")) {
    std::vector<xmlNode*> columns = {child(entry, "o")};
    for (xmlNode* translation : children(entry, "t")) columns.push_back(translation);
    for (size_t i = 0; i < columns.size(); ++i) {
      if (locales.size() <= i) locales.resize(i + 1);
      if (locales[i].empty() && columns[i] != nullptr) locales[i] = attribute(columns[i], "l");
    }
    const size_t german =
        std::find_if(locales.begin(), locales.end(), germanLocale) - locales.begin();
    const size_t front = german < locales.size() ? german : 0, back = front == 0 ? 1 : 0;
    columns.resize(std::max(columns.size(), std::max(front, back) + 1));
    walked->entries.push_back(
        {ownText(columns[front]), ownText(columns[back]), static_cast<int>(xmlGetLineNo(entry))});
  }
}

// The text of the translation numbered id in entry.
std::string translationText(xmlNode* entry, const std::string& id) {
  for (xmlNode* translation : children(entry, "translation")) {
    if (attribute(translation, "id") == id) return trimmed(content(child(translation, "text")));
  }
  return std::string();
}

WalkedDocument walk(const std::string& path) {
  WalkedDocument walked;
  // Some files declare UTF-8 and hold Latin-1: such bytes are code page 1252.
  const int options = XML_PARSE_NONET | XML_PARSE_NOWARNING | XML_PARSE_NOERROR;
  xmlDoc* doc = xmlReadFile(path.c_str(), nullptr, options);
  if (doc == nullptr) doc = xmlReadFile(path.c_str(), "windows-1252", options);
  xmlNode* root = doc != nullptr ? xmlDocGetRootElement(doc) : nullptr;
  const std::string version = root != nullptr ? attribute(root, "version") : "";
  walked.kvtml = root != nullptr && xmlStrEqual(root->name, BAD_CAST "kvtml");
  if (walked.kvtml && (version.empty() || version[0] == '1')) walkVersion1(root, &walked);
  if (walked.kvtml && version.compare(0, 1, "2") == 0) {
    std::vector<std::string> ids;
    std::string german;
    for (xmlNode* identifier : children(child(root, "identifiers"), "identifier")) {
      const std::string id = attribute(identifier, "id");
      const std::string locale = content(child(identifier, "locale"));
      if (german.empty() && germanLocale(locale)) german = id;
      ids.push_back(id);
    }
    std::string front = german.empty() ? (ids.empty() ? "0" : ids[0]) : german;
    std::string back = "1";
    for (const std::string& id : ids) {
      if (id != front) {
        back = id;
        break;
      }
    }
    for (xmlNode* entry : children(child(root, "entries"), "entry")) {
      walked.entries.push_back({translationText(entry, front), translationText(entry, back),
                                static_cast<int>(xmlGetLineNo(entry))});
    }
  }
  xmlFreeDoc(doc);
  return walked;
}

// utf8 as a card holds it, by the rules of every import: code page 1252, plain forms
// for typographic characters, at most 63 characters, no trailing spaces. False when
// a card can't hold it.
bool inCardForm(const std::string& utf8, std::string* text) {
  if (!utf8ToCp1252(utf8, text) || !fitCardText(text).fits) return false;
  text->resize(std::min<size_t>(text->size(), 63));
  text->erase(text->find_last_not_of(' ') + 1);
  return text->find_first_of("\t\r\n") == std::string::npos;
}

// Every .kvtml file below dir.
void findVocabulary(const std::string& dir, std::vector<std::string>* paths) {
  DIR* listing = opendir(dir.c_str());
  if (listing == nullptr) return;
  while (dirent* item = readdir(listing)) {
    const std::string name = item->d_name;
    if (name == "." || name == "..") continue;
    const std::string path = dir + "/" + name;
    struct stat status;
    if (stat(path.c_str(), &status) != 0) continue;
    if (S_ISDIR(status.st_mode)) {
      findVocabulary(path, paths);
    } else if (name.size() > 6 && name.compare(name.size() - 6, 6, ".kvtml") == 0) {
      paths->push_back(path);
    }
  }
  closedir(listing);
}

TEST_F(KvtmlTest, EveryFileOfKdesVocabularyPackageReadsAsLibxml2ReadsIt) {
  std::vector<std::string> paths;
  findVocabulary(kKdeVocabulary, &paths);
  const size_t kdeFiles = paths.size();
  // KDE's example of version 1, kept here for the tests; its cards are all ungraded
  // in the direction asked, so the box holds them in the order of the file.
  paths.push_back(std::string(TERMEL_TEST_DATA_DIR) + "/wordlists/kvtml1-beispiel.kvtml");
  if (paths.empty()) {
    GTEST_SKIP() << "Keine KVTML-Dateien in " << kKdeVocabulary
                 << ": scripts/setup installiert das Paket kdeedu-kvtml-data.";
  }
  size_t entries = 0, cards = 0;
  for (const std::string& path : paths) {
    SCOPED_TRACE(path);
    theCardBox.clearAll();
    const WalkedDocument walked = walk(path);
    const tImportResult result = import(path);
    ASSERT_TRUE(result.opened);
    ASSERT_TRUE(walked.kvtml);
    // Each entry is a card, a card already taken, or a report at its line, in the
    // order of the file.
    std::vector<Placed> box = wholeBox();
    std::set<std::pair<std::string, std::string>> taken;
    auto nextCard = box.begin();
    auto nextReport = reports_.begin();
    for (const WalkedEntry& e : walked.entries) {
      ++entries;
      std::string front, back;
      const bool fits = inCardForm(e.front, &front) && inCardForm(e.back, &back);
      if (fits && !front.empty() && !back.empty()) {
        if (nextCard != box.end() && nextCard->front == front && nextCard->back == back) {
          taken.emplace(front, back);
          ++nextCard;
          ++cards;
          // A text longer than a card holds is taken cut, and that is reported.
          while (nextReport != reports_.end() && nextReport->line == e.line &&
                 nextReport->code == kImportCut) {
            ++nextReport;
          }
          continue;
        }
        ASSERT_EQ(taken.count({front, back}), 1u) << "Zeile " << e.line << ": " << e.front;
        if (nextReport != reports_.end() && nextReport->line == e.line) ++nextReport;
        continue;
      }
      ASSERT_NE(nextReport, reports_.end()) << "Zeile " << e.line << ": " << e.front;
      EXPECT_EQ(nextReport->line, e.line);
      if (!fits) {
        EXPECT_EQ(nextReport->code, kImportNotEncodable);
      } else if (front.empty()) {
        EXPECT_EQ(nextReport->code, kImportNoFirstTerm);
      } else {
        EXPECT_EQ(nextReport->code, kImportNoSecondTerm);
        EXPECT_EQ(nextReport->text, front + ";");
      }
      ++nextReport;
    }
    EXPECT_EQ(nextCard, box.end());
    EXPECT_EQ(nextReport, reports_.end());
  }
  // The package's files are the word lists of word games: one language each.
  EXPECT_GT(kdeFiles, 300u);
  EXPECT_GT(entries, 10000u);
  std::cout << paths.size() << " Dateien, " << entries << " Eintraege, " << cards << " Karten\n";
}

}  // namespace
