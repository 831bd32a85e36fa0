#include "wordlists/html_text.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <set>
#include <string>

#include "storage/text_encoding.h"

namespace {

struct tEntity {
  const char* name;
  const char* utf8;
};

constexpr tEntity kEntities[] = {
#include "wordlists/html_entities.inc"
};

// The longest name of a reference, "CounterClockwiseContourIntegral".
constexpr size_t kLongestName = 31;

// The characters of the named reference name, or nullptr for a name HTML doesn't know.
const char* entityNamed(const std::string& name) {
  const tEntity* end = kEntities + sizeof kEntities / sizeof kEntities[0];
  const tEntity* found = std::lower_bound(
      kEntities, end, name,
      [](const tEntity& e, const std::string& n) { return std::strcmp(e.name, n.c_str()) < 0; });
  return found != end && name == found->name ? found->utf8 : nullptr;
}

// Tags that end a line or a block, shown as a space between the words they part.
constexpr const char* kBreakingTags[] = {"br", "p",  "div", "li", "tr", "td",   "hr",
                                         "h1", "h2", "h3",  "ul", "ol", "table"};

// Tags that stand alone, and tags whose end tag shows they are markup.
constexpr const char* kEmptyTags[] = {"br", "img", "hr"};
constexpr const char* kPairedTags[] = {"b",   "i", "u",    "s",     "em",     "strong", "span",
                                       "div", "p", "font", "sub",   "sup",    "li",     "ul",
                                       "ol",  "a", "td",   "table", "strike", "big",    "small"};

bool isHtmlSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

// The characters of a numeric reference's digits ("228", "xE4"); false for none.
bool numericReference(const std::string& name, std::string* characters) {
  const bool hex = name[0] == 'x' || name[0] == 'X';
  const std::string digits = name.substr(hex ? 1 : 0);
  if (digits.empty() || digits.size() > 7) return false;
  for (const char c : digits) {
    if (!(hex ? std::isxdigit(static_cast<unsigned char>(c))
              : std::isdigit(static_cast<unsigned char>(c)))) {
      return false;
    }
  }
  const uint32_t codePoint =
      static_cast<uint32_t>(std::strtoul(digits.c_str(), nullptr, hex ? 16 : 10));
  if (codePoint == 0) return false;
  // Pages written on Windows number their typographic characters by code page 1252,
  // and browsers read them so.
  if (codePoint >= 0x80 && codePoint <= 0x9F) {
    *characters = cp1252ToUtf8(std::string(1, static_cast<char>(codePoint)));
  } else {
    appendUtf8(codePoint, characters);
  }
  return true;
}

// The characters the reference at html[pos] ("&...;") stands for, and its length in
// *length; false when there is no complete known reference.
bool readReference(const std::string& html, size_t pos, std::string* characters, size_t* length) {
  // Only as far as the longest name reaches, so a text full of '&' is read in one go.
  const size_t reach = std::min(html.size(), pos + kLongestName + 2);
  const size_t semicolon =
      std::find(html.begin() + pos + 1, html.begin() + reach, ';') - html.begin();
  if (semicolon == reach) return false;
  const std::string name = html.substr(pos + 1, semicolon - pos - 1);
  *length = semicolon - pos + 1;
  characters->clear();
  if (name.size() >= 2 && name[0] == '#') return numericReference(name.substr(1), characters);
  const char* named = entityNamed(name);
  if (named == nullptr) return false;
  *characters = named;
  return true;
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

template <size_t kCount>
bool named(const std::string& tag, const char* const (&names)[kCount]) {
  return std::find(std::begin(names), std::end(names), tag) != std::end(names);
}

bool breaksLine(const std::string& tag) {
  return named(tag, kBreakingTags);
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

bool holdsHtml(const std::string& text) {
  std::set<std::string> opened;
  const size_t lastClose = text.rfind('>');
  for (size_t i = text.find('<'); i != std::string::npos; i = text.find('<', i + 1)) {
    if (lastClose == std::string::npos || i > lastClose) return false;
    const std::string tag = tagName(text, i);
    if (named(tag, kEmptyTags)) return true;
    if (!named(tag, kPairedTags)) continue;
    if (text[i + 1] != '/') {
      opened.insert(tag);
    } else if (opened.count(tag) != 0) {
      return true;
    }
  }
  return false;
}

std::string htmlToText(const std::string& html) {
  tPlainText plain;
  size_t nextClose = html.find('>');  // the first '>' at or behind i
  for (size_t i = 0; i < html.size();) {
    const char c = html[i];
    if (isHtmlSpace(c)) {
      plain.space();
      ++i;
      continue;
    }
    if (nextClose != std::string::npos && nextClose < i) nextClose = html.find('>', i);
    const size_t close = c == '<' ? nextClose : std::string::npos;
    const std::string tag = close != std::string::npos ? tagName(html, i) : std::string();
    if (!tag.empty() || (close != std::string::npos && html.compare(i, 4, "<!--") == 0)) {
      if (breaksLine(tag)) plain.space();
      i = close + 1;
      continue;
    }
    std::string characters;
    size_t length = 0;
    if (c == '&' && readReference(html, i, &characters, &length)) {
      plain.append(characters.data(), characters.size());
      i += length;
      continue;
    }
    plain.append(&html[i], 1);
    ++i;
  }
  return plain.text();
}

std::string withoutSounds(std::string text) {
  bool removed = false;
  // From the start each time: taking one out may join the text around it into another.
  for (size_t at = text.find("[sound:"); at != std::string::npos; at = text.find("[sound:")) {
    const size_t end = text.find(']', at);
    if (end == std::string::npos) break;
    text.erase(at, end + 1 - at);
    removed = true;
  }
  if (!removed) return text;
  const size_t first = text.find_first_not_of(' ');
  text.erase(0, first == std::string::npos ? text.size() : first);
  text.erase(text.find_last_not_of(' ') + 1);
  return text;
}
