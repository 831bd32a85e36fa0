#include "dialogs/languages.h"

#include <cctype>

const char* const kListedCodes[kListedLanguages] = {"en", "fr", "es", "it", "nl", "la"};
const char kGermanCode[] = "de";
const char kDefaultTranslationCode[] = "en";

namespace {

bool isLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

// One part of the code, lower-cased onto *code; false when it breaks the rules.
bool takePart(const std::string& part, bool first, std::string* code) {
  if (part.size() < 2 || part.size() > (first ? 3u : 8u)) return false;
  for (char c : part) {
    if (!isLetter(c) && (first || !isDigit(c))) return false;
    *code += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return true;
}

std::string trimmed(const std::string& text) {
  const size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string::npos) return std::string();
  return text.substr(begin, text.find_last_not_of(" \t") + 1 - begin);
}

}  // namespace

size_t listedLanguage(const std::string& code) {
  size_t index = 0;
  while (index < kListedLanguages && code != kListedCodes[index]) ++index;
  return index;
}

bool parseLanguageCode(const std::string& text, std::string* code) {
  const std::string rest = trimmed(text);
  std::string result;
  size_t begin = 0;
  while (true) {
    const size_t end = rest.find_first_of("-_", begin);
    if (!takePart(rest.substr(begin, end - begin), begin == 0, &result)) return false;
    if (end == std::string::npos) break;
    result += '-';
    begin = end + 1;
  }
  *code = result;
  return true;
}
