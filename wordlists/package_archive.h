// The zip archive of a flashcard package (.apkg, .colpkg) and the SQLite collection
// inside it. Packages hold the collection as "collection.anki2" or ".anki21"; newer
// ones as ".anki21b", compressed with zstd, beside a ".anki2" that is only a
// placeholder asking for a newer program, which the "meta" entry tells. Every other
// entry but "media" and "meta" is a media file (a picture, a recording), which is
// counted and never extracted.
#ifndef TERMEL_WORDLISTS_PACKAGE_ARCHIVE_H_
#define TERMEL_WORDLISTS_PACKAGE_ARCHIVE_H_

#include <cstddef>
#include <string>

struct tPackageContents {
  std::string collection;  // the SQLite database file, uncompressed
  int mediaFiles = 0;
};

// A collection larger than this is refused rather than held in memory.
constexpr size_t kLargestCollection = size_t{1} << 30;

// Takes the collection out of the package's bytes, the newest form it holds. False,
// with the reason in *error (UTF-8, German), for an archive that isn't a zip, is
// damaged or protected by a password, or holds no collection or only the placeholder.
bool readPackageArchive(const std::string& bytes, tPackageContents* contents, std::string* error);

#endif  // TERMEL_WORDLISTS_PACKAGE_ARCHIVE_H_
