// The record of the versions a box was saved in, kept beside its card file so a sync
// tool carries it to every computer along with the box: ".NAME.trm.versions", one line
// per save,
//   HASH SIZE PARENTS TIME HOST
// HASH is the SHA-256 of the saved card file's bytes (64 hexadecimal digits), SIZE its
// length, PARENTS the hashes of the versions it was made from, separated by commas
// ("-" for none): the version it replaced and, for a merge, every version merged into
// it. TIME (seconds since 1970 by that computer's clock) and HOST are for people
// reading the file; nothing compares them, so a computer whose clock is off does no
// harm.
//
// Lines are only ever appended. When both computers saved while apart, the sync tool
// leaves a conflict copy of the record as well; what counts is the union of the
// record and all its conflict copies, so the versions of both sides are known. Two
// diverged card files then show the last version both were made from, and only that
// version's kept file (found by its hash) can tell a card deleted on one side from one
// added on the other. Lines that cannot be read (one cut short by a kill) are skipped.
//
// Every system call goes through storage/sys_calls.h, like those of the save itself.
#ifndef TERMEL_KARTEI_VERSION_RECORD_H_
#define TERMEL_KARTEI_VERSION_RECORD_H_

#include <sys/stat.h>

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

struct sha256_ctx;

// One version of a card file: the hash of its bytes and their number.
struct tVersionId {
  std::string hash;  // 64 hexadecimal digits
  int64_t size = 0;
};

// The version of the regular file at path; false when it is missing or cannot be read.
bool versionOfFile(const std::string& path, tVersionId* version);

// The version of bytes handed over piece by piece: a save learns the version of the
// file it writes from the bytes as they go out, without reading the file back.
class tVersionHash {
 public:
  tVersionHash();
  ~tVersionHash();
  tVersionHash(const tVersionHash&) = delete;
  tVersionHash& operator=(const tVersionHash&) = delete;
  void add(const void* data, size_t size);
  // The version of all bytes added so far.
  tVersionId version() const;

 private:
  std::unique_ptr<sha256_ctx> context_;
  int64_t size_ = 0;
};

// A regular file read piece by piece, for a caller that hashes the pieces where it
// likes: a save reads the file it replaces between the pieces it writes.
class tVersionReader {
 public:
  explicit tVersionReader(const std::string& path);
  ~tVersionReader();
  tVersionReader(const tVersionReader&) = delete;
  tVersionReader& operator=(const tVersionReader&) = delete;
  // The version of the file opened, without reading it, when this program wrote or read
  // it and it is unchanged since (kartei/written_versions.h).
  bool known(tVersionId* version);
  // After the whole file was read: remembers that it is of version, unless it was
  // changed while it was read.
  void remember(const tVersionId& version) const;
  // The next piece of the file into *piece; false once the file is read or unreadable.
  bool next(std::vector<unsigned char>* piece);
  // After next() has returned false: whether the whole file was read.
  bool whole() const { return whole_; }

 private:
  std::string path_;
  int fd_;
  bool whole_ = false;
  bool stamped_ = false;  // opened_ holds what fstat told when known() looked
  struct stat opened_ {};
};

class tVersionRecord {
 public:
  // The record file of the box whose card file cardPath really names (links followed):
  // ".NAME.versions" beside that file, NAME its name with extension.
  static std::string fileOf(const std::string& cardPath);
  // The record of cardPath's box together with every conflict copy of it beside.
  static tVersionRecord read(const std::string& cardPath);
  // Appends the line of version, made from parents, to the record of cardPath's box
  // and syncs it. False when it could not be written.
  static bool append(const std::string& cardPath, const tVersionId& version,
                     const std::vector<std::string>& parents);
  // Appends to the record the lines only its conflict copies hold, then removes the
  // copies; a copy whose lines could not be taken over stays.
  static void absorbCopies(const std::string& cardPath);

  // Adds the lines of a record's text, skipping those that cannot be read.
  void addText(const std::string& text);

  // The last versions both a and b were made from (a and b themselves count): every
  // version made from both sides' past that no other such version was made from.
  // Empty when they have none in common.
  std::vector<std::string> lastCommon(const std::string& a, const std::string& b) const;
  // The size recorded for the version hash; -1 when it is not recorded.
  int64_t sizeOf(const std::string& hash) const;

 private:
  void addLine(const std::string& line);
  // hash itself and every version it was made from, however far back.
  std::unordered_map<std::string, int> pastOf(const std::string& hash) const;

  std::unordered_map<std::string, std::vector<std::string>> parents_;
  std::unordered_map<std::string, int64_t> sizes_;
};

// The hook of a save: the card file that is about to replace cardPath, of version
// (learnt from its bytes as the save wrote them), gets its line, made from replaced
// (when that is known) and alsoMadeFrom, and the record takes over its conflict copies
// (absorbCopies). A record that cannot be written only warns: the save goes on, and a
// merge then finds no common version with this one and deletes nothing.
void recordNewVersion(const std::string& cardPath, const tVersionId& version,
                      const tVersionId* replaced, const std::vector<std::string>& alsoMadeFrom,
                      std::vector<std::string>* warnings);

#endif  // TERMEL_KARTEI_VERSION_RECORD_H_
