#include "kartei/card_file.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "box/card_box.h"
#include "box/termel.h"
#include "kartei/backups.h"
#include "kartei/box_file_name.h"
#include "kartei/box_lock.h"
#include "kartei/card_record.h"
#include "kartei/file_texts.h"
#include "kartei/hash_thread.h"
#include "kartei/stale_temp_files.h"
#include "kartei/version_record.h"
#include "kartei/written_versions.h"
#include "storage/charset.h"
#include "storage/safe_replace.h"
#include "storage/sys_calls.h"
#include "storage/text_encoding.h"

namespace {

constexpr char kArchiveLetter = 'Z';
constexpr int32_t kArchiveMax = 999999;

// Why a load or a save failed, each naming its file (code page 1252).
const char kMissing[] = "Die Datei %s gibt es nicht.";
const char kIsDirectoryNoBox[] = "Die Datei %s ist ein Verzeichnis und keine Kartei.";
const char kNotABox[] = "Die Datei %s ist keine Kartei.";
const char kNotRegularNoBox[] = "Die Datei %s ist keine gew\xF6hnliche Datei und keine Kartei.";
const char kCannotRead[] = "Die Datei %s kann nicht gelesen werden: %s";
const char kNoMemory[] = "Speicher reicht nicht f\xFCr die Datei %s.";
const char kDamaged[] =
    "Die Datei %s ist besch\xE4"
    "digt (nach %d von %u Karten).";
const char kMissingColumn[] = "In der Datei %s fehlt die Spalte %s.";
const char kLongTexts[] =
    "In der Datei %s sind Texte l\xE4nger als 63 Zeichen (Karten: %d); beim Sichern werden "
    "sie gek\xFCrzt.";
const char kDeletedSkipped[] =
    "In der Datei %s wurden gel\xF6schte S\xE4tze \xFC"
    "bergangen: %d.";
const char kCannotWrite[] = "Die Datei %s kann nicht geschrieben werden: %s";
const char kNotWritten[] = "Die Datei %s konnte nicht geschrieben werden.";
const char kNoName[] = "Die Karten wurden nicht gesichert: es fehlt ein Dateiname.";
// Why a file cannot be saved over, and a save whose rename may not yet be on disk.
const char kIsDirectory[] =
    "Die Datei %s ist ein Verzeichnis und kann nicht "
    "\xFC"
    "berschrieben werden.";
const char kNotRegular[] =
    "Die Datei %s ist keine gew\xF6hnliche Datei und kann nicht "
    "\xFC"
    "berschrieben werden.";
const char kWriteProtected[] = "Die Datei %s ist schreibgesch\xFCtzt.";
const char kDirectoryWriteProtected[] = "Das Verzeichnis der Datei %s ist schreibgesch\xFCtzt.";
const char kNameTooLong[] = "Der Dateiname %s ist zu lang.";
const char kNotRelinked[] = "Der Name %s derselben Kartei zeigt weiter auf die vorige Fassung.";
const char kNotSynced[] =
    "Die Datei %s wurde gesichert, aber das Verzeichnis lie\xDF "
    "sich nicht auf den Datentr\xE4ger schreiben; bei einem Absturz "
    "kann die alte Fassung zur\xFC"
    "ckkehren.";

// A write that failed, in words: the system's reason when there is one.
std::string writeErrorText(const std::string& path, int systemError) {
  return systemError != 0 ? withPathAndReason(kCannotWrite, path, systemError)
                          : withPath(kNotWritten, path);
}

// The first failure a table raised while it was written, in words.
template <typename Table>
std::string tableWriteErrorText(const Table& db, const std::string& path, int fallbackErrno) {
  const std::vector<tTableFailure>& failures = db.failures();
  if (!failures.empty() && failures[0].code == kDbfNoMemory) return withPath(kNoMemory, path);
  return writeErrorText(path, failures.empty() || failures[0].systemError == 0
                                  ? fallbackErrno
                                  : failures[0].systemError);
}

// Why a card file could not be opened for loading.
std::string openErrorText(const tTableFailure& failure, const std::string& path) {
  switch (failure.code) {
    case kDbfNameTooLong:
      return withPath(kNameTooLong, path);
    case kDbfNoMemory:
      return withPath(kNoMemory, path);
    case kDbfNotRegular:
      return withPath(kNotRegularNoBox, path);
    case kDbfShortHeader:
      if (failure.systemError == EISDIR) return withPath(kIsDirectoryNoBox, path);
      if (failure.systemError == EIO) return withPathAndReason(kCannotRead, path, EIO);
      return withPath(kNotABox, path);
    default:
      if (failure.systemError == ENOENT) return withPath(kMissing, path);
      if (failure.systemError == EISDIR) return withPath(kIsDirectoryNoBox, path);
      return withPathAndReason(kCannotRead, path,
                               failure.systemError != 0 ? failure.systemError : EIO);
  }
}

// The records the open table can deliver: those its header counts, as far as the file
// (of fileSize bytes, when known) holds them. A truncated file is damaged, not large.
uint32_t recordsHeld(const tDBF& db, const tFileStamp& stamp) {
  const uint32_t counted = db.recordCount();
  if (!stamp.known || db.recordLength() == 0 || stamp.size < db.headerLength()) return counted;
  const uint64_t held = static_cast<uint64_t>(stamp.size - db.headerLength()) / db.recordLength();
  return static_cast<uint32_t>(std::min<uint64_t>(held, counted));
}

// Whether the cards of a table of that many records can be held at all: checked before
// a single one is read, so a box too large for memory is refused at once.
bool fitsInMemory(uint32_t records) {
  // A card in memory, with what its container takes beside it.
  constexpr uint64_t kBytesPerCard = sizeof(tTermel) + 16;
  // A smaller box is simply read, sparing a small load the system calls: should memory
  // run out all the same, the allocation says so and the load is refused as here.
  constexpr uint64_t kAlwaysTried = uint64_t{16} << 20;
  const uint64_t wanted = uint64_t{records} * kBytesPerCard;
  if (wanted <= kAlwaysTried) return true;
  uint64_t available = UINT64_MAX;
  const long pages = sysconf(_SC_PHYS_PAGES);
  const long pageSize = sysconf(_SC_PAGE_SIZE);
  if (pages > 0 && pageSize > 0) available = uint64_t(pages) * uint64_t(pageSize);
  for (int resource : {RLIMIT_AS, RLIMIT_DATA}) {
    struct rlimit limit;
    if (getrlimit(resource, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY) {
      available = std::min<uint64_t>(available, limit.rlim_cur);
    }
  }
  return wanted < available;
}

std::string damagedText(const std::string& path, int loaded, uint32_t total) {
  const std::string shown = withPath("%s", path);
  char text[1024];
  std::snprintf(text, sizeof text, kDamaged, shown.c_str(), loaded, total);
  return text;
}

// True when a save could not replace the card file at path: the file, or the directory
// in which its replacement is made, is write-protected.
bool isSaveProtected(const char* path) {
  std::string resolved;
  if (!resolveLinks(path, &resolved)) return false;
  return isWriteProtected(resolved) || isWriteProtected(directoryOf(resolved));
}

}  // namespace

std::string lockRefusalText(const tBoxIdentity& box, const tBoxLock& lock) {
  if (lock.systemError() == ENOENT) return writeErrorText(box.path(), ENOENT);
  if (isWriteProtected(box.realPath())) return withPath(kWriteProtected, box.path());
  if (isWriteProtected(directoryOf(box.realPath()))) {
    return withPath(kDirectoryWriteProtected, box.path());
  }
  return lock.reason();
}

namespace {

// The reason begin() refused the target, as the learner reads it.
std::string replaceErrorText(const tSafeReplace& replace, const std::string& path) {
  switch (replace.error()) {
    case tReplaceError::kIsDirectory:
      return withPath(kIsDirectory, path);
    case tReplaceError::kNotRegular:
      return withPath(kNotRegular, path);
    case tReplaceError::kWriteProtected:
      return withPath(kWriteProtected, path);
    case tReplaceError::kDirectoryWriteProtected:
      return withPath(kDirectoryWriteProtected, path);
    case tReplaceError::kNameTooLong:
      return withPath(kNameTooLong, path);
    default:
      return writeErrorText(path, replace.systemError());
  }
}

// A column missing from a foreign file reads as the empty text without raising a
// read error for every record.
void copyText(tCharField& field, char* dest, size_t size) {
  if (field.index() < 0) {
    dest[0] = '\0';
  } else {
    field.copyTo(dest, size);
  }
}

// Copies a card text; true when the field held more than a card does. Only a text
// that fills the card is looked at whole, so our own files cost nothing more.
bool copyCardText(tCharField& field, char* dest, size_t size) {
  if (field.index() < 0) {
    dest[0] = '\0';
    return false;
  }
  return field.copyTo(dest, size) == size - 1 && std::strlen(field.get()) >= size;
}

// The current record as a card, built where it is kept: a longer text of a foreign
// file is cut like any other. True when a text was cut.
bool readCard(tTrmDB& db, tTermel* card) {
  const bool frontCut = copyCardText(db.DEUTSCH, card->front, sizeof card->front);
  const bool backCut = copyCardText(db.UEBERSETZT, card->back, sizeof card->back);
  card->timesKnown = db.GEWUSST.get();
  card->timesUnknown = db.UNBEKANNT.get();
  return frontCut || backCut;
}

// A count behind a sentence that names the file, as the learner reads it.
std::string withPathAndCount(const char* format, const std::string& path, int count) {
  const std::string shown = withPath("%s", path);
  char text[1024];
  std::snprintf(text, sizeof text, format, shown.c_str(), count);
  return text;
}

// Columns of the open card file that no handle is bound to, so a save drops them.
int foreignColumnCount(tTrmDB& db) {
  int known = 0;
  for (int index : {db.DEUTSCH.index(), db.UEBERSETZT.index(), db.KASTEN.index(), db.ALTER.index(),
                    db.GEWUSST.index(), db.UNBEKANNT.index()}) {
    if (index >= 0) ++known;
  }
  return db.fieldCount() - known;
}

int compartmentOfLetter(char letter) {
  return letter == kArchiveLetter ? CardBox::kCompartments
                                  : static_cast<unsigned char>(letter) - 64;
}

char letterOfCompartment(int n) {
  return n == CardBox::kCompartments ? kArchiveLetter : static_cast<char>(64 + n);
}

// Where the save has got to, per compartment: cards written so far.
struct tSaveTally {
  int32_t count[CardBox::kCompartments] = {};
};

// The columns of a card table, in their order.
struct tColumn {
  const char* name;
  char type;
  int length;
};
constexpr tColumn kCardColumns[] = {{"DEUTSCH", 'C', tTermel::kTextSize},
                                    {"UEBERSETZT", 'C', tTermel::kTextSize},
                                    {"KASTEN", 'C', 1},
                                    {"ALTER", 'N', 4},
                                    {"GEWUSST", 'N', 5},
                                    {"UNBEKANNT", 'N', 5}};
// The deletion flag and the columns: the layout encodeOwnRecord writes.
constexpr int kCardRecordLength = 1 + kCardColumns[0].length + kCardColumns[1].length +
                                  kCardColumns[2].length + kCardColumns[3].length +
                                  kCardColumns[4].length + kCardColumns[5].length;
static_assert(kCardRecordLength == kOwnRecordBytes, "the columns make the own layout");
// Records go out in pieces of about this size, each with one write.
constexpr size_t kPieceSize = 1 << 16;

// Called with every piece of the new file once it is written; it may take the piece
// and leave another buffer in its place.
using tPieceWritten = std::function<void(std::vector<unsigned char>* piece)>;

// Bytes gathered into pieces that go out with one write each, every piece then handed
// to written.
class tPieceWriter {
 public:
  tPieceWriter(int fd, const tPieceWritten& written) : fd_(fd), written_(written) {
    bytes_.resize(kCapacity);
  }

  // Room for size more bytes, which the caller fills; at most kCardRecordLength.
  unsigned char* room(size_t size) {
    if (used_ + size > kPieceSize) flush();
    unsigned char* at = bytes_.data() + used_;
    used_ += size;
    return at;
  }
  void add(const void* data, size_t size) {
    for (size_t done = 0; done < size;) {
      const size_t part = std::min<size_t>(size - done, kCardRecordLength);
      std::memcpy(room(part), static_cast<const unsigned char*>(data) + done, part);
      done += part;
    }
  }
  // False (errno set) when any write failed.
  bool flush() {
    if (ok_ && used_ > 0) {
      ok_ = writeFully(fd_, bytes_.data(), used_);
      if (ok_) {
        bytes_.resize(used_);
        written_(&bytes_);
        bytes_.resize(kCapacity);
        startWriteBack();
      }
    }
    used_ = 0;
    return ok_;
  }

 private:
  // Every few megabytes the disk is asked to start on what is written, so the fsync
  // of the commit waits only for the last of it. Only a hint: the fsync alone decides
  // whether the file is on disk, so a failure here is of no matter.
  void startWriteBack() {
    writtenBytes_ += used_;
    if (writtenBytes_ - started_ < kWriteBackStep) return;
    sync_file_range(fd_, static_cast<off_t>(started_), static_cast<off_t>(writtenBytes_ - started_),
                    SYNC_FILE_RANGE_WRITE);
    started_ = writtenBytes_;
  }

  static constexpr size_t kCapacity = kPieceSize + kCardRecordLength;
  static constexpr uint64_t kWriteBackStep = 8 << 20;
  int fd_;
  uint64_t writtenBytes_ = 0;  // bytes of the file written so far
  uint64_t started_ = 0;       // bytes the disk was asked to write
  const tPieceWritten& written_;
  std::vector<unsigned char> bytes_;
  size_t used_ = 0;
  bool ok_ = true;
};

// The card table of theCardBox into the new, empty file at path: its header with the
// record count, a record per card, the end mark. Written straight, record by record
// into pieces, as the table code would write it. An error text naming shown, or "".
std::string writeCardTable(const std::string& path, const std::string& shown, tSaveTally* tally,
                           const tPieceWritten& written) {
  tCreateDBF table;
  for (const tColumn& column : kCardColumns)
    table.addField(column.name, column.type, column.length, 0);
  const std::vector<unsigned char> header =
      table.header(static_cast<uint32_t>(theCardBox.totalCount()));
  errno = 0;
  if (header.empty()) return writeErrorText(shown, errno);
  // The temporary file is new and empty. Truncating it anyway would make the file
  // system write it all out when it is closed, before the fsync that follows.
  const int fd = sysCalls().openat(AT_FDCWD, path.c_str(), O_WRONLY | O_CLOEXEC, 0);
  if (fd < 0) return writeErrorText(shown, errno);
  tPieceWriter out(fd, written);
  out.add(header.data(), header.size());
  int32_t records = 0;
  theCardBox.forEachCard([&](const tTermel& card, int n) {
    encodeOwnRecord(card, letterOfCompartment(n), ++tally->count[n - 1],
                    out.room(kCardRecordLength));
    ++records;
  });
  *out.room(1) = kDbfEndMark;
  bool ok = out.flush();
  int error = errno;
  if (ok && records != theCardBox.totalCount()) {
    ok = false;
    error = EIO;
  }
  if (sysCalls().close(fd) != 0 && ok) {
    ok = false;
    error = errno;
  }
  return ok ? std::string() : writeErrorText(shown, error);
}

bool writeCompartments(tKastenDB& db, const tSaveTally& tally) {
  for (int i = 1; i <= CardBox::kCompartments; ++i) {
    if (!db.append()) return false;
    const bool archive = i == CardBox::kCompartments;
    char name[16];
    std::snprintf(name, sizeof name, "%d. Fach", i);
    const char letter[2] = {letterOfCompartment(i), '\0'};
    db.BEZ.set(letter);
    db.ANZAHL.set(tally.count[i - 1]);
    db.NAME.set(archive ? "Ablage" : name);
    db.MAX.set(archive ? kArchiveMax : theCardBox.capacity(i - 1));
    db.MAXALTER.set(tally.count[i - 1]);
  }
  return true;
}

// Writes a file under a temporary name with write(tempPath), which returns an error
// text or "", and renames it over path only when the whole file is on disk; a failure
// is reported in words naming path. *stamp gets the stamp of the new file. beforeCommit
// is handed the finished temporary file.
template <typename Write>
bool replaceFile(const std::string& path, tSafeReplace::tLinks links, tFileReport* report,
                 Write write, tFileStamp* stamp,
                 const std::function<void(const std::string&)>& beforeCommit = nullptr) {
  std::vector<std::string>* errors = &report->errors;
  tSafeReplace replace(path, links);
  if (!replace.begin()) {
    errors->push_back(replaceErrorText(replace, path));
    return false;
  }
  const std::string failure = write(replace.tempPath());
  if (!failure.empty()) {
    errors->push_back(failure);
    return false;
  }
  if (beforeCommit) beforeCommit(replace.tempPath());
  if (!replace.commit()) {
    errors->push_back(writeErrorText(path, replace.systemError()));
    return false;
  }
  if (!replace.directorySynced()) report->warnings.push_back(withPath(kNotSynced, path));
  *stamp = replace.stamp();
  return true;
}

// A table made by create at temp and filled through the table code; an error text
// naming path, or "".
template <typename Table, typename Create, typename Fill>
std::string writeTable(const std::string& temp, const std::string& path, Create create, Fill fill) {
  errno = 0;
  if (!create(temp.c_str())) return writeErrorText(path, errno);
  Table db;
  if (!db.open(temp.c_str())) return tableWriteErrorText(db, path, errno);
  const bool filled = fill(db);
  const bool closed = db.close();
  if (!closed || !filled) return tableWriteErrorText(db, path, errno);
  return std::string();
}

// The box file is only ever written, so what stands under its name loses nothing when
// it is replaced. A symbolic link there is followed only to a box file of this box
// (named as this box's box file is); a link to any other file is replaced itself, so
// a save never turns a file the link happens to name into a table.
tSafeReplace::tLinks boxFileLinks(const tBoxIdentity& box) {
  const std::string boxFile = box.boxFile();
  std::string target;
  if (!resolveLinks(boxFile, &target) || baseNameOf(target) != baseNameOf(boxFile)) {
    return tSafeReplace::tLinks::kReplaceLink;
  }
  return tSafeReplace::tLinks::kFollow;
}

// Points the card file's other hard-linked names that still name the replaced version
// (replaced) at the new one, each by a link under a temporary name renamed over it, so
// the names stay one box. A name that cannot follow keeps the previous version, which
// is among the backups anyway, and a warning says so.
void relinkOtherNames(const tBoxIdentity& box, const struct stat& replaced, tFileReport* report) {
  for (const std::string& name : box.linkedNames()) {
    struct stat st;
    if (sysCalls().fstatat(AT_FDCWD, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 ||
        st.st_dev != replaced.st_dev || st.st_ino != replaced.st_ino) {
      continue;
    }
    const std::string temp = directoryOf(name) + "/." + baseNameOf(name) + ".tmp-relink";
    sysCalls().unlinkat(AT_FDCWD, temp.c_str(), 0);
    if (sysCalls().linkat(AT_FDCWD, box.realPath().c_str(), AT_FDCWD, temp.c_str(), 0) != 0 ||
        sysCalls().renameat(AT_FDCWD, temp.c_str(), AT_FDCWD, name.c_str()) != 0) {
      sysCalls().unlinkat(AT_FDCWD, temp.c_str(), 0);
      report->warnings.push_back(withPath(kNotRelinked, name));
    }
  }
}

}  // namespace

tTrmDB::~tTrmDB() = default;

bool tTrmDB::open(const char* path, tMode mode) {
  if (!tDBF::open(path, mode)) return false;
  DEUTSCH.bind(this, "DEUTSCH");
  UEBERSETZT.bind(this, "UEBERSETZT");
  KASTEN.bind(this, "KASTEN");
  ALTER.bind(this, "ALTER");
  GEWUSST.bind(this, "GEWUSST");
  UNBEKANNT.bind(this, "UNBEKANNT");
  return true;
}

// Deliberately does not keep the code as lastError(), so every failure of a foreign
// file is kept, not only the first.
void tTrmDB::error(int code) {
  failures_.push_back({code, errno});
}

tKastenDB::~tKastenDB() = default;

bool tKastenDB::open(const char* path) {
  if (!tDBF::open(path)) return false;
  BEZ.bind(this, "BEZ");
  NAME.bind(this, "NAME");
  MAX.bind(this, "MAX");
  ANZAHL.bind(this, "ANZAHL");
  MAXALTER.bind(this, "MAXALTER");
  return true;
}

void tKastenDB::error(int code) {
  failures_.push_back({code, errno});
}

bool createCardTable(const char* path) {
  tCreateDBF table;
  for (const tColumn& column : kCardColumns)
    table.addField(column.name, column.type, column.length, 0);
  return table.create(path);
}

bool createBoxTable(const char* path) {
  tCreateDBF table;
  table.addField("BEZ", 'C', 1, 0);
  table.addField("ANZAHL", 'N', 6, 0);
  table.addField("NAME", 'C', 10, 0);
  table.addField("MAX", 'N', 6, 0);
  table.addField("MAXALTER", 'N', 6, 0);
  return table.create(path);
}

const char kLossyRewriteQuestion[] =
    "Die Datei wird im Kartei-Format neu geschrieben; nicht gelesene Felder gehen verloren. "
    "Trotzdem sichern?";

std::string placedInFirstText(int count) {
  if (count <= 0) return std::string();
  if (count == 1) return "1 Karte ohne g\xFCltiges Fach wurde ins 1. Fach gelegt.";
  char text[96];
  std::snprintf(text, sizeof text, "%d Karten ohne g\xFCltiges Fach wurden ins 1. Fach gelegt.",
                count);
  return text;
}

// The columns the card file lacks, in words.
void reportMissingColumns(tTrmDB& db, const std::string& path, std::vector<std::string>* errors) {
  const std::pair<tFeld*, const char*> columns[] = {
      {&db.DEUTSCH, "DEUTSCH"}, {&db.UEBERSETZT, "UEBERSETZT"}, {&db.KASTEN, "KASTEN"},
      {&db.ALTER, "ALTER"},     {&db.GEWUSST, "GEWUSST"},       {&db.UNBEKANNT, "UNBEKANNT"}};
  for (const auto& column : columns) {
    if (column.first->index() < 0)
      errors->push_back(withPathAnd(kMissingColumn, path, column.second));
  }
}

namespace {

// The compartment letter of the current record as the screen shows it ('\0' for none).
char letterAt(tTrmDB& db, const tCardLayout& layout) {
  if (!layout.usable) {
    char text[2];
    copyText(db.KASTEN, text, sizeof text);
    return text[0];
  }
  const unsigned char c = db.recordBytes()[layout.letter];
  return c == ' ' || c == '\0' ? '\0' : oemCharToAnsi(static_cast<char>(c));
}

// The card of the current record; true when a text was cut.
bool readCardAt(tTrmDB& db, const tCardLayout& layout, tTermel* card) {
  if (!layout.usable) return readCard(db, card);
  const unsigned char* record = db.recordBytes();
  // Both texts are decoded, whichever was cut.
  const bool frontCut = decodeCardText(record + layout.front, card->front);
  const bool backCut = decodeCardText(record + layout.back, card->back);
  card->timesKnown = decodeCounter(record + layout.known, layout.knownWidth);
  card->timesUnknown = decodeCounter(record + layout.unknown, layout.unknownWidth);
  return frontCut || backCut;
}

// The compartment of each byte that may stand in a record's letter column, as letterAt
// and compartmentOfLetter read it; 0 for none. Made once: a load of a small box would
// otherwise spend a good part of its time on it.
const std::array<int8_t, 256>& compartmentsOfLetterBytes() {
  static const std::array<int8_t, 256> compartments = [] {
    std::array<int8_t, 256> table{};
    for (int c = 1; c < 256; ++c) {
      if (c == ' ') continue;
      const int n = compartmentOfLetter(oemCharToAnsi(static_cast<char>(c)));
      if (n >= 1 && n <= CardBox::kCompartments) table[c] = static_cast<int8_t>(n);
    }
    return table;
  }();
  return compartments;
}

// Takes the records of a card file of this program's own layout many at a time, read
// straight into where the sink keeps its cards. Returns the number of the first record
// not taken: one the file does not hold whole, or one that may be blank, from which the
// caller goes on record by record, so every fault is found and named as there.
template <typename Sink>
uint32_t takeOwnRecords(tTrmDB& db, Sink& sink, tFileReport* report) {
  const std::array<int8_t, 256> placeOf = sink.placesOf(compartmentsOfLetterBytes());
  std::vector<int8_t> places;
  uint32_t next = 0;
  while (next < db.recordCount()) {
    uint32_t room = 0;
    unsigned char* const run = sink.takeRun(db.recordCount() - next, &room);
    if (run == nullptr) break;
    if (places.size() < room) places.resize(room);
    const uint32_t read = db.readRecords(next, room, run);
    const tOwnRun decoded = decodeOwnRun(run, read, placeOf.data(), places.data());
    report->placedInFirst += sink.keepRun(run, decoded.kept, places.data());
    sink.endRun(room - decoded.kept);
    report->loaded += static_cast<int>(decoded.kept);
    report->deletedSkipped += static_cast<int>(decoded.deleted);
    report->longTexts += static_cast<int>(decoded.longTexts);
    next += decoded.taken;
    if (decoded.taken < room) break;
  }
  return next;
}

// Where the cards of a card file go: at(n) is the card to fill for compartment n, and
// keep(card, n) takes it there, false when n is refused.
template <typename Sink>
void takeCards(tTrmDB& db, Sink& sink, tFileReport* report) {
  const tCardLayout layout = layoutOf(db);
  const uint32_t first = layout.own ? takeOwnRecords(db, sink, report) : 0;
  for (uint32_t i = first; db.goTo(i) && !db.atEnd(); ++i) {
    if (db.isDeleted()) {
      ++report->deletedSkipped;
      continue;
    }
    const int n = compartmentOfLetter(letterAt(db, layout));
    tTermel* card = sink.at(n);
    if (readCardAt(db, layout, card)) ++report->longTexts;
    if (!sink.keep(*card, n)) {
      sink.keep(*card, 1);
      ++report->placedInFirst;
    }
    ++report->loaded;
  }
}

// Every card handed to a taker, built in a card of its own; runs of records are read
// into cards of the sink's own.
class tTakerSink {
 public:
  explicit tTakerSink(const tCardTaker& take) : take_(take) {}
  tTermel* at(int) { return &card_; }
  bool keep(const tTermel& card, int n) { return take_(card, n); }

  // Where keepRun is told a card goes: its compartment.
  static std::array<int8_t, 256> placesOf(const std::array<int8_t, 256>& compartments) {
    return compartments;
  }
  unsigned char* takeRun(uint32_t wanted, uint32_t* got) {
    if (run_.empty()) run_.resize(kRunRecords);
    *got = std::min<uint32_t>(wanted, kRunRecords);
    return reinterpret_cast<unsigned char*>(run_.data());
  }
  int keepRun(unsigned char* run, uint32_t count, const int8_t* compartments) {
    int refused = 0;
    for (uint32_t i = 0; i < count; ++i) {
      const tTermel& card = reinterpret_cast<tRecordCard*>(run)[i].card;
      if (take_(card, compartments[i])) continue;
      take_(card, 1);
      ++refused;
    }
    return refused;
  }
  void endRun(uint32_t) {}

 private:
  // A card where its record was read.
  struct tRecordCard {
    tTermel card;
    unsigned char rest[kOwnRecordBytes - sizeof(tTermel)];
  };
  static_assert(sizeof(tRecordCard) == kOwnRecordBytes, "one card per record");
  static constexpr uint32_t kRunRecords = 512;
  const tCardTaker& take_;
  tTermel card_;
  std::vector<tRecordCard> run_;
};

// Every card built in place at the end of its compartment of theCardBox; one with a
// compartment out of range is built in compartment 1. Runs of records are read
// straight into fresh card records of the box, where each is decoded in place.
class tBoxSink {
 public:
  tBoxSink() : into_(theCardBox) {}
  tTermel* at(int n) { return into_.add(n); }
  bool keep(const tTermel&, int n) const { return into_.valid(n); }

  // Where keepRun is told a card goes: the list of its compartment, as keepSlots takes it.
  std::array<int8_t, 256> placesOf(const std::array<int8_t, 256>& compartments) const {
    std::array<int8_t, 256> lists{};
    for (size_t c = 0; c < lists.size(); ++c) lists[c] = into_.listOf(compartments[c]);
    return lists;
  }
  unsigned char* takeRun(uint32_t wanted, uint32_t* got) {
    if (tTrmListe::kSlotBytes != kOwnRecordBytes) return nullptr;
    int32_t slots = 0;
    unsigned char* run =
        into_.takeSlots(static_cast<int32_t>(std::min<uint32_t>(wanted, INT32_MAX)), &slots);
    *got = static_cast<uint32_t>(slots);
    return run;
  }
  int keepRun(unsigned char* run, uint32_t count, const int8_t* lists) {
    return into_.keepSlots(run, static_cast<int32_t>(count), lists);
  }
  void endRun(uint32_t unused) { into_.returnSlots(static_cast<int32_t>(unused)); }

 private:
  CardBox::tBulkAppend into_;
};

template <typename Sink>
void readCards(const char* path, Sink& sink, tFileReport* report);

}  // namespace

void loadCardFile(const char* path, tFileReport* report) {
  tBoxSink sink;
  readCards(path, sink, report);
}

void readCardFile(const char* path, const tCardTaker& take, tFileReport* report) {
  tTakerSink sink(take);
  readCards(path, sink, report);
}

namespace {

template <typename Sink>
void readCards(const char* path, Sink& sink, tFileReport* report) {
  tFileReport local;
  if (report == nullptr) report = &local;
  const size_t errorsBefore = report->errors.size();
  const int loadedBefore = report->loaded;
  const std::string shown = path != nullptr ? path : "";
  tTrmDB db;
  // Stamped before it is read: a change made meanwhile is then taken for one made later.
  if (path != nullptr) report->stamp = tFileStamp::ofPath(path);
  errno = 0;
  report->opened = db.open(path, tDBF::tMode::kReadOnly);
  if (!report->opened) {
    const tTableFailure failure =
        db.failures().empty() ? tTableFailure{kDbfCannotOpen, errno} : db.failures()[0];
    report->errors.push_back(openErrorText(failure, shown));
    return;
  }
  // A dBASE table without either text column (a box file, another program's table)
  // holds no cards; reading it would show as many empty ones as it has records.
  if (db.DEUTSCH.index() < 0 && db.UEBERSETZT.index() < 0) {
    report->opened = false;
    report->errors.push_back(withPath(kNotABox, shown));
    return;
  }
  report->readOnly = isSaveProtected(path);
  report->foreignColumns = foreignColumnCount(db);
  reportMissingColumns(db, shown, &report->errors);
  const size_t failuresBeforeCards = db.failures().size();
  try {
    if (!fitsInMemory(recordsHeld(db, report->stamp))) throw std::bad_alloc();
    takeCards(db, sink, report);
  } catch (const std::bad_alloc&) {
    report->errors.push_back(withPath(kNoMemory, shown));
    report->lossyRewrite = true;
    return;
  }
  if (db.failures().size() > failuresBeforeCards) {
    const tTableFailure& failure = db.failures()[failuresBeforeCards];
    report->errors.push_back(
        failure.systemError == EIO
            ? withPathAndReason(kCannotRead, shown, EIO)
            : damagedText(shown, report->loaded - loadedBefore, db.recordCount()));
  }
  if (report->deletedSkipped > 0) {
    report->warnings.push_back(withPathAndCount(kDeletedSkipped, shown, report->deletedSkipped));
  }
  if (report->longTexts > 0) {
    report->warnings.push_back(withPathAndCount(kLongTexts, shown, report->longTexts));
  }
  report->lossyRewrite =
      report->errors.size() > errorsBefore || report->foreignColumns > 0 || report->longTexts > 0;
}

}  // namespace

bool saveCardFile(const char* path, tFileReport* report,
                  const std::vector<std::string>& alsoMadeFrom) {
  tFileReport local;
  if (report == nullptr) report = &local;
  if (path == nullptr || *path == '\0') {
    report->errors.push_back(kNoName);
    return false;
  }
  return saveCardFile(tBoxIdentity(path), report, nullptr, alsoMadeFrom);
}

bool saveCardFile(const tBoxIdentity& box, tFileReport* report, const tBoxLock* heldLock,
                  const std::vector<std::string>& alsoMadeFrom) {
  tFileReport local;
  if (report == nullptr) report = &local;
  if (box.empty()) {
    report->errors.push_back(kNoName);
    return false;
  }
  // A name the table code would refuse to open could be written, but never loaded.
  if (box.path().size() > tDBF::kMaxFileName) {
    report->errors.push_back(withPath(kNameTooLong, box.path()));
    return false;
  }
  // Never written without the box's lock: another program may be about to save it.
  tBoxLock ownLock;
  if (heldLock == nullptr || !heldLock->held()) {
    if (ownLock.acquire(box) != tLockState::kHeld) {
      report->errors.push_back(lockRefusalText(box, ownLock));
      return false;
    }
    heldLock = &ownLock;
  }
  removeStaleTempFiles(box, heldLock);
  // The versions of the file replaced, which the new one is made from, and of the new
  // one, hashed aside while the replaced file is read between the pieces written. The
  // replaced file is not read when this program wrote it and it is unchanged since.
  tHashThread hashes;
  tVersionReader replacedFile(box.realPath());
  tVersionId replaced;
  const bool replacedKnown = replacedFile.known(&replaced);
  const auto readReplaced = [&] {
    if (replacedKnown) return false;
    std::vector<unsigned char> piece = hashes.spare();
    if (!replacedFile.next(&piece)) return false;
    hashes.add(tHashThread::kReplaced, std::move(piece));
    return true;
  };
  const tPieceWritten written = [&](std::vector<unsigned char>* piece) {
    hashes.add(tHashThread::kWritten, std::move(*piece));
    *piece = hashes.spare();
    readReplaced();
  };
  tVersionId version;
  struct stat replacedStatus {};
  const bool linked = !box.linkedNames().empty() &&
                      sysCalls().fstatat(AT_FDCWD, box.realPath().c_str(), &replacedStatus, 0) == 0;
  keepBeforeSave(box, &report->warnings);
  tSaveTally tally;
  const bool saved = replaceFile(
      box.realPath(), tSafeReplace::tLinks::kFollow, report,
      [&](const std::string& temp) {
        return writeCardTable(temp, box.realPath(), &tally, written);
      },
      &report->stamp,
      [&](const std::string&) {
        while (readReplaced()) {
        }
        if (!replacedKnown) replaced = hashes.version(tHashThread::kReplaced);
        version = hashes.version(tHashThread::kWritten);
        recordNewVersion(box.keyPath(), version,
                         replacedKnown || replacedFile.whole() ? &replaced : nullptr, alsoMadeFrom,
                         &report->warnings);
      });
  if (!saved) return false;
  if (linked) relinkOtherNames(box, replacedStatus, report);
  struct stat savedStatus;
  if (sysCalls().fstatat(AT_FDCWD, box.realPath().c_str(), &savedStatus, 0) == 0) {
    tWrittenVersions::ofProcess().remember(savedStatus, version);
  }
  tFileStamp boxStamp;
  replaceFile(
      box.boxFile(), boxFileLinks(box), report,
      [&](const std::string& temp) {
        return writeTable<tKastenDB>(temp, box.boxFile(), createBoxTable, [&tally](tKastenDB& db) {
          return writeCompartments(db, tally);
        });
      },
      &boxStamp);
  pruneAfterSave(box, &report->warnings);
  return true;
}
