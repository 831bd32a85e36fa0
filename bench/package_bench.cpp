// Import of a flashcard package of 10,000 notes into an empty box, from the file as a
// learner's import reads it. The package is made here with SQLite and libzip: an
// older-form collection whose notes carry HTML, a recording and reviewed cards of
// every interval. Reports the time per note ("per_note").
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>
#include <unistd.h>
#include <zip.h>

#include <cstdio>
#include <string>

#include "box/card_box.h"
#include "wordlists/word_list_format.h"

namespace {

constexpr int kNotes = 10000;

const char kSchema[] =
    "CREATE TABLE col (id INTEGER PRIMARY KEY, models TEXT NOT NULL);"
    "CREATE TABLE notes (id INTEGER PRIMARY KEY, mid INTEGER NOT NULL, flds TEXT NOT NULL);"
    "CREATE TABLE cards (id INTEGER PRIMARY KEY, nid INTEGER NOT NULL, ord INTEGER NOT NULL,"
    " type INTEGER NOT NULL, ivl INTEGER NOT NULL, reps INTEGER NOT NULL,"
    " lapses INTEGER NOT NULL);"
    "CREATE INDEX ix_cards_nid ON cards (nid);"
    "INSERT INTO col VALUES (1, '{\"1\": {\"name\": \"Vokabeln\", \"type\": 0, \"flds\": "
    "[{\"name\": \"Deutsch\", \"ord\": 0}, {\"name\": \"Englisch\", \"ord\": 1}]}}');";

// The collection as the bytes of an SQLite database file.
std::string collection() {
  sqlite3* db = nullptr;
  sqlite3_open(":memory:", &db);
  sqlite3_exec(db, kSchema, nullptr, nullptr, nullptr);
  sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
  sqlite3_stmt* note = nullptr;
  sqlite3_stmt* card = nullptr;
  sqlite3_prepare_v2(db, "INSERT INTO notes VALUES (?1, 1, ?2)", -1, &note, nullptr);
  sqlite3_prepare_v2(db, "INSERT INTO cards VALUES (?1, ?1, 0, ?2, ?3, ?4, ?5)", -1, &card,
                     nullptr);
  for (int i = 1; i <= kNotes; ++i) {
    const std::string fields = "<b>Haus&nbsp;" + std::to_string(i) +
                               "</b>[sound:haus.mp3]\x1fhouse <i>" + std::to_string(i) + "</i>";
    sqlite3_bind_int(note, 1, i);
    sqlite3_bind_text(note, 2, fields.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_step(note);
    sqlite3_reset(note);
    sqlite3_bind_int(card, 1, i);
    sqlite3_bind_int(card, 2, i % 3 == 0 ? 0 : 2);
    sqlite3_bind_int(card, 3, i % 90);
    sqlite3_bind_int(card, 4, i % 12);
    sqlite3_bind_int(card, 5, i % 4);
    sqlite3_step(card);
    sqlite3_reset(card);
  }
  sqlite3_finalize(note);
  sqlite3_finalize(card);
  sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
  sqlite3_int64 size = 0;
  unsigned char* data = sqlite3_serialize(db, "main", &size, 0);
  std::string bytes(reinterpret_cast<char*>(data), static_cast<size_t>(size));
  sqlite3_free(data);
  sqlite3_close(db);
  return bytes;
}

// A package at path holding the collection.
bool writePackage(const std::string& path) {
  const std::string database = collection();
  int error = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  if (archive == nullptr) return false;
  zip_source_t* source = zip_source_buffer(archive, database.data(), database.size(), 0);
  if (zip_file_add(archive, "collection.anki2", source, 0) < 0) {
    zip_source_free(source);
    zip_discard(archive);
    return false;
  }
  zip_source_t* media = zip_source_buffer(archive, "{}", 2, 0);
  zip_file_add(archive, "media", media, 0);
  return zip_close(archive) == 0;
}

void BM_ImportPackage(benchmark::State& state) {
  char dir[] = "/tmp/termel-bench-XXXXXX";
  if (mkdtemp(dir) == nullptr) {
    state.SkipWithError("no scratch directory");
    return;
  }
  const std::string path = std::string(dir) + "/vokabeln.apkg";
  if (!writePackage(path)) {
    state.SkipWithError("package not written");
    rmdir(dir);
    return;
  }
  for (auto _ : state) {
    theCardBox.clearAll();
    const tImportResult result = importWordList(path.c_str(), tWordListOptions(), nullptr);
    if (result.added != kNotes) state.SkipWithError("not every note became a card");
  }
  state.counters["per_note"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * kNotes,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  theCardBox.clearAll();
  std::remove(path.c_str());
  rmdir(dir);
}
BENCHMARK(BM_ImportPackage)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
