#include "wordlists/word_list_format.h"

#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

#include "storage/safe_replace.h"
#include "storage/text_encoding.h"
#include "wordlists/csv_format.h"
#include "wordlists/kvtml_format.h"
#include "wordlists/package_format.h"
#include "wordlists/stream_decoding.h"
#include "wordlists/tsv_format.h"

namespace {

const char kByteOrderMark[] = "\xEF\xBB\xBF";

bool hasExtension(const char* path, const char* extension) {
  const size_t length = std::strlen(path), extensionLength = std::strlen(extension);
  return length > extensionLength && strcasecmp(path + length - extensionLength, extension) == 0;
}

// A regular file opened for reading, or -1; anything else (a directory, a pipe) would
// never end or mean nothing as a word list.
int openRegularFile(const char* path) {
  const int fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return -1;
  struct stat status;
  if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode)) return fd;
  ::close(fd);
  return -1;
}

long readSome(int fd, char* buffer, size_t size) {
  ssize_t n;
  do {
    n = ::read(fd, buffer, size);
  } while (n < 0 && errno == EINTR);
  return static_cast<long>(n);
}

// Reads a regular file whole.
bool readRegularFile(const char* path, std::string* bytes) {
  const int fd = openRegularFile(path);
  if (fd < 0) return false;
  char chunk[65536];
  long n;
  while ((n = readSome(fd, chunk, sizeof chunk)) > 0) bytes->append(chunk, static_cast<size_t>(n));
  ::close(fd);
  return n == 0;
}

// Streams a KVTML file into intake; false when it can't be opened.
bool importKvtmlFile(const char* path, tCardIntake* intake) {
  const int fd = openRegularFile(path);
  if (fd < 0) return false;
  importKvtml(
      [fd]() -> tByteSource {
        if (::lseek(fd, 0, SEEK_SET) != 0) return [](char*, size_t) { return -1L; };
        return [fd](char* buffer, size_t size) { return readSome(fd, buffer, size); };
      },
      intake);
  ::close(fd);
  return true;
}

// The first bytes of a regular file, enough to hold a few header lines.
bool readHead(const char* path, std::string* head) {
  const int fd = openRegularFile(path);
  if (fd < 0) return false;
  char bytes[4096];
  const long n = readSome(fd, bytes, sizeof bytes);
  ::close(fd);
  if (n < 0) return false;
  head->assign(bytes, static_cast<size_t>(n));
  return true;
}

// The name of the file without directory and extension, as a title inside it.
std::string titleOf(const char* path) {
  std::string name = path;
  name.erase(0, name.rfind('/') + 1);
  name.erase(std::min(name.size(), name.rfind('.')));
  return isValidUtf8(name) && !name.empty() ? name : "termel";
}

// A .txt file that opens with a flashcard program's header lines is that program's
// tab-separated export, which it names .txt by default.
bool isFlashcardExport(const char* path) {
  std::string head;
  return readHead(path, &head) && textIsFlashcardExport(head);
}

}  // namespace

bool textIsFlashcardExport(const std::string& head) {
  std::string utf8;
  if (tUtf16Decoder::startsWithMark(head.data(), head.size())) {
    tUtf16Decoder decoder;
    decoder.feed(head.data(), head.size(), &utf8);
  } else {
    utf8 = head.compare(0, 3, kByteOrderMark) == 0 ? head.substr(3) : head;
  }
  return tsvHasHeaderLines(utf8);
}

std::string wordListText(std::string bytes) {
  // Text files come as UTF-8, as UTF-16 from spreadsheets' "Unicode text", or as code
  // page 1252 from older Windows programs.
  std::string utf8;
  if (utf16ToUtf8(bytes, &utf8)) return utf8;
  if (!isValidUtf8(bytes)) return cp1252ToUtf8(bytes);
  if (bytes.compare(0, 3, kByteOrderMark) == 0) bytes.erase(0, 3);
  return bytes;
}

tWordListFormat wordListFormatOf(const char* path) {
  if (hasExtension(path, ".csv")) return tWordListFormat::kCsv;
  if (hasExtension(path, ".tsv")) return tWordListFormat::kTsv;
  if (hasExtension(path, ".kvtml")) return tWordListFormat::kKvtml;
  if (hasExtension(path, ".apkg") || hasExtension(path, ".colpkg"))
    return tWordListFormat::kPackage;
  return tWordListFormat::kText;
}

const char* wordListFileFilter() {
  return "Textdateien (*.txt)|*.txt|"
         "CSV-Dateien (*.csv)|*.csv|"
         "Tabulatorgetrennt (*.tsv)|*.tsv|"
         "KVTML-Dateien (*.kvtml)|*.kvtml|"
         "Alle (*.*)|*.*";
}

const char* wordListImportFilter() {
  return "Textdateien (*.txt)|*.txt|"
         "CSV-Dateien (*.csv)|*.csv|"
         "Tabulatorgetrennt (*.tsv)|*.tsv|"
         "KVTML-Dateien (*.kvtml)|*.kvtml|"
         "Karteikarten-Pakete (*.apkg;*.colpkg)|*.apkg;*.colpkg|"
         "Alle (*.*)|*.*";
}

bool firstLineMayNameColumns(const char* path) {
  switch (wordListFormatOf(path)) {
    case tWordListFormat::kCsv:
      return true;
    case tWordListFormat::kTsv: {
      std::string bytes;
      return !readRegularFile(path, &bytes) || !tsvHasHeaderLines(wordListText(std::move(bytes)));
    }
    default:
      return false;
  }
}

tImportResult importWordList(const char* path, const tWordListOptions& options,
                             const tWordListReporter& report) {
  tWordListFormat format = wordListFormatOf(path);
  if (format == tWordListFormat::kText) {
    if (!isFlashcardExport(path)) return importTextFile(path, report);
    format = tWordListFormat::kTsv;
  }
  tImportResult result;
  if (format == tWordListFormat::kKvtml) {
    tCardIntake intake(report, &result);
    result.opened = importKvtmlFile(path, &intake);
    return result;
  }
  std::string bytes;
  if (!readRegularFile(path, &bytes)) return result;
  result.opened = true;
  if (format == tWordListFormat::kPackage) {
    tCardIntake intake(report, &result);
    result.notes = true;
    importPackage(bytes, &intake);
    return result;
  }
  const std::string text = wordListText(std::move(bytes));
  tCardIntake intake(report, &result);
  if (format == tWordListFormat::kCsv) {
    importCsv(text, options.firstLineNamesColumns, &intake);
  } else {
    importTsv(text, options.firstLineNamesColumns, &intake);
  }
  return result;
}

bool exportWordList(const char* path, const tWordListOptions& options) {
  switch (wordListFormatOf(path)) {
    case tWordListFormat::kCsv:
      return writeFileReplacing(path, csvFromBox());
    case tWordListFormat::kTsv:
      return writeFileReplacing(path, tsvFromBox());
    case tWordListFormat::kKvtml:
      return writeFileReplacing(path, kvtmlFromBox(titleOf(path), options.translationLocale));
    case tWordListFormat::kPackage:
      errno = ENOTSUP;
      return false;
    case tWordListFormat::kText:
      break;
  }
  return exportTextFile(path, options.utf8);
}
