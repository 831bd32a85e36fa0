// Feeds arbitrary bytes to what decides and decodes a .txt word list before its lines
// are read: the UTF-8 census, the UTF-16 decoder and the test for a flashcard
// program's header lines. The first byte chooses where the input is cut into pieces,
// since files are read in chunks: whatever the cut, the result must be the same, and
// it must agree with the whole-text conversions of storage/text_encoding.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "storage/text_encoding.h"
#include "wordlists/stream_decoding.h"
#include "wordlists/tsv_format.h"
#include "wordlists/word_list_format.h"

namespace {

void check(bool condition) {
  if (!condition) std::abort();
}

void censusAgrees(const std::string& bytes, size_t cut) {
  tUtf8Census whole, pieces;
  whole.feed(bytes.data(), bytes.size());
  whole.finish();
  pieces.feed(bytes.data(), cut);
  pieces.feed(bytes.data() + cut, bytes.size() - cut);
  pieces.finish();
  check(whole.invalid() == pieces.invalid() && whole.multiByte() == pieces.multiByte());
  const bool bom = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0;
  check((whole.invalid() == 0) == isValidUtf8(bytes) || bom);
  check(isWholeUtf8(bytes.data(), bytes.size()) == (whole.invalid() == 0));
}

void utf16Agrees(const std::string& bytes, size_t cut) {
  std::string whole, pieces;
  tUtf16Decoder one, two;
  one.feed(bytes.data(), bytes.size(), &whole);
  one.finish(&whole);
  two.feed(bytes.data(), cut, &pieces);
  two.feed(bytes.data() + cut, bytes.size() - cut, &pieces);
  two.finish(&pieces);
  check(whole == pieces);
  check(isValidUtf8(whole));
  std::string converted;
  if (utf16ToUtf8(bytes, &converted)) check(converted == whole);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  const size_t cut = bytes.empty() ? 0 : data[0] % (bytes.size() + 1);
  censusAgrees(bytes, cut);
  if (tUtf16Decoder::startsWithMark(bytes.data(), bytes.size())) utf16Agrees(bytes, cut);
  // The head of a file may end anywhere, inside a line or a character.
  if (textIsFlashcardExport(bytes.substr(0, cut))) {
    check(cut >= 3 && bytes.find('#') != std::string::npos);
  }
  return 0;
}
