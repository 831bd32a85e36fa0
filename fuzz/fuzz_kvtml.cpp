// Feeds arbitrary bytes to the KVTML reader and checks that what it imports, with
// compartments, survives an export and a second import unchanged.
#include <cstdint>
#include <string>

#include "fuzz/word_list_fuzz.h"
#include "wordlists/kvtml_format.h"

namespace {

std::string write() {
  return kvtmlFromBox("Wörter & <Sätze>");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::checkReader(std::string(reinterpret_cast<const char*>(data), size), importKvtml, write);
  return 0;
}
