#include "storage/dbf.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "storage/little_endian.h"
#include "storage/sys_calls.h"

namespace {

constexpr size_t kFixedHeader = 32;
constexpr size_t kDescriptorSize = 32;
constexpr unsigned char kHeaderTerminator = 0x0D;
constexpr unsigned char kEndMark = kDbfEndMark;
// Offsets in the record are 16-bit signed, which bounds a record.
constexpr int kMaxRecordLength = 32767;
// Big enough that reading or writing a whole card file costs few system calls.
constexpr size_t kStreamBufferSize = 1 << 16;
// Records are read ahead in pieces of this size, so going through a table record by
// record costs one read per piece rather than one per record.
constexpr size_t kReadAheadSize = 1 << 18;

// A C stream over a file descriptor whose reads, writes, seeks and close go through
// sysCalls(), so the table code keeps its buffering and every call it makes can be
// made to fail in a test.
int fdOf(void* cookie) {
  return static_cast<int>(reinterpret_cast<intptr_t>(cookie));
}

ssize_t streamRead(void* cookie, char* data, size_t size) {
  for (;;) {
    const ssize_t n = sysCalls().read(fdOf(cookie), data, size);
    if (n >= 0 || errno != EINTR) return n;
  }
}

// The stream takes anything short of size as a failed write.
ssize_t streamWrite(void* cookie, const char* data, size_t size) {
  return writeFully(fdOf(cookie), data, size) ? static_cast<ssize_t>(size) : 0;
}

int streamSeek(void* cookie, off64_t* offset, int whence) {
  const off_t at = sysCalls().lseek(fdOf(cookie), static_cast<off_t>(*offset), whence);
  if (at < 0) return -1;
  *offset = at;
  return 0;
}

int streamClose(void* cookie) {
  return sysCalls().close(fdOf(cookie)) == 0 ? 0 : EOF;
}

// Opens path with flags as a stream; *fd gets its descriptor.
std::FILE* openStream(const char* path, int flags, mode_t mode, int* fd) {
  *fd = sysCalls().openat(AT_FDCWD, path, flags | O_CLOEXEC, mode);
  if (*fd < 0) return nullptr;
  const cookie_io_functions_t io = {streamRead, streamWrite, streamSeek, streamClose};
  const bool writable = (flags & O_ACCMODE) != O_RDONLY;
  std::FILE* file =
      fopencookie(reinterpret_cast<void*>(static_cast<intptr_t>(*fd)), writable ? "rb+" : "rb", io);
  if (file == nullptr) sysCalls().close(*fd);
  return file;
}

bool fitsFileName(const char* fileName) {
  return fileName != nullptr && std::strlen(fileName) <= static_cast<size_t>(tDBF::kMaxFileName);
}

tFieldEntry decodeDescriptor(const unsigned char* d, int offset) {
  tFieldEntry entry;
  std::memcpy(entry.name, d, 10);
  entry.name[10] = '\0';
  entry.type = static_cast<char>(d[11]);
  entry.length = d[16];
  entry.decimals = d[17];
  entry.offset = static_cast<int16_t>(offset);
  return entry;
}

// Length without trailing spaces. Character fields are mostly padding, so whole words
// of spaces are skipped first.
size_t trimmedLength(const unsigned char* bytes, size_t n) {
  constexpr uint64_t kEightSpaces = 0x2020202020202020ull;
  while (n >= 8) {
    uint64_t word;
    std::memcpy(&word, bytes + n - 8, sizeof word);
    const uint64_t nonSpace = word ^ kEightSpaces;
    if (nonSpace == 0) {
      n -= 8;
      continue;
    }
#if defined(__GNUC__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    // The last byte of the text is the highest one of the word that is not a space.
    return n - 8 + static_cast<size_t>(63 - __builtin_clzll(nonSpace)) / 8 + 1;
#else
    break;
#endif
  }
  while (n > 0 && bytes[n - 1] == ' ') --n;
  return n;
}

// The first n bytes up to a NUL: a foreign file may hold one inside a field, and the
// text ends there. Whole words without a zero byte are passed over.
size_t lengthBeforeNul(const unsigned char* bytes, size_t n) {
  constexpr uint64_t kLowBits = 0x0101010101010101ull;
  constexpr uint64_t kHighBits = 0x8080808080808080ull;
  size_t i = 0;
  for (uint64_t word; i + 8 <= n; i += 8) {
    std::memcpy(&word, bytes + i, sizeof word);
    if (((word - kLowBits) & ~word & kHighBits) != 0) break;
  }
  while (i < n && bytes[i] != '\0') ++i;
  return i;
}

#if defined(__SSE2__)
// Character fields of card files are 64 bytes: their text is found from the positions
// of all spaces and NULs at once, with no branch that depends on where the text ends.
constexpr size_t kMaskedMax = 64;

// Bit i set for the bytes equal to c among the 16 bytes at p.
uint64_t bytesEqual(const unsigned char* p, char c) {
  const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  return static_cast<uint16_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, _mm_set1_epi8(c))));
}

// The text length for 16 <= n <= 64. The last block may overlap the one before it,
// so nothing outside the field is read.
size_t maskedTextLength(const unsigned char* bytes, size_t n) {
  uint64_t spaces = 0;
  uint64_t nuls = 0;
  if (n == kMaskedMax) {
    // The card file's width, in four blocks the compiler lays out one after another.
    for (size_t at = 0; at < kMaskedMax; at += 16) {
      spaces |= bytesEqual(bytes + at, ' ') << at;
      nuls |= bytesEqual(bytes + at, '\0') << at;
    }
  } else {
    for (size_t i = 0; i < n; i += 16) {
      const size_t at = std::min(i, n - 16);
      spaces |= bytesEqual(bytes + at, ' ') << at;
      nuls |= bytesEqual(bytes + at, '\0') << at;
    }
  }
  const uint64_t inField = n == 64 ? ~uint64_t{0} : (uint64_t{1} << n) - 1;
  const uint64_t text = ~spaces & inField;
  const size_t trimmed = text == 0 ? 0 : 64 - static_cast<size_t>(__builtin_clzll(text));
  const size_t beforeNul = nuls == 0 ? n : static_cast<size_t>(__builtin_ctzll(nuls));
  return std::min(trimmed, beforeNul);
}
#endif

}  // namespace

size_t dbfTextLength(const unsigned char* bytes, size_t n) {
#if defined(__SSE2__)
  if (n >= 16 && n <= kMaskedMax) return maskedTextLength(bytes, n);
#endif
  return lengthBeforeNul(bytes, trimmedLength(bytes, n));
}

tDBF::tDBF()
    : lastError_(0),
      file_(nullptr),
      fd_(-1),
      current_(0),
      dirty_(false),
      appended_(false),
      writeFailed_(false),
      loaded_(false),
      position_(0),
      lastIo_(tLastIo::kNone),
      readAheadStart_(0),
      recordView_(nullptr) {
  fileName_[0] = '\0';
  std::memset(header_, 0, sizeof header_);
}

tDBF::~tDBF() {
  close();
}

void tDBF::error(int code) {
  lastError_ = code;
}

bool tDBF::open(const char* fileName, tMode mode) {
  if (isOpen()) close();
  if (!fitsFileName(fileName)) {
    fileName_[0] = '\0';
    error(fileName == nullptr ? kDbfCannotOpen : kDbfNameTooLong);
    return false;
  }
  std::strcpy(fileName_, fileName);
  // Not blocking, so a FIFO under the name is refused rather than waited on.
  file_ =
      openStream(fileName, (mode == tMode::kReadOnly ? O_RDONLY : O_RDWR) | O_NONBLOCK, 0, &fd_);
  if (file_ == nullptr) {
    error(kDbfCannotOpen);
    return false;
  }
  if (!openedRegularFile()) return false;
  streamBuffer_.reset(new char[kStreamBufferSize]);
  std::setvbuf(file_, streamBuffer_.get(), _IOFBF, kStreamBufferSize);
  position_ = 0;
  lastIo_ = tLastIo::kNone;
  if (!readHeader()) {
    release();
    return false;
  }
  return true;
}

// False (the table released, the error raised) when the file just opened is not a
// regular file.
bool tDBF::openedRegularFile() {
  struct stat st {};
  const bool known = sysCalls().fstat(fd_, &st) == 0;
  if (known && S_ISREG(st.st_mode)) return true;
  const int code = known && !S_ISDIR(st.st_mode) ? kDbfNotRegular : kDbfCannotOpen;
  const int reason = !known ? errno : code == kDbfCannotOpen ? EISDIR : 0;
  release();
  errno = reason;
  error(code);
  return false;
}

// Reads and checks the header and descriptors. A file is refused when they do not agree
// with each other; what is merely unusual (padding behind the terminator, a record
// longer than its fields, bytes this program does not use) is accepted.
bool tDBF::readHeader() {
  unsigned char fixed[kFixedHeader];
  if (!readBytes(0, fixed, sizeof fixed)) {
    error(kDbfShortHeader);
    return false;
  }
  const uint16_t headerLen = decodeFixed16(fixed + 8);
  std::vector<unsigned char> head;
  try {
    head.resize(std::max<size_t>(headerLen, kFixedHeader));
  } catch (const std::bad_alloc&) {
    error(kDbfNoMemory);
    return false;
  }
  std::memcpy(head.data(), fixed, sizeof fixed);
  if (headerLen <= kFixedHeader ||
      !readBytes(kFixedHeader, head.data() + kFixedHeader, headerLen - kFixedHeader)) {
    error(kDbfShortHeader);
    return false;
  }
  std::memcpy(header_, fixed, sizeof header_);
  if (!readDescriptors(head)) return false;
  current_ = recordCount();
  loaded_ = false;
  dirty_ = false;
  appended_ = false;
  writeFailed_ = false;
  return true;
}

bool tDBF::readDescriptors(const std::vector<unsigned char>& head) {
  const size_t headerLen = head.size();
  const int recordLen = decodeFixed16(head.data() + 10);
  if (recordLen < 1) {
    error(kDbfShortHeader);
    return false;
  }
  int offset = 1;
  try {
    fields_.clear();
    // The descriptors end at the terminator; writers that pad the header behind it
    // make headerLength / 32 - 1 count descriptors that are not there.
    size_t pos = kFixedHeader;
    for (; pos < headerLen && head[pos] != kHeaderTerminator; pos += kDescriptorSize) {
      if (pos + kDescriptorSize >= headerLen) {
        error(kDbfShortHeader);
        return false;
      }
      const tFieldEntry entry = decodeDescriptor(head.data() + pos, offset);
      offset += entry.length;
      if (entry.length == 0 || offset > recordLen || offset > kMaxRecordLength) {
        error(kDbfShortHeader);
        return false;
      }
      fields_.push_back(entry);
    }
    if (pos >= headerLen) {  // no terminator: the header length is not the header's
      error(kDbfShortHeader);
      return false;
    }
    record_.assign(static_cast<size_t>(recordLen), ' ');
    recordView_ = record_.data();
  } catch (const std::bad_alloc&) {
    error(kDbfNoMemory);
    return false;
  }
  return true;
}

// Closes the stream without writing anything and forgets the table; the name stays.
void tDBF::release() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
  fd_ = -1;
  streamBuffer_.reset();
  readAhead_.reset();
  readAheadCapacity_ = 0;
  readAheadLength_ = 0;
  readAheadStart_ = 0;
  record_.clear();
  recordView_ = nullptr;
  fields_.clear();
  std::memset(header_, 0, sizeof header_);
  current_ = 0;
  dirty_ = false;
  appended_ = false;
  loaded_ = false;
  lastIo_ = tLastIo::kNone;
}

bool tDBF::close() {
  if (!isOpen()) return true;
  if (dirty_) writeRecord();
  finishAppends();
  bool ok = !writeFailed_ && !dirty_;
  if (std::fflush(file_) != 0) ok = false;
  if (std::fclose(file_) != 0) ok = false;
  file_ = nullptr;
  release();
  fileName_[0] = '\0';
  return ok;
}

uint64_t tDBF::recordOffset(uint32_t n) const {
  return headerLength() + static_cast<uint64_t>(n) * recordLength();
}

bool tDBF::seekFor(uint64_t offset, tLastIo io) {
  if (lastIo_ == io && position_ == offset) return true;
  if (fseeko(file_, static_cast<off_t>(offset), SEEK_SET) != 0) {
    lastIo_ = tLastIo::kNone;
    return false;
  }
  position_ = offset;
  lastIo_ = io;
  return true;
}

bool tDBF::readBytes(uint64_t offset, void* data, size_t size) {
  if (!seekFor(offset, tLastIo::kRead)) return false;
  const size_t got = std::fread(data, 1, size, file_);
  position_ += got;
  if (got == size) return true;
  std::clearerr(file_);
  lastIo_ = tLastIo::kNone;
  return false;
}

bool tDBF::writeBytes(uint64_t offset, const void* data, size_t size) {
  ownRecord();  // the bytes read ahead may change below
  if (seekFor(offset, tLastIo::kWrite)) {
    const size_t put = std::fwrite(data, 1, size, file_);
    position_ += put;
    if (put == size) {
      patchReadAhead(offset, data, size);
      return true;
    }
  }
  std::clearerr(file_);
  lastIo_ = tLastIo::kNone;
  writeFailed_ = true;
  readAheadLength_ = 0;  // what the file holds now is not known
  return false;
}

// Makes the record at offset current where it stands in the bytes read ahead,
// reading the next piece of the file when they do not hold it whole.
bool tDBF::readRecord(uint64_t offset) {
  const size_t size = record_.size();
  const auto holds = [&] {
    return offset >= readAheadStart_ && offset - readAheadStart_ + size <= readAheadLength_;
  };
  if (!holds()) {
    fillReadAhead(offset);
    if (!holds()) return false;
  }
  recordView_ = readAhead_.get() + (offset - readAheadStart_);
  return true;
}

// Reads up to kReadAheadSize bytes from offset on, but no more than the records from
// there on take and the file holds, so a small table (or a short file whose header
// claims many records) costs no large buffer; fewer at the end of the file.
void tDBF::fillReadAhead(uint64_t offset) {
  uint64_t tableEnd = recordOffset(recordCount());
  struct stat status;
  // Flushed first, so the size includes what this table has written.
  if (std::fflush(file_) == 0 && fstat(fileno(file_), &status) == 0 && S_ISREG(status.st_mode)) {
    tableEnd = std::min<uint64_t>(tableEnd, static_cast<uint64_t>(status.st_size));
  }
  const uint64_t wanted = tableEnd > offset ? tableEnd - offset : 0;
  const size_t want = static_cast<size_t>(std::min<uint64_t>(wanted, kReadAheadSize));
  readAheadStart_ = offset;
  readAheadLength_ = 0;
  // A record cut off by the end of the file is never delivered: nothing to read.
  if (want < record_.size()) return;
  if (readAheadCapacity_ < want) {
    readAhead_.reset(new unsigned char[want]);
    readAheadCapacity_ = want;
  }
  size_t got = 0;
  if (!readDirect(offset, readAhead_.get(), want, &got)) {
    // Not a plain file: read through the stream instead.
    got = 0;
    if (seekFor(offset, tLastIo::kRead)) {
      got = std::fread(readAhead_.get(), 1, want, file_);
      position_ += got;
      if (got < want) {
        std::clearerr(file_);
        lastIo_ = tLastIo::kNone;
      }
    }
  }
  readAheadLength_ = got;
}

// Fills the read-ahead bytes past the stream, which would copy every byte twice. The
// stream is flushed first, so none of its writes are missed and it keeps no input
// that could go stale; its next use seeks. False when the file cannot be read so.
bool tDBF::readDirect(uint64_t offset, unsigned char* dest, size_t want, size_t* got) {
  if (std::fflush(file_) != 0) return true;  // nothing read, as from a failed seek
  lastIo_ = tLastIo::kNone;
  while (*got < want) {
    const ssize_t n =
        sysCalls().pread(fd_, dest + *got, want - *got, static_cast<off_t>(offset + *got));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return *got > 0;
    if (n == 0) break;
    *got += static_cast<size_t>(n);
  }
  return true;
}

uint32_t tDBF::readRecords(uint32_t first, uint32_t count, unsigned char* dest) {
  const size_t size = record_.size();
  if (!isOpen() || dirty_ || size == 0 || first >= recordCount()) return 0;
  count = std::min(count, recordCount() - first);
  size_t got = 0;
  if (!readDirect(recordOffset(first), dest, count * size, &got)) return 0;
  return static_cast<uint32_t>(got / size);
}

// Copies a record read in place into the record buffer, before it is changed or the
// bytes it stands in are.
void tDBF::ownRecord() {
  if (recordView_ == record_.data()) return;
  if (loaded_) std::memcpy(record_.data(), recordView_, record_.size());
  recordView_ = record_.data();
}

// Keeps the bytes read ahead equal to the file's when a write changes them.
void tDBF::patchReadAhead(uint64_t offset, const void* data, size_t size) {
  const uint64_t end = readAheadStart_ + readAheadLength_;
  if (readAheadLength_ == 0 || offset >= end || offset + size <= readAheadStart_) return;
  const uint64_t from = std::max(offset, readAheadStart_);
  const uint64_t to = std::min<uint64_t>(offset + size, end);
  std::memcpy(readAhead_.get() + (from - readAheadStart_),
              static_cast<const unsigned char*>(data) + (from - offset), to - from);
}

bool tDBF::goTo(uint32_t n) {
  if (!isOpen()) return false;
  if (dirty_) {
    // The change is handed to the system before another record becomes current.
    if (!writeRecord()) return false;
    if (std::fflush(file_) != 0) writeFailed_ = true;
  }
  current_ = n;
  loaded_ = false;
  recordView_ = record_.data();
  if (n > recordCount()) {
    error(kDbfBadRecordNumber);
    return false;
  }
  if (n == recordCount()) return true;
  if (!readRecord(recordOffset(n))) {
    error(kDbfTruncatedRecord);
    return false;
  }
  if (recordIsBlank()) {
    error(kDbfBlankRecord);
    return false;
  }
  loaded_ = true;
  return true;
}

// A record starts with its deletion flag, a blank or '*'; a NUL there is rare enough
// that only then the rest is looked at.
bool tDBF::recordIsBlank() const {
  const size_t size = record_.size();
  if (size == 0 || recordView_[0] != 0) return false;
  for (size_t i = 1; i < size; ++i) {
    if (recordView_[i] != 0) return false;
  }
  return true;
}

bool tDBF::writeRecord() {
  if (!isOpen() || !dirty_) {
    dirty_ = false;
    return true;
  }
  if (!writeBytes(recordOffset(current_), record_.data(), record_.size())) {
    error(kDbfShortWrite);
    return false;
  }
  dirty_ = false;
  return true;
}

// Appended records are written like any dirty record; the end mark behind them and the
// record count in the header follow here, once, instead of a seek back per record.
bool tDBF::finishAppends() {
  if (!appended_) return true;
  if (!writeBytes(recordOffset(recordCount()), &kEndMark, 1)) return false;
  if (!writeBytes(0, header_, sizeof header_)) return false;
  appended_ = false;
  return true;
}

bool tDBF::append() {
  if (!isOpen()) return false;
  if (dirty_ && !writeRecord()) return false;
  const uint32_t count = recordCount();
  if (count == UINT32_MAX) return false;
  std::fill(record_.begin(), record_.end(), static_cast<unsigned char>(' '));
  recordView_ = record_.data();
  current_ = count;
  loaded_ = true;
  dirty_ = true;  // the blank record reaches the file with its values
  encodeFixed32(header_ + 4, count + 1);
  appended_ = true;
  return true;
}

bool tDBF::sync() {
  if (!isOpen()) return false;
  if (dirty_ && !writeRecord()) return false;
  finishAppends();
  if (std::fflush(file_) != 0 || sysCalls().fsync(fd_) != 0) writeFailed_ = true;
  return !writeFailed_;
}

uint16_t tDBF::headerLength() const {
  return decodeFixed16(header_ + 8);
}

uint16_t tDBF::recordLength() const {
  return decodeFixed16(header_ + 10);
}

int tDBF::fieldCount() const {
  return static_cast<int>(fields_.size());
}

int tDBF::findField(const char* name) {
  if (!isOpen()) return -1;
  for (int i = fieldCount() - 1; i >= 0 && name != nullptr; --i) {
    if (std::strcmp(fields_[i].name, name) == 0) return i;
  }
  // Only the first failure is reported, so one missing column does not bury the cause.
  if (lastError_ == 0) error(kDbfNoSuchField);
  return -1;
}

const unsigned char* tDBF::noCurrentField() {
  if (isOpen()) error(kDbfNoCurrentRecord);
  return nullptr;
}

const unsigned char* tDBF::fieldText(int index, size_t* length) {
  const unsigned char* bytes = currentField(index, length);
  if (bytes == nullptr) return nullptr;
  *length = dbfTextLength(bytes, *length);
  return bytes;
}

int tDBF::getField(int index, char* dest) {
  size_t n = 0;
  const unsigned char* text = fieldText(index, &n);
  if (text == nullptr) {
    if (isOpen() && dest != nullptr) dest[0] = '\0';
    return 0;
  }
  std::memcpy(dest, text, n);
  dest[n] = '\0';
  return static_cast<int>(n);
}

int tDBF::putField(int index, const char* text) {
  if (!isOpen() || !hasRecord() || !validIndex(index)) return 0;
  const tFieldEntry& field = fields_[index];
  ownRecord();
  unsigned char* bytes = record_.data() + field.offset;
  const size_t length = static_cast<size_t>(field.length);
  const size_t n = text == nullptr ? 0 : strnlen(text, length);
  std::memcpy(bytes, text, n);
  std::memset(bytes + n, ' ', length - n);
  dirty_ = true;
  return field.length;
}

// ---------------------------------------------------------------------------

tCreateDBF::tCreateDBF() : count_(0), entries_(kMaxFields) {}

void tCreateDBF::clear() {
  count_ = 0;
}

int tCreateDBF::addField(const char* name, char type, int length, int decimals) {
  if (count_ >= kMaxFields || name == nullptr) return 0;
  if (length < 1 || length > 255 || decimals < 0 || decimals > 255) return 0;
  int recordLength = 1 + length;
  for (int i = 0; i < count_; ++i) recordLength += entries_[i].length;
  if (recordLength > kMaxRecordLength) return 0;

  tFieldEntry& entry = entries_[count_];
  std::memset(entry.name, 0, sizeof entry.name);
  for (int i = 0; i < 10 && name[i] != '\0'; ++i) {
    entry.name[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(name[i])));
  }
  entry.type = static_cast<char>(std::toupper(static_cast<unsigned char>(type)));
  entry.length = static_cast<int16_t>(length);
  entry.decimals = static_cast<int16_t>(decimals);
  entry.offset = 0;
  ++count_;
  return 1;
}

namespace {

bool today(std::tm* local) {
  const std::time_t now = std::time(nullptr);
  return localtime_r(&now, local) != nullptr;
}

}  // namespace

bool tCreateDBF::create(const char* fileName) const {
  std::tm local{};
  return today(&local) && create(fileName, local);
}

std::vector<unsigned char> tCreateDBF::header(uint32_t records) const {
  std::tm local{};
  if (!today(&local)) return {};
  return header(records, local);
}

std::vector<unsigned char> tCreateDBF::header(uint32_t records, const std::tm& date) const {
  const size_t headerLen = kFixedHeader * (count_ + 1) + 1;
  std::vector<unsigned char> bytes(headerLen, 0);
  int recordLen = 1;
  for (int i = 0; i < count_; ++i) recordLen += entries_[i].length;

  bytes[0] = 3;
  bytes[1] = static_cast<unsigned char>(date.tm_year);
  bytes[2] = static_cast<unsigned char>(date.tm_mon + 1);
  bytes[3] = static_cast<unsigned char>(date.tm_mday);
  encodeFixed32(&bytes[4], records);
  encodeFixed16(&bytes[8], static_cast<uint16_t>(headerLen));
  encodeFixed16(&bytes[10], static_cast<uint16_t>(recordLen));
  for (int i = 0; i < count_; ++i) {
    unsigned char* d = &bytes[kFixedHeader * (i + 1)];
    std::memcpy(d, entries_[i].name, 10);
    d[11] = static_cast<unsigned char>(entries_[i].type);
    d[16] = static_cast<unsigned char>(entries_[i].length);
    d[17] = static_cast<unsigned char>(entries_[i].decimals);
    d[20] = 1;
  }
  bytes[headerLen - 1] = kHeaderTerminator;
  return bytes;
}

bool tCreateDBF::create(const char* fileName, const std::tm& date) const {
  if (!fitsFileName(fileName)) return false;
  std::vector<unsigned char> bytes = header(0, date);
  bytes.push_back(kEndMark);

  const int fd =
      sysCalls().openat(AT_FDCWD, fileName, O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  const bool written = writeFully(fd, bytes.data(), bytes.size());
  const bool closed = sysCalls().close(fd) == 0;
  return written && closed;
}
