#include <errno.h>
#include <fcntl.h>

#include <cstring>
#include <string>
#include <vector>

#include "storage/dbf.h"
#include "storage/fields.h"
#include "storage/sys_calls.h"
#include "temp_dir.h"

namespace {

// Keeps every code passed to error(), whatever lastError() says.
class tRecordingDBF : public tDBF {
 public:
  std::vector<int> codes;

 protected:
  void error(int code) override {
    codes.push_back(code);
    tDBF::error(code);
  }
};

std::string field(tDBF& table, int index) {
  char text[256];
  table.getField(index, text);
  return text;
}

// ANZAHL as createWordTable stores it: right-aligned in six characters.
std::string countText(int value) {
  const std::string digits = std::to_string(value);
  return std::string(6 - digits.size(), ' ') + digits;
}

void setByte(tBytes* bytes, size_t at, unsigned char value) {
  (*bytes)[at] = static_cast<char>(value);
}

class OpenTest : public TempDirTest {
 protected:
  // A valid word table with three records, as bytes to twiddle.
  tBytes wordTable() {
    createWordTable(path("base.dbf"), 3);
    return readBytes(path("base.dbf"));
  }

  // Opens bytes written to a file and expects the refusal of an inconsistent header.
  void expectRefused(const tBytes& bytes, const char* what) {
    writeBytes(path("bad.dbf"), bytes);
    tRecordingDBF table;
    EXPECT_FALSE(table.open(path("bad.dbf").c_str())) << what;
    EXPECT_FALSE(table.isOpen()) << what;
    EXPECT_EQ(table.codes, std::vector<int>{kDbfShortHeader}) << what;
    EXPECT_EQ(table.fieldCount(), 0) << what;
    EXPECT_EQ(table.recordCount(), 0u) << what;
    EXPECT_FALSE(table.goTo(0)) << what;
    char text[8] = "x";
    EXPECT_EQ(table.getField(0, text), 0) << what;
    EXPECT_EQ(table.putField(0, "y"), 0) << what;
  }

  // Opens bytes written to a file and expects the three words to read back.
  void expectWords(const tBytes& bytes, const char* what) {
    writeBytes(path("odd.dbf"), bytes);
    tDBF table;
    ASSERT_TRUE(table.open(path("odd.dbf").c_str())) << what << " error " << table.lastError();
    ASSERT_EQ(table.fieldCount(), 2) << what;
    ASSERT_EQ(table.recordCount(), 3u) << what;
    for (uint32_t i = 0; i < 3; ++i) {
      ASSERT_TRUE(table.goTo(i)) << what;
      EXPECT_EQ(field(table, 0), "Wort" + std::to_string(i)) << what;
      EXPECT_EQ(field(table, 1), countText(10 * i)) << what;
    }
    EXPECT_EQ(table.lastError(), 0) << what;
  }
};

TEST_F(OpenTest, MissingShortAndOverlongNamesFailAndLeaveTheTableClosed) {
  tRecordingDBF table;
  EXPECT_FALSE(table.open(path("missing.dbf").c_str()));
  EXPECT_FALSE(table.isOpen());
  EXPECT_STREQ(table.fileName(), path("missing.dbf").c_str());

  writeBytes(path("ten.dbf"), tBytes("\x03\x5F\x0C\x18\0\0\0\0\x21\0", 10));
  EXPECT_FALSE(table.open(path("ten.dbf").c_str()));
  EXPECT_FALSE(table.isOpen());

  const std::string longName(tDBF::kMaxFileName + 1, 'x');
  EXPECT_FALSE(table.open(longName.c_str()));
  EXPECT_FALSE(table.isOpen());
  EXPECT_STREQ(table.fileName(), "");
  EXPECT_EQ(table.codes, (std::vector<int>{kDbfCannotOpen, kDbfShortHeader, kDbfNameTooLong}));
}

TEST_F(OpenTest, FailedOpenClosesThePreviousTableAfterWritingIt) {
  createWordTable(path("t.dbf"), 1);
  tDBF table;
  ASSERT_TRUE(table.open(path("t.dbf").c_str()));
  ASSERT_TRUE(table.goTo(0));
  table.putField(0, "neu");
  EXPECT_FALSE(table.open(path("missing.dbf").c_str()));
  EXPECT_FALSE(table.isOpen());
  ASSERT_TRUE(table.open(path("t.dbf").c_str()));
  ASSERT_TRUE(table.goTo(0));
  EXPECT_EQ(field(table, 0), "neu");
}

// Files as a write-protected file is for anyone but root: not to be opened for writing.
int openForReadingOnly(int dirFd, const char* path, int flags, mode_t mode) {
  if ((flags & O_ACCMODE) != O_RDONLY) {
    errno = EACCES;
    return -1;
  }
  return libcSysCalls().openat(dirFd, path, flags, mode);
}

TEST_F(OpenTest, WriteProtectedTableOpensForReadingAndRefusesEveryWrite) {
  createWordTable(path("t.dbf"), 3);
  const tBytes before = readBytes(path("t.dbf"));
  tSysCalls protectedFiles = libcSysCalls();
  protectedFiles.openat = openForReadingOnly;
  replaceSysCallsForTesting(&protectedFiles);
  struct tRestore {
    ~tRestore() { replaceSysCallsForTesting(nullptr); }
  } restore;

  tRecordingDBF table;
  EXPECT_FALSE(table.open(path("t.dbf").c_str()));
  EXPECT_EQ(table.codes, std::vector<int>{kDbfCannotOpen});
  ASSERT_TRUE(table.open(path("t.dbf").c_str(), tDBF::tMode::kReadOnly));
  ASSERT_EQ(table.recordCount(), 3u);
  ASSERT_TRUE(table.goTo(2));
  EXPECT_EQ(field(table, 0), "Wort2");
  // A change is refused when it would reach the file.
  table.putField(0, "neu");
  EXPECT_FALSE(table.goTo(0));
  EXPECT_FALSE(table.append());
  EXPECT_FALSE(table.close());
  EXPECT_EQ(readBytes(path("t.dbf")), before);
}

TEST_F(OpenTest, InconsistentHeadersAreRefused) {
  const tBytes good = wordTable();
  struct {
    size_t at;
    unsigned char value;
    const char* what;
  } const twiddles[] = {
      {8, 0x60, "header length ends on the terminator's place"},
      {8, 0x50, "header length inside a descriptor"},
      {8, 0x20, "header length without descriptors or terminator"},
      {8, 0x00, "header length zero"},
      {9, 0x10, "header length beyond the file"},
      {10, 0x10, "record length shorter than the fields"},
      {10, 0x00, "record length zero"},
      {32 + 16, 0x00, "field of length zero"},
      {32 + 16, 0xFF, "field longer than the record"},
      {96, 'X', "terminator missing"},
  };
  for (const auto& t : twiddles) {
    tBytes bad = good;
    setByte(&bad, t.at, t.value);
    if (t.at == 10) setByte(&bad, 11, 0);
    expectRefused(bad, t.what);
  }
  expectRefused(good.substr(0, 31), "shorter than the fixed header");
  expectRefused(good.substr(0, 50), "cut inside a descriptor");
  expectRefused(good.substr(0, 96), "cut before the terminator");
}

TEST_F(OpenTest, RecordOffsetsCannotOverflowTheBuffer) {
  // 200 fields of 255 bytes add up to more than a 16-bit offset can address, whatever
  // the record length says.
  const size_t fields = 200;
  tBytes bytes(32 * (fields + 1) + 1, '\0');
  setByte(&bytes, 0, 3);
  setByte(&bytes, 8, static_cast<unsigned char>(bytes.size() & 0xFF));
  setByte(&bytes, 9, static_cast<unsigned char>(bytes.size() >> 8));
  setByte(&bytes, 10, 0xFF);
  setByte(&bytes, 11, 0xFF);
  for (size_t i = 0; i < fields; ++i) {
    bytes[32 * (i + 1)] = 'F';
    bytes[32 * (i + 1) + 11] = 'C';
    setByte(&bytes, 32 * (i + 1) + 16, 0xFF);
  }
  bytes.back() = '\x0D';
  expectRefused(bytes, "fields beyond 32767 bytes");
}

TEST_F(OpenTest, UnusualButConsistentFilesOpen) {
  const tBytes good = wordTable();
  expectWords(good, "as written");

  tBytes other = good;
  setByte(&other, 0, 0x83);                                   // version byte of a table with memos
  setByte(&other, 29, 0x57);                                  // language driver
  for (size_t d : {32u, 64u}) setByte(&other, d + 12, 0x41);  // descriptor bytes 12..15
  setByte(&other, 64 + 15, 0xFF);
  expectWords(other, "version, language driver and descriptor bytes");

  // Padding behind the terminator: the records start at the header length.
  tBytes padded = good.substr(0, 97) + tBytes(263, '\0') + good.substr(97);
  setByte(&padded, 8, static_cast<unsigned char>((97 + 263) & 0xFF));
  setByte(&padded, 9, static_cast<unsigned char>((97 + 263) >> 8));
  expectWords(padded, "header padded behind the terminator");

  // Records longer than their fields: three bytes nobody uses behind each record.
  tBytes wide = good.substr(0, 97);
  setByte(&wide, 10, 20);
  for (int i = 0; i < 3; ++i) wide += good.substr(97 + 17 * i, 17) + "xyz";
  expectWords(wide + "\x1A", "record longer than its fields");
}

TEST_F(OpenTest, TruncatedRecordIsRefusedAndEarlierRecordsRead) {
  const tBytes good = wordTable();
  writeBytes(path("cut.dbf"), good.substr(0, 97 + 17 * 2 + 5));
  tRecordingDBF table;
  ASSERT_TRUE(table.open(path("cut.dbf").c_str()));
  EXPECT_EQ(table.recordCount(), 3u);
  ASSERT_TRUE(table.goTo(0));
  ASSERT_TRUE(table.goTo(1));
  EXPECT_EQ(field(table, 0), "Wort1");

  EXPECT_FALSE(table.goTo(2));
  EXPECT_EQ(table.codes, std::vector<int>{kDbfTruncatedRecord});
  char text[16] = "stale";
  EXPECT_EQ(table.getField(0, text), 0);  // no bytes of record 1 come through
  EXPECT_STREQ(text, "");
  EXPECT_EQ(table.putField(0, "neu"), 0);
  EXPECT_EQ(table.codes, (std::vector<int>{kDbfTruncatedRecord, kDbfNoCurrentRecord}));

  // A record cut exactly at its start, and the header alone, are refused the same way.
  EXPECT_TRUE(table.goTo(1));
  writeBytes(path("cut2.dbf"), good.substr(0, 97));
  ASSERT_TRUE(table.open(path("cut2.dbf").c_str()));
  EXPECT_FALSE(table.goTo(0));
  EXPECT_EQ(table.lastError(), kDbfTruncatedRecord);
  EXPECT_TRUE(table.goTo(3));
  EXPECT_TRUE(table.atEnd());
}

struct tForeignCard {
  const char* deutsch;
  const char* uebersetzt;
  const char* kasten;
  int alter, gewusst, unbekannt;
};

TEST_F(OpenTest, TablesWrittenByOtherProgramsRead) {
  const tForeignCard cards[] = {
      {"Gl\xFC"
       "ck",
       "luck", "Z", 1, 7, 3},
      {"Stra\xDF"
       "e",
       "street", "B", 1, 2, -5},
      {"\xDC"
       "bung",
       "exercise", "B", 2, 0, 0},
      {"Haus", "house", "B", 3, 1, 1},
  };
  const char* const names[] = {"DEUTSCH", "UEBERSETZT", "KASTEN", "ALTER", "GEWUSST", "UNBEKANNT"};
  for (const char* sample : {"gdal-ldid2.dbf", "pydbf.dbf", "shapelib.dbf", "libreoffice.dbf"}) {
    SCOPED_TRACE(sample);
    const std::string file = path(sample);
    writeBytes(file, readBytes(std::string(TERMEL_TEST_DATA_DIR) + "/foreign/" + sample));
    tDBF table;
    ASSERT_TRUE(table.open(file.c_str())) << table.lastError();
    ASSERT_EQ(table.fieldCount(), 6);
    ASSERT_EQ(table.recordCount(), 4u);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(table.findField(names[i]), i);
    tCharField deutsch, uebersetzt, kasten;
    tNumField alter, gewusst, unbekannt;
    deutsch.bind(&table, "DEUTSCH");
    uebersetzt.bind(&table, "UEBERSETZT");
    kasten.bind(&table, "KASTEN");
    alter.bind(&table, "ALTER");
    gewusst.bind(&table, "GEWUSST");
    unbekannt.bind(&table, "UNBEKANNT");
    for (uint32_t n = 0; n < 4; ++n) {
      ASSERT_TRUE(table.goTo(n));
      EXPECT_STREQ(deutsch.get(), cards[n].deutsch);
      EXPECT_STREQ(uebersetzt.get(), cards[n].uebersetzt);
      EXPECT_STREQ(kasten.get(), cards[n].kasten);
      EXPECT_EQ(alter.get(), cards[n].alter);
      EXPECT_EQ(gewusst.get(), cards[n].gewusst);
      EXPECT_EQ(unbekannt.get(), cards[n].unbekannt);
    }
    EXPECT_TRUE(table.goTo(4));
    EXPECT_TRUE(table.atEnd());
    EXPECT_EQ(table.lastError(), 0);
  }
}

}  // namespace
