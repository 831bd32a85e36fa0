#include "wordlists/package_collection.h"

#include <sqlite3.h>

#include <cstring>
#include <memory>

namespace {

const char kSqliteHeader[] = "SQLite format 3";  // with its '\0', the first 16 bytes
constexpr size_t kHeaderSize = 100;

// The note types of a newer collection: fields in their own table, and the kind of
// the type (1 for cloze) as the first field of its protocol-buffer configuration.
const char kNewTypes[] =
    "SELECT ntid, name, (SELECT substr(config, 1, 2) = x'0801' FROM notetypes WHERE id = ntid) "
    "FROM fields ORDER BY ntid, ord";
// Those of an older one are JSON in col.models, read by SQLite's JSON functions in a
// database of its own, so the package's database is only ever asked for its tables.
const char kOldTypesJson[] = "SELECT models FROM col";
const char kOldTypes[] =
    "SELECT CAST(m.key AS INTEGER), json_extract(f.value, '$.name'), "
    "ifnull(json_extract(m.value, '$.type'), 0) = 1 "
    "FROM json_each(?1) AS m, json_each(m.value, '$.flds') AS f "
    "ORDER BY 1, ifnull(json_extract(f.value, '$.ord'), f.key)";
// Each note with its first card: type 0 is a new card.
const char kNotes[] =
    "SELECT n.id, n.mid, n.flds, c.type, c.ivl, c.reps, c.lapses FROM notes AS n "
    "LEFT JOIN (SELECT nid, type, ivl, reps, lapses, min(ord) FROM cards GROUP BY nid) AS c "
    "ON c.nid = n.id ORDER BY n.id";
const char kHasFieldsTable[] =
    "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = 'fields'";

struct tDatabaseCloser {
  void operator()(sqlite3* db) const { sqlite3_close(db); }
};
struct tStatementCloser {
  void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using tDatabase = std::unique_ptr<sqlite3, tDatabaseCloser>;
using tStatement = std::unique_ptr<sqlite3_stmt, tStatementCloser>;

// Lets statements read and compute, nothing else: no writes, no pragmas, no attached
// files, whatever the database's schema asks for.
int onlyReading(void*, int action, const char*, const char*, const char*, const char*) {
  return action == SQLITE_SELECT || action == SQLITE_READ || action == SQLITE_FUNCTION
             ? SQLITE_OK
             : SQLITE_DENY;
}

bool fail(std::string* error, const std::string& reason) {
  *error = reason;
  return false;
}

bool damaged(sqlite3* db, std::string* error) {
  return fail(error,
              std::string("Die Sammlung im Paket ist nicht lesbar (") + sqlite3_errmsg(db) + ")");
}

tDatabase openEmpty(std::string* error) {
  sqlite3* opened = nullptr;
  const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_MEMORY | SQLITE_OPEN_NOMUTEX;
  tDatabase db(sqlite3_open_v2(":memory:", &opened, flags, nullptr) == SQLITE_OK ? opened
                                                                                 : nullptr);
  if (!db) {
    sqlite3_close(opened);
    fail(error, "Die Sammlung im Paket ist nicht lesbar");
  }
  return db;
}

// The database in bytes, opened read-only from memory, without views and triggers.
tDatabase openDatabase(std::string* bytes, std::string* error) {
  tDatabase db = openEmpty(error);
  if (!db) return db;
  sqlite3_db_config(db.get(), SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
  sqlite3_db_config(db.get(), SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
  sqlite3_db_config(db.get(), SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, nullptr);
  sqlite3_db_config(db.get(), SQLITE_DBCONFIG_ENABLE_VIEW, 0, nullptr);
  // A database last written in write-ahead-log mode says so in bytes 18 and 19 of
  // its header; read from memory, it has no log, and must be taken as a plain one.
  for (const size_t at : {18, 19}) {
    if ((*bytes)[at] == 2) (*bytes)[at] = 1;
  }
  auto* data = reinterpret_cast<unsigned char*>(&(*bytes)[0]);
  const auto size = static_cast<sqlite3_int64>(bytes->size());
  if (sqlite3_deserialize(db.get(), "main", data, size, size, SQLITE_DESERIALIZE_READONLY) !=
      SQLITE_OK) {
    damaged(db.get(), error);
    db.reset();
    return db;
  }
  sqlite3_set_authorizer(db.get(), onlyReading, nullptr);
  return db;
}

tStatement prepare(sqlite3* db, const char* sql) {
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK) {
    sqlite3_finalize(statement);
    statement = nullptr;
  }
  return tStatement(statement);
}

std::string textColumn(sqlite3_stmt* statement, int column) {
  const unsigned char* text = sqlite3_column_text(statement, column);
  return text != nullptr ? std::string(reinterpret_cast<const char*>(text),
                                       static_cast<size_t>(sqlite3_column_bytes(statement, column)))
                         : std::string();
}

// Runs sql, with parameter ?1 bound to text where given, and hands each row to take;
// false with *error set when it fails.
template <typename tTake>
bool eachRow(sqlite3* db, const char* sql, std::string* error, tTake take,
             const std::string* text = nullptr) {
  const tStatement statement = prepare(db, sql);
  if (!statement) return damaged(db, error);
  if (text != nullptr) {
    sqlite3_bind_text(statement.get(), 1, text->data(), static_cast<int>(text->size()),
                      SQLITE_STATIC);
  }
  int step;
  while ((step = sqlite3_step(statement.get())) == SQLITE_ROW) take(statement.get());
  return step == SQLITE_DONE || damaged(db, error);
}

bool readTypes(sqlite3* db, tPackageCollection* collection, std::string* error) {
  bool newer = false;
  if (!eachRow(db, kHasFieldsTable, error,
               [&newer](sqlite3_stmt* row) { newer = sqlite3_column_int(row, 0) > 0; })) {
    return false;
  }
  const auto take = [collection](sqlite3_stmt* row) {
    tNoteType& type = collection->types[sqlite3_column_int64(row, 0)];
    type.fieldNames.push_back(textColumn(row, 1));
    type.cloze = sqlite3_column_int(row, 2) != 0;
  };
  if (newer) return eachRow(db, kNewTypes, error, take);
  std::string models;
  if (!eachRow(db, kOldTypesJson, error,
               [&models](sqlite3_stmt* row) { models = textColumn(row, 0); })) {
    return false;
  }
  const tDatabase json = openEmpty(error);
  return json && eachRow(json.get(), kOldTypes, error, take, &models);
}

std::vector<std::string> fieldsOf(const std::string& flds) {
  std::vector<std::string> fields;
  size_t start = 0;
  for (size_t end; (end = flds.find('\x1f', start)) != std::string::npos; start = end + 1) {
    fields.push_back(flds.substr(start, end - start));
  }
  fields.push_back(flds.substr(start));
  return fields;
}

void takeNote(sqlite3_stmt* row, tPackageCollection* collection) {
  tPackageNote note;
  note.id = sqlite3_column_int64(row, 0);
  note.type = sqlite3_column_int64(row, 1);
  note.fields = fieldsOf(textColumn(row, 2));
  note.reviewed = sqlite3_column_type(row, 3) != SQLITE_NULL && sqlite3_column_int(row, 3) != 0;
  note.interval = sqlite3_column_int64(row, 4);
  note.reviews = sqlite3_column_int(row, 5);
  note.lapses = sqlite3_column_int(row, 6);
  collection->notes.push_back(std::move(note));
}

}  // namespace

bool readPackageCollection(std::string* database, tPackageCollection* collection,
                           std::string* error) {
  if (database->size() < kHeaderSize ||
      std::memcmp(database->data(), kSqliteHeader, sizeof kSqliteHeader) != 0) {
    return fail(error, "Die Sammlung im Paket ist keine SQLite-Datenbank");
  }
  const tDatabase db = openDatabase(database, error);
  if (!db) return false;
  return readTypes(db.get(), collection, error) &&
         eachRow(db.get(), kNotes, error,
                 [collection](sqlite3_stmt* row) { takeNote(row, collection); });
}
