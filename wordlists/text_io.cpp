#include "wordlists/text_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <utility>

#include "box/card_box.h"
#include "box/card_text.h"
#include "box/termel.h"
#include "storage/charset.h"
#include "storage/safe_replace.h"
#include "storage/text_encoding.h"
#include "wordlists/card_intake.h"
#include "wordlists/line_reader.h"
#include "wordlists/stream_decoding.h"

namespace {

const char kUtf8Bom[] = "\xEF\xBB\xBF";
// How much of a line too long to be read whole its report shows.
constexpr size_t kShownOfLongLine = 80;
// The end-of-file mark of old DOS editors, alone on the last line.
const char kDosEnd = '\x1A';

bool isBlank(char c) {
  return c == ' ' || c == '\t';
}

bool isControl(char c) {
  return static_cast<unsigned char>(c) < 0x20;
}

// The text between from and to without blanks at either end; tabs inside become
// spaces, as a card shows one line.
std::string trimmed(const std::string& text, size_t from, size_t to) {
  while (from < to && isBlank(text[from])) ++from;
  while (to > from && isBlank(text[to - 1])) --to;
  std::string part = text.substr(from, to - from);
  for (size_t tab = part.find('\t'); tab != std::string::npos; tab = part.find('\t', tab)) {
    part[tab] = ' ';
  }
  return part;
}

// The backslash escapes with which national characters are typed (\"a for ä),
// expanded exactly once: "\\" gives one backslash, and a backslash that starts no
// escape stays as it is.
void expandTypedEscapes(std::string* text) {
  if (text->find('\\') == std::string::npos) return;
  std::string out;
  out.reserve(text->size());
  const char* c = text->c_str();
  for (size_t i = 0; i < text->size();) {
    if (c[i] != '\\' || i + 1 == text->size()) {
      out += c[i++];
    } else if (c[i + 1] == '\\') {
      out += '\\';
      i += 2;
    } else {
      const int row = findEscape(c + i + 1);
      if (row < 0 || charTable[row].ansi == 0) {
        out += c[i++];
        continue;
      }
      out += static_cast<char>(charTable[row].ansi);
      i += charTable[row].escape[1] != '\0' ? 3 : 2;
    }
  }
  text->swap(out);
}

// Takes a decoded line (code page 1252, without its line end) apart into the texts of
// its card; kImportAdded, or why it holds none. *replaced is set when typographic
// characters were replaced. line is left in the form a report shows.
int parseLine(std::string* line, std::string* front, std::string* back, bool* replaced) {
  if (line->empty()) return kImportNoSeparator;
  if (isControl((*line)[0]) && (*line)[0] != '\t') return kImportControlStart;
  expandTypedEscapes(line);
  const tCardTextFit fit = fitCardText(line);
  if (!fit.fits) return kImportNotEncodable;
  *replaced = fit.replaced;
  const size_t separator = line->find(';');
  if (separator == std::string::npos) return kImportNoSeparator;
  *front = trimmed(*line, 0, separator);
  if (front->empty()) return kImportNoFirstTerm;
  *back = trimmed(*line, separator + 1, line->size());
  if (back->empty()) return kImportNoSecondTerm;
  return kImportAdded;
}

bool isBlankLine(const char* line, size_t size) {
  for (size_t i = 0; i < size; ++i) {
    if (!isBlank(line[i])) return false;
  }
  return true;
}

// One import run: lines come from a tLineReader, are decoded into code page 1252,
// taken apart and handed to the card intake, which adds their cards and reports
// what it does not take. The reporter must outlive the run.
class tImportRun {
 public:
  tImportRun(const tImportReporter& report, tImportResult* result, bool utf8)
      : intake_(report, result), utf8_(utf8) {}

  void importAll(std::FILE* in) {
    tLineReader reader(in);
    const char* line;
    size_t size;
    bool cut;
    while (reader.next(&line, &size, &cut)) {
      if (reader.lineNumber() == 1 && size >= 3 && std::memcmp(line, kUtf8Bom, 3) == 0) {
        line += 3;
        size -= 3;
      }
      takeLine(line, size, cut, reader.lineNumber());
    }
    flush();
    readFailed_ = reader.failed();
  }

  // Returns the code of a line refused; a card is only prepared (see flush).
  int takeLine(const char* line, size_t size, bool cut, int number) {
    if (isBlankLine(line, size) || (size == 1 && line[0] == kDosEnd)) return kImportAdded;
    if (cut) {
      const std::string start(line, kShownOfLongLine);
      return refuse(kImportLineTooLong, number,
                    decodedForReport(start.data(), start.size()) + "...");
    }
    if (utf8_ && !isWholeUtf8(line, size)) {
      return refuse(kImportNotUtf8, number, decodedForReport(line, size));
    }
    if (!decode(line, size)) return refuse(kImportNotEncodable, number, text_);
    std::string front, back;
    bool replaced = false;
    const int code = parseLine(&text_, &front, &back, &replaced);
    if (code != kImportAdded) return refuse(code, number, text_);
    tWordCard card;
    card.front.swap(front);
    card.back.swap(back);
    card.line = number;
    card.replaced = replaced;
    intake_.prepare(std::move(card), text_, &pending_[pendingCount_++]);
    if (pendingCount_ == kBatch) flush();
    return kImportAdded;
  }

  // Adds or reports the cards prepared so far, in line order; the code of the last.
  int flush() {
    int code = kImportAdded;
    for (size_t i = 0; i < pendingCount_; ++i) code = intake_.commit(pending_[i]);
    pendingCount_ = 0;
    return code;
  }

  bool readFailed() const { return readFailed_; }

 private:
  // Decodes the line into text_, each character without a code page 1252 form as '?';
  // false when there was one.
  bool decode(const char* line, size_t size) {
    if (!utf8_ || asciiPrefixLength(line, size) == size) {
      text_.assign(line, size);
      return true;
    }
    text_.clear();
    bool whole = true;
    for (size_t i = 0; i < size;) {
      size_t length = 1;
      const int c = static_cast<unsigned char>(line[i]) < 0x80
                        ? static_cast<unsigned char>(line[i])
                        : cp1252OfUtf8(line + i, size - i, &length);
      i += length;
      whole = whole && c >= 0;
      text_ += c >= 0 ? static_cast<char>(c) : '?';
    }
    return whole;
  }

  // A line for a report: the bytes that are not UTF-8 shown as code page 1252, the
  // encoding they most likely come from.
  std::string decodedForReport(const char* line, size_t size) {
    if (!utf8_) return std::string(line, size);
    std::string shown;
    for (size_t i = 0; i < size;) {
      size_t length = 1;
      const int c = cp1252OfUtf8(line + i, size - i, &length);
      if (c >= 0) {
        shown += static_cast<char>(c);
      } else if (isWholeUtf8(line + i, length)) {
        shown += '?';
      } else {
        shown += line[i];
        length = 1;
      }
      i += length;
    }
    return shown;
  }

  int refuse(int code, int number, const std::string& text) {
    flush();  // the lines before it come first, in the box and in the reports
    intake_.refuseCp1252(code, number, text);
    return code;
  }

  // On a large box nearly every look into the index would wait for memory: a few
  // cards are prepared, which starts fetching their places, before they are added.
  static constexpr size_t kBatch = 16;

  tCardIntake intake_;
  std::unique_ptr<tPreparedCard[]> pending_{new tPreparedCard[kBatch]};
  size_t pendingCount_ = 0;
  const bool utf8_;
  bool readFailed_ = false;
  std::string text_;  // reused from line to line, so a line costs no allocation
};

// Where the lines of a stream come from once its encoding is known: the stream itself
// or a UTF-8 copy of it in a temporary file.
struct tDecidedStream {
  std::FILE* file = nullptr;
  bool utf8 = false;
  bool isCopy = false;
};

// Reads in to its end, from its first bytes in chunk, to decide its encoding; a
// stream that cannot seek back, and UTF-16, which is turned into UTF-8, are read
// into a temporary copy. False on a read or write error.
bool decideEncoding(std::FILE* in, tDecidedStream* decided) {
  const off_t start = ftello(in);
  const bool seekable = start >= 0 && fseeko(in, start, SEEK_SET) == 0;
  char chunk[1 << 14];
  size_t n = std::fread(chunk, 1, sizeof chunk, in);
  if (std::ferror(in) != 0) return false;
  const bool utf16 = tUtf16Decoder::startsWithMark(chunk, n);
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

std::string lineOf(const tTermel& card) {
  return std::string(card.front) + ';' + card.back;
}

std::string exportedText(bool utf8) {
  std::string text;
  tTermel card;
  for (int n = theCardBox.firstCard(&card); n != 0; n = theCardBox.nextCard(&card)) {
    text += lineOf(card);
    text += '\n';
  }
  return utf8 ? cp1252ToUtf8(text) : text;
}

}  // namespace

int importLine(const std::string& line) {
  tImportResult result;
  const tImportReporter none;  // the run refers to it
  tImportRun run(none, &result, false);
  size_t size = line.size();
  while (size > 0 && (line[size - 1] == '\n' || line[size - 1] == '\r')) --size;
  const int code = run.takeLine(line.data(), size, false, 1);
  return code != kImportAdded ? code : run.flush();
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
    case kImportNotUtf8:
      return "Kein g\xFCltiges UTF-8";
    case kImportControlStart:
      return "Steuerzeichen am Zeilenanfang";
    case kImportLineTooLong:
      return "Zeile zu lang";
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
  // The encoding is decided for the whole stream before its first line is imported.
  // A directory opens, but its first read fails: it is refused like a file that
  // cannot be read.
  tDecidedStream decided;
  if (decideEncoding(in, &decided)) {
    result.opened = true;
    tImportRun run(report, &result, decided.utf8);
    run.importAll(decided.file);
    result.readFailed = run.readFailed();
  }
  if (decided.isCopy) std::fclose(decided.file);
  return result;
}

int cardsTextCannotKeep() {
  int lost = 0;
  tTermel card;
  for (int n = theCardBox.firstCard(&card); n != 0; n = theCardBox.nextCard(&card)) {
    std::string line = lineOf(card), front, back;
    bool replaced = false;
    if (parseLine(&line, &front, &back, &replaced) != kImportAdded || front != card.front ||
        back != card.back) {
      ++lost;
    }
  }
  return lost;
}

std::string textExportNote(int cards) {
  if (cards <= 0) return std::string();
  const std::string why =
      " aus der Textdatei nicht unver\xE4ndert zur\xFC"
      "cklesen (etwa wegen eines Semikolons im Begriff). Als CSV-Datei (*.csv) exportiert ";
  if (cards == 1) return "1 Karte l\xE4sst sich" + why + "bleibt sie, wie sie ist.";
  return std::to_string(cards) + " Karten lassen sich" + why + "bleiben sie, wie sie sind.";
}

bool exportTextFile(const char* path, bool utf8) {
  return path != nullptr && writeFileReplacing(path, exportedText(utf8));
}

bool exportTextStream(std::FILE* out, bool utf8) {
  const std::string text = exportedText(utf8);
  if (out == nullptr) return false;
  const bool ok = std::fwrite(text.data(), 1, text.size(), out) == text.size();
  return std::fflush(out) == 0 && ok;
}
