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
#include "wordlists/text_lines.h"
#include "wordlists/tsv_format.h"

namespace {

const char kByteOrderMark[] = "\xEF\xBB\xBF";
// Enough of a file to tell how its lines are separated.
constexpr size_t kHeadSize = 1 << 16;

bool hasExtension(const char* path, const char* extension) {
  const size_t length = std::strlen(path), extensionLength = std::strlen(extension);
  return length > extensionLength && strcasecmp(path + length - extensionLength, extension) == 0;
}

// The first bytes of a regular file, enough to hold a few header lines and the
// first lines of a list; false when it cannot be read.
bool readHead(const char* path, std::string* head) {
  std::FILE* in = openRegularFile(path);
  if (in == nullptr) return false;
  char bytes[kHeadSize];
  const size_t n = std::fread(bytes, 1, sizeof bytes, in);
  const bool ok = std::ferror(in) == 0;
  std::fclose(in);
  head->assign(bytes, n);
  return ok;
}

// The head of a file as UTF-8 without byte-order mark, as far as it tells.
std::string headText(const std::string& head) {
  std::string utf8;
  if (tUtf16Decoder::startsWithMark(head.data(), head.size())) {
    tUtf16Decoder decoder;
    decoder.feed(head.data(), head.size(), &utf8);
    return utf8;
  }
  return head.compare(0, 3, kByteOrderMark) == 0 ? head.substr(3) : head;
}

// The rest of in, whole.
bool readAll(std::FILE* in, std::string* bytes) {
  char chunk[65536];
  for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, in)) > 0;) bytes->append(chunk, n);
  return std::ferror(in) == 0;
}

// Streams a KVTML file into intake; the reader may start over from the beginning.
void importKvtmlStream(std::FILE* in, tCardIntake* intake) {
  importKvtml(
      [in]() -> tByteSource {
        if (std::fseek(in, 0, SEEK_SET) != 0) return [](char*, size_t) { return -1L; };
        return [in](char* buffer, size_t size) {
          const size_t n = std::fread(buffer, 1, size, in);
          return n == 0 && std::ferror(in) != 0 ? -1L : static_cast<long>(n);
        };
      },
      intake);
}

// The name of the file without directory and extension, as a title inside it.
std::string titleOf(const char* path) {
  std::string name = path;
  name.erase(0, name.rfind('/') + 1);
  name.erase(std::min(name.size(), name.rfind('.')));
  return isValidUtf8(name) && !name.empty() ? name : "termel";
}

// How a .txt file is read: the flashcard program's export (which it names .txt by
// default) and lists of spreadsheets and other programs as tab-separated text.
enum class tTextKind { kSemicolons, kFlashcardExport, kTabs };

tTextKind textKindOf(const char* path) {
  std::string head;
  if (!readHead(path, &head)) return tTextKind::kSemicolons;
  if (textIsFlashcardExport(head)) return tTextKind::kFlashcardExport;
  return textIsTabSeparated(head) ? tTextKind::kTabs : tTextKind::kSemicolons;
}

// Imports the CSV or tab-separated file path (tabs: a .txt file of tab-separated
// lines), streaming it line by line.
void importDelimitedFile(std::FILE* in, tWordListFormat format, bool tabs,
                         const tWordListOptions& options, tCardIntake* intake,
                         tImportResult* result) {
  tDecidedStream decided;
  if (!decideEncoding(in, &decided)) {
    result->readFailed = true;
  } else {
    tTextLines lines(decided.file, decided.utf8);
    if (format == tWordListFormat::kCsv) {
      importCsv(&lines, options.firstLineNamesColumns, intake);
    } else {
      importTsv(&lines, options.firstLineNamesColumns, intake);
    }
    if (tabs) intake->separatorFound('\t');
    result->readFailed = lines.failed();
  }
  if (decided.isCopy) std::fclose(decided.file);
}

}  // namespace

bool textIsFlashcardExport(const std::string& head) {
  return tsvHasHeaderLines(headText(head));
}

bool textIsTabSeparated(const std::string& head) {
  const std::string utf8 = headText(head);
  // The last line may be cut off in the head; it still tells.
  return utf8.find('\t') != std::string::npos && utf8.find(';') == std::string::npos;
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
  const tWordListFormat format = wordListFormatOf(path);
  if (format == tWordListFormat::kCsv) return true;
  if (format == tWordListFormat::kKvtml || format == tWordListFormat::kPackage) return false;
  std::string head;
  if (!readHead(path, &head)) return format == tWordListFormat::kTsv;
  if (format == tWordListFormat::kText && !textIsTabSeparated(head)) return false;
  return !textIsFlashcardExport(head);
}

tImportResult importWordList(const char* path, const tWordListOptions& options,
                             const tWordListReporter& report) {
  tWordListFormat format = wordListFormatOf(path);
  bool tabs = false;
  if (format == tWordListFormat::kText) {
    const tTextKind kind = textKindOf(path);
    if (kind == tTextKind::kSemicolons) return importTextFile(path, report);
    format = tWordListFormat::kTsv;
    tabs = kind == tTextKind::kTabs;
  }
  tImportResult result;
  std::FILE* in = openRegularFile(path);
  if (in == nullptr) return result;
  result.opened = true;
  tCardIntake intake(report, &result);
  if (format == tWordListFormat::kKvtml) {
    importKvtmlStream(in, &intake);
  } else if (format == tWordListFormat::kPackage) {
    std::string bytes;
    result.notes = true;
    result.readFailed = !readAll(in, &bytes);
    if (!result.readFailed) importPackage(bytes, &intake);
  } else {
    importDelimitedFile(in, format, tabs, options, &intake, &result);
  }
  std::fclose(in);
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
