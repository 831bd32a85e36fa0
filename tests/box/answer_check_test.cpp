#include "box/answer_check.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Code page 1252 spellings of the letters and marks the cases need.
#define AE "\xE4"
#define AE_UP "\xC4"
#define OE "\xF6"
#define OE_UP "\xD6"
#define UE "\xFC"
#define UE_UP "\xDC"
#define SZ "\xDF"
#define NBSP "\xA0"
#define ELLIPSIS "\x85"
#define RSQUO "\x92"
#define LDQUO "\x84"
#define RDQUO "\x93"
#define NDASH "\x96"

// The positions marked in markDifferences(typed, answer), as a string of '^' and ' '.
std::string marked(const std::string& typed, const std::string& answer) {
  const std::vector<bool> marks = markDifferences(typed, answer);
  EXPECT_EQ(marks.size(), typed.size());
  std::string picture;
  for (bool m : marks) picture += m ? '^' : ' ';
  return picture;
}

TEST(AnswerCheck, CaseIsIgnoredAlsoForUmlautsAndAccents) {
  EXPECT_TRUE(isRightAnswer("HOUSE", "house"));
  EXPECT_TRUE(isRightAnswer(AE_UP "rger", AE "rger"));
  EXPECT_TRUE(isRightAnswer(OE_UP "l", OE "l"));
  EXPECT_TRUE(isRightAnswer(UE_UP "BER", UE "ber"));
  EXPECT_TRUE(isRightAnswer("CAF\xC9", "caf\xE9"));
  EXPECT_TRUE(
      isRightAnswer("\x8A"
                    "koda",
                    "\x9A"
                    "koda"));
  EXPECT_FALSE(isRightAnswer("hose", "house"));
  // Folding must not confuse the multiplication sign with a letter.
  EXPECT_FALSE(
      isRightAnswer("3\xD7"
                    "4",
                    "3\xF7"
                    "4"));
}

TEST(AnswerCheck, SpacesAtTheEndsAndRepeatedSpacesAreIgnored) {
  EXPECT_TRUE(isRightAnswer("  to   run ", "to run"));
  EXPECT_TRUE(isRightAnswer("to\trun", "to run"));
  EXPECT_TRUE(isRightAnswer("to" NBSP "run", "to run"));
  EXPECT_TRUE(isRightAnswer("to run", " to  run  "));
  // A space is still a space: words run together are another answer.
  EXPECT_FALSE(isRightAnswer("torun", "to run"));
}

TEST(AnswerCheck, OneClosingMarkIsIgnoredOnEitherSide) {
  EXPECT_TRUE(isRightAnswer("Wie geht's", "Wie geht's?"));
  EXPECT_TRUE(isRightAnswer("Hallo!", "Hallo"));
  EXPECT_TRUE(isRightAnswer("Ende.", "Ende"));
  EXPECT_TRUE(isRightAnswer("Na ja", "Na ja" ELLIPSIS));
  EXPECT_TRUE(isRightAnswer("Na ja...", "Na ja" ELLIPSIS));
  EXPECT_TRUE(isRightAnswer("Wirklich ?!", "Wirklich"));
  // Only at the end: a mark inside the text counts.
  EXPECT_FALSE(isRightAnswer("Dr Meier", "Dr. Meier"));
}

TEST(AnswerCheck, TextInParenthesesIsOptional) {
  EXPECT_TRUE(isRightAnswer("run", "(to) run"));
  EXPECT_TRUE(isRightAnswer("to run", "(to) run"));
  EXPECT_TRUE(isRightAnswer("(to) run", "(to) run"));
  EXPECT_TRUE(isRightAnswer("house", "house(s)"));
  EXPECT_TRUE(isRightAnswer("houses", "house(s)"));
  // Each part on its own.
  EXPECT_TRUE(isRightAnswer("to give up", "(to) give (sth.) up"));
  EXPECT_TRUE(isRightAnswer("give sth. up", "(to) give (sth.) up"));
  // The learner's own remark in parentheses does not count either.
  EXPECT_TRUE(isRightAnswer("run (schnell)", "run"));
  // Nested and unmatched parentheses.
  EXPECT_TRUE(isRightAnswer("Bank", "Bank (Geld (nicht Sitz))"));
  EXPECT_TRUE(isRightAnswer("(to run", "to run"));
  // What is outside the parentheses is needed.
  EXPECT_FALSE(isRightAnswer("to", "(to) run"));
  EXPECT_FALSE(isRightAnswer("", "(to) run"));
}

TEST(AnswerCheck, GermanLettersMayBeWrittenOut) {
  EXPECT_TRUE(isRightAnswer("Strasse", "Stra" SZ "e"));
  EXPECT_TRUE(isRightAnswer("Stra" SZ "e", "Strasse"));
  EXPECT_TRUE(isRightAnswer("Aerger", AE_UP "rger"));
  EXPECT_TRUE(isRightAnswer("schoen", "sch" OE "n"));
  EXPECT_TRUE(isRightAnswer("UEBER", UE "ber"));
  EXPECT_TRUE(isRightAnswer("Gruesse", "Gr" UE SZ "e"));
  EXPECT_FALSE(isRightAnswer("Strase", "Stra" SZ "e"));
  EXPECT_FALSE(isRightAnswer("schon", "sch" OE "n"));
}

TEST(AnswerCheck, TypographicMarksEqualTheKeyboardOnes) {
  EXPECT_TRUE(isRightAnswer("don't", "don" RSQUO "t"));
  EXPECT_TRUE(isRightAnswer("\"Ja\"", LDQUO "Ja" RDQUO));
  EXPECT_TRUE(isRightAnswer("Rhein-Main", "Rhein" NDASH "Main"));
}

TEST(AnswerCheck, EachListedAlternativeIsRight) {
  const char* answer = "Bank, Sitzbank; Ufer / Geldinstitut";
  for (const char* typed : {"bank", "Sitzbank", "ufer", "Geldinstitut"}) {
    EXPECT_TRUE(isRightAnswer(typed, answer)) << typed;
  }
  EXPECT_TRUE(isRightAnswer("Bank, Sitzbank; Ufer / Geldinstitut", answer));
  EXPECT_FALSE(isRightAnswer("Bank Sitzbank", answer));
  EXPECT_FALSE(isRightAnswer("Ufe", answer));
  // The rules apply within each alternative.
  EXPECT_TRUE(isRightAnswer("Gruss", "Hallo; Gru" SZ "!"));
  EXPECT_TRUE(isRightAnswer("go", "(to) go, (to) leave"));
  // A separator inside parentheses belongs to the remark.
  EXPECT_TRUE(isRightAnswer("Bank", "Bank (Geld, Sitz)"));
  EXPECT_FALSE(isRightAnswer("Sitz", "Bank (Geld, Sitz)"));
  // Empty pieces accept nothing.
  EXPECT_FALSE(isRightAnswer("", "Bank,, Ufer,"));
  EXPECT_FALSE(isRightAnswer(" ", "Bank /"));
}

TEST(AnswerCheck, AnEmptyAnswerSideTakesOnlyAnEmptyAnswer) {
  EXPECT_TRUE(isRightAnswer("", ""));
  EXPECT_TRUE(isRightAnswer("  ", ""));
  EXPECT_FALSE(isRightAnswer("x", ""));
}

TEST(AnswerCheck, MarksTheTypedCharactersThatDiffer) {
  EXPECT_EQ(marked("hoose", "house"), "  ^  ");
  EXPECT_EQ(marked("housse", "house"), "   ^  ");  // the first of the two may go
  // A missing character marks its neighbour, at the end the one before.
  EXPECT_EQ(marked("huse", "house"), " ^  ");
  EXPECT_EQ(marked("hous", "house"), "   ^");
  EXPECT_EQ(marked("xyz", "house"), "^^^");
}

TEST(AnswerCheck, MarksFollowTheRulesOfTheCheck) {
  // A right answer marks nothing.
  EXPECT_EQ(marked("  Strasse! ", "Stra" SZ "e"), "           ");
  // Case, spelled-out umlauts, extra spaces and the closing mark are no differences.
  EXPECT_EQ(marked("GRUESSE  aus Bonn!", "Gr" UE SZ "e aus Berlin"), "              ^^  ");
  // Against the closest alternative.
  EXPECT_EQ(marked("Ufre", "Bank; Ufer; Geldinstitut"), "  ^^");
  // A German letter typed where the answer has another one is one difference.
  EXPECT_EQ(marked("sch" OE "n", "sch" AE "n"), "   ^ ");
  EXPECT_EQ(marked("", "house"), "");
}

}  // namespace
