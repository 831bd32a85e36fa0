#include "wordlists/text_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
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
// *tabbed is set when a tab inside became a space.
std::string trimmed(const std::string& text, size_t from, size_t to, bool* tabbed) {
  while (from < to && isBlank(text[from])) ++from;
  while (to > from && isBlank(text[to - 1])) --to;
  std::string part = text.substr(from, to - from);
  for (size_t tab = part.find('\t'); tab != std::string::npos; tab = part.find('\t', tab)) {
    part[tab] = ' ';
    *tabbed = true;
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

// What parseLine found besides the texts.
struct tLineNotes {
  bool replaced = false;  // typographic characters were replaced
  bool tabbed = false;    // a tab inside a text became a space
};

// Takes a decoded line (code page 1252, without its line end) apart into the texts of
// its card; kImportAdded, or why it holds none. line is left in the form a report
// shows.
int parseLine(std::string* line, std::string* front, std::string* back, tLineNotes* notes) {
  if (line->empty()) return kImportNoSeparator;
  if (isControl((*line)[0]) && (*line)[0] != '\t') return kImportControlStart;
  expandTypedEscapes(line);
  const tCardTextFit fit = fitCardText(line);
  if (!fit.fits) return kImportNotEncodable;
  notes->replaced = fit.replaced;
  const size_t separator = line->find(';');
  if (separator == std::string::npos) return kImportNoSeparator;
  *front = trimmed(*line, 0, separator, &notes->tabbed);
  if (front->empty()) return kImportNoFirstTerm;
  *back = trimmed(*line, separator + 1, line->size(), &notes->tabbed);
  if (back->empty()) return kImportNoSecondTerm;
  return kImportAdded;
}

// The text from begin to end without spaces at either end.
std::string_view withoutSpaces(const char* begin, const char* end) {
  while (begin < end && *begin == ' ') ++begin;
  while (end > begin && end[-1] == ' ') --end;
  return std::string_view(begin, static_cast<size_t>(end - begin));
}

// Plain bytes: the printable ASCII characters but the backslash.
bool isPlain(unsigned char c) {
  return c >= 0x20 && c <= 0x7E && c != '\\';
}

constexpr uint64_t kOnes = 0x0101010101010101ull;
constexpr uint64_t kHighBits = 0x8080808080808080ull;

// The eight bytes at text as a word whose lowest byte is the first.
uint64_t wordAt(const char* text) {
  uint64_t word;
  std::memcpy(&word, text, sizeof word);
#if __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
  word = __builtin_bswap64(word);
#endif
  return word;
}

// The high bit set in the first zero byte of word, and maybe in later ones; 0 when it
// holds none. A borrow only runs towards later bytes, so the first is exact.
uint64_t zeroBytes(uint64_t word) {
  return (word - kOnes) & ~word & kHighBits;
}

// Nonzero when a byte of word is not plain.
uint64_t notPlain(uint64_t word) {
  const uint64_t control = (word - kOnes * 0x20) & ~word & kHighBits;
  const uint64_t aboveTilde = ((word + kOnes) | word) & kHighBits;
  return control | aboveTilde | zeroBytes(word ^ kOnes * '\\');
}

// The first ';' of a line of plain bytes only; nullptr for a line without one or with
// any other byte. Eight bytes at a time, as nearly every line of a word list is plain.
const char* plainSeparator(const char* line, size_t size) {
  const char* separator = nullptr;
  if (size < 8) {
    for (const char* c = line; c < line + size; ++c) {
      if (!isPlain(static_cast<unsigned char>(*c))) return nullptr;
      if (*c == ';' && separator == nullptr) separator = c;
    }
    return separator;
  }
  for (size_t at = 0;; at += 8) {
    if (at + 8 > size) at = size - 8;  // the last word overlaps the one before
    const uint64_t word = wordAt(line + at);
    if (notPlain(word) != 0) return nullptr;
    const uint64_t semicolons = zeroBytes(word ^ kOnes * ';');
    if (separator == nullptr && semicolons != 0) {
      separator = line + at + __builtin_ctzll(semicolons) / 8;
    }
    if (at + 8 == size) return separator;
  }
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

  // The stream's encoding is left open until a line needs it (decideEncodingLater).
  void deferEncoding() { decided_ = false; }

  void importAll(std::FILE* in) {
    in_ = in;
    if (!decided_) streamStart_ = ftello(in);
    // The cards prepared view their lines in the reader's buffer.
    tLineReader reader(in, [this] { flush(); });
    const char* line;
    size_t size;
    bool cut;
    while (!stopped_ && reader.next(&line, &size, &cut)) {
      lineOffset_ = reader.lineOffset();
      if (reader.lineNumber() == 1 && size >= 3 && std::memcmp(line, kUtf8Bom, 3) == 0) {
        if (!settleEncoding()) break;  // the mark is UTF-8 itself
        line += 3;
        size -= 3;
      }
      takeLine(line, size, cut, reader.lineNumber());
    }
    flush();
    readFailed_ = readFailed_ || reader.failed();
  }

  // Returns the code of a line refused; a card is only prepared (see flush).
  int takeLine(const char* line, size_t size, bool cut, int number) {
    // The rest of a line cut short is passed over unseen, so it is decided on here.
    if (cut && !settleEncoding()) return kImportAdded;
    if (isBlankLine(line, size) || (size == 1 && line[0] == kDosEnd)) return kImportAdded;
    if (cut) {
      const std::string start(line, kShownOfLongLine);
      return refuse(kImportLineTooLong, number,
                    decodedForReport(start.data(), start.size()) + "...");
    }
    if (takePlainLine(line, size, number)) return kImportAdded;
    if (!decided_ && asciiPrefixLength(line, size) != size && !settleEncoding()) {
      return kImportAdded;  // nothing more is read
    }
    if (utf8_ && !isWholeUtf8(line, size)) {
      return refuse(kImportNotUtf8, number, decodedForReport(line, size));
    }
    if (!decode(line, size)) return refuse(kImportNotEncodable, number, text_);
    std::string front, back;
    tLineNotes notes;
    const int code = parseLine(&text_, &front, &back, &notes);
    if (code != kImportAdded) return refuse(code, number, text_);
    // A tab between two words of a ';' list may have been meant to part them.
    if (notes.tabbed) {
      flush();
      intake_.noticeCp1252(kImportTabInText, number, text_);
    }
    tWordCard card;
    card.front.swap(front);
    card.back.swap(back);
    card.line = number;
    card.replaced = notes.replaced;
    intake_.prepare(std::move(card), text_, &pending_[pendingCount_++]);
    if (pendingCount_ == kBatch) flush();
    return kImportAdded;
  }

  // Takes the usual line, "term;translation" in printable ASCII with both texts there,
  // in one pass: decoding, escapes, replacements and tabs would leave it as it is, so
  // it gives the card and the reports parseLine and prepare would give. False for any
  // other line, which goes the general way.
  bool takePlainLine(const char* line, size_t size, int number) {
    const char* separator = plainSeparator(line, size);
    if (separator == nullptr) return false;
    const std::string_view front = withoutSpaces(line, separator);
    const std::string_view back = withoutSpaces(separator + 1, line + size);
    if (front.empty() || back.empty()) return false;
    intake_.prepareFitted(front, back, number, std::string_view(line, size),
                          &pending_[pendingCount_++]);
    if (pendingCount_ == kBatch) flush();
    return true;
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
  // Decides an encoding left open from the start of the line being taken on: every
  // byte before it was ASCII, which counts for neither encoding. False when the stream
  // could not be read for it; the import stops there.
  bool settleEncoding() {
    if (decided_) return true;
    decided_ = true;
    if (mostlyUtf8From(in_, streamStart_ + static_cast<off_t>(lineOffset_), &utf8_)) return true;
    readFailed_ = true;
    stopped_ = true;
    return false;
  }

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
  bool utf8_;
  bool decided_ = true;
  std::FILE* in_ = nullptr;
  off_t streamStart_ = 0;    // where the stream stood when the run began reading it
  uint64_t lineOffset_ = 0;  // where the line being taken starts, from streamStart_
  bool stopped_ = false;
  bool readFailed_ = false;
  std::string text_;  // reused from line to line, so a line costs no allocation
};

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
  std::FILE* in = openRegularFile(path);
  if (in == nullptr) return tImportResult();
  const tImportResult result = importTextStream(in, report);
  std::fclose(in);
  return result;
}

tImportResult importTextStream(std::FILE* in, const tImportReporter& report) {
  tImportResult result;
  if (in == nullptr) return result;
  // The encoding is decided for the whole stream, before the first line that needs it.
  // A directory opens, but its first read fails: it is refused like a file that
  // cannot be read.
  tDecidedStream decided;
  if (decideEncodingLater(in, &decided)) {
    result.opened = true;
    tImportRun run(report, &result, decided.utf8);
    if (decided.deferred) run.deferEncoding();
    run.importAll(decided.file);
    result.readFailed = run.readFailed();
  }
  if (decided.isCopy) std::fclose(decided.file);
  return result;
}

tTextExportLoss textExportLoss() {
  tTextExportLoss loss;
  tTermel card;
  for (int n = theCardBox.firstCard(&card); n != 0; n = theCardBox.nextCard(&card)) {
    std::string line = lineOf(card), front, back;
    tLineNotes notes;
    if (parseLine(&line, &front, &back, &notes) == kImportAdded && front == card.front &&
        back == card.back) {
      continue;
    }
    ++loss.cards;
    if (std::strchr(card.front, ';') != nullptr) ++loss.semicolon;
    bool blankAtEnd = false, backslash = false;
    for (const char* text : {card.front, card.back}) {
      const size_t length = std::strlen(text);
      blankAtEnd = blankAtEnd || (length > 0 && (isBlank(text[0]) || isBlank(text[length - 1])));
      std::string expanded = text;
      expandTypedEscapes(&expanded);
      backslash = backslash || expanded != text;
    }
    if (blankAtEnd) ++loss.blankAtEnd;
    if (backslash) ++loss.backslash;
  }
  return loss;
}

int cardsTextCannotKeep() {
  return textExportLoss().cards;
}

std::string textExportNote(const tTextExportLoss& loss) {
  if (loss.cards <= 0) return std::string();
  std::string reasons;
  const auto add = [&reasons](int count, const char* reason) {
    if (count == 0) return;
    if (!reasons.empty()) reasons += ", ";
    reasons += reason + std::string(": ") + std::to_string(count);
  };
  add(loss.semicolon, "Semikolon im Begriff");
  add(loss.blankAtEnd, "Leerzeichen am Anfang oder Ende");
  add(loss.backslash, "Backslash");
  if (!reasons.empty()) reasons = " (" + reasons + ")";
  const std::string why =
      " aus der Textdatei nicht unver\xE4ndert zur\xFC"
      "cklesen" +
      reasons + ". Als CSV-Datei (*.csv) exportiert ";
  if (loss.cards == 1) return "1 Karte l\xE4sst sich" + why + "bleibt sie, wie sie ist.";
  return std::to_string(loss.cards) + " Karten lassen sich" + why + "bleiben sie, wie sie sind.";
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
