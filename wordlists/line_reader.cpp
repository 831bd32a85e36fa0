#include "wordlists/line_reader.h"

#include <cstring>

namespace {

// Enough for most files' lines; the buffer grows to hold a line of kMaxLine bytes
// only when one comes.
constexpr size_t kFirstBufferSize = 1 << 14;

bool isContinuation(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

}  // namespace

tLineReader::tLineReader(std::FILE* in, bool utf8)
    : in_(in), utf8_(utf8), buffer_(new char[kFirstBufferSize]), capacity_(kFirstBufferSize) {}

bool tLineReader::next(const char** line, size_t* size) {
  for (;;) {
    const size_t available = end_ - start_;
    const size_t searched = available < kMaxLine ? available : kMaxLine;
    const void* newline = std::memchr(buffer_.get() + start_, '\n', searched);
    size_t length = 0;
    if (newline != nullptr) {
      length = static_cast<size_t>(static_cast<const char*>(newline) - buffer_.get()) - start_ + 1;
    } else if (available > kMaxLine) {
      length = cutPoint();
    } else if (!atEnd_) {
      refill();
      continue;
    } else if (available > 0) {
      length = available;
    } else {
      return false;
    }
    *line = buffer_.get() + start_;
    *size = length;
    start_ += length;
    return true;
  }
}

// Moves what is left to the front, makes room when a line fills the buffer, and reads
// behind it. Only called with at most kMaxLine bytes left, so the buffer never grows
// beyond twice that.
void tLineReader::refill() {
  if (start_ > 0) {
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

// Where a line of more than kMaxLine bytes is cut: at kMaxLine bytes, in UTF-8 moved
// back to the start of the character there (a valid character has at most three
// continuation bytes; anything else is cut where it stands).
size_t tLineReader::cutPoint() const {
  size_t cut = kMaxLine;
  if (!utf8_) return cut;
  const char* line = buffer_.get() + start_;
  for (size_t back = 0; back < 3 && cut > 1 && isContinuation(line[cut]); ++back) --cut;
  return cut;
}
