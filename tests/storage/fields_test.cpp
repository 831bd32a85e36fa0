#include <climits>
#include <string>
#include <vector>

#include "storage/dbf.h"
#include "storage/fields.h"
#include "temp_dir.h"

namespace {

// Reports every code, like the card-file table, without setting lastError().
class tLoudDBF : public tDBF {
 public:
  std::vector<int> codes;

 protected:
  void error(int code) override { codes.push_back(code); }
};

std::string formatted(int32_t v, int width) {
  std::vector<char> text(static_cast<size_t>(width) + 1, '?');
  const int fits = formatInteger(v, width, text.data());
  return std::to_string(fits) + "[" + text.data() + "]";
}

class FieldsTest : public TempDirTest {
 protected:
  // NAME C10, ANZAHL N5, KURZ N2 with one blank record, current.
  void SetUp() override {
    TempDirTest::SetUp();
    file_ = path("f.dbf");
    tCreateDBF create;
    create.addField("NAME", 'C', 10, 0);
    create.addField("ANZAHL", 'N', 5, 0);
    create.addField("KURZ", 'N', 2, 0);
    ASSERT_TRUE(create.create(file_.c_str()));
    ASSERT_TRUE(table_.open(file_.c_str()));
    ASSERT_TRUE(table_.append());
    name_.bind(&table_, "NAME");
    anzahl_.bind(&table_, "ANZAHL");
    kurz_.bind(&table_, "KURZ");
  }

  // The record's bytes behind the deletion flag, as they reach the file.
  tBytes stored() {
    EXPECT_TRUE(table_.writeRecord());
    EXPECT_TRUE(table_.sync());
    return readBytes(file_).substr(32 * 4 + 1 + 1, 17);
  }

  std::string file_;
  tDBF table_;
  tCharField name_;
  tNumField anzahl_, kurz_;
};

TEST_F(FieldsTest, PutFieldPadsAndCutsGetFieldTrimsTrailingSpaces) {
  char text[11];
  EXPECT_EQ(table_.putField(0, "Haus"), 10);
  EXPECT_EQ(table_.getField(0, text), 4);
  EXPECT_STREQ(text, "Haus");
  EXPECT_EQ(stored().substr(0, 10), "Haus      ");

  table_.putField(0, "  ab      ");
  EXPECT_EQ(table_.getField(0, text), 4);
  EXPECT_STREQ(text, "  ab");

  table_.putField(0, "          ");
  EXPECT_EQ(table_.getField(0, text), 0);
  EXPECT_STREQ(text, "");

  EXPECT_EQ(table_.putField(0, "Donaudampfschiff"), 10);
  EXPECT_EQ(table_.getField(0, text), 10);
  EXPECT_STREQ(text, "Donaudampf");
  EXPECT_EQ(stored(), "Donaudampf       ");  // the neighbouring fields are untouched
  EXPECT_EQ(table_.lastError(), 0);
}

TEST_F(FieldsTest, InvalidIndexesAreRefused) {
  char text[11] = "stale";
  EXPECT_EQ(table_.getField(3, text), 0);
  EXPECT_STREQ(text, "");
  EXPECT_EQ(table_.lastError(), kDbfNoCurrentRecord);
  EXPECT_EQ(table_.getField(-1, text), 0);
  EXPECT_EQ(table_.putField(3, "x"), 0);
  EXPECT_EQ(table_.putField(-1, "x"), 0);
  EXPECT_EQ(table_.fieldType(3), 'U');
  EXPECT_EQ(table_.fieldType(-1), 'U');
  EXPECT_EQ(table_.fieldLength(3), 0);
  EXPECT_EQ(table_.fieldType(1), 'N');
  EXPECT_EQ(table_.fieldLength(1), 5);
  EXPECT_EQ(stored(), tBytes(17, ' '));
}

TEST_F(FieldsTest, FindFieldIsExactAndReportsOnlyTheFirstFailure) {
  EXPECT_EQ(table_.findField("ANZAHL"), 1);
  EXPECT_EQ(table_.findField("anzahl"), -1);
  EXPECT_EQ(table_.lastError(), kDbfNoSuchField);
  table_.goTo(5);  // error 5 is not overwritten by later missing names
  EXPECT_EQ(table_.findField("FEHLT"), -1);
  EXPECT_EQ(table_.lastError(), kDbfBadRecordNumber);

  tLoudDBF loud;
  ASSERT_TRUE(loud.open(file_.c_str()));
  EXPECT_EQ(loud.findField("eins"), -1);
  EXPECT_EQ(loud.findField("zwei"), -1);
  EXPECT_EQ(loud.codes, (std::vector<int>{kDbfNoSuchField, kDbfNoSuchField}));
}

TEST_F(FieldsTest, FormatIntegerRightAlignsOrFillsWithStars) {
  EXPECT_EQ(formatted(42, 5), "1[   42]");
  EXPECT_EQ(formatted(-7, 4), "1[  -7]");
  EXPECT_EQ(formatted(0, 4), "1[   0]");
  EXPECT_EQ(formatted(0, 1), "1[0]");
  EXPECT_EQ(formatted(99999, 5), "1[99999]");
  EXPECT_EQ(formatted(-9999, 5), "1[-9999]");
  EXPECT_EQ(formatted(123456, 5), "0[*****]");
  EXPECT_EQ(formatted(-42, 2), "0[**]");
  EXPECT_EQ(formatted(-1, 1), "0[*]");
  EXPECT_EQ(formatted(INT32_MIN, 11), "1[-2147483648]");
  EXPECT_EQ(formatted(INT32_MIN, 10), "0[**********]");
  EXPECT_EQ(formatted(INT32_MAX, 11), "1[ 2147483647]");
}

TEST_F(FieldsTest, NumericFieldsStoreRightAlignedText) {
  anzahl_.set(42);
  kurz_.set(-42);  // does not fit: stars, and nothing is reported
  EXPECT_EQ(stored().substr(10), "   42**");
  EXPECT_EQ(anzahl_.get(), 42);
  EXPECT_EQ(kurz_.get(), 0);
  anzahl_.set(-7).set(-17);
  EXPECT_EQ(stored().substr(10, 5), "  -17");
  EXPECT_EQ(anzahl_.get(), -17);
  EXPECT_EQ(table_.lastError(), 0);
}

TEST_F(FieldsTest, NumericParsingToleratesForeignText) {
  const struct {
    const char* text;
    int32_t value;
  } cases[] = {
      {"  -17", -17}, {"*****", 0}, {"     ", 0},  {"+12ab", 12}, {"\t 7", 7}, {"3 4", 3},
      {"-", 0},       {"x12", 0},   {"00042", 42}, {"--5", 0},    {"1.5", 1},
  };
  for (const auto& c : cases) {
    table_.putField(1, c.text);
    EXPECT_EQ(anzahl_.get(), c.value) << c.text;
  }

  // Wider than 32 bits saturates instead of overflowing.
  tCreateDBF create;
  create.addField("GROSS", 'N', 20, 0);
  ASSERT_TRUE(create.create(path("g.dbf").c_str()));
  tDBF wide;
  ASSERT_TRUE(wide.open(path("g.dbf").c_str()));
  ASSERT_TRUE(wide.append());
  tNumField gross;
  gross.bind(&wide, "GROSS");
  wide.putField(0, "  99999999999999999");
  EXPECT_EQ(gross.get(), INT32_MAX);
  wide.putField(0, "-2147483648");
  EXPECT_EQ(gross.get(), INT32_MIN);
  wide.putField(0, "-99999999999999999");
  EXPECT_EQ(gross.get(), INT32_MIN);
  gross.set(INT32_MIN);
  EXPECT_EQ(gross.get(), INT32_MIN);
}

TEST_F(FieldsTest, NumericSetOnOtherFieldsRaisesTwenty) {
  table_.putField(0, "Haus");
  tNumField wrong, missing;
  wrong.bind(&table_, "NAME");
  wrong.set(5);
  EXPECT_EQ(table_.lastError(), kDbfNotNumeric);
  EXPECT_EQ(wrong.get(), 0);
  EXPECT_EQ(stored(), "Haus" + std::string(13, ' '));

  tLoudDBF loud;
  ASSERT_TRUE(loud.open(file_.c_str()));
  missing.bind(&loud, "FEHLT");
  EXPECT_EQ(missing.index(), -1);
  EXPECT_EQ(missing.type(), 'U');
  missing.set(1);
  EXPECT_EQ(missing.get(), 0);
  EXPECT_EQ(loud.codes, (std::vector<int>{kDbfNoSuchField, kDbfNotNumeric}));
}

TEST_F(FieldsTest, CharacterFieldsConvertBetweenCodePagesAndKeepBackslashes) {
  const struct {
    const char* text;  // code page 1252
    const char* file;  // the field's ten bytes, code page 850
  } cases[] = {
      {"M\xE4"
       "dchen",
       "M\204dchen   "},  // octal: 0x84
      {"\xFC\x62\x65r", "\x81\x62\x65r      "},
      // A backslash is stored as it stands, also where it looks like an escape.
      {"C:\\Temp", "C:\\Temp   "},
      {"\\\"a\\\\b\\", "\\\"a\\\\b\\   "},
      {"\\0x", "\\0x       "},
      // Longer texts are cut to the field's ten characters.
      {"\xE4\xF6\xFC\xC4\xD6\xDC\xDF\x31\x32\x33\x34", "\x84\x94\x81\x8E\x99\x9A\xE1\x31\x32\x33"},
  };
  for (const auto& c : cases) {
    name_.set(c.text);
    EXPECT_EQ(stored().substr(0, 10), c.file) << c.text;
    const std::string text = c.text;
    EXPECT_EQ(name_.get(), text.substr(0, 10)) << c.text;
  }
  EXPECT_EQ(table_.lastError(), 0);
}

TEST_F(FieldsTest, CharacterHandlesOfMissingFieldsAndRecords) {
  tLoudDBF loud;
  ASSERT_TRUE(loud.open(file_.c_str()));
  tCharField missing, name;
  missing.bind(&loud, "FEHLT");
  name.bind(&loud, "NAME");
  EXPECT_STREQ(missing.get(), "");
  missing.set("nichts");
  EXPECT_STREQ(name.get(), "");  // no current record after open
  EXPECT_EQ(loud.codes,
            (std::vector<int>{kDbfNoSuchField, kDbfNoCurrentRecord, kDbfNoCurrentRecord}));
  tCharField unbound;
  EXPECT_STREQ(unbound.get(), "");
  EXPECT_EQ(unbound.length(), 0);
  unbound.set("x");
}

TEST_F(FieldsTest, CopyToCutsConvertsAndFailsLikeGet) {
  char dest[12];
  name_.set(
      "M\xE4"
      "dchen  x");
  EXPECT_EQ(name_.copyTo(dest, sizeof dest), 10u);
  EXPECT_STREQ(dest,
               "M\xE4"
               "dchen  x");
  EXPECT_EQ(name_.copyTo(dest, 3), 2u);
  EXPECT_STREQ(dest, "M\xE4");
  EXPECT_EQ(name_.copyTo(dest, 1), 0u);
  EXPECT_STREQ(dest, "");
  dest[0] = '?';
  EXPECT_EQ(name_.copyTo(dest, 0), 0u);
  EXPECT_EQ(dest[0], '?');
  name_.set("ab ");
  EXPECT_EQ(name_.copyTo(dest, sizeof dest), 2u);
  EXPECT_STREQ(dest, "ab");
  EXPECT_EQ(table_.lastError(), 0);

  tLoudDBF loud;
  ASSERT_TRUE(loud.open(file_.c_str()));
  tCharField missing, name, unbound;
  missing.bind(&loud, "FEHLT");
  name.bind(&loud, "NAME");
  EXPECT_EQ(missing.copyTo(dest, sizeof dest), 0u);
  EXPECT_STREQ(dest, "");
  dest[0] = '?';
  EXPECT_EQ(name.copyTo(dest, sizeof dest), 0u);  // no current record after open
  EXPECT_STREQ(dest, "");
  EXPECT_EQ(loud.codes,
            (std::vector<int>{kDbfNoSuchField, kDbfNoCurrentRecord, kDbfNoCurrentRecord}));
  dest[0] = '?';
  EXPECT_EQ(unbound.copyTo(dest, sizeof dest), 0u);
  EXPECT_STREQ(dest, "");
}

TEST_F(FieldsTest, HandleSurvivesItsTableOpeningAWiderFile) {
  tCreateDBF create;
  create.addField("NAME", 'C', 60, 0);
  ASSERT_TRUE(create.create(path("wide.dbf").c_str()));
  ASSERT_TRUE(table_.open(path("wide.dbf").c_str()));
  ASSERT_TRUE(table_.append());
  const std::string text(60, 'w');
  table_.putField(0, text.c_str());
  EXPECT_EQ(name_.get(), text);  // bound to the 10-character field of the old file
  name_.set((text + "xyz").c_str());
  EXPECT_EQ(name_.get(), text);
}

}  // namespace
