#include "box/text_io.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "box/card_box.h"
#include "box/import_index.h"
#include "box/termel.h"
#include "storage/safe_replace.h"
#include "storage/text_encoding.h"

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

bool readWholeFile(const char* path, std::string* bytes) {
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return false;
  size_t expected = 65536;
  if (std::fseek(file, 0, SEEK_END) == 0) {
    const long size = std::ftell(file);
    if (size > 0) expected = static_cast<size_t>(size) + 1;  // + 1 to see the end
    std::rewind(file);
  }
  // Read straight into the string, grown only when the file has grown meanwhile.
  size_t total = 0;
  for (size_t n = 1; n > 0; total += n) {
    if (total == bytes->size()) bytes->resize(total + expected);
    n = std::fread(&(*bytes)[total], 1, bytes->size() - total, file);
  }
  bytes->resize(total);
  const bool ok = !std::ferror(file);
  std::fclose(file);
  return ok;
}

bool writeWholeFile(const char* path, const std::string& bytes) {
  return path != nullptr && writeFileReplacing(path, bytes);
}

bool isAscii(const char* text, size_t size) {
  unsigned char any = 0;
  for (size_t i = 0; i < size; ++i) any |= static_cast<unsigned char>(text[i]);
  return any < 0x80;
}

size_t utf8SequenceLength(unsigned char lead) {
  if (lead < 0xC0) return 1;
  if (lead < 0xE0) return 2;
  if (lead < 0xF0) return 3;
  return 4;
}

// A UTF-8 line shown in code page 1252 as far as it goes: each character without a
// code page 1252 form becomes '?'.
std::string readableCp1252(const std::string& utf8) {
  std::string result;
  for (size_t i = 0; i < utf8.size();) {
    const size_t length = utf8SequenceLength(static_cast<unsigned char>(utf8[i]));
    std::string converted;
    if (utf8ToCp1252(utf8.substr(i, length), &converted)) {
      result += converted;
    } else {
      result += '?';
    }
    i += length;
  }
  return result;
}

// Calls handle(start, length) for every line of text, its line end included.
template <typename Handle>
void forEachLine(const std::string& text, Handle handle) {
  const char* p = text.data();
  const char* const end = p + text.size();
  while (p < end) {
    const void* newline = std::memchr(p, '\n', static_cast<size_t>(end - p));
    const char* next = newline ? static_cast<const char*>(newline) + 1 : end;
    handle(p, static_cast<size_t>(next - p));
    p = next;
  }
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

// One import run: the reporter, the duplicate index and the tallies.
class tImportRun {
 public:
  tImportRun(const tImportReporter& report, tImportResult* result, size_t lines)
      : report_(report), result_(result), index_(theCardBox, lines) {}

  // text holds code page 1252 lines.
  void importLines(const std::string& text) {
    forEachLine(text, [this](const char* line, size_t size) { importPhysicalLine(line, size); });
    flush();
  }

  // text holds UTF-8 lines; lines with a character outside code page 1252 are refused.
  // A line of ASCII alone reads the same in both code pages and is taken as it is.
  void importUtf8Lines(const std::string& text) {
    forEachLine(text, [this](const char* start, size_t size) {
      if (isAscii(start, size)) {
        importPhysicalLine(start, size);
        return;
      }
      line_.assign(start, size);
      if (utf8ToCp1252(line_, &converted_)) {
        importPhysicalLine(converted_.data(), converted_.size());
        return;
      }
      std::string shown = readableCp1252(line_);
      removeLineEnd(&shown[0]);
      shown.resize(std::strlen(shown.c_str()));
      flush();  // the lines before it come first, in the box and in the messages
      tell(kImportNotEncodable, shown.c_str());
    });
    flush();
  }

 private:
  void importPhysicalLine(const char* line, size_t size) {
    // A carriage return before the line feed belongs to the line end.
    if (size >= 2 && line[size - 2] == '\r' && line[size - 1] == '\n') {
      withoutReturn_.assign(line, size - 2);
      withoutReturn_ += '\n';
      line = withoutReturn_.data();
      size = withoutReturn_.size();
    }
    for (size_t start = 0; start < size; start += kLineBuffer - 1) {
      importPiece(line + start, std::min(kLineBuffer - 1, size - start));
    }
  }

  // Lines are split as they come but checked against the index in small batches:
  // the slot of each card is fetched while the others are split, since on a large
  // box nearly every lookup would otherwise wait for memory.
  void importPiece(const char* piece, size_t size) {
    if (static_cast<unsigned char>(piece[0]) < 0x20) return;
    tPending& line = pending_[pendingCount_++];
    std::memcpy(line.buffer, piece, size);
    line.buffer[size] = '\0';
    line.code = splitLine(line.buffer, &line.card);
    if (line.code == kImportAdded) {
      line.hash = tImportIndex::hashOf(line.card);
      index_.prefetch(line.hash);
    }
    if (pendingCount_ == kBatch) flush();
  }

  // Adds or reports the pending lines, in file order.
  void flush() {
    for (size_t i = 0; i < pendingCount_; ++i) {
      tPending& line = pending_[i];
      if (line.code != kImportAdded) {
        tell(line.code, line.buffer);
      } else if (addIndexed(line.card, line.hash, &index_) == kImportAdded) {
        ++result_->added;
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
  };
  static constexpr size_t kBatch = 16;

  const tImportReporter& report_;
  tImportResult* result_;
  tImportIndex index_;
  std::vector<tPending> pending_ = std::vector<tPending>(kBatch);
  size_t pendingCount_ = 0;
  // Reused from line to line, so a line costs no allocation.
  std::string line_, converted_, withoutReturn_;
};

}  // namespace

int importLine(char* line, tImportIndex* index) {
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
  tImportResult result;
  std::string bytes;
  if (path == nullptr || !readWholeFile(path, &bytes)) return result;
  result.opened = true;
  const size_t lines = static_cast<size_t>(std::count(bytes.begin(), bytes.end(), '\n')) + 1;
  tImportRun run(report, &result, lines);
  if (!isValidUtf8(bytes)) {
    run.importLines(bytes);
    return result;
  }
  if (bytes.compare(0, 3, kUtf8Bom) == 0) bytes.erase(0, 3);
  // Line by line gives what converting the whole file would, as far as that succeeds:
  // no character of code page 1252 holds a line feed.
  run.importUtf8Lines(bytes);
  return result;
}

bool exportTextFile(const char* path, bool utf8) {
  std::string text;
  tTermel card;
  for (int n = theCardBox.firstCard(&card); n != 0; n = theCardBox.nextCard(&card)) {
    text += card.front;
    text += ';';
    text += card.back;
    text += '\n';
  }
  return writeWholeFile(path, utf8 ? cp1252ToUtf8(text) : text);
}
