// Feeds arbitrary bytes to the KVTML reader as the entries of a version 1 document,
// so the search is spent on <e>, <o> and <t> rather than on the root, and checks
// that what it imports, with compartments, survives a KVTML export and a second
// import unchanged.
#include <cstdint>
#include <string>

#include "fuzz/word_list_fuzz.h"
#include "wordlists/kvtml_format.h"

namespace {

void read(const std::string& entries, tCardIntake* intake) {
  importKvtml(
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE kvtml SYSTEM \"kvoctrain.dtd\">\n"
      "<kvtml encoding=\"UTF-8\">\n" +
          entries + "</kvtml>\n",
      intake);
}

void readAgain(const std::string& bytes, tCardIntake* intake) {
  importKvtml(bytes, intake);
}

std::string write() {
  return kvtmlFromBox("Wörter");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::checkReader(std::string(reinterpret_cast<const char*>(data), size), read, write, readAgain);
  return 0;
}
