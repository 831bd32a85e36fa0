// Feeds arbitrary bytes to the table reader as a file: open it, walk every record,
// read every field by index and through handles bound by name, and write into the
// first records, so any read or write outside a buffer shows up under the sanitizers.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "fuzz/scratch_file.h"
#include "storage/dbf.h"
#include "storage/fields.h"

namespace {

// Walking a table that claims billions of records would only measure the loop.
constexpr uint32_t kMaxRecordsWalked = 2048;
constexpr uint32_t kRecordsWritten = 2;

// A handle of each kind per field, bound by the name its descriptor holds.
struct tHandles {
  std::vector<std::unique_ptr<tCharField>> chars;
  std::vector<std::unique_ptr<tNumField>> numbers;
};

tHandles bindAll(tDBF& table, const uint8_t* data, size_t size) {
  tHandles handles;
  for (int i = 0; i < table.fieldCount(); ++i) {
    const size_t at = 32 * static_cast<size_t>(i + 1);
    char name[11] = {};
    if (at + 10 <= size) std::memcpy(name, data + at, 10);
    handles.chars.emplace_back(new tCharField);
    handles.chars.back()->bind(&table, name);
    handles.numbers.emplace_back(new tNumField);
    handles.numbers.back()->bind(&table, name);
  }
  return handles;
}

void readRecord(tDBF& table, tHandles& handles) {
  char text[256 + 1];
  for (int i = -1; i <= table.fieldCount(); ++i) {
    const int length = table.fieldLength(i);
    if (length < 0 || length > 255) std::abort();
    table.fieldType(i);
    if (table.getField(i, text) > length) std::abort();
  }
  for (auto& field : handles.chars) {
    if (std::strlen(field->get()) > static_cast<size_t>(field->length())) std::abort();
  }
  for (auto& field : handles.numbers) field->get();
}

void writeRecord(tDBF& table, tHandles& handles) {
  for (int i = 0; i < table.fieldCount(); ++i) table.putField(i, "\\\"u\\\\ x \xFC\x80\\0z");
  for (auto& field : handles.chars)
    field->set(
        "Gr\\\"o\\\"se Stra\xDF"
        "e und noch viel mehr Text");
  for (auto& field : handles.numbers) field->set(-2147483647 - 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!writeScratchFile(data, size)) return 0;
  tDBF table;
  if (!table.open(scratchFile().c_str())) return 0;
  tHandles handles = bindAll(table, data, size);
  for (uint32_t n = 0; n < kMaxRecordsWalked; ++n) {
    if (!table.goTo(n) || table.atEnd()) break;
    readRecord(table, handles);
    if (n < kRecordsWritten) writeRecord(table, handles);
  }
  readRecord(table, handles);  // behind the last record every read must refuse
  table.close();
  return 0;
}
