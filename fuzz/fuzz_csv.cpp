// Feeds arbitrary bytes to the CSV reader, with and without a header line, and
// checks that what it imports survives an export and a second import unchanged.
#include <cstdint>
#include <string>

#include "fuzz/word_list_fuzz.h"
#include "wordlists/csv_format.h"
#include "wordlists/word_list_format.h"

namespace {

void withHeader(const std::string& utf8, tCardIntake* intake) {
  importCsv(utf8, true, intake);
}

void withoutHeader(const std::string& utf8, tCardIntake* intake) {
  importCsv(utf8, false, intake);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes = wordListText(std::string(reinterpret_cast<const char*>(data), size));
  fuzz::checkReader(bytes, withoutHeader, csvFromBox);
  fuzz::importInto(bytes, withHeader);
  return 0;
}
