#include "kartei/box_file_name.h"

namespace {

// Where the file name starts, and where its extension starts (the end when it has none).
void splitName(const std::string& cardPath, size_t* start, size_t* end) {
  const size_t slash = cardPath.rfind('/');
  *start = slash == std::string::npos ? 0 : slash + 1;
  const size_t dot = cardPath.rfind('.');
  *end = dot != std::string::npos && dot > *start ? dot : cardPath.size();
}

}  // namespace

std::string boxFileName(const std::string& cardPath) {
  size_t start = 0, end = 0;
  splitName(cardPath, &start, &end);
  std::string result = cardPath.substr(0, end) + ".kas";
  // No extension of its own, or one that is already ".kas": never the card file.
  if (end == cardPath.size() || result == cardPath) result = cardPath + ".kas";
  return result;
}

std::string boxNameOf(const std::string& cardPath) {
  size_t start = 0, end = 0;
  splitName(cardPath, &start, &end);
  return cardPath.substr(start, end - start);
}
