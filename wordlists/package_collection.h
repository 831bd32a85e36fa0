// The notes of a flashcard collection, an SQLite database taken from a package. Older
// collections describe their note types as JSON in col.models, newer ones in the
// tables notetypes and fields; notes.flds holds a note's fields parted by 0x1f; the
// cards of a note carry the learner's progress.
//
// The database is opened from memory, read-only, and only ever asked SELECTs over
// its tables: views, triggers and anything its schema might run are refused.
#ifndef TERMEL_WORDLISTS_PACKAGE_COLLECTION_H_
#define TERMEL_WORDLISTS_PACKAGE_COLLECTION_H_

#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct tNoteType {
  std::vector<std::string> fieldNames;  // in the order of the fields
  bool cloze = false;
};

struct tPackageNote {
  int64_t id = 0;
  int64_t type = 0;                 // key of its tNoteType
  std::vector<std::string> fields;  // HTML, UTF-8
  // The progress of its first card (that of the note type's first template).
  bool reviewed = false;  // false for a new card or a note without card
  int64_t interval = 0;   // days; negative: seconds, for a card still being learnt
  int32_t reviews = 0;
  int32_t lapses = 0;
};

struct tPackageCollection {
  std::map<int64_t, tNoteType> types;
  std::vector<tPackageNote> notes;  // in the order they were made
};

// Reads every note of the database in *database (which it may not change, and must
// keep); false with the reason in *error (UTF-8, German) for one that is not SQLite
// or not a collection, or is damaged.
bool readPackageCollection(std::string* database, tPackageCollection* collection,
                           std::string* error);

#endif  // TERMEL_WORDLISTS_PACKAGE_COLLECTION_H_
