// tTextLines: the lines of a word list as UTF-8, one after another, from a stream of
// any size or a text in memory, in memory that does not grow with either. Empty lines
// are passed over (they count for the line numbers); a byte-order mark at the very
// start is left out. Lines read ahead may be given back, to be given again first.
#ifndef TERMEL_WORDLISTS_TEXT_LINES_H_
#define TERMEL_WORDLISTS_TEXT_LINES_H_

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "wordlists/line_reader.h"

struct tTextLine {
  std::string text;  // UTF-8, without its line end
  int number = 0;    // counted from 1
  bool cut = false;  // longer than tLineReader::kMaxLine bytes: text holds their start
};

class tTextLines {
 public:
  // The lines of in from its current position; utf8 says the stream is UTF-8 (a line
  // that is not is read as code page 1252, as the whole stream is otherwise). in must
  // outlive the lines and is not closed.
  tTextLines(std::FILE* in, bool utf8);
  // The lines of utf8, which must outlive them.
  explicit tTextLines(const std::string& utf8);
  // These lines and no others.
  explicit tTextLines(std::vector<tTextLine> lines);
  ~tTextLines();
  tTextLines(const tTextLines&) = delete;
  tTextLines& operator=(const tTextLines&) = delete;

  // The next line that is not empty; false at the end.
  bool next(tTextLine* line);
  // lines, read last in this order, are given again before any other.
  void putBack(std::vector<tTextLine> lines);
  // Up to count of the next lines, left to be given again; fewer only at the end or
  // once they hold more than byteLimit bytes.
  std::vector<tTextLine> peek(size_t count, size_t byteLimit);
  // Reading the stream failed; the lines before were given.
  bool failed() const;

 private:
  bool readLine(tTextLine* line);

  std::FILE* memory_ = nullptr;  // the stream over a text in memory, closed here
  std::unique_ptr<tLineReader> reader_;
  bool utf8_ = true;
  bool first_ = true;
  std::vector<tTextLine> givenBack_;  // last first
};

#endif  // TERMEL_WORDLISTS_TEXT_LINES_H_
