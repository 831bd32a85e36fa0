// Filling a box file's name and the system's error text into the texts that report on it.
#include "kartei/file_texts.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "storage/text_encoding.h"

namespace {

std::string format2(const char* format, const std::string& first, const std::string& second) {
  std::vector<char> text(std::strlen(format) + first.size() + second.size() + 1);
  std::snprintf(text.data(), text.size(), format, first.c_str(), second.c_str());
  return text.data();
}

}  // namespace

std::string systemErrorText(int code) {
  char buffer[256];
  // The GNU strerror_r returns its text, which need not be in buffer.
  const char* text = strerror_r(code, buffer, sizeof buffer);
  return utf8ToCp1252Shown(text);
}

std::string withPath(const char* format, const std::string& path) {
  return format2(format, utf8ToCp1252Shown(path), std::string());
}

std::string withPathAnd(const char* format, const std::string& path, const std::string& second) {
  return format2(format, utf8ToCp1252Shown(path), second);
}

std::string withPathAndReason(const char* format, const std::string& path, int code) {
  return format2(format, utf8ToCp1252Shown(path), systemErrorText(code));
}
