#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "storage/charset.h"

namespace {

std::string stored(std::string text) {
  toFileCharset(&text[0]);
  return text.c_str();
}

std::string shown(std::string text) {
  toScreenCharset(&text[0]);
  return text.c_str();
}

std::string expanded(std::string text) {
  expandEscapes(&text[0]);
  return text.c_str();
}

TEST(CharsetTest, FindEscapeTakesTheFirstMatchingRow) {
  EXPECT_EQ(findEscape("\"u"), 1);
  EXPECT_EQ(findEscape("\xEF"
                       "e"),
            2);
  EXPECT_EQ(findEscape("\xB4"
                       "e"),
            3);
  EXPECT_EQ(findEscape("\xF8"
                       "A"),
            17);  // not 47, which relates the same escape to 0xB6
  EXPECT_EQ(findEscape("Lx"), 32);
  EXPECT_EQ(findEscape("0"), 79);
  EXPECT_EQ(findEscape("ae"), 21);
  EXPECT_EQ(findEscape("\""), -1);  // the text ends before the escape does
  EXPECT_EQ(findEscape("t"), -1);
  EXPECT_EQ(findEscape(""), -1);
}

TEST(CharsetTest, SingleCharactersUseTheFirstRow) {
  EXPECT_EQ(ansiCharToOem('\xFC'), '\x81');
  EXPECT_EQ(oemCharToAnsi('\x81'), '\xFC');
  EXPECT_EQ(ansiCharToOem('\xC5'), '\x8F');  // row 17 before row 47
  EXPECT_EQ(oemCharToAnsi('\xB6'), '\xC5');
  EXPECT_EQ(ansiCharToOem('\x80'), '\x80');  // the euro sign has no row
  EXPECT_EQ(oemCharToAnsi('\x80'), '\xC7');
  EXPECT_EQ(ansiCharToOem('a'), 'a');
  EXPECT_EQ(oemCharToAnsi('\0'), '\0');
}

TEST(CharsetTest, StoringConvertsAndExpandsEscapes) {
  EXPECT_EQ(stored("M\\\"adchen"),
            "M\x84"
            "dchen");
  EXPECT_EQ(shown("M\x84"
                  "dchen"),
            "M\xE4"
            "dchen");
  EXPECT_EQ(stored("\xFC"), "\x81");
  EXPECT_EQ(shown("\x81"), "\xFC");
  EXPECT_EQ(stored("a\\\\b"), "a\\b");
  EXPECT_EQ(stored("C:\\temp"), "C:temp");
  EXPECT_EQ(stored("Ende\\"), "Ende");
  EXPECT_EQ(stored("\\L5"),
            "\x9C"
            "5");
  EXPECT_EQ(shown("\x9C"), "\xA3");
  EXPECT_EQ(stored("ab\\0cd"), "ab");
  EXPECT_EQ(stored("\\\xB4"
                   "e\\\xEF"
                   "e"),
            "\x82\x82");
  EXPECT_EQ(shown("\x82"), "\xE9");
  EXPECT_EQ(stored("\x80"), "\x80");  // the euro sign passes and reads back as row 0's
  EXPECT_EQ(shown("\x80"), "\xC7");
  EXPECT_EQ(shown("\xB6"), "\xC5");
  EXPECT_EQ(stored("\xC5"), "\x8F");
  EXPECT_EQ(stored("\\ae\\AE"), "\x91\x92");
  EXPECT_EQ(stored("\\?\\|c\\=Y"), "\xA8\xBD\xBE");
  // An unknown escape keeps its character unconverted, even when it is 0x80 or above.
  EXPECT_EQ(stored("\\\xFC"
                   "x"),
            "\xFC"
            "x");
  EXPECT_EQ(stored("\\\\\"u"), "\\\"u");  // an escaped backslash starts no escape
}

TEST(CharsetTest, ConversionsLeaveLowBytesAlone) {
  std::string low;
  for (int c = 1; c < 0x80; ++c) {
    if (c != '\\') low += static_cast<char>(c);
  }
  EXPECT_EQ(stored(low), low);
  EXPECT_EQ(shown(low), low);
  EXPECT_EQ(expanded(low), low);
  EXPECT_EQ(shown("\xFF\xA6"), "\xFF\xA6");  // high bytes without a row pass too
  EXPECT_EQ(stored("\xA6"), "\xA6");
}

TEST(CharsetTest, ExpandingWritesScreenCodes) {
  EXPECT_EQ(expanded("M\\\"adchen"),
            "M\xE4"
            "dchen");
  EXPECT_EQ(expanded("\\L"), "\xA3");
  EXPECT_EQ(expanded("\xFC\\\\x\\"), "\xFC\\x");  // other characters are not converted
  EXPECT_EQ(expanded("\\\xF8"
                     "A\\~n\\,c"),
            "\xC5\xF1\xE7");
  EXPECT_EQ(expanded("vor\\0nach"), "vor");
  EXPECT_EQ(expanded("C:\\temp"), "C:temp");
}

TEST(CharsetTest, ShowingInPlaceConvertsOnlyTheGivenLength) {
  // A high byte anywhere in the first length bytes, also behind eight plain ones.
  char text[] =
      "Stra\xE1"
      "enbahn\x81x\x84";
  toScreenCharset(text, 12);
  EXPECT_EQ(std::string(text, 14), std::string("Stra\xDF"
                                               "enbahn\xFC\0\x84",
                                               14));
  char plain[] = "abcdefghijk";
  toScreenCharset(plain, 9);
  EXPECT_STREQ(plain, "abcdefghi");
  char bytes[] = "\x81\x94";
  toScreenCharset(bytes, 0);
  EXPECT_EQ(std::string(bytes, 2), std::string("\0\x94", 2));
}

TEST(CharsetTest, StoringCharactersOnlyLeavesEveryBackslashAndConvertsTheRest) {
  char dest[300];
  std::string all;
  for (int c = 1; c < 256; ++c) all += static_cast<char>(c);
  toFileCharsetOnly(all.c_str(), dest, all.size());
  ASSERT_EQ(std::strlen(dest), all.size());
  for (size_t i = 0; i < all.size(); ++i) EXPECT_EQ(dest[i], ansiCharToOem(all[i])) << i;
  toFileCharsetOnly("C:\\Temp a\\\\b \\\"u \\0 Ende\\", dest, sizeof dest - 1);
  EXPECT_STREQ(dest, "C:\\Temp a\\\\b \\\"u \\0 Ende\\");
  toFileCharsetOnly("\xE4\xF6\xFCxyz", dest, 4);
  EXPECT_STREQ(dest, "\x84\x94\x81x");
}

// What a correction shows in its field must expand back to the stored text, whatever
// backslashes, would-be escapes and characters of every code the card holds.
TEST(CharsetTest, DoubledBackslashesExpandBackToTheStoredText) {
  std::string every;
  for (int c = 1; c < 256; ++c) every += static_cast<char>(c);
  for (const std::string& text :
       {std::string("C:\\Temp"), std::string("a\\\\b \\\"u"), std::string("Ende\\"),
        std::string("\\0 vorn"), std::string("\\\\\\"), std::string(), every}) {
    const std::string shownInField = doubleBackslashes(text.c_str());
    EXPECT_EQ(expanded(shownInField), text) << shownInField;
  }
  EXPECT_EQ(doubleBackslashes("C:\\Temp2"), "C:\\\\Temp2");
}

TEST(CharsetTest, BoundedStoringStopsAtTheLimit) {
  char dest[5];
  toFileCharset("\\\"a\\\"o\\\"uxyz", dest, 4);
  EXPECT_STREQ(dest, "\x84\x94\x81x");
  toFileCharset("ab", dest, 4);
  EXPECT_STREQ(dest, "ab");
  toFileCharset("abcdef", dest, 0);
  EXPECT_STREQ(dest, "");
}

}  // namespace
