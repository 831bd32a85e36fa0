// Feeds arbitrary bytes, header lines and HTML included, to the tab-separated reader
// and checks that what it imports survives an export and a second import unchanged.
#include <cstdint>
#include <string>

#include "fuzz/word_list_fuzz.h"
#include "wordlists/tsv_format.h"
#include "wordlists/word_list_format.h"

namespace {

void read(const std::string& utf8, tCardIntake* intake) {
  importTsv(utf8, false, intake);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes = wordListText(std::string(reinterpret_cast<const char*>(data), size));
  fuzz::checkReader(bytes, read, tsvFromBox);
  return 0;
}
