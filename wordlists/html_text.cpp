#include "wordlists/html_text.h"

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "storage/text_encoding.h"

namespace {

struct tEntity {
  const char* name;
  uint32_t codePoint;
};

// The named references that turn up in vocabulary: markup, Latin letters with
// accents, typographic punctuation and a few signs.
constexpr tEntity kEntities[] = {
    {"amp", '&'},      {"lt", '<'},       {"gt", '>'},        {"quot", '"'},
    {"apos", '\''},    {"nbsp", 0xA0},    {"shy", 0xAD},      {"auml", 0xE4},
    {"ouml", 0xF6},    {"uuml", 0xFC},    {"Auml", 0xC4},     {"Ouml", 0xD6},
    {"Uuml", 0xDC},    {"szlig", 0xDF},   {"agrave", 0xE0},   {"aacute", 0xE1},
    {"acirc", 0xE2},   {"atilde", 0xE3},  {"aring", 0xE5},    {"aelig", 0xE6},
    {"ccedil", 0xE7},  {"egrave", 0xE8},  {"eacute", 0xE9},   {"ecirc", 0xEA},
    {"euml", 0xEB},    {"igrave", 0xEC},  {"iacute", 0xED},   {"icirc", 0xEE},
    {"iuml", 0xEF},    {"ntilde", 0xF1},  {"ograve", 0xF2},   {"oacute", 0xF3},
    {"ocirc", 0xF4},   {"otilde", 0xF5},  {"oslash", 0xF8},   {"ugrave", 0xF9},
    {"uacute", 0xFA},  {"ucirc", 0xFB},   {"yacute", 0xFD},   {"yuml", 0xFF},
    {"Agrave", 0xC0},  {"Aacute", 0xC1},  {"Acirc", 0xC2},    {"Ccedil", 0xC7},
    {"Egrave", 0xC8},  {"Eacute", 0xC9},  {"Ecirc", 0xCA},    {"Ntilde", 0xD1},
    {"Oacute", 0xD3},  {"Oslash", 0xD8},  {"Uacute", 0xDA},   {"AElig", 0xC6},
    {"oelig", 0x153},  {"OElig", 0x152},  {"scaron", 0x161},  {"Scaron", 0x160},
    {"iexcl", 0xA1},   {"iquest", 0xBF},  {"laquo", 0xAB},    {"raquo", 0xBB},
    {"lsquo", 0x2018}, {"rsquo", 0x2019}, {"sbquo", 0x201A},  {"ldquo", 0x201C},
    {"rdquo", 0x201D}, {"bdquo", 0x201E}, {"lsaquo", 0x2039}, {"rsaquo", 0x203A},
    {"ndash", 0x2013}, {"mdash", 0x2014}, {"hellip", 0x2026}, {"bull", 0x2022},
    {"middot", 0xB7},  {"euro", 0x20AC},  {"pound", 0xA3},    {"yen", 0xA5},
    {"cent", 0xA2},    {"copy", 0xA9},    {"reg", 0xAE},      {"trade", 0x2122},
    {"deg", 0xB0},     {"plusmn", 0xB1},  {"times", 0xD7},    {"divide", 0xF7},
    {"sect", 0xA7},    {"para", 0xB6},    {"frac12", 0xBD},   {"frac14", 0xBC},
    {"sup2", 0xB2},    {"sup3", 0xB3},    {"micro", 0xB5},
};

// Tags that end a line or a block, shown as a space between the words they part.
constexpr const char* kBreakingTags[] = {"br", "p",  "div", "li", "tr", "td",   "hr",
                                         "h1", "h2", "h3",  "ul", "ol", "table"};

bool isHtmlSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

// The code point of the reference at html[pos] ("&...;"), and its length in *length;
// false when there is no complete known reference.
bool readReference(const std::string& html, size_t pos, uint32_t* codePoint, size_t* length) {
  const size_t semicolon = html.find(';', pos + 1);
  if (semicolon == std::string::npos || semicolon - pos > 12) return false;
  const std::string name = html.substr(pos + 1, semicolon - pos - 1);
  *length = semicolon - pos + 1;
  if (name.size() >= 2 && name[0] == '#') {
    const bool hex = name[1] == 'x' || name[1] == 'X';
    const std::string digits = name.substr(hex ? 2 : 1);
    if (digits.empty() || digits.size() > 7) return false;
    for (const char c : digits) {
      if (!(hex ? std::isxdigit(static_cast<unsigned char>(c))
                : std::isdigit(static_cast<unsigned char>(c)))) {
        return false;
      }
    }
    *codePoint = static_cast<uint32_t>(std::strtoul(digits.c_str(), nullptr, hex ? 16 : 10));
    return *codePoint != 0;
  }
  for (const tEntity& entity : kEntities) {
    if (name == entity.name) {
      *codePoint = entity.codePoint;
      return true;
    }
  }
  return false;
}

// The lower-case name of the tag at html[pos] ("<name ...>" or "</name>").
std::string tagName(const std::string& html, size_t pos) {
  size_t i = pos + 1;
  if (i < html.size() && html[i] == '/') ++i;
  std::string name;
  for (; i < html.size() && std::isalnum(static_cast<unsigned char>(html[i])); ++i) {
    name.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(html[i]))));
  }
  return name;
}

bool breaksLine(const std::string& tag) {
  for (const char* name : kBreakingTags) {
    if (tag == name) return true;
  }
  return false;
}

// Text built from HTML: white space collapsed, none at either end.
class tPlainText {
 public:
  void space() { pendingSpace_ = !text_.empty(); }
  void append(const char* bytes, size_t size) {
    if (pendingSpace_) text_.push_back(' ');
    pendingSpace_ = false;
    text_.append(bytes, size);
  }
  const std::string& text() const { return text_; }

 private:
  std::string text_;
  bool pendingSpace_ = false;
};

}  // namespace

std::string htmlToText(const std::string& html) {
  tPlainText plain;
  for (size_t i = 0; i < html.size();) {
    const char c = html[i];
    if (isHtmlSpace(c)) {
      plain.space();
      ++i;
      continue;
    }
    const size_t close = c == '<' ? html.find('>', i) : std::string::npos;
    const std::string tag = close != std::string::npos ? tagName(html, i) : std::string();
    if (!tag.empty() || (close != std::string::npos && html.compare(i, 4, "<!--") == 0)) {
      if (breaksLine(tag)) plain.space();
      i = close + 1;
      continue;
    }
    uint32_t codePoint = 0;
    size_t length = 0;
    if (c == '&' && readReference(html, i, &codePoint, &length)) {
      std::string character;
      appendUtf8(codePoint, &character);
      plain.append(character.data(), character.size());
      i += length;
      continue;
    }
    plain.append(&html[i], 1);
    ++i;
  }
  return plain.text();
}
