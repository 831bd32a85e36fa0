// The recovery file's layout, all numbers little-endian:
//   "TERMELWH", version (u32)
//   saved at, written at (each a u64: seconds since 1970, two's complement)
//   id (u64), card file size and time in nanoseconds (u64 each, two's complement),
//   card file hash: length (u8, at most 64) and hexadecimal digits
//   answers, corrections, cards added, cards removed (u32 each), other changes (u8)
//   box path: length (u32) and bytes
//   cards per compartment (7 x u32)
//   each card: front length (u8) and bytes, back length (u8) and bytes, times known,
//   times unknown (u32 each, two's complement)
//   CRC-32 of everything before it (u32)
#include "kartei/recovery_file.h"
#include "kartei/background_removal.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <ctime>
#include <functional>
#include <string_view>

#include "box/card_box.h"
#include "kartei/file_texts.h"
#include "kartei/recovery_codec.h"
#include "kartei/recovery_log.h"
#include "kartei/version_record.h"
#include "storage/file_status.h"
#include "storage/little_endian.h"
#include "storage/safe_replace.h"
#include "storage/sys_calls.h"

namespace {

constexpr char kMagic[] = "TERMELWH";
constexpr size_t kMagicSize = 8;
constexpr uint32_t kVersion = 2;
constexpr uint8_t kHashSize = 64;
constexpr uint32_t kMaxPath = 4096;
// The smallest card: two empty texts and two counters.
constexpr size_t kMinCardSize = 10;
// Far beyond a box of a million cards, and short of what reading would exhaust.
constexpr off_t kMaxFileSize = off_t{1} << 30;
constexpr char kUnnamedFolder[] = "unbenannt";
constexpr char kFileName[] = "ungesichert.wdh";
// A recovery file on its way out (see removeRecovery).
constexpr char kGoneSuffix[] = ".weg";
constexpr char kClaimName[] = "sperre";

constexpr char kCannotRead[] = "Die Wiederherstellungsdaten %s k\xf6nnen nicht gelesen werden: %s";
constexpr char kDamaged[] =
    "Die Wiederherstellungsdaten %s sind besch\xe4"
    "digt.";
constexpr char kFileChanged[] =
    " Die Kartei wurde seitdem au\xdf"
    "erhalb dieses Fensters ge\xe4ndert (etwa durch Zusammenf\xfchren oder auf einem anderen "
    "Computer). Mit \"Ja\" treten die wiederhergestellten Karten an die Stelle der ge\xe4nderten "
    "Kartei, die zuvor unter den Sicherungen aufbewahrt wird; mit \"Nein\" bleibt die Kartei, wie "
    "sie jetzt ist, und die \xc4nderungen kommen zu den Sicherungen.";
constexpr char kCannotWrite[] =
    "Die Wiederherstellungsdaten %s k\xf6nnen nicht geschrieben werden.";

constexpr uint64_t kMix = 0x9E3779B97F4A7C15ULL;

uint64_t mixed(uint64_t hash, uint64_t value) {
  return (hash ^ (value + kMix + (hash << 6) + (hash >> 2))) * kMix;
}

void encodeCounts(tRecoveryEncoder* w, const tRecoveryCounts& c) {
  w->u32(static_cast<uint32_t>(c.answers));
  w->u32(static_cast<uint32_t>(c.corrections));
  w->u32(static_cast<uint32_t>(c.cardsAdded));
  w->u32(static_cast<uint32_t>(c.cardsRemoved));
  w->u8(c.otherChanges ? 1 : 0);
}

using tCompartmentCounts = std::array<uint32_t, CardBox::kCompartments>;

// The header, counts cards per compartment and then the cards that putCards writes,
// compartment by compartment, sealed by the checksum.
template <typename PutCards>
std::string encodeWith(const tRecoveryData& header, const tCompartmentCounts& counts,
                       PutCards putCards) {
  std::string out;
  tRecoveryEncoder w(&out);
  w.bytes(kMagic, kMagicSize);
  w.u32(kVersion);
  w.u64(static_cast<uint64_t>(header.savedAt));
  w.u64(static_cast<uint64_t>(header.writtenAt));
  w.u64(header.baseId);
  w.u64(static_cast<uint64_t>(header.fileVersion.size));
  w.u64(static_cast<uint64_t>(header.fileVersion.mtimeNs));
  w.u8(static_cast<uint8_t>(header.fileVersion.hash.size()));
  w.bytes(header.fileVersion.hash.data(), header.fileVersion.hash.size());
  encodeCounts(&w, header.counts);
  w.u32(static_cast<uint32_t>(header.boxPath.size()));
  w.bytes(header.boxPath.data(), header.boxPath.size());
  for (uint32_t count : counts) w.u32(count);
  putCards(&w);
  w.u32(recoveryCrc(out.data(), out.size()));
  return out;
}

bool decodeCounts(tRecoveryReader* r, tRecoveryCounts* c) {
  c->answers = static_cast<int32_t>(r->u32());
  c->corrections = static_cast<int32_t>(r->u32());
  c->cardsAdded = static_cast<int32_t>(r->u32());
  c->cardsRemoved = static_cast<int32_t>(r->u32());
  const uint8_t other = r->u8();
  c->otherChanges = other == 1;
  return r->ok() && other <= 1 && c->answers >= 0 && c->corrections >= 0 && c->cardsAdded >= 0 &&
         c->cardsRemoved >= 0;
}

bool decodeCards(tRecoveryReader* r, tPlacedCards* cards) {
  std::array<uint32_t, CardBox::kCompartments> counts;
  uint64_t total = 0;
  for (uint32_t& count : counts) total += count = r->u32();
  // Each card takes some bytes, so a count the file cannot hold is refused before
  // anything is allocated for it.
  if (!r->ok() || total > r->left() / kMinCardSize) return false;
  cards->clear();
  cards->reserve(total);
  for (int n = 1; n <= CardBox::kCompartments; ++n) {
    for (uint32_t i = 0; i < counts[n - 1]; ++i) {
      tPlacedCard placed{};
      placed.compartment = n;
      if (!r->card(&placed.card)) return false;
      cards->push_back(placed);
    }
  }
  return true;
}

bool readWhole(int fd, std::string* bytes);

// Reads file whole; kNone when there is none.
tRecoveryRead readFile(const std::string& file, std::string* bytes, std::string* error) {
  // Never blocks: a FIFO in its place is refused by the check of the opened file.
  const int fd = sysCalls().openat(AT_FDCWD, file.c_str(),
                                   O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, 0);
  if (fd < 0 && errno == ENOENT) return tRecoveryRead::kNone;
  const bool read = fd >= 0 && readWhole(fd, bytes);
  const int readErrno = errno;
  if (fd >= 0) sysCalls().close(fd);
  if (!read) {
    if (error != nullptr) *error = withPathAndReason(kCannotRead, file, readErrno);
    return tRecoveryRead::kDamaged;
  }
  return tRecoveryRead::kFound;
}

bool readWhole(int fd, std::string* bytes) {
  struct stat st;
  if (sysCalls().fstat(fd, &st) != 0) return false;
  if (!S_ISREG(st.st_mode) || st.st_size > kMaxFileSize) {
    errno = S_ISREG(st.st_mode) ? EFBIG : EINVAL;
    return false;
  }
  bytes->resize(static_cast<size_t>(st.st_size));
  size_t done = 0;
  while (done < bytes->size()) {
    const ssize_t n = sysCalls().read(fd, &(*bytes)[done], bytes->size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) break;  // shrunk since: whatever is there is checked as it is
    done += static_cast<size_t>(n);
  }
  bytes->resize(done);
  return true;
}

std::string countText(int32_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

// "a", "a und b", "a, b und c"
std::string listed(const std::vector<std::string>& parts) {
  std::string text;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) text += i + 1 == parts.size() ? " und " : ", ";
    text += parts[i];
  }
  return text;
}

std::string changesText(const tRecoveryCounts& c) {
  std::vector<std::string> parts;
  if (c.answers > 0) parts.push_back(countText(c.answers, "Antwort", "Antworten"));
  if (c.cardsAdded > 0) parts.push_back(countText(c.cardsAdded, "neue Karte", "neue Karten"));
  if (c.cardsRemoved > 0) {
    parts.push_back(countText(c.cardsRemoved, "gel\xf6schte Karte", "gel\xf6schte Karten"));
  }
  if (c.corrections > 0) parts.push_back(countText(c.corrections, "Korrektur", "Korrekturen"));
  if (c.otherChanges || parts.empty()) {
    parts.push_back(parts.empty() ? "\xc4nderungen" : "weitere \xc4nderungen");
  }
  return listed(parts);
}

}  // namespace

bool sameBox(const tPlacedCards& a, const tPlacedCards& b) {
  return std::equal(
      a.begin(), a.end(), b.begin(), b.end(), [](const tPlacedCard& x, const tPlacedCard& y) {
        return x.compartment == y.compartment && x.card.matchesBoth(y.card) &&
               x.card.timesKnown == y.card.timesKnown && x.card.timesUnknown == y.card.timesUnknown;
      });
}

std::string recoveryDirOf(const tBoxIdentity& box) {
  if (!box.realPath().empty()) return box.recoveryFolder();
  const std::string base = xdgBaseDirectory("XDG_STATE_HOME", ".local/state");
  return base.empty() ? base : base + "/termel/recovery/" + kUnnamedFolder;
}

std::string recoveryFileOf(const tBoxIdentity& box) {
  const std::string dir = recoveryDirOf(box);
  return dir.empty() ? dir : dir + "/" + kFileName;
}

int claimRecoveryDir(const tBoxIdentity& box) {
  const std::string dir = recoveryDirOf(box);
  if (dir.empty() || !makeDirectories(dir)) return -1;
  const std::string claim = dir + "/" + kClaimName;
  const int fd = sysCalls().openat(AT_FDCWD, claim.c_str(),
                                   O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
  if (fd < 0) return -1;
  if (sysCalls().flock(fd, LOCK_EX | LOCK_NB) != 0) {
    sysCalls().close(fd);
    return -1;
  }
  return fd;
}

void releaseRecoveryDir(int claim) {
  if (claim >= 0) sysCalls().close(claim);
}

std::string encodeRecovery(const tRecoveryData& data) {
  tCompartmentCounts counts{};
  for (const tPlacedCard& placed : data.cards) ++counts.at(placed.compartment - 1);
  return encodeWith(data, counts, [&data](tRecoveryEncoder* w) {
    for (int n = 1; n <= CardBox::kCompartments; ++n) {
      for (const tPlacedCard& placed : data.cards) {
        if (placed.compartment == n) w->card(placed.card);
      }
    }
  });
}

std::string encodeBoxRecovery(const tRecoveryData& header) {
  tCompartmentCounts counts{};
  for (int n = 1; n <= CardBox::kCompartments; ++n) counts[n - 1] = theCardBox.countIn(n);
  return encodeWith(header, counts, [](tRecoveryEncoder* w) {
    tTermel card;
    for (int n = theCardBox.firstCard(&card); n != 0; n = theCardBox.nextCard(&card)) w->card(card);
  });
}

uint64_t cardBoxFingerprint() {
  const std::hash<std::string_view> textHash;
  uint64_t hash = 0;
  tTermel card;
  for (int n = theCardBox.firstCard(&card); n != 0; n = theCardBox.nextCard(&card)) {
    hash = mixed(hash, static_cast<uint64_t>(n));
    hash = mixed(hash, textHash(card.front));
    hash = mixed(hash, textHash(card.back));
    hash = mixed(hash, static_cast<uint32_t>(card.timesKnown));
    hash = mixed(hash, static_cast<uint32_t>(card.timesUnknown));
  }
  return mixed(hash, static_cast<uint64_t>(theCardBox.totalCount()));
}

bool decodeRecovery(const std::string& bytes, tRecoveryData* data) {
  if (bytes.size() < kMagicSize + 8 || bytes.compare(0, kMagicSize, kMagic) != 0) return false;
  const size_t body = bytes.size() - 4;
  if (recoveryCrc(bytes.data(), body) !=
      decodeFixed32(reinterpret_cast<const unsigned char*>(&bytes[body]))) {
    return false;
  }
  tRecoveryReader r(bytes, 0, body);
  r.take(kMagicSize);
  if (r.u32() != kVersion) return false;
  data->savedAt = static_cast<int64_t>(r.u64());
  data->writtenAt = static_cast<int64_t>(r.u64());
  data->baseId = r.u64();
  data->fileVersion.size = static_cast<int64_t>(r.u64());
  data->fileVersion.mtimeNs = static_cast<int64_t>(r.u64());
  const uint8_t hashSize = r.u8();
  const char* hash = hashSize <= kHashSize ? r.take(hashSize) : nullptr;
  if (hash == nullptr) return false;
  data->fileVersion.hash.assign(hash, hashSize);
  if (!decodeCounts(&r, &data->counts)) return false;
  const uint32_t pathSize = r.u32();
  const char* path = pathSize <= kMaxPath ? r.take(pathSize) : nullptr;
  if (path == nullptr || std::memchr(path, '\0', pathSize) != nullptr) return false;
  data->boxPath.assign(path, pathSize);
  return decodeCards(&r, &data->cards) && r.left() == 0;
}

bool writeRecovery(const std::string& file, const std::string& bytes, std::string* error) {
  if (file.empty() || !makeDirectories(directoryOf(file)) || !writeFileReplacing(file, bytes)) {
    if (error != nullptr) *error = withPath(kCannotWrite, file);
    return false;
  }
  return true;
}

tRecoveryRead readRecovery(const std::string& file, tRecoveryData* data, std::string* error) {
  if (file.empty()) return tRecoveryRead::kNone;
  std::string bytes;
  const tRecoveryRead base = readFile(file, &bytes, error);
  if (base != tRecoveryRead::kFound) return base;
  if (!decodeRecovery(bytes, data)) {
    if (error != nullptr) *error = withPath(kDamaged, file);
    return tRecoveryRead::kDamaged;
  }
  const std::string log = recoveryLogOf(file);
  switch (readFile(log, &bytes, error)) {
    case tRecoveryRead::kNone:
      return tRecoveryRead::kFound;
    case tRecoveryRead::kDamaged:
      // The recovery file alone would be older than the data: it is not offered as it.
      return tRecoveryRead::kDamaged;
    case tRecoveryRead::kFound:
      // A log of another recovery file (one written over after the log) is left alone.
      replayLog(bytes, data);
      return tRecoveryRead::kFound;
  }
  return tRecoveryRead::kFound;
}

bool removeRecovery(const std::string& file) {
  if (file.empty()) return true;
  // The recovery file first: a log left alone continues nothing. It may hold a whole
  // box, which takes a while to free: it is moved out of its name at once and removed
  // on a thread of its own (a kill meanwhile leaves it, to be replaced at the next
  // removal).
  const std::string gone = file + kGoneSuffix;
  if (sysCalls().renameat(AT_FDCWD, file.c_str(), AT_FDCWD, gone.c_str()) == 0) {
    tBackgroundRemoval::ofProcess().remove({gone});
  } else if (errno != ENOENT) {
    return false;
  }
  const std::string log = recoveryLogOf(file);
  if (sysCalls().unlinkat(AT_FDCWD, log.c_str(), 0) != 0 && errno != ENOENT) return false;
  // The removal reaches the disk, so a power cut cannot bring back what was saved.
  const int dir =
      sysCalls().openat(AT_FDCWD, directoryOf(file).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
  if (dir >= 0) {
    sysCalls().fsync(dir);
    sysCalls().close(dir);
  }
  return true;
}

tCardFileVersion cardFileStamp(const std::string& path) {
  tCardFileVersion version;
  struct stat st;
  if (path.empty() || ::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return version;
  version.size = static_cast<int64_t>(st.st_size);
  version.mtimeNs = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  return version;
}

bool sameCardFile(const std::string& path, const tCardFileVersion& version) {
  if (version.size < 0) return true;
  const tCardFileVersion now = cardFileStamp(path);
  if (now.size == version.size && now.mtimeNs == version.mtimeNs) return true;
  // Copied back or touched: the same bytes are the same version.
  tVersionId id;
  return now.size == version.size && !version.hash.empty() && versionOfFile(path, &id) &&
         id.hash == version.hash;
}

std::string recoveryQuestion(const tRecoveryData& data, bool fileChanged) {
  std::string since = "In der neuen, noch nie gesicherten Kartei";
  if (data.savedAt > 0) {
    const std::time_t when = static_cast<std::time_t>(data.savedAt);
    std::tm local{};
    localtime_r(&when, &local);
    char text[64];
    std::strftime(text, sizeof text, "Seit dem letzten Sichern am %d.%m.%Y um %H:%M", &local);
    since = text;
  }
  std::string question =
      since + " gab es " + changesText(data.counts) + ", die nicht gesichert sind.";
  if (fileChanged) question += kFileChanged;
  return question + " Wiederherstellen?";
}
