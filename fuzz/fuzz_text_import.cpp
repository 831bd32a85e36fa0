// Feeds arbitrary bytes to the text import as a word file held in memory. The first
// byte chooses how the rest is read: as it is (nearly always code page 1252, since
// random bytes are seldom UTF-8), or taken as 16-bit code points and written as
// UTF-8, so the UTF-8 path sees every character of the plane, typographic ones and
// those without a code page 1252 form alike; either behind a UTF-16 byte-order mark. Whatever the
// file holds, the import must neither crash nor put text into a card that a card cannot hold. Lines
// too long to be read whole (64 KB) are left to the unit tests: inputs that size would slow every
// run down a hundredfold.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>

#include "box/card_box.h"
#include "box/card_text.h"
#include "wordlists/card_intake.h"
#include "wordlists/text_io.h"

namespace {

void appendUtf8(uint32_t c, std::string* out) {
  if (c < 0x80) {
    *out += static_cast<char>(c);
  } else if (c < 0x800) {
    *out += static_cast<char>(0xC0 | (c >> 6));
    *out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    *out += static_cast<char>(0xE0 | (c >> 12));
    *out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    *out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::string asUtf8(const uint8_t* data, size_t size) {
  std::string out = "\xEF\xBB\xBF";
  for (size_t i = 0; i + 1 < size; i += 2) {
    const uint32_t c = static_cast<uint32_t>(data[i]) | static_cast<uint32_t>(data[i + 1]) << 8;
    if (c < 0xD800 || c > 0xDFFF) appendUtf8(c, &out);  // surrogates are no characters
  }
  return out;
}

void check(bool condition) {
  if (!condition) std::abort();
}

// What every imported card must be: texts a card can hold, not beginning with a
// control character, and no two cards alike.
void checkCards(const tImportResult& result) {
  check(result.opened && !result.readFailed);
  check(result.added == theCardBox.countIn(1) - 1);  // the card put there first
  check(result.replaced <= result.added);
  std::set<std::string> seen;
  tTermel card;
  for (int n = theCardBox.firstCard(&card); n != 0; n = theCardBox.nextCard(&card)) {
    check(static_cast<unsigned char>(card.front[0]) >= 0x20);
    for (const char* text : {card.front, card.back}) {
      for (const char* c = text; *c != '\0'; ++c) check(cardCanHold(*c));
    }
    check(seen.insert(std::string(card.front) + '\0' + card.back).second);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const uint8_t mode = data[0];
  std::string bytes = (mode & 1) != 0
                          ? asUtf8(data + 1, size - 1)
                          : std::string(reinterpret_cast<const char*>(data + 1), size - 1);
  // As a spreadsheet's "Unicode text": UTF-16 after its byte-order mark.
  if ((mode & 6) == 6) bytes.insert(0, (mode & 8) != 0 ? "\xFF\xFE" : "\xFE\xFF");
  if (bytes.empty()) return 0;
  std::FILE* in = fmemopen(&bytes[0], bytes.size(), "rb");
  if (in == nullptr) return 0;
  theCardBox.clearAll();
  theCardBox.addCardTo(makeCard("Haus", "house"), 1);
  const tImportResult result =
      importTextStream(in, [](int code, const char* caption, const char* text, int line) {
        check(caption != nullptr && std::strlen(caption) > 0 && text != nullptr && line > 0);
        check(code == kImportAlreadyPresent || code == kImportTabInText ||
              (code >= kImportNoSeparator && code <= kImportCut));
      });
  std::fclose(in);
  checkCards(result);
  theCardBox.clearAll();
  return 0;
}
