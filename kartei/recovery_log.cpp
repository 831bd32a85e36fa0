// The log's layout, all numbers little-endian:
//   "TERMELWL", version (u32), id of the recovery file continued (u64), CRC-32 (u32)
//   records: length (u32), the record, CRC-32 of length and record (u32)
// A record is its kind (u8) and what the kind needs: compartments as u8, positions
// as u32, cards as in the recovery file; the counts as there.
#include "kartei/recovery_log.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <deque>

#include "box/card_box.h"
#include "kartei/file_texts.h"
#include "kartei/recovery_codec.h"
#include "storage/file_status.h"
#include "storage/sys_calls.h"

namespace {

constexpr char kMagic[] = "TERMELWL";
constexpr size_t kMagicSize = 8;
constexpr uint32_t kVersion = 1;
constexpr size_t kStartSize = kMagicSize + 4 + 8 + 4;
constexpr uint8_t kCountsKind = 100;
constexpr char kLogName[] = "/ungesichert.log";
constexpr char kCannotAppend[] =
    "Die \xc4nderungen an der Kartei k\xf6nnen nicht in %s festgehalten werden.";

using tKind = tBoxChange::tKind;
using tLists = std::array<std::deque<tTermel>, CardBox::kCompartments>;

void sealRecord(std::string* records, size_t begin) {
  const uint32_t size = static_cast<uint32_t>(records->size() - begin - 4);
  encodeFixed32(reinterpret_cast<unsigned char*>(&(*records)[begin]), size);
  tRecoveryEncoder(records).u32(recoveryCrc(records->data() + begin, records->size() - begin));
}

bool carriesCard(uint8_t kind) {
  return kind == static_cast<uint8_t>(tKind::kAppend) ||
         kind == static_cast<uint8_t>(tKind::kInsert) ||
         kind == static_cast<uint8_t>(tKind::kMoveHead) ||
         kind == static_cast<uint8_t>(tKind::kCorrect);
}

bool validCompartment(int n) {
  return n >= 1 && n <= CardBox::kCompartments;
}

// Applies one record to lists; false for one that does not fit them.
bool apply(tRecoveryReader* r, tLists* lists, tRecoveryCounts* counts) {
  const uint8_t kind = r->u8();
  if (kind == kCountsKind) {
    tRecoveryCounts c;
    c.answers = static_cast<int32_t>(r->u32());
    c.corrections = static_cast<int32_t>(r->u32());
    c.cardsAdded = static_cast<int32_t>(r->u32());
    c.cardsRemoved = static_cast<int32_t>(r->u32());
    const uint8_t other = r->u8();
    c.otherChanges = other == 1;
    if (!r->ok() || other > 1) return false;
    *counts = c;
    return true;
  }
  const int from = r->u8();
  const int to = r->u8();
  const uint32_t position = r->u32();
  tTermel card{};
  if (carriesCard(kind) && !r->card(&card)) return false;
  if (!r->ok()) return false;
  auto list = [lists](int n) -> std::deque<tTermel>& { return (*lists)[n - 1]; };
  switch (static_cast<tKind>(kind)) {
    case tKind::kAppend:
      if (!validCompartment(to)) return false;
      list(to).push_back(card);
      return true;
    case tKind::kInsert:
      if (!validCompartment(to)) return false;
      list(to).insert(list(to).begin() + std::min<size_t>(position, list(to).size()), card);
      return true;
    case tKind::kRemove:
      if (!validCompartment(from) || position >= list(from).size()) return false;
      list(from).erase(list(from).begin() + position);
      return true;
    case tKind::kMoveHead:
      if (!validCompartment(from) || !validCompartment(to) || list(from).empty()) return false;
      list(from).pop_front();
      list(to).push_back(card);
      return true;
    case tKind::kCorrect:
      if (!validCompartment(from) || position >= list(from).size()) return false;
      list(from)[position] = card;
      return true;
    case tKind::kSwap:
      if (!validCompartment(from) || !validCompartment(to)) return false;
      list(from).swap(list(to));
      return true;
    case tKind::kClear:
      if (!validCompartment(from)) return false;
      list(from).clear();
      return true;
    case tKind::kAllToFirst:
      for (int n = 2; n <= CardBox::kCompartments; ++n) {
        list(1).insert(list(1).end(), list(n).begin(), list(n).end());
        list(n).clear();
      }
      return true;
    case tKind::kOther:
      break;
  }
  return false;
}

}  // namespace

std::string recoveryLogOf(const std::string& recoveryFile) {
  return recoveryFile.empty() ? recoveryFile : directoryOf(recoveryFile) + kLogName;
}

std::string logStart(uint64_t baseId) {
  std::string out;
  tRecoveryEncoder w(&out);
  w.bytes(kMagic, kMagicSize);
  w.u32(kVersion);
  w.u64(baseId);
  w.u32(recoveryCrc(out.data(), out.size()));
  return out;
}

bool addChangeRecord(std::string* records, const tBoxChange& change) {
  const uint8_t kind = static_cast<uint8_t>(change.kind);
  if (change.kind == tKind::kOther || (carriesCard(kind) && change.card == nullptr)) return false;
  const size_t begin = records->size();
  tRecoveryEncoder w(records);
  w.u32(0);  // the length, once known
  w.u8(kind);
  w.u8(static_cast<uint8_t>(change.from));
  w.u8(static_cast<uint8_t>(change.to));
  w.u32(static_cast<uint32_t>(change.position));
  if (carriesCard(kind)) w.card(*change.card);
  sealRecord(records, begin);
  return true;
}

void addCountsRecord(std::string* records, const tRecoveryCounts& counts) {
  const size_t begin = records->size();
  tRecoveryEncoder w(records);
  w.u32(0);
  w.u8(kCountsKind);
  w.u32(static_cast<uint32_t>(counts.answers));
  w.u32(static_cast<uint32_t>(counts.corrections));
  w.u32(static_cast<uint32_t>(counts.cardsAdded));
  w.u32(static_cast<uint32_t>(counts.cardsRemoved));
  w.u8(counts.otherChanges ? 1 : 0);
  sealRecord(records, begin);
}

bool replayLog(const std::string& log, tRecoveryData* data) {
  if (log.size() < kStartSize || log.compare(0, kMagicSize, kMagic) != 0 ||
      recoveryCrc(log.data(), kStartSize - 4) !=
          decodeFixed32(reinterpret_cast<const unsigned char*>(&log[kStartSize - 4]))) {
    return false;
  }
  tRecoveryReader start(log, kMagicSize, kStartSize);
  if (start.u32() != kVersion || start.u64() != data->baseId) return false;
  tLists lists;
  for (const tPlacedCard& placed : data->cards)
    lists[placed.compartment - 1].push_back(placed.card);
  size_t at = kStartSize;
  while (log.size() - at >= 8) {
    const uint32_t size = decodeFixed32(reinterpret_cast<const unsigned char*>(&log[at]));
    if (size > log.size() - at - 8) break;
    const size_t end = at + 4 + size;
    if (recoveryCrc(&log[at], 4 + size) !=
        decodeFixed32(reinterpret_cast<const unsigned char*>(&log[end]))) {
      break;
    }
    tRecoveryReader record(log, at + 4, end);
    if (!apply(&record, &lists, &data->counts) || record.left() != 0) break;
    at = end + 4;
  }
  data->cards.clear();
  for (int n = 1; n <= CardBox::kCompartments; ++n) {
    for (const tTermel& card : lists[n - 1]) data->cards.push_back({card, n});
  }
  return true;
}

bool appendToLog(const std::string& file, const std::string& records, std::string* error) {
  const int fd =
      sysCalls().openat(AT_FDCWD, file.c_str(), O_WRONLY | O_APPEND | O_NOFOLLOW | O_CLOEXEC, 0);
  bool done =
      fd >= 0 && writeFully(fd, records.data(), records.size()) && sysCalls().fsync(fd) == 0;
  if (fd >= 0 && sysCalls().close(fd) != 0) done = false;
  if (!done && error != nullptr) *error = withPath(kCannotAppend, file);
  return done;
}
