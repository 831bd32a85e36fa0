#include "wordlists/text_lines.h"

#include <cstring>
#include <utility>

#include "storage/text_encoding.h"
#include "wordlists/stream_decoding.h"

namespace {

const char kByteOrderMark[] = "\xEF\xBB\xBF";

}  // namespace

tTextLines::tTextLines(std::FILE* in, bool utf8) : reader_(new tLineReader(in)), utf8_(utf8) {}

tTextLines::tTextLines(const std::string& utf8) {
  if (utf8.empty()) return;
  memory_ = fmemopen(const_cast<char*>(utf8.data()), utf8.size(), "r");
  if (memory_ != nullptr) reader_.reset(new tLineReader(memory_));
}

tTextLines::tTextLines(std::vector<tTextLine> lines) {
  putBack(std::move(lines));
}

tTextLines::~tTextLines() {
  reader_.reset();
  if (memory_ != nullptr) std::fclose(memory_);
}

bool tTextLines::next(tTextLine* line) {
  if (givenBack_.empty()) return readLine(line);
  *line = std::move(givenBack_.back());
  givenBack_.pop_back();
  return true;
}

bool tTextLines::readLine(tTextLine* line) {
  for (;;) {
    if (reader_ == nullptr) return false;
    reader_->passOverEmptyLines();
    const char* bytes;
    size_t size;
    if (!reader_->next(&bytes, &size, &line->cut)) return false;
    if (first_ && size >= 3 && std::memcmp(bytes, kByteOrderMark, 3) == 0) {
      bytes += 3;
      size -= 3;
    }
    first_ = false;
    if (size == 0) continue;
    line->number = reader_->lineNumber();
    if (utf8_ && isWholeUtf8(bytes, size)) {
      line->text.assign(bytes, size);
    } else {
      line->text = cp1252ToUtf8(std::string(bytes, size));
    }
    return true;
  }
}

void tTextLines::putBack(std::vector<tTextLine> lines) {
  for (auto it = lines.rbegin(); it != lines.rend(); ++it) givenBack_.push_back(std::move(*it));
}

std::vector<tTextLine> tTextLines::peek(size_t count, size_t byteLimit) {
  std::vector<tTextLine> lines;
  size_t bytes = 0;
  tTextLine line;
  while (lines.size() < count && bytes <= byteLimit && next(&line)) {
    bytes += line.text.size();
    lines.push_back(std::move(line));
  }
  std::vector<tTextLine> copy = lines;
  putBack(std::move(copy));
  return lines;
}

bool tTextLines::failed() const {
  return reader_ != nullptr && reader_->failed();
}
