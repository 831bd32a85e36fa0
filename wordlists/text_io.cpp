#include "wordlists/text_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "box/card_box.h"
#include "box/card_text.h"
#include "box/termel.h"
#include "storage/safe_replace.h"
#include "storage/text_encoding.h"
#include "wordlists/import_index.h"
#include "wordlists/line_reader.h"

namespace {

// Lines are read in pieces of at most this many characters, line end included; the
// rest of a longer line is read as a line of its own.
constexpr size_t kLineBuffer = 1024;
const char kUtf8Bom[] = "\xEF\xBB\xBF";

void trimTrailingSpaces(char* text) {
  size_t n = std::strlen(text);
  while (n > 0 && text[n - 1] == ' ') --n;
  text[n] = '\0';
}

void removeLineEnd(char* text) {
  size_t n = std::strlen(text);
  if (n > 0 && text[n - 1] == '\n') --n;
  if (n > 0 && text[n - 1] == '\r') --n;
  text[n] = '\0';
}

bool writeWholeFile(const char* path, const std::string& bytes) {
  return path != nullptr && writeFileReplacing(path, bytes);
}

bool isControl(char c) {
  return static_cast<unsigned char>(c) < 0x20;
}

// Splits a line in place into the card it stands for; kImportAdded when it is well
// formed, otherwise the code of the fault. The line is left as the message shows it.
int splitLine(char* line, tTermel* card) {
  char* separator = std::strchr(line, ';');
  if (separator == nullptr) return kImportNoSeparator;
  *separator = '\0';
  trimTrailingSpaces(line);
  if (line[0] == '\0') return kImportNoFirstTerm;
  char* second = separator + 1;
  removeLineEnd(second);
  trimTrailingSpaces(second);
  if (second[0] == '\0') return kImportNoSecondTerm;
  *card = makeCard(line, second);
  return kImportAdded;
}

int addIndexed(const tTermel& card, uint64_t hash, tImportIndex* index) {
  if (index->contains(card, hash)) return kImportAlreadyPresent;
  theCardBox.addCardTo(card, 1);
  index->insert(theCardBox.lastIn(1), hash);
  return kImportAdded;
}

// Reads in to its end, checking whether it is UTF-8, and copies it into copy when
// one is given. Without a copy the reading stops at the first byte that is not
// UTF-8. False on a read or write error.
bool checkUtf8(std::FILE* in, std::FILE* copy, bool* utf8) {
  tUtf8Check check;
  char chunk[1 << 14];
  for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, in)) > 0;) {
    check.feed(chunk, n);
    if (copy != nullptr) {
      if (std::fwrite(chunk, 1, n, copy) != n) return false;
    } else if (!check.stillValid()) {
      break;
    }
  }
  *utf8 = check.valid();
  return std::ferror(in) == 0;
}

// One import run: the reporter, the duplicate index and the tallies. Lines come
// from a tLineReader; each is brought into code page 1252 and into the form a card
// can hold as a whole, then read in pieces of at most 1023 characters, each piece a
// line of its own: skipped when it begins with a control character, refused when it
// holds a character no card can hold, split into a card otherwise.
class tImportRun {
 public:
  tImportRun(const tImportReporter& report, tImportResult* result, bool utf8)
      : report_(report), result_(result), utf8_(utf8) {}

  void importAll(std::FILE* in) {
    tLineReader reader(in, utf8_);
    const char* line;
    size_t size;
    for (bool first = true; reader.next(&line, &size); first = false) {
      if (first && utf8_ && size >= 3 && std::memcmp(line, kUtf8Bom, 3) == 0) {
        line += 3;
        size -= 3;
      }
      importPhysicalLine(line, size);
    }
    flush();
    result_->readFailed = reader.failed();
  }

 private:
  void importPhysicalLine(const char* line, size_t size) {
    // A line read in one piece that begins with a control character is skipped
    // whatever it holds: blank lines cost no more than this.
    if (size == 0 || (isControl(line[0]) && size <= kLineBuffer / 3)) return;
    const bool hasEnd = line[size - 1] == '\n';
    size_t body = size - (hasEnd ? 1 : 0);
    // A carriage return before the line feed belongs to the line end.
    if (hasEnd && body > 0 && line[body - 1] == '\r') --body;
    refused_.clear();
    if (asciiPrefixLength(line, body) == body) {
      importPieces(line, body, hasEnd, false);
      return;
    }
    const bool replaced = fitLine(line, body);
    importPieces(text_.data(), text_.size(), hasEnd, replaced);
  }

  // Decodes the line into text_ in the form a card can hold and notes in refused_
  // where characters stand that no card can hold (those without a code page 1252
  // form as '?'). True when characters were replaced.
  bool fitLine(const char* line, size_t size) {
    text_.clear();
    bool replaced = false;
    for (size_t i = 0; i < size;) {
      size_t length = 1;
      int c = static_cast<unsigned char>(line[i]);
      if (utf8_ && c >= 0x80) c = cp1252OfUtf8(line + i, size - i, &length);
      i += length;
      if (c < 0) {
        refused_.push_back(text_.size());
        text_ += '?';
      } else if (cardCanHold(static_cast<char>(c))) {
        text_ += static_cast<char>(c);
      } else if (const char* plain = cardCharReplacement(static_cast<char>(c))) {
        text_ += plain;
        replaced = true;
      } else {
        refused_.push_back(text_.size());
        text_ += static_cast<char>(c);
      }
    }
    return replaced;
  }

  // text holds size characters without the line end; hasEnd adds the line feed.
  void importPieces(const char* text, size_t size, bool hasEnd, bool replaced) {
    const size_t total = size + (hasEnd ? 1 : 0);
    size_t refusedIndex = 0;
    for (size_t start = 0; start < total; start += kLineBuffer - 1) {
      const size_t end = std::min(total, start + kLineBuffer - 1);
      const size_t textEnd = std::min(end, size);
      bool refused = false;
      for (; refusedIndex < refused_.size() && refused_[refusedIndex] < textEnd; ++refusedIndex) {
        refused = true;
      }
      if (start >= size || isControl(text[start])) continue;
      if (refused) {
        flush();  // the lines before it come first, in the box and in the messages
        tell(kImportNotEncodable, std::string(text + start, textEnd - start).c_str());
      } else {
        importPiece(text + start, textEnd - start, end > size, replaced);
      }
    }
  }

  // Lines are split as they come but checked against the index in small batches:
  // the slot of each card is fetched while the others are split, since on a large
  // box nearly every lookup would otherwise wait for memory.
  void importPiece(const char* piece, size_t size, bool withEnd, bool replaced) {
    tPending& line = pending_[pendingCount_++];
    std::memcpy(line.buffer, piece, size);
    if (withEnd) line.buffer[size++] = '\n';
    line.buffer[size] = '\0';
    line.replaced = replaced;
    line.code = splitLine(line.buffer, &line.card);
    if (line.code == kImportAdded) {
      // Built at the first card, so a file without one costs no index at all.
      if (!index_) index_.reset(new tImportIndex(theCardBox));
      line.hash = tImportIndex::hashOf(line.card);
      index_->prefetch(line.hash);
    }
    if (pendingCount_ == kBatch) flush();
  }

  // Adds or reports the pending lines, in file order.
  void flush() {
    for (size_t i = 0; i < pendingCount_; ++i) {
      tPending& line = pending_[i];
      if (line.code != kImportAdded) {
        tell(line.code, line.buffer);
      } else if (addIndexed(line.card, line.hash, index_.get()) == kImportAdded) {
        ++result_->added;
        if (line.replaced) ++result_->replaced;
      }
    }
    pendingCount_ = 0;
  }

  void tell(int code, const char* text) {
    ++result_->malformed;
    if (report_) report_(code, importCaption(code), text);
  }

  struct tPending {
    char buffer[kLineBuffer];
    tTermel card;
    uint64_t hash;
    int code;
    bool replaced;
  };
  static constexpr size_t kBatch = 16;

  const tImportReporter& report_;
  tImportResult* result_;
  const bool utf8_;
  std::unique_ptr<tImportIndex> index_;
  // Left uninitialised: each entry is filled before it is read, and a short file
  // touches only the few it uses.
  std::unique_ptr<tPending[]> pending_{new tPending[kBatch]};
  size_t pendingCount_ = 0;
  // Reused from line to line, so a line costs no allocation.
  std::string text_;
  std::vector<size_t> refused_;  // positions in text_, ascending
};

// Imports from in, which is read from its current position with the given encoding.
void importFrom(std::FILE* in, bool utf8, const tImportReporter& report, tImportResult* result) {
  tImportRun run(report, result, utf8);
  run.importAll(in);
}

std::string exportedText(bool utf8) {
  std::string text;
  tTermel card;
  for (int n = theCardBox.firstCard(&card); n != 0; n = theCardBox.nextCard(&card)) {
    text += card.front;
    text += ';';
    text += card.back;
    text += '\n';
  }
  return utf8 ? cp1252ToUtf8(text) : text;
}

}  // namespace

int importLine(char* line, tImportIndex* index) {
  std::string text(line);
  const tCardTextFit fit = fitCardText(&text);
  if (!fit.fits) return kImportNotEncodable;
  if (fit.replaced) {
    const size_t size = std::min(text.size(), kLineBuffer - 1);
    std::memcpy(line, text.data(), size);
    line[size] = '\0';
  }
  tTermel card;
  const int code = splitLine(line, &card);
  if (code != kImportAdded) return code;
  if (index != nullptr) return addIndexed(card, tImportIndex::hashOf(card), index);
  if (theCardBox.findBoth(card) != nullptr) return kImportAlreadyPresent;
  theCardBox.addCardTo(card, 1);
  return kImportAdded;
}

const char* importCaption(int code) {
  switch (code) {
    case kImportNoSeparator:
      return "Kein Trennzeichen";
    case kImportNoFirstTerm:
      return "Erster Begriff fehlt";
    case kImportNoSecondTerm:
      return "Zweiter Begriff fehlt";
    case kImportNotEncodable:
      return "Zeichen nicht darstellbar";
    default:
      return nullptr;
  }
}

tImportResult importTextFile(const char* path, const tImportReporter& report) {
  if (path == nullptr) return tImportResult();
  // Not blocking, so a FIFO without a writer is refused rather than waited for.
  const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return tImportResult();
  struct stat status;
  std::FILE* in = nullptr;
  if (fstat(fd, &status) == 0 && S_ISREG(status.st_mode) &&
      fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) == 0) {
    in = fdopen(fd, "rb");
  }
  if (in == nullptr) {
    close(fd);
    return tImportResult();
  }
  const tImportResult result = importTextStream(in, report);
  std::fclose(in);
  return result;
}

tImportResult importTextStream(std::FILE* in, const tImportReporter& report) {
  tImportResult result;
  if (in == nullptr) return result;
  // A directory opens, but its first read fails: it is refused like a file that
  // cannot be read.
  // The encoding is decided for the whole stream before its first line is imported:
  // a file is UTF-8 only when all of it is.
  bool utf8 = false;
  const off_t start = ftello(in);
  if (start >= 0 && fseeko(in, start, SEEK_SET) == 0) {
    if (!checkUtf8(in, nullptr, &utf8) || fseeko(in, start, SEEK_SET) != 0) return result;
    result.opened = true;
    importFrom(in, utf8, report, &result);
    return result;
  }
  std::FILE* copy = std::tmpfile();
  if (copy == nullptr) return result;
  if (checkUtf8(in, copy, &utf8) && std::fflush(copy) == 0 && fseeko(copy, 0, SEEK_SET) == 0) {
    result.opened = true;
    importFrom(copy, utf8, report, &result);
  }
  std::fclose(copy);
  return result;
}

bool exportTextFile(const char* path, bool utf8) {
  return writeWholeFile(path, exportedText(utf8));
}

bool exportTextStream(std::FILE* out, bool utf8) {
  const std::string text = exportedText(utf8);
  if (out == nullptr) return false;
  const bool ok = std::fwrite(text.data(), 1, text.size(), out) == text.size();
  return std::fflush(out) == 0 && ok;
}
