// dBASE III table files: creating an empty table from a field list (tCreateDBF) and
// working on an open table record by record (tDBF).
//
// A tDBF holds the open file, the first 16 header bytes, the field list, the bytes
// read ahead and one record buffer (the current record once it is changed). Field
// values are read and written by index here and by name through the handles in
// fields.h. Failures are reported through the virtual
// error() with the codes below and through each operation's result; nothing throws.
//
// A file is never trusted: open() refuses a header whose lengths, descriptors and
// offsets do not agree, and no field operation reaches outside the current record.
#ifndef TERMEL_STORAGE_DBF_H_
#define TERMEL_STORAGE_DBF_H_

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <memory>
#include <vector>

#include "storage/little_endian.h"

// The byte behind the last record of a table.
constexpr unsigned char kDbfEndMark = 0x1A;

// Error codes passed to tDBF::error.
enum : int {
  kDbfShortHeader = 1,      // open: header unreadable, or inconsistent/truncated
  kDbfNoMemory = 2,         // open: no memory for the record buffer or field list
  kDbfCannotOpen = 3,       // open: file cannot be opened (for reading and writing)
  kDbfShortWrite = 4,       // writeRecord, append: a record write came up short
  kDbfBadRecordNumber = 5,  // goTo: record number greater than the record count
  kDbfNoSuchField = 6,      // findField: no field of that name
  kDbfNoCurrentRecord = 7,  // getField: no current record, or index out of range
  kDbfTruncatedRecord = 8,  // goTo: the record lies (partly) beyond the end of the file
  kDbfNameTooLong = 9,      // open: file name longer than 255 characters
  kDbfNotRegular = 14,      // open: a FIFO, device or socket, not a file (never waited on)
  kDbfBlankRecord = 15,     // goTo: the record is nothing but NUL bytes (a hole, not data)
  kDbfNotNumeric = 20,      // numeric set on a field whose type is not 'N'
};

// One field of a table, as described by its 32-byte descriptor.
struct tFieldEntry {
  char name[11];     // at most 10 characters, NUL-terminated
  char type;         // 'C', 'N', ...
  int16_t length;    // 1..255
  int16_t decimals;  // unused by this program
  int16_t offset;    // first byte in the record buffer (the first field has 1)
};

class tDBF {
 public:
  static constexpr int kMaxFileName = 255;
  // Tables that are only looked at are opened for reading alone, so a write-protected
  // file can still be read; every write to such a table fails.
  enum class tMode { kReadWrite, kReadOnly };

  tDBF();
  virtual ~tDBF();
  tDBF(const tDBF&) = delete;
  tDBF& operator=(const tDBF&) = delete;

  // Opens an existing table file, for reading and writing unless told otherwise. On
  // failure the table is closed and error() has been called with 1, 2, 3, 9 or 14
  // (a directory fails with 3 and errno EISDIR). Only regular files are tables; a FIFO
  // or device is refused before anything waits on it.
  bool open(const char* fileName, tMode mode = tMode::kReadWrite);
  // Writes a dirty record and closes the file. Returns false when any write since
  // open() failed or the file could not be flushed and closed cleanly.
  bool close();
  // Makes record n current. n == recordCount() positions behind the last record. A
  // record the file does not hold whole fails with error 8 and leaves no record
  // current. A record of nothing but NUL bytes (such as a hole in a sparse file) is
  // no record: goTo fails with error 15. When a dirty record cannot be written first,
  // goTo fails and stays.
  bool goTo(uint32_t n);
  // Writes a dirty record buffer back; false (and error 4) on a short write.
  bool writeRecord();
  // Adds a blank record at the end and makes it current. Like a changed record it is
  // written when another record becomes current or by writeRecord(); the end mark and
  // the record count in the file's header follow with sync() and close(). False when
  // the previous record could not be written.
  bool append();
  // Flushes buffered writes and asks the system to put the file on disk.
  bool sync();

  bool isOpen() const { return file_ != nullptr; }
  bool atEnd() const { return current_ >= recordCount(); }
  uint32_t recordCount() const { return decodeFixed32(header_ + 4); }
  uint16_t headerLength() const;
  uint16_t recordLength() const;
  int fieldCount() const;  // the descriptors up to the header terminator
  int lastError() const { return lastError_; }
  // The current record carries the deletion mark '*' that dBASE programs set instead of
  // removing a record at once.
  bool isDeleted() const { return hasRecord() && recordView_[0] == '*'; }
  // The bytes of the current record where they stand (recordLength() of them), or null
  // when no record is current. Valid until another record becomes current or a value
  // is put; for readers that decode a known layout without a call per field.
  const unsigned char* recordBytes() const { return hasRecord() ? recordView_ : nullptr; }
  const char* fileName() const { return fileName_; }
  // Reads the bytes of count records from record first on, as they stand in the file,
  // into dest (room for count * recordLength() bytes), for a reader that decodes a known
  // layout itself; returns how many whole records it read. Nothing is reported and no
  // record becomes current: a reader given fewer records than asked goes on with goTo,
  // which says why.
  uint32_t readRecords(uint32_t first, uint32_t count, unsigned char* dest);

  // Field access by 0-based index; see fields.h for the handles.
  int findField(const char* name);
  // Copies the field's text without trailing spaces into dest (room for
  // fieldLength(index) + 1 characters) and returns its length.
  int getField(int index, char* dest);
  // Stores text into the field, cut at and padded to the field length; returns the
  // field length, or 0 when nothing was stored.
  int putField(int index, const char* text);
  // Both are asked once per value read, so they stay inline.
  char fieldType(int index) const { return validIndex(index) ? fields_[index].type : 'U'; }
  int fieldLength(int index) const { return validIndex(index) ? fields_[index].length : 0; }
  // Where the field starts in the record's bytes (the deletion flag is byte 0); -1 for
  // no field.
  int fieldOffset(int index) const { return validIndex(index) ? fields_[index].offset : -1; }

 protected:
  // Called synchronously by every failing operation. The default stores the code
  // as lastError().
  virtual void error(int code);

 private:
  // Handles report their failures through error() and read values where they stand
  // in the record buffer.
  friend class tFeld;
  enum class tLastIo { kNone, kRead, kWrite };

  bool validIndex(int index) const {
    return isOpen() && index >= 0 && static_cast<size_t>(index) < fields_.size();
  }
  // The bytes of a field of the current record and their count, or nullptr (error 7
  // raised when the table is open). Asked for every value read, so the checks stay
  // inline and only the failure is a call.
  const unsigned char* currentField(int index, size_t* length) {
    if (!hasRecord() || !validIndex(index)) return noCurrentField();
    const tFieldEntry& field = fields_[static_cast<size_t>(index)];
    *length = static_cast<size_t>(field.length);
    return recordView_ + field.offset;
  }
  const unsigned char* noCurrentField();
  // The same cut to the field's text: no trailing spaces, nothing from a NUL on.
  const unsigned char* fieldText(int index, size_t* length);
  bool hasRecord() const { return loaded_ && current_ < recordCount(); }
  bool readHeader();
  bool openedRegularFile();
  bool recordIsBlank() const;
  bool readDescriptors(const std::vector<unsigned char>& head);
  uint64_t recordOffset(uint32_t n) const;
  bool seekFor(uint64_t offset, tLastIo io);
  bool readBytes(uint64_t offset, void* data, size_t size);
  bool readRecord(uint64_t offset);
  void fillReadAhead(uint64_t offset);
  bool readDirect(uint64_t offset, unsigned char* dest, size_t want, size_t* got);
  void patchReadAhead(uint64_t offset, const void* data, size_t size);
  void ownRecord();
  bool writeBytes(uint64_t offset, const void* data, size_t size);
  bool finishAppends();
  void release();

  char fileName_[kMaxFileName + 1];
  int lastError_;
  std::FILE* file_;  // a stream whose system calls go through sysCalls()
  int fd_;           // the stream's file, for reads past the stream and sync()
  uint32_t current_;
  std::vector<unsigned char> record_;
  std::vector<tFieldEntry> fields_;
  unsigned char header_[16];
  bool dirty_;
  bool appended_;  // the file lacks the end mark and record count of appended records
  bool writeFailed_;
  // The record buffer holds record current_ as read or appended; false after open, after
  // a failed read and after a failed append, so no stale bytes are ever delivered.
  bool loaded_;
  // Where the stream stands after our last read or write, so reading records in order
  // costs no seek. A seek is forced whenever the direction changes, as C streams need.
  uint64_t position_;
  tLastIo lastIo_;
  // The stream's buffer, left uninitialised; released after the stream.
  std::unique_ptr<char[]> streamBuffer_;
  // File bytes from readAheadStart_ on, read in one piece for the records that follow;
  // every write through this table is copied into them, so they never go stale.
  // Left uninitialised and only ever grown while the table is open: only the bytes
  // read are touched, so a large record length costs nothing until it is read.
  std::unique_ptr<unsigned char[]> readAhead_;
  size_t readAheadCapacity_ = 0;
  size_t readAheadLength_ = 0;  // bytes of readAhead_ that hold the file's
  uint64_t readAheadStart_;
  // The current record's bytes: read in place among the bytes read ahead, or the record
  // buffer once a value is put or a record appended (dirty implies the buffer).
  const unsigned char* recordView_;
};

// The length of a field's text among its n bytes: no trailing spaces, nothing from a
// NUL on.
size_t dbfTextLength(const unsigned char* bytes, size_t n);

// A list of field definitions from which a new, empty table file is written.
class tCreateDBF {
 public:
  static constexpr int kMaxFields = 256;

  tCreateDBF();
  void clear();
  // Adds a field; the name (cut to 10 characters) and type are stored in upper case.
  // Returns 1, or 0 when the list is full or the field would make a table that cannot
  // be read back: a length outside 1..255, a decimal count outside 0..255, or a record
  // longer than 32767 bytes.
  int addField(const char* name, char type, int length, int decimals);
  // Writes the header, descriptors, terminator and end mark; false on any failure,
  // including a file name longer than tDBF::kMaxFileName. The header carries today's
  // local date, or the given date.
  bool create(const char* fileName) const;
  bool create(const char* fileName, const std::tm& date) const;
  // The header, descriptors and terminator of a table of that many records, for a
  // writer that streams the records behind them and the end mark (kDbfEndMark) last;
  // with the given date or today's local date, or none when the clock cannot be read.
  std::vector<unsigned char> header(uint32_t records, const std::tm& date) const;
  std::vector<unsigned char> header(uint32_t records) const;

 private:
  int count_;
  std::vector<tFieldEntry> entries_;
};

#endif  // TERMEL_STORAGE_DBF_H_
