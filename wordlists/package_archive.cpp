#include "wordlists/package_archive.h"

#include <zip.h>
#include <zstd.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr const char* kCompressed = "collection.anki21b";
// The older forms, the preferred first.
constexpr const char* kPlain[] = {"collection.anki21", "collection.anki2"};
// Entries that describe the package rather than hold a media file.
constexpr const char* kBookkeeping[] = {"media", "meta"};

const char kDamaged[] =
    "Das Paket ist besch\xC3\xA4"
    "digt";
const char kTooLarge[] =
    "Die Sammlung im Paket ist gr\xC3\xB6\xC3\x9F"
    "er als 1 GB";

struct tZipCloser {
  void operator()(zip_t* archive) const { zip_discard(archive); }
};
struct tZipFileCloser {
  void operator()(zip_file_t* file) const { zip_fclose(file); }
};
struct tZstdFree {
  void operator()(ZSTD_DCtx* context) const { ZSTD_freeDCtx(context); }
};
using tZip = std::unique_ptr<zip_t, tZipCloser>;

bool isPasswordError(int code) {
  return code == ZIP_ER_NOPASSWD || code == ZIP_ER_WRONGPASSWD || code == ZIP_ER_ENCRNOTSUPP;
}

bool fail(std::string* error, const std::string& reason) {
  *error = reason;
  return false;
}

const char* passwordReason() {
  return "Das Paket ist mit einem Passwort gesch\xC3\xBCtzt";
}

// The archive over bytes, which must outlive it; nullptr with *error set when bytes
// are no zip archive.
tZip openZip(const std::string& bytes, std::string* error) {
  zip_error_t zipError;
  zip_error_init(&zipError);
  zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &zipError);
  zip_t* archive =
      source != nullptr ? zip_open_from_source(source, ZIP_RDONLY, &zipError) : nullptr;
  if (archive == nullptr) {
    const int code = zip_error_code_zip(&zipError);
    if (source != nullptr) zip_source_free(source);
    *error = code == ZIP_ER_NOZIP ? "Das Paket ist kein Zip-Archiv" : kDamaged;
  }
  zip_error_fini(&zipError);
  return tZip(archive);
}

// The entry's bytes, at most limit of them; false with *error set when it can't be read.
bool readEntry(zip_t* archive, zip_int64_t index, size_t limit, std::string* bytes,
               std::string* error) {
  zip_stat_t status;
  zip_stat_init(&status);
  if (zip_stat_index(archive, static_cast<zip_uint64_t>(index), 0, &status) != 0) {
    return fail(error, kDamaged);
  }
  if ((status.valid & ZIP_STAT_ENCRYPTION_METHOD) != 0 && status.encryption_method != ZIP_EM_NONE) {
    return fail(error, passwordReason());
  }
  std::unique_ptr<zip_file_t, tZipFileCloser> file(
      zip_fopen_index(archive, static_cast<zip_uint64_t>(index), 0));
  if (!file) {
    return fail(error, isPasswordError(zip_error_code_zip(zip_get_error(archive)))
                           ? passwordReason()
                           : kDamaged);
  }
  std::vector<char> chunk(1 << 16);
  for (;;) {
    const zip_int64_t n = zip_fread(file.get(), chunk.data(), chunk.size());
    if (n < 0) return fail(error, kDamaged);
    if (n == 0) return true;
    if (bytes->size() + static_cast<size_t>(n) > limit) return fail(error, kTooLarge);
    bytes->append(chunk.data(), static_cast<size_t>(n));
  }
}

// The zstd frames of compressed, uncompressed into *plain, at most limit bytes.
bool decompress(const std::string& compressed, size_t limit, std::string* plain,
                std::string* error) {
  std::unique_ptr<ZSTD_DCtx, tZstdFree> context(ZSTD_createDCtx());
  if (!context) return fail(error, kTooLarge);
  ZSTD_inBuffer input = {compressed.data(), compressed.size(), 0};
  std::vector<char> chunk(ZSTD_DStreamOutSize());
  size_t pending = 1;  // not 0 while a frame is unfinished
  while (input.pos < input.size || pending != 0) {
    const size_t before = input.pos;
    ZSTD_outBuffer output = {chunk.data(), chunk.size(), 0};
    pending = ZSTD_decompressStream(context.get(), &output, &input);
    if (ZSTD_isError(pending)) return fail(error, kDamaged);
    if (plain->size() + output.pos > limit) return fail(error, kTooLarge);
    plain->append(chunk.data(), output.pos);
    // Input used up in the middle of a frame: the file was cut short.
    if (output.pos == 0 && input.pos == before) return fail(error, kDamaged);
  }
  return true;
}

bool named(const char* name, const char* const* names, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    if (std::strcmp(name, names[i]) == 0) return true;
  }
  return false;
}

// Whether the "meta" entry says the package is of the newest form, whose collection
// is the compressed one. It holds one small number in protocol-buffer form: field 1,
// the package version, where 3 is the newest.
bool metaNamesNewestForm(zip_t* archive, std::string* error) {
  const zip_int64_t index = zip_name_locate(archive, "meta", 0);
  std::string meta;
  if (index < 0 || !readEntry(archive, index, 64, &meta, error)) return false;
  return meta.size() >= 2 && meta[0] == '\x08' && static_cast<unsigned char>(meta[1]) >= 3;
}

int countMediaFiles(zip_t* archive) {
  const zip_int64_t entries = zip_get_num_entries(archive, 0);
  int media = 0;
  for (zip_int64_t i = 0; i < entries; ++i) {
    const char* name = zip_get_name(archive, static_cast<zip_uint64_t>(i), 0);
    if (name == nullptr || std::strncmp(name, "collection.", 11) == 0) continue;
    if (!named(name, kBookkeeping, sizeof kBookkeeping / sizeof kBookkeeping[0])) ++media;
  }
  return media;
}

}  // namespace

bool readPackageArchive(const std::string& bytes, tPackageContents* contents, std::string* error) {
  const tZip archive = openZip(bytes, error);
  if (!archive) return false;
  contents->mediaFiles = countMediaFiles(archive.get());
  const zip_int64_t compressed = zip_name_locate(archive.get(), kCompressed, 0);
  if (compressed >= 0) {
    std::string packed;
    return readEntry(archive.get(), compressed, kLargestCollection, &packed, error) &&
           decompress(packed, kLargestCollection, &contents->collection, error);
  }
  std::string metaError;
  if (metaNamesNewestForm(archive.get(), &metaError)) {
    return fail(error, "Das Paket enth\xC3\xA4lt nur einen Platzhalter, die Sammlung selbst fehlt");
  }
  for (const char* name : kPlain) {
    const zip_int64_t index = zip_name_locate(archive.get(), name, 0);
    if (index >= 0)
      return readEntry(archive.get(), index, kLargestCollection, &contents->collection, error);
  }
  return fail(error, "Das Paket enth\xC3\xA4lt keine Sammlung");
}
