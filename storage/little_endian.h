// Reading and writing the unsigned little-endian numbers of table file headers, byte
// by byte, so the code is the same on every host.
#ifndef TERMEL_STORAGE_LITTLE_ENDIAN_H_
#define TERMEL_STORAGE_LITTLE_ENDIAN_H_

#include <cstdint>

inline uint16_t decodeFixed16(const unsigned char* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

inline uint32_t decodeFixed32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

inline void encodeFixed16(unsigned char* p, uint16_t v) {
  p[0] = static_cast<unsigned char>(v);
  p[1] = static_cast<unsigned char>(v >> 8);
}

inline void encodeFixed32(unsigned char* p, uint32_t v) {
  p[0] = static_cast<unsigned char>(v);
  p[1] = static_cast<unsigned char>(v >> 8);
  p[2] = static_cast<unsigned char>(v >> 16);
  p[3] = static_cast<unsigned char>(v >> 24);
}

#endif  // TERMEL_STORAGE_LITTLE_ENDIAN_H_
