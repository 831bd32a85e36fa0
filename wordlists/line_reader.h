// tLineReader: the lines of a text stream one after another, in memory that does not
// grow with the stream. A line feed, a carriage return (old Mac files) and the pair
// of both each end a line. A line longer than kMaxLine bytes is still one line: its
// first kMaxLine bytes are given and marked cut, the rest is passed over.
// The stream must outlive the reader; the reader neither closes nor rewinds it.
#ifndef TERMEL_WORDLISTS_LINE_READER_H_
#define TERMEL_WORDLISTS_LINE_READER_H_

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>

class tLineReader {
 public:
  static constexpr size_t kMaxLine = 64 * 1024;

  // beforeMove, when given, is called before the bytes of lines already given are
  // moved or overwritten, so a caller may keep views of lines until then.
  explicit tLineReader(std::FILE* in, std::function<void()> beforeMove = nullptr);
  tLineReader(const tLineReader&) = delete;
  tLineReader& operator=(const tLineReader&) = delete;

  // The next line without its line end; false at the end of the stream. *line stays
  // valid until the next call. *cut is set when the line was longer than kMaxLine.
  bool next(const char** line, size_t* size, bool* cut);
  // Passes over empty lines, many at a time, so a file of nothing but line ends
  // goes by at the speed of reading it; they still count for lineNumber().
  void passOverEmptyLines();
  // The number of the line last given, counted from 1.
  int lineNumber() const { return lineNumber_; }
  // How many bytes of the stream came before the line last given, from where the
  // reader started.
  uint64_t lineOffset() const { return dropped_ + lineStart_; }
  // A read of the stream failed; the lines before were delivered.
  bool failed() const { return failed_; }

 private:
  // Where the line starting at start_ ends, searching at most limit bytes: its length
  // and the length of its line end in *endLength. False when more bytes must be read
  // first to tell (no end yet, or a carriage return as the last byte read).
  bool findEnd(size_t limit, size_t* length, size_t* endLength);
  // The first carriage return at or after start_ among the bytes read, or end_. Looked
  // for once per read in a file without them, rather than once per line.
  size_t nextReturn();
  void passOverRest();
  void refill();

  std::FILE* in_;
  std::function<void()> beforeMove_;
  bool atEnd_ = false;
  bool failed_ = false;
  bool skipRest_ = false;  // the line last given was cut; its rest is still to come
  int lineNumber_ = 0;
  std::unique_ptr<char[]> buffer_;  // not cleared: only bytes read are ever looked at
  size_t capacity_;
  size_t start_ = 0;      // first byte not yet delivered
  size_t lineStart_ = 0;  // where the line last given starts
  uint64_t dropped_ = 0;  // bytes of the stream moved out of the buffer's front
  size_t end_ = 0;        // behind the last byte read
  size_t returnAt_ = 0;   // what nextReturn gives, while returnKnown_
  bool returnKnown_ = false;
};

#endif  // TERMEL_WORDLISTS_LINE_READER_H_
