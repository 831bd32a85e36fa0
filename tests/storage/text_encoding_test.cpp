#include "storage/text_encoding.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(TextEncodingTest, EveryDefinedByteRoundTrips) {
  std::string all;
  for (int c = 0; c < 256; ++c) {
    if (c != 0x81 && c != 0x8D && c != 0x8F && c != 0x90 && c != 0x9D) all += static_cast<char>(c);
  }
  const std::string utf8 = cp1252ToUtf8(all);
  EXPECT_TRUE(isValidUtf8(utf8));
  std::string back;
  ASSERT_TRUE(utf8ToCp1252(utf8, &back));
  EXPECT_EQ(back, all);
}

TEST(TextEncodingTest, KnownCharactersConvertBothWays) {
  EXPECT_EQ(cp1252ToUtf8("Gl\xFC"
                         "ck \x80 \xDF"),
            "Gl\xC3\xBC"
            "ck \xE2\x82\xAC \xC3\x9F");
  EXPECT_EQ(cp1252ToUtf8(""), "");
  std::string out = "old";
  ASSERT_TRUE(
      utf8ToCp1252("Stra\xC3\x9F"
                   "e \xE2\x80\x9E"
                   "a\xE2\x80\x9C",
                   &out));
  EXPECT_EQ(out,
            "Stra\xDF"
            "e \x84"
            "a\x93");
  ASSERT_TRUE(utf8ToCp1252("", &out));
  EXPECT_EQ(out, "");
  ASSERT_TRUE(utf8ToCp1252(std::string("a\0b", 3), &out));
  EXPECT_EQ(out, std::string("a\0b", 3));
}

TEST(TextEncodingTest, UndefinedBytesBecomeReplacementCharacters) {
  EXPECT_EQ(cp1252ToUtf8("a\x81z\x9D"), "a\xEF\xBF\xBDz\xEF\xBF\xBD");
  const std::string many(5000, '\x90');  // more than one conversion chunk
  const std::string utf8 = cp1252ToUtf8(many);
  EXPECT_EQ(utf8.size(), 3u * many.size());
  EXPECT_EQ(utf8.substr(utf8.size() - 3), "\xEF\xBF\xBD");
}

TEST(TextEncodingTest, ByteOrderMarkIsAcceptedAndDropped) {
  EXPECT_TRUE(
      isValidUtf8("\xEF\xBB\xBF"
                  "abc"));
  std::string out;
  ASSERT_TRUE(
      utf8ToCp1252("\xEF\xBB\xBF"
                   "\xC3\xA4",
                   &out));
  EXPECT_EQ(out, "\xE4");
}

TEST(TextEncodingTest, MalformedUtf8IsRefused) {
  const char* const bad[] = {
      "\x80",              // continuation without a lead
      "\xC3",              // lead at the end
      "\xC3\x28",          // lead without continuation
      "\xC0\xAF",          // overlong slash
      "\xE0\x80\xAF",      // overlong, three bytes
      "\xED\xA0\x80",      // surrogate
      "\xF4\x90\x80\x80",  // beyond U+10FFFF
      "\xF5\x80\x80\x80",  // no such lead
      "\xFE",
      "abc\xE2\x82",  // cut inside a character
  };
  for (const char* b : bad) {
    EXPECT_FALSE(isValidUtf8(b)) << b;
    std::string out;
    EXPECT_FALSE(utf8ToCp1252(b, &out)) << b;
  }
  EXPECT_TRUE(isValidUtf8("\xF4\x8F\xBF\xBF"));
  EXPECT_TRUE(isValidUtf8("\xED\x9F\xBF"));
}

TEST(TextEncodingTest, CharactersOutsideTheCodePageAreRefused) {
  std::string out;
  EXPECT_FALSE(utf8ToCp1252("Kr\xC3\xB3l \xC4\x80", &out));  // U+0100
  EXPECT_FALSE(utf8ToCp1252("\xE6\x97\xA5", &out));          // a CJK character
  EXPECT_FALSE(utf8ToCp1252("\xF0\x9F\x98\x80", &out));      // an emoji
  EXPECT_FALSE(utf8ToCp1252("\xC2\x81", &out));              // U+0081 has no 1252 byte
}

}  // namespace
