// tLineReader: the lines of a text stream one after another, in memory that does not
// grow with the stream: a line longer than kMaxLine bytes comes as several lines.
// The stream must outlive the reader; the reader neither closes nor rewinds it.
#ifndef TERMEL_WORDLISTS_LINE_READER_H_
#define TERMEL_WORDLISTS_LINE_READER_H_

#include <cstddef>
#include <cstdio>
#include <memory>

class tLineReader {
 public:
  // A multiple of the 1023 characters in which an import reads a line, so cutting a
  // code page 1252 line here cuts it where the import would anyway.
  static constexpr size_t kMaxLine = 64 * 1023;

  // utf8: a long line is cut between characters, never inside one.
  tLineReader(std::FILE* in, bool utf8);
  tLineReader(const tLineReader&) = delete;
  tLineReader& operator=(const tLineReader&) = delete;

  // The next line, its line feed included when it has one; false at the end of the
  // stream. *line stays valid until the next call.
  bool next(const char** line, size_t* size);
  // A read of the stream failed; the lines before were delivered.
  bool failed() const { return failed_; }

 private:
  void refill();
  size_t cutPoint() const;  // with more than kMaxLine bytes available

  std::FILE* in_;
  bool utf8_;
  bool atEnd_ = false;
  bool failed_ = false;
  std::unique_ptr<char[]> buffer_;  // not cleared: only bytes read are ever looked at
  size_t capacity_;
  size_t start_ = 0;  // first byte not yet delivered
  size_t end_ = 0;    // behind the last byte read
};

#endif  // TERMEL_WORDLISTS_LINE_READER_H_
