#include "kartei/version_record.h"
#include "kartei/written_versions.h"

#include <fcntl.h>
#include <nettle/sha2.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <deque>
#include <set>
#include <sstream>

#include "kartei/conflict_copies.h"
#include "kartei/file_texts.h"
#include "storage/file_status.h"
#include "storage/sys_calls.h"

namespace {

const char kRecordSuffix[] = ".versions";
const char kNotRecorded[] =
    "Die neue Fassung der Datei %s konnte nicht vermerkt werden; ein Zusammenf\xFChren mit "
    "ihr l\xF6scht darum keine Karte.";
constexpr size_t kChunk = 1 << 16;
// Far more than a lifetime of saves (some 100 bytes each); a larger file is no record.
constexpr size_t kLargestRecord = 64 << 20;
constexpr size_t kHashDigits = 2 * SHA256_DIGEST_SIZE;

// Opens a regular file without ever waiting on a FIFO or device in its place. flags
// may add O_NOFOLLOW: a record is never written or read through a link.
int openRegular(const std::string& path, int flags, mode_t mode = 0) {
  const int fd = sysCalls().openat(AT_FDCWD, path.c_str(), flags | O_NONBLOCK | O_CLOEXEC, mode);
  if (fd < 0) return -1;
  struct stat st;
  if (sysCalls().fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    sysCalls().close(fd);
    return -1;
  }
  return fd;
}

// The whole file at path; false when it cannot be read.
bool readWhole(const std::string& path, std::string* text) {
  text->clear();
  const int fd = openRegular(path, O_RDONLY | O_NOFOLLOW);
  if (fd < 0) return false;
  char chunk[kChunk];
  ssize_t got = 0;
  while (text->size() <= kLargestRecord && (got = sysCalls().read(fd, chunk, sizeof chunk)) > 0) {
    text->append(chunk, got);
  }
  sysCalls().close(fd);
  return got == 0 && text->size() <= kLargestRecord;
}

bool isHash(const std::string& text) {
  return text.size() == kHashDigits && std::all_of(text.begin(), text.end(), [](char c) {
           return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
         });
}

std::vector<std::string> splitAt(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::string part;
  std::istringstream in(text);
  while (std::getline(in, part, separator)) parts.push_back(part);
  return parts;
}

std::string hostName() {
  char name[256] = {};
  if (gethostname(name, sizeof name - 1) != 0 || name[0] == '\0') return "-";
  std::string host = name;
  std::replace_if(
      host.begin(), host.end(), [](char c) { return c == ' ' || c == '\n' || c == '\r'; }, '_');
  return host;
}

std::string lineOf(const tVersionId& version, const std::vector<std::string>& parents) {
  std::string joined;
  for (const std::string& parent : parents) {
    if (!isHash(parent) || parent == version.hash || joined.find(parent) != std::string::npos)
      continue;
    joined += (joined.empty() ? "" : ",") + parent;
  }
  return version.hash + " " + std::to_string(version.size) + " " + (joined.empty() ? "-" : joined) +
         " " + std::to_string(static_cast<long long>(std::time(nullptr))) + " " + hostName() + "\n";
}

// Appends text to the file at path, after a line break when a kill cut its last line
// short, and syncs it.
bool appendSynced(const std::string& path, std::string text) {
  const int fd = openRegular(path, O_RDWR | O_APPEND | O_CREAT | O_NOFOLLOW, 0644);
  if (fd < 0) return false;
  struct stat st;
  char last = '\n';
  bool done = sysCalls().fstat(fd, &st) == 0 &&
              (st.st_size == 0 || sysCalls().pread(fd, &last, 1, st.st_size - 1) == 1);
  if (last != '\n') text.insert(0, "\n");
  done = done && writeFully(fd, text.data(), text.size()) && sysCalls().fsync(fd) == 0;
  return sysCalls().close(fd) == 0 && done;
}

}  // namespace

tVersionHash::tVersionHash() : context_(new sha256_ctx) {
  sha256_init(context_.get());
}

tVersionHash::~tVersionHash() = default;

void tVersionHash::add(const void* data, size_t size) {
  sha256_update(context_.get(), size, static_cast<const uint8_t*>(data));
  size_ += static_cast<int64_t>(size);
}

tVersionId tVersionHash::version() const {
  sha256_ctx context = *context_;
  uint8_t digest[SHA256_DIGEST_SIZE];
  sha256_digest(&context, sizeof digest, digest);
  static const char kDigits[] = "0123456789abcdef";
  tVersionId version;
  for (uint8_t byte : digest) {
    version.hash += kDigits[byte >> 4];
    version.hash += kDigits[byte & 15];
  }
  version.size = size_;
  return version;
}

tVersionReader::tVersionReader(const std::string& path)
    : path_(path), fd_(openRegular(path, O_RDONLY)) {}

tVersionReader::~tVersionReader() {
  if (fd_ >= 0) sysCalls().close(fd_);
}

bool tVersionReader::known(tVersionId* version) {
  stamped_ = fd_ >= 0 && sysCalls().fstat(fd_, &opened_) == 0;
  return stamped_ && tWrittenVersions::ofProcess().find(opened_, version);
}

void tVersionReader::remember(const tVersionId& version) const {
  struct stat now;
  if (!whole_ || !stamped_ || sysCalls().fstatat(AT_FDCWD, path_.c_str(), &now, 0) != 0) return;
  // Not when the file was changed while it was read, or another one took its name.
  if (tWrittenVersions::same(opened_, now)) tWrittenVersions::ofProcess().remember(now, version);
}

bool tVersionReader::next(std::vector<unsigned char>* piece) {
  if (fd_ < 0) return false;
  piece->resize(kChunk);
  const ssize_t got = sysCalls().read(fd_, piece->data(), piece->size());
  if (got > 0) {
    piece->resize(static_cast<size_t>(got));
    return true;
  }
  whole_ = got == 0;
  sysCalls().close(fd_);
  fd_ = -1;
  return false;
}

bool versionOfFile(const std::string& path, tVersionId* version) {
  tVersionReader reader(path);
  if (reader.known(version)) return true;
  tVersionHash hash;
  std::vector<unsigned char> piece;
  while (reader.next(&piece)) hash.add(piece.data(), piece.size());
  if (!reader.whole()) return false;
  *version = hash.version();
  reader.remember(*version);
  return true;
}

std::string tVersionRecord::fileOf(const std::string& cardPath) {
  std::string real;
  if (!resolveLinks(cardPath, &real)) real = cardPath;
  const std::string name = baseNameOf(real);
  return real.substr(0, real.size() - name.size()) + "." + name + kRecordSuffix;
}

tVersionRecord tVersionRecord::read(const std::string& cardPath) {
  tVersionRecord record;
  const std::string file = fileOf(cardPath);
  std::vector<std::string> files = findConflictCopies(file);
  files.push_back(file);
  std::string text;
  for (const std::string& path : files) {
    if (readWhole(path, &text)) record.addText(text);
  }
  return record;
}

void tVersionRecord::addText(const std::string& text) {
  for (const std::string& line : splitAt(text, '\n')) addLine(line);
}

void tVersionRecord::addLine(const std::string& line) {
  const std::vector<std::string> fields = splitAt(line, ' ');
  // A line cut short by a kill ends before its host.
  if (fields.size() < 5 || !isHash(fields[0])) return;
  char* end = nullptr;
  const long long size = std::strtoll(fields[1].c_str(), &end, 10);
  if (end == fields[1].c_str() || *end != '\0' || size < 0) return;
  std::vector<std::string>& parents = parents_[fields[0]];
  if (fields[2] != "-") {
    for (const std::string& parent : splitAt(fields[2], ',')) {
      // A save that changed nothing makes the version from itself, which says nothing.
      if (isHash(parent) && parent != fields[0] &&
          std::find(parents.begin(), parents.end(), parent) == parents.end())
        parents.push_back(parent);
    }
  }
  sizes_[fields[0]] = size;
}

bool tVersionRecord::append(const std::string& cardPath, const tVersionId& version,
                            const std::vector<std::string>& parents) {
  return appendSynced(fileOf(cardPath), lineOf(version, parents));
}

void tVersionRecord::absorbCopies(const std::string& cardPath) {
  const std::string file = fileOf(cardPath);
  std::string own;
  readWhole(file, &own);
  const std::vector<std::string> ownLines = splitAt(own, '\n');
  const std::set<std::string> known(ownLines.begin(), ownLines.end());
  for (const std::string& copy : findConflictCopies(file)) {
    std::string text, missing;
    if (!readWhole(copy, &text)) continue;
    for (const std::string& line : splitAt(text, '\n')) {
      if (!line.empty() && known.count(line) == 0) missing += line + "\n";
    }
    if (missing.empty() || appendSynced(file, missing)) {
      sysCalls().unlinkat(AT_FDCWD, copy.c_str(), 0);
    }
  }
}

std::unordered_map<std::string, int> tVersionRecord::pastOf(const std::string& hash) const {
  std::unordered_map<std::string, int> distance{{hash, 0}};
  std::deque<std::string> queue{hash};
  while (!queue.empty()) {
    const std::string at = queue.front();
    queue.pop_front();
    const auto found = parents_.find(at);
    if (found == parents_.end()) continue;
    for (const std::string& parent : found->second) {
      if (distance.emplace(parent, distance[at] + 1).second) queue.push_back(parent);
    }
  }
  return distance;
}

std::vector<std::string> tVersionRecord::lastCommon(const std::string& a,
                                                    const std::string& b) const {
  const std::unordered_map<std::string, int> pastA = pastOf(a), pastB = pastOf(b);
  std::vector<std::pair<int, std::string>> common;
  for (const auto& [hash, distance] : pastA) {
    const auto other = pastB.find(hash);
    if (other != pastB.end()) common.push_back({distance + other->second, hash});
  }
  // Whatever a common version was made from is older than it. Versions whose bytes came
  // back after other versions (a card added and removed again) make a loop: each is
  // older than the other, none is the last, and nothing is deleted.
  std::set<std::string> older;
  std::deque<std::string> queue;
  for (const auto& entry : common) queue.push_back(entry.second);
  while (!queue.empty()) {
    const auto found = parents_.find(queue.front());
    queue.pop_front();
    if (found == parents_.end()) continue;
    for (const std::string& parent : found->second) {
      if (older.insert(parent).second) queue.push_back(parent);
    }
  }
  std::sort(common.begin(), common.end());
  std::vector<std::string> last;
  for (const auto& entry : common) {
    if (older.count(entry.second) == 0) last.push_back(entry.second);
  }
  return last;
}

int64_t tVersionRecord::sizeOf(const std::string& hash) const {
  const auto found = sizes_.find(hash);
  return found == sizes_.end() ? -1 : found->second;
}

void recordNewVersion(const std::string& cardPath, const tVersionId& version,
                      const tVersionId* replaced, const std::vector<std::string>& alsoMadeFrom,
                      std::vector<std::string>* warnings) {
  std::vector<std::string> parents;
  if (replaced != nullptr) parents.push_back(replaced->hash);
  parents.insert(parents.end(), alsoMadeFrom.begin(), alsoMadeFrom.end());
  if (!tVersionRecord::append(cardPath, version, parents)) {
    warnings->push_back(withPath(kNotRecorded, cardPath));
    return;
  }
  // Conflict copies of the record that a sync tool left are taken in, so the record
  // stays one file.
  tVersionRecord::absorbCopies(cardPath);
}
