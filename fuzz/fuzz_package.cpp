// Feeds arbitrary bytes to the flashcard-package reader (zip, zstd, SQLite) and checks
// every card it made; a package can't be written, so there is no round trip.
#include <cstdint>
#include <string>

#include "fuzz/word_list_fuzz.h"
#include "wordlists/package_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::importInto(std::string(reinterpret_cast<const char*>(data), size), importPackage);
  fuzz::cardsOfBox();
  return 0;
}
