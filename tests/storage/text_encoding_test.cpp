#include "storage/text_encoding.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <cstdint>
#include <string>
#include <vector>

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

// A file is checked in pieces, so a character may be cut anywhere between two.
TEST(TextEncodingTest, CheckInPiecesAgreesWithTheWholeText) {
  const std::string texts[] = {
      "Gr\xC3\xBC\xC3\x9F"
      "e \xE2\x80\x9Ej\xE2\x80\x9C \xF0\x9F\x98\x80",
      "abc\xE2\x82", "\xED\xA0\x80", "x\xE0\x80\xAF", "\xC3\x28"};
  for (const std::string& text : texts) {
    for (size_t cut = 0; cut <= text.size(); ++cut) {
      tUtf8Check check;
      check.feed(text.data(), cut);
      check.feed(text.data() + cut, text.size() - cut);
      EXPECT_EQ(check.valid(), isValidUtf8(text)) << text << " cut at " << cut;
    }
  }
  tUtf8Check cutShort;
  cutShort.feed("\xE2\x82", 2);
  EXPECT_TRUE(cutShort.stillValid());
  EXPECT_FALSE(cutShort.valid());
}

TEST(TextEncodingTest, SingleCharactersDecodeToTheirByteOrNone) {
  size_t length = 0;
  EXPECT_EQ(cp1252OfUtf8("\xC3\xBCx", 3, &length), 0xFC);
  EXPECT_EQ(length, 2u);
  EXPECT_EQ(cp1252OfUtf8("\xE2\x80\x9E", 3, &length), 0x84);
  EXPECT_EQ(length, 3u);
  EXPECT_EQ(cp1252OfUtf8("\xE6\x97\xA5", 3, &length), -1);  // whole, but no byte
  EXPECT_EQ(length, 3u);
  EXPECT_EQ(cp1252OfUtf8("\xF0\x9F\x98\x80", 4, &length), -1);
  EXPECT_EQ(length, 4u);
  EXPECT_EQ(cp1252OfUtf8("\xE2\x80", 2, &length), -1);  // cut short: one byte on
  EXPECT_EQ(length, 1u);
  EXPECT_EQ(cp1252OfUtf8("\xC0\xAF", 2, &length), -1);
  EXPECT_EQ(length, 1u);
  EXPECT_EQ(asciiPrefixLength("0123456789\xC3\xBC", 12), 10u);
}

TEST(TextEncodingTest, CharactersOutsideTheCodePageAreRefused) {
  std::string out;
  EXPECT_FALSE(utf8ToCp1252("Kr\xC3\xB3l \xC4\x80", &out));  // U+0100
  EXPECT_FALSE(utf8ToCp1252("\xE6\x97\xA5", &out));          // a CJK character
  EXPECT_FALSE(utf8ToCp1252("\xF0\x9F\x98\x80", &out));      // an emoji
  EXPECT_FALSE(utf8ToCp1252("\xC2\x81", &out));              // U+0081 has no 1252 byte
}

std::string utf8Of(uint32_t cp) {
  std::string s;
  if (cp < 0x80) {
    s += static_cast<char>(cp);
  } else if (cp < 0x800) {
    s += static_cast<char>(0xC0 | cp >> 6);
    s += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    s += static_cast<char>(0xE0 | cp >> 12);
    s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    s += static_cast<char>(0xF0 | cp >> 18);
    s += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  }
  return s;
}

// What the C library's converter makes of one character: false when it refuses it.
bool systemConversion(iconv_t cd, std::string in, std::string* out) {
  char buffer[8];
  char* src = &in[0];
  size_t srcLeft = in.size();
  char* dst = buffer;
  size_t dstLeft = sizeof buffer;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) == static_cast<size_t>(-1)) return false;
  out->assign(buffer, sizeof buffer - dstLeft);
  return true;
}

TEST(TextEncodingTest, EveryCharacterConvertsAsTheSystemConverterHasItOrIsRefused) {
  iconv_t cd = iconv_open("CP1252", "UTF-8");
  ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
  std::vector<uint32_t> points;
  for (uint32_t cp = 0; cp < 0x10000; ++cp) {
    if (cp < 0xD800 || cp > 0xDFFF) points.push_back(cp);
  }
  for (uint32_t cp = 0xE0000; cp <= 0xE0080; ++cp) points.push_back(cp);
  points.push_back(0x1F600);
  points.push_back(0x10FFFF);
  int mismatches = 0;
  for (uint32_t cp : points) {
    // Between ASCII letters, so a conversion that eats or adds bytes shows.
    const std::string in = "a" + utf8Of(cp) + "z";
    std::string expected, actual = "stale";
    // A character the system converter drops without an error has no byte either,
    // and must be refused rather than lost.
    const bool expectOk = systemConversion(cd, in, &expected) && expected.size() == 3;
    const bool ok = utf8ToCp1252(in, &actual);
    if (ok != expectOk || (ok && actual != expected)) {
      if (++mismatches < 10) ADD_FAILURE() << "U+" << std::hex << cp;
    }
  }
  iconv_close(cd);
  EXPECT_EQ(mismatches, 0);
}

TEST(TextEncodingTest, LongMixedTextsConvertAcrossWordBoundaries) {
  // ASCII runs of every length up to two words around umlauts, so the word-wise scan
  // meets a multi-byte character at every offset.
  for (size_t run = 0; run <= 17; ++run) {
    const std::string ascii(run, 'x');
    const std::string utf8 = ascii + "\xC3\xA4" + ascii + "\xE2\x82\xAC" + ascii;
    std::string out;
    ASSERT_TRUE(isValidUtf8(utf8)) << run;
    ASSERT_TRUE(utf8ToCp1252(utf8, &out)) << run;
    EXPECT_EQ(out, ascii + "\xE4" + ascii + "\x80" + ascii) << run;
    EXPECT_FALSE(isValidUtf8(ascii + ascii + "\xC3")) << run;
    EXPECT_FALSE(isValidUtf8(ascii + "\x80" + ascii)) << run;
  }
}

TEST(TextEncodingTest, ShownTextMarksWhatTheCodePageLacks) {
  EXPECT_EQ(utf8ToCp1252Shown("\xEF\xBB\xBF"
                              "Gr\xC3\xBC\xC3\x9F"
                              "e \xE2\x82\xAC"),
            "Gr\xFC\xDF"
            "e \x80");
  EXPECT_EQ(utf8ToCp1252Shown("a\xE2\x86\x92"
                              "b\xF0\x9F\x98\x80"
                              "c"),
            "a?b?c");
  // Broken sequences: a stray continuation byte, a cut-off character at the end.
  EXPECT_EQ(utf8ToCp1252Shown("x\x80y\xC3"), "x?y?");
  EXPECT_EQ(utf8ToCp1252Shown("\xE2\x82z"), "?z");
}

TEST(TextEncodingTest, AppendUtf8EncodesEveryLength) {
  std::string out;
  for (const uint32_t c : {0x41u, 0xE4u, 0x20ACu, 0x1F600u, 0xD800u, 0x110000u}) {
    appendUtf8(c, &out);
  }
  EXPECT_EQ(out, "A\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(TextEncodingTest, Utf16WithItsMarkConvertsInEitherOrder) {
  std::string out;
  ASSERT_TRUE(utf16ToUtf8(std::string("\xFF\xFEK\0\xE4\0\xAC\x20\x3D\xD8\x00\xDE", 12), &out));
  EXPECT_EQ(out, "K\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80");
  ASSERT_TRUE(utf16ToUtf8(std::string("\xFE\xFF\0K\0\xE4", 6), &out));
  EXPECT_EQ(out, "K\xC3\xA4");
  EXPECT_FALSE(utf16ToUtf8("K\xC3\xA4", &out));                         // no mark
  EXPECT_FALSE(utf16ToUtf8(std::string("\xFF\xFE\x00\xDC", 4), &out));  // lone surrogate
}

}  // namespace
