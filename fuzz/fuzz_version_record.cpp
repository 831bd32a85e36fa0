// Feeds arbitrary bytes to the reader of a box's record of versions, as a sync tool may
// bring any file under its name: every line must be read or skipped without a crash,
// and the search for the last common version must end, whatever loops the lines make,
// and give the same answer whichever side asks.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "kartei/version_record.h"

namespace {

void check(bool condition) {
  if (!condition) std::abort();
}

// The first field of every line: the versions the record may know.
std::vector<std::string> firstFields(const std::string& text) {
  std::vector<std::string> fields;
  size_t start = 0;
  while (start < text.size() && fields.size() < 8) {
    const size_t end = std::min(text.find('\n', start), text.size());
    const std::string line = text.substr(start, end - start);
    fields.push_back(line.substr(0, line.find(' ')));
    start = end + 1;
  }
  return fields;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  tVersionRecord record;
  record.addText(text);
  const std::vector<std::string> versions = firstFields(text);
  for (const std::string& a : versions) {
    check(record.sizeOf(a) >= -1);
    for (const std::string& b : versions) {
      std::vector<std::string> one = record.lastCommon(a, b), other = record.lastCommon(b, a);
      std::sort(one.begin(), one.end());
      std::sort(other.begin(), other.end());
      check(one == other);
    }
    // A version is its own last common version, unless its bytes came back after
    // others (a loop in the record).
    const std::vector<std::string> self = record.lastCommon(a, a);
    check(self.empty() || self == std::vector<std::string>{a});
  }
  return 0;
}
