// The byte codec shared by the recovery file and its change log: little-endian
// numbers, card texts of at most 63 bytes behind their length, and the CRC-32 that
// seals each piece.
#ifndef TERMEL_KARTEI_RECOVERY_CODEC_H_
#define TERMEL_KARTEI_RECOVERY_CODEC_H_

#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "box/termel.h"
#include "storage/little_endian.h"

inline uint32_t recoveryCrc(const char* data, size_t size) {
  // zlib takes at most 4 GiB a call; the files never get that large.
  return static_cast<uint32_t>(
      crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(data), static_cast<uInt>(size)));
}

class tRecoveryEncoder {
 public:
  explicit tRecoveryEncoder(std::string* out) : out_(out) {}
  void bytes(const void* data, size_t size) { out_->append(static_cast<const char*>(data), size); }
  void u8(uint8_t v) { out_->push_back(static_cast<char>(v)); }
  void u32(uint32_t v) {
    unsigned char b[4];
    encodeFixed32(b, v);
    bytes(b, 4);
  }
  void u64(uint64_t v) {
    u32(static_cast<uint32_t>(v));
    u32(static_cast<uint32_t>(v >> 32));
  }
  void text(const char* s) {
    const size_t n = strnlen(s, tTermel::kTextSize - 1);
    u8(static_cast<uint8_t>(n));
    bytes(s, n);
  }
  void card(const tTermel& card) {
    text(card.front);
    text(card.back);
    u32(static_cast<uint32_t>(card.timesKnown));
    u32(static_cast<uint32_t>(card.timesUnknown));
  }

 private:
  std::string* out_;
};

class tRecoveryReader {
 public:
  tRecoveryReader(const std::string& in, size_t begin, size_t end)
      : in_(in), end_(end), pos_(begin) {}
  bool ok() const { return ok_; }
  size_t left() const { return ok_ ? end_ - pos_ : 0; }
  const char* take(size_t n) {
    if (!ok_ || end_ - pos_ < n) {
      ok_ = false;
      return nullptr;
    }
    const char* p = in_.data() + pos_;
    pos_ += n;
    return p;
  }
  uint8_t u8() {
    const char* p = take(1);
    return p != nullptr ? static_cast<uint8_t>(*p) : 0;
  }
  uint32_t u32() {
    const char* p = take(4);
    return p != nullptr ? decodeFixed32(reinterpret_cast<const unsigned char*>(p)) : 0;
  }
  uint64_t u64() {
    const uint64_t low = u32();
    return low | (uint64_t{u32()} << 32);
  }
  // A card text: at most 63 bytes, none of them NUL.
  bool text(char* dest) {
    const uint8_t n = u8();
    const char* p = n < tTermel::kTextSize ? take(n) : nullptr;
    if (p == nullptr || std::memchr(p, '\0', n) != nullptr) return ok_ = false;
    std::memcpy(dest, p, n);
    dest[n] = '\0';
    return true;
  }
  bool card(tTermel* card) {
    if (!text(card->front) || !text(card->back)) return false;
    card->timesKnown = static_cast<int32_t>(u32());
    card->timesUnknown = static_cast<int32_t>(u32());
    return ok_;
  }

 private:
  const std::string& in_;
  size_t end_;
  size_t pos_;
  bool ok_ = true;
};

#endif  // TERMEL_KARTEI_RECOVERY_CODEC_H_
