#include "storage/fields.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "storage/charset.h"
#include "storage/dbf.h"

namespace {

// Field lengths are one descriptor byte, so every field value fits in this.
constexpr int kMaxFieldText = 256;

// Nine digits always fit into 32 bits, whatever their sign.
constexpr ptrdiff_t kSafeDigits = 9;

bool isCSpace(unsigned char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

}  // namespace

int32_t parseInteger(const unsigned char* text, size_t n) {
  const unsigned char* const end = text + n;
  while (text < end && *text == ' ') ++text;  // the padding of right-aligned numbers
  while (text < end && isCSpace(*text)) ++text;
  if (text == end) return 0;
  const bool negative = *text == '-';
  if (*text == '+' || *text == '-') ++text;
  if (end - text <= kSafeDigits) {
    // Too few digits to leave the range: no saturation needed.
    int32_t value = 0;
    for (; text < end && static_cast<unsigned char>(*text - '0') <= 9; ++text) {
      value = value * 10 + (*text - '0');
    }
    return negative ? -value : value;
  }
  constexpr int64_t kLimit = static_cast<int64_t>(INT32_MAX) + 1;
  int64_t magnitude = 0;
  for (; text < end && static_cast<unsigned char>(*text - '0') <= 9; ++text) {
    magnitude = std::min(magnitude * 10 + (*text - '0'), kLimit);
  }
  const int64_t value = negative ? -magnitude : magnitude;
  return static_cast<int32_t>(std::min<int64_t>(value, INT32_MAX));
}

tFeld::tFeld() : index_(-1), table_(nullptr) {}

void tFeld::bind(tDBF* table, const char* name) {
  table_ = table;
  index_ = table == nullptr ? -1 : table->findField(name);
  if (index_ >= 0) {
    value_.assign(static_cast<size_t>(table->fieldLength(index_)) + 1, '\0');
  } else {
    value_.clear();
  }
}

int tFeld::length() const {
  return table_ == nullptr ? 0 : table_->fieldLength(index_);
}

char tFeld::type() const {
  return table_ == nullptr ? 'U' : table_->fieldType(index_);
}

void tFeld::raise(int code) {
  if (table_ != nullptr) table_->error(code);
}

const unsigned char* tFeld::fieldBytes(size_t* length) {
  return table_ == nullptr ? nullptr : table_->currentField(index_, length);
}

const unsigned char* tFeld::fieldText(size_t* length) {
  return table_ == nullptr ? nullptr : table_->fieldText(index_, length);
}

tCharField& tCharField::set(const char* text) {
  const int width = length();
  if (width <= 0 || text == nullptr) return *this;
  char converted[kMaxFieldText];
  toFileCharsetOnly(text, converted, static_cast<size_t>(width));
  table_->putField(index_, converted);
  return *this;
}

const char* tCharField::get() {
  if (table_ == nullptr) return "";
  if (index_ < 0 || value_.empty()) {
    char none[1];
    table_->getField(index_, none);  // reports the missing field
    return "";
  }
  value_[0] = '\0';
  size_t n = 0;
  const unsigned char* text = fieldText(&n);
  if (text == nullptr) return value_.data();
  // The table may have been opened again on another file since bind(); the buffer
  // must still hold whatever the field is now.
  if (value_.size() < n + 1) value_.resize(n + 1);
  copyToScreenCharset(value_.data(), reinterpret_cast<const char*>(text), n);
  return value_.data();
}

size_t tCharField::copyTo(char* dest, size_t size) {
  if (size == 0) return 0;
  dest[0] = '\0';
  size_t n = 0;
  const unsigned char* text = fieldText(&n);
  if (text == nullptr) return 0;
  // The whole field is copied and then cut: its width is the same for every record,
  // which makes the copy cheaper than one of each text's own length.
  const size_t copied = std::min(static_cast<size_t>(length()), size - 1);
  std::memcpy(dest, text, copied);
  n = std::min(n, copied);
  toScreenCharset(dest, n);
  return n;
}

tNumField& tNumField::set(int32_t value) {
  if (type() != 'N') {
    raise(kDbfNotNumeric);
    return *this;
  }
  char text[kMaxFieldText];
  formatInteger(value, length(), text);
  table_->putField(index_, text);
  return *this;
}

int32_t tNumField::get() {
  if (type() != 'N') return 0;
  // Parsed where it stands: the digits end at the first other byte (a padding space
  // or a NUL) just as they would in a copy of the trimmed text.
  size_t n = 0;
  const unsigned char* bytes = fieldBytes(&n);
  return bytes == nullptr ? 0 : parseInteger(bytes, n);
}

int formatInteger(int32_t v, int width, char* dest) {
  if (width < 1) {
    dest[0] = '\0';
    return 0;
  }
  const bool negative = v < 0;
  // Through unsigned arithmetic so that the most negative value has a magnitude.
  uint32_t m = negative ? 0u - static_cast<uint32_t>(v) : static_cast<uint32_t>(v);
  int pos = width - 1;
  do {
    dest[pos--] = static_cast<char>('0' + m % 10);
    m /= 10;
  } while (m != 0 && pos >= 0);
  bool fits = m == 0;
  if (negative) {
    if (pos >= 0) {
      dest[pos--] = '-';
    } else {
      fits = false;
    }
  }
  while (pos >= 0) dest[pos--] = ' ';
  dest[width] = '\0';
  if (fits) return 1;
  std::memset(dest, '*', static_cast<size_t>(width));
  return 0;
}
