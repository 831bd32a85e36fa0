#include "wordlists/line_reader.h"

#include <cstring>
#include <utility>

namespace {

// Enough for most files' lines; the buffer grows to hold a line of kMaxLine bytes
// only when one comes.
constexpr size_t kFirstBufferSize = 1 << 14;

}  // namespace

tLineReader::tLineReader(std::FILE* in, std::function<void()> beforeMove)
    : in_(in),
      beforeMove_(std::move(beforeMove)),
      buffer_(new char[kFirstBufferSize]),
      capacity_(kFirstBufferSize) {}

size_t tLineReader::nextReturn() {
  if (!returnKnown_ || returnAt_ < start_) {
    const void* found = std::memchr(buffer_.get() + start_, '\r', end_ - start_);
    returnAt_ = found != nullptr
                    ? static_cast<size_t>(static_cast<const char*>(found) - buffer_.get())
                    : end_;
    returnKnown_ = true;
  }
  return returnAt_;
}

bool tLineReader::findEnd(size_t limit, size_t* length, size_t* endLength) {
  const char* from = buffer_.get() + start_;
  const size_t available = end_ - start_;
  const size_t searched = available < limit ? available : limit;
  const char* feed = static_cast<const char*>(std::memchr(from, '\n', searched));
  const size_t beforeFeed = feed != nullptr ? static_cast<size_t>(feed - from) : searched;
  const size_t ret = nextReturn() - start_;
  if (ret >= beforeFeed) {
    if (feed == nullptr) return false;
    *length = beforeFeed;
    *endLength = 1;
    return true;
  }
  *length = ret;
  if (*length + 1 < available) {
    *endLength = from[*length + 1] == '\n' ? 2 : 1;
    return true;
  }
  // A carriage return read last: a line feed may follow in the next read.
  *endLength = 1;
  return atEnd_;
}

bool tLineReader::next(const char** line, size_t* size, bool* cut) {
  if (skipRest_) passOverRest();
  for (;;) {
    size_t length = 0, endLength = 0;
    const size_t available = end_ - start_;
    if (findEnd(kMaxLine + 1, &length, &endLength)) {
      *cut = false;
    } else if (available > kMaxLine + 1) {
      length = kMaxLine;
      endLength = 0;
      *cut = true;
      skipRest_ = true;
    } else if (!atEnd_) {
      refill();
      continue;
    } else if (available > 0) {
      length = available;
      *cut = false;
    } else {
      return false;
    }
    lineStart_ = start_;
    *line = buffer_.get() + start_;
    *size = length;
    start_ += length + endLength;
    ++lineNumber_;
    return true;
  }
}

void tLineReader::passOverEmptyLines() {
  if (skipRest_) passOverRest();
  for (;;) {
    const char* bytes = buffer_.get();
    size_t at = start_;
    while (at < end_) {
      if (bytes[at] == '\n') {
        ++at;
      } else if (bytes[at] != '\r') {
        break;
      } else if (at + 1 < end_) {
        at += bytes[at + 1] == '\n' ? 2 : 1;
      } else if (atEnd_) {
        ++at;
      } else {
        break;  // a line feed may follow in the next read
      }
      ++lineNumber_;
    }
    start_ = at;
    const bool lastCarriageReturn = at + 1 == end_ && bytes[at] == '\r' && !atEnd_;
    if ((at < end_ && !lastCarriageReturn) || atEnd_) return;
    refill();
  }
}

void tLineReader::passOverRest() {
  skipRest_ = false;
  for (;;) {
    size_t length = 0, endLength = 0;
    if (findEnd(end_ - start_, &length, &endLength)) {
      start_ += length + endLength;
      return;
    }
    if (atEnd_) {
      start_ = end_;
      return;
    }
    // Keeps a carriage return read last, whose line feed may come next.
    if (end_ > start_ && buffer_[end_ - 1] == '\r') {
      start_ = end_ - 1;
    } else {
      start_ = end_;
    }
    refill();
  }
}

// Moves what is left to the front, makes room when a line fills the buffer, and reads
// behind it. Only called with at most kMaxLine + 1 bytes left, so the buffer never
// grows beyond twice that.
void tLineReader::refill() {
  if (beforeMove_) beforeMove_();
  returnKnown_ = false;
  if (start_ > 0) {
    dropped_ += start_;
    std::memmove(buffer_.get(), buffer_.get() + start_, end_ - start_);
    end_ -= start_;
    start_ = 0;
  }
  if (end_ == capacity_) {
    std::unique_ptr<char[]> larger(new char[2 * capacity_]);
    std::memcpy(larger.get(), buffer_.get(), end_);
    buffer_.swap(larger);
    capacity_ *= 2;
  }
  const size_t got = std::fread(buffer_.get() + end_, 1, capacity_ - end_, in_);
  end_ += got;
  if (got == 0) {
    atEnd_ = true;
    failed_ = std::ferror(in_) != 0;
  }
}
