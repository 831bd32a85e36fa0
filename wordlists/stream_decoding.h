// Word-list text read in pieces of any size: telling UTF-8 from code page 1252, and
// turning UTF-16 (a spreadsheet's "Unicode text") into UTF-8. A character may be cut
// between two pieces.
#ifndef TERMEL_WORDLISTS_STREAM_DECODING_H_
#define TERMEL_WORDLISTS_STREAM_DECODING_H_

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

// Counts the multi-byte UTF-8 characters of a text and the byte sequences that are
// not UTF-8, so a file can be judged as a whole: one that is UTF-8 but for a few lines
// is still UTF-8, one without a single multi-byte character is not.
class tUtf8Census {
 public:
  void feed(const char* bytes, size_t size);
  // Ends the text: a character cut off at its end counts as invalid.
  void finish();
  size_t multiByte() const { return multiByte_; }
  size_t invalid() const { return invalid_; }
  // Mostly UTF-8: at least one multi-byte character, and no more invalid sequences
  // than those. Call after finish().
  bool mostlyUtf8() const { return multiByte_ > 0 && invalid_ <= multiByte_; }

 private:
  void start(unsigned char byte);

  size_t multiByte_ = 0;
  size_t invalid_ = 0;
  int pending_ = 0;                         // continuation bytes still due
  unsigned char low_ = 0x80, high_ = 0xBF;  // range of the next continuation byte
};

// True when bytes (a line) are all valid UTF-8.
bool isWholeUtf8(const char* bytes, size_t size);

// Decodes UTF-16 after its byte-order mark into UTF-8. A surrogate without its partner
// becomes U+FFFD, which no card can hold, so its line is reported rather than lost.
class tUtf16Decoder {
 public:
  // True when bytes start with a UTF-16 byte-order mark (either order).
  static bool startsWithMark(const char* bytes, size_t size);

  // Appends the UTF-8 of the next piece to out; the mark at the very start is left out.
  void feed(const char* bytes, size_t size, std::string* out);
  // Ends the text: an odd byte or a lone high surrogate at the end becomes U+FFFD.
  void finish(std::string* out);

 private:
  void unit(uint16_t value, std::string* out);

  bool started_ = false;
  bool little_ = true;
  bool haveByte_ = false;
  unsigned char firstByte_ = 0;
  uint16_t highSurrogate_ = 0;  // 0: none pending
};

// Where the lines of a stream come from once its encoding is known: the stream itself
// or a UTF-8 copy of it in a temporary file.
struct tDecidedStream {
  std::FILE* file = nullptr;
  bool utf8 = false;
  bool isCopy = false;
  // utf8 is not known yet: see decideEncodingLater.
  bool deferred = false;
};

// Reads in to its end (once, whatever its size), from its first bytes in chunk, to decide its
// encoding; a stream that cannot seek back, and UTF-16, which is turned into UTF-8, are read into a
// temporary copy. False on a read or write error.
bool decideEncoding(std::FILE* in, tDecidedStream* decided);
// The same, but a stream that can seek back and is not UTF-16 is left where it was,
// undecided (deferred): ASCII reads alike either way and counts for neither, so a
// reader decides only when it meets the first other byte, by mostlyUtf8From from the
// start of its line, and a file of nothing but ASCII is read once.
bool decideEncodingLater(std::FILE* in, tDecidedStream* decided);
// Whether the bytes of in from offset to its end are mostly UTF-8 (tUtf8Census) into
// *utf8; in reads on from where it was. False on a read error.
bool mostlyUtf8From(std::FILE* in, off_t offset, bool* utf8);

// Opens path for reading when it is a regular file; nullptr for anything else (a
// directory, a FIFO without a writer, a device), which would never end or mean
// nothing as a word list.
std::FILE* openRegularFile(const char* path);

#endif  // TERMEL_WORDLISTS_STREAM_DECODING_H_
