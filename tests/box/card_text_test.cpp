#include "box/card_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Every code page 1252 byte, split by what fitCardText does with it.
struct tCharClasses {
  std::string held, replaced, refused;
};

tCharClasses classify() {
  tCharClasses classes;
  for (int c = 1; c < 256; ++c) {
    const char ch = static_cast<char>(c);
    if (cardCanHold(ch)) {
      classes.held += ch;
    } else if (cardCharReplacement(ch) != nullptr) {
      classes.replaced += ch;
    } else {
      classes.refused += ch;
    }
  }
  return classes;
}

TEST(CardTextTest, ReplacesTypographicPunctuationAndRefusesTheRestThatChanges) {
  const tCharClasses classes = classify();
  // ‚ „ … € – — ‘ ’ “ ” and the no-break space, by their code page 1252 bytes.
  EXPECT_EQ(classes.replaced, "\x80\x82\x84\x85\x91\x92\x93\x94\x96\x97\xA0");
  // ƒ † ‡ ˆ ‰ Š ‹ Œ Ž • ˜ ™ š › œ ¡ ¤ ¨ µ ¶ · ½ ¾ × Þ, and the five bytes code page
  // 1252 leaves undefined.
  EXPECT_EQ(classes.refused,
            "\x81\x83\x86\x87\x88\x89\x8A\x8B\x8C\x8D\x8E\x8F\x90\x95\x98\x99\x9A\x9B\x9C\x9D"
            "\xA1\xA4\xA8\xB5\xB6\xB7\xBD\xBE\xD7\xDE");
  EXPECT_EQ(classes.replaced.size() + classes.refused.size(), 41u);
  // What is held includes the letters a German word list needs.
  for (char c : std::string("\xC4\xD6\xDC\xE4\xF6\xFC\xDF\xE9\x9F\xA3")) {
    EXPECT_TRUE(cardCanHold(c)) << static_cast<int>(static_cast<unsigned char>(c));
  }
}

TEST(CardTextTest, FitReplacesOnTheWholeText) {
  std::string text =
      "\x84Haus\x93 \x96 \x82x\x91 \x85 5\xA0\x80\x97"
      "ende";
  const tCardTextFit fit = fitCardText(&text);
  EXPECT_TRUE(fit.fits);
  EXPECT_TRUE(fit.replaced);
  EXPECT_EQ(text, "\"Haus\" - 'x' ... 5 EUR-ende");

  std::string plain =
      "Gl\xFC"
      "ck;luck";
  const tCardTextFit untouched = fitCardText(&plain);
  EXPECT_TRUE(untouched.fits);
  EXPECT_FALSE(untouched.replaced);
  EXPECT_EQ(plain,
            "Gl\xFC"
            "ck;luck");
}

TEST(CardTextTest, RefusedTextIsLeftAsGivenAndTheCharacterNamed) {
  std::string text =
      "\x84Gr\xF6\xDF"
      "e\x93 in \xB5m \x99";
  const tCardTextFit fit = fitCardText(&text);
  EXPECT_FALSE(fit.fits);
  EXPECT_FALSE(fit.replaced);
  EXPECT_EQ(fit.refused, '\xB5');
  EXPECT_EQ(text,
            "\x84Gr\xF6\xDF"
            "e\x93 in \xB5m \x99");
  EXPECT_EQ(refusedCharMessage(fit.refused), "Zeichen nicht darstellbar: \xB5");
}

}  // namespace
