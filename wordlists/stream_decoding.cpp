#include "wordlists/stream_decoding.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "storage/text_encoding.h"

namespace {

constexpr uint32_t kReplacementCharacter = 0xFFFD;

}  // namespace

// Lead bytes and the range of their first continuation byte follow RFC 3629: no
// overlong forms, no surrogates, nothing above U+10FFFF.
void tUtf8Census::start(unsigned char byte) {
  low_ = 0x80;
  high_ = 0xBF;
  if (byte < 0x80) return;
  if (byte >= 0xC2 && byte <= 0xDF) {
    pending_ = 1;
  } else if (byte >= 0xE0 && byte <= 0xEF) {
    pending_ = 2;
    if (byte == 0xE0) low_ = 0xA0;
    if (byte == 0xED) high_ = 0x9F;
  } else if (byte >= 0xF0 && byte <= 0xF4) {
    pending_ = 3;
    if (byte == 0xF0) low_ = 0x90;
    if (byte == 0xF4) high_ = 0x8F;
  } else {
    ++invalid_;
  }
}

void tUtf8Census::feed(const char* bytes, size_t size) {
  for (size_t i = 0; i < size; ++i) {
    const unsigned char byte = static_cast<unsigned char>(bytes[i]);
    if (pending_ == 0) {
      if (byte < 0x80) {
        i += asciiPrefixLength(bytes + i, size - i);  // at least this byte
        --i;
      } else {
        start(byte);
      }
      continue;
    }
    if (byte < low_ || byte > high_) {
      ++invalid_;
      pending_ = 0;
      start(byte);
      continue;
    }
    low_ = 0x80;
    high_ = 0xBF;
    if (--pending_ == 0) ++multiByte_;
  }
}

void tUtf8Census::finish() {
  if (pending_ > 0) ++invalid_;
  pending_ = 0;
}

bool isWholeUtf8(const char* bytes, size_t size) {
  const size_t ascii = asciiPrefixLength(bytes, size);
  if (ascii == size) return true;
  tUtf8Census census;
  census.feed(bytes + ascii, size - ascii);
  census.finish();
  return census.invalid() == 0;
}

bool tUtf16Decoder::startsWithMark(const char* bytes, size_t size) {
  if (size < 2) return false;
  const unsigned char a = static_cast<unsigned char>(bytes[0]);
  const unsigned char b = static_cast<unsigned char>(bytes[1]);
  return (a == 0xFF && b == 0xFE) || (a == 0xFE && b == 0xFF);
}

void tUtf16Decoder::feed(const char* bytes, size_t size, std::string* out) {
  for (size_t i = 0; i < size; ++i) {
    const unsigned char byte = static_cast<unsigned char>(bytes[i]);
    if (!haveByte_) {
      firstByte_ = byte;
      haveByte_ = true;
      continue;
    }
    haveByte_ = false;
    const uint16_t value = little_ ? static_cast<uint16_t>(firstByte_ | byte << 8)
                                   : static_cast<uint16_t>(firstByte_ << 8 | byte);
    if (!started_) {
      started_ = true;
      // The mark names the order and is no character of the text.
      if (value == 0xFEFF) continue;
      if (value == 0xFFFE) {
        little_ = !little_;
        continue;
      }
    }
    unit(value, out);
  }
}

void tUtf16Decoder::unit(uint16_t value, std::string* out) {
  if (highSurrogate_ != 0) {
    const uint16_t high = highSurrogate_;
    highSurrogate_ = 0;
    if (value >= 0xDC00 && value <= 0xDFFF) {
      appendUtf8(0x10000 + ((static_cast<uint32_t>(high) - 0xD800) << 10) + (value - 0xDC00), out);
      return;
    }
    appendUtf8(kReplacementCharacter, out);
  }
  if (value >= 0xD800 && value <= 0xDBFF) {
    highSurrogate_ = value;
  } else if (value >= 0xDC00 && value <= 0xDFFF) {
    appendUtf8(kReplacementCharacter, out);
  } else {
    appendUtf8(value, out);
  }
}

void tUtf16Decoder::finish(std::string* out) {
  if (highSurrogate_ != 0 || haveByte_) appendUtf8(kReplacementCharacter, out);
  highSurrogate_ = 0;
  haveByte_ = false;
}

namespace {

bool decide(std::FILE* in, tDecidedStream* decided, bool mayDefer) {
  const off_t start = ftello(in);
  const bool seekable = start >= 0 && fseeko(in, start, SEEK_SET) == 0;
  char chunk[1 << 14];
  size_t n = std::fread(chunk, 1, sizeof chunk, in);
  if (std::ferror(in) != 0) return false;
  const bool utf16 = tUtf16Decoder::startsWithMark(chunk, n);
  if (mayDefer && seekable && !utf16) {
    decided->file = in;
    decided->deferred = true;
    return fseeko(in, start, SEEK_SET) == 0;
  }
  if (!seekable || utf16) {
    decided->file = std::tmpfile();
    decided->isCopy = decided->file != nullptr;
    if (decided->file == nullptr) return false;
  }
  tUtf8Census census;
  tUtf16Decoder decoder;
  std::string utf8;
  for (; n > 0; n = std::fread(chunk, 1, sizeof chunk, in)) {
    if (utf16) {
      utf8.clear();
      decoder.feed(chunk, n, &utf8);
    } else {
      census.feed(chunk, n);
    }
    if (decided->isCopy) {
      const std::string piece = utf16 ? utf8 : std::string(chunk, n);
      if (std::fwrite(piece.data(), 1, piece.size(), decided->file) != piece.size()) return false;
    }
  }
  if (std::ferror(in) != 0) return false;
  census.finish();
  decided->utf8 = utf16 || census.mostlyUtf8();
  if (utf16) {
    utf8.clear();
    decoder.finish(&utf8);
    if (std::fwrite(utf8.data(), 1, utf8.size(), decided->file) != utf8.size()) return false;
  }
  if (!decided->isCopy) {
    decided->file = in;
    return fseeko(in, start, SEEK_SET) == 0;
  }
  return std::fflush(decided->file) == 0 && fseeko(decided->file, 0, SEEK_SET) == 0;
}

}  // namespace

bool decideEncoding(std::FILE* in, tDecidedStream* decided) {
  return decide(in, decided, false);
}

bool decideEncodingLater(std::FILE* in, tDecidedStream* decided) {
  return decide(in, decided, true);
}

bool mostlyUtf8From(std::FILE* in, off_t offset, bool* utf8) {
  const off_t at = ftello(in);
  if (at < 0 || fseeko(in, offset, SEEK_SET) != 0) return false;
  tUtf8Census census;
  char chunk[1 << 14];
  for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, in)) > 0;) census.feed(chunk, n);
  const bool read = std::ferror(in) == 0;
  census.finish();
  *utf8 = census.mostlyUtf8();
  // Also forgets the end reached, which is not the reader's.
  return fseeko(in, at, SEEK_SET) == 0 && read;
}

std::FILE* openRegularFile(const char* path) {
  if (path == nullptr) return nullptr;
  // Not blocking, so a FIFO without a writer is refused rather than waited for.
  const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat status;
  std::FILE* in = nullptr;
  if (fstat(fd, &status) == 0 && S_ISREG(status.st_mode) &&
      fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) == 0) {
    in = fdopen(fd, "rb");
  }
  if (in == nullptr) close(fd);
  return in;
}
