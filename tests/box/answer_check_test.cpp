#include "box/answer_check.h"

#include <gtest/gtest.h>

#include <initializer_list>
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
#define S_CARON "\x9A"
#define S_CARON_UP "\x8A"
#define TIMES "\xD7"
#define DIVIDED "\xF7"

struct Verdict {
  const char* typed;
  const char* answer;
  bool right;
};

void expectVerdicts(std::initializer_list<Verdict> cases) {
  for (const Verdict& c : cases) {
    EXPECT_EQ(isRightAnswer(c.typed, c.answer), c.right) << c.typed << " | " << c.answer;
  }
}

// The positions marked in markDifferences(typed, answer), as a string of '^' and ' '.
std::string marked(const std::string& typed, const std::string& answer) {
  const std::vector<bool> marks = markDifferences(typed, answer);
  EXPECT_EQ(marks.size(), typed.size());
  std::string picture;
  for (bool m : marks) picture += m ? '^' : ' ';
  return picture;
}

TEST(AnswerCheck, CaseIsIgnoredAlsoForUmlautsAndAccents) {
  expectVerdicts({
      {"HOUSE", "house", true},
      {AE_UP "rger", AE "rger", true},
      {OE_UP "l", OE "l", true},
      {UE_UP "BER", UE "ber", true},
      {"CAF\xC9", "caf\xE9", true},
      {S_CARON_UP "koda", S_CARON "koda", true},
      {"hose", "house", false},
      // Folding must not confuse the multiplication sign with a letter.
      {"3" TIMES "4", "3" DIVIDED "4", false},
  });
}

TEST(AnswerCheck, SpacesAtTheEndsAndRepeatedSpacesAreIgnored) {
  expectVerdicts({
      {"  to   run ", "to run", true},
      {"to\trun", "to run", true},
      {"to" NBSP "run", "to run", true},
      {"to run", " to  run  ", true},
      // A space is still a space: words run together are another answer.
      {"torun", "to run", false},
  });
}

TEST(AnswerCheck, OneClosingMarkIsIgnoredOnEitherSide) {
  expectVerdicts({
      {"Wie geht's", "Wie geht's?", true},
      {"Hallo!", "Hallo", true},
      {"Ende.", "Ende", true},
      {"Na ja", "Na ja" ELLIPSIS, true},
      {"Na ja...", "Na ja" ELLIPSIS, true},
      {"Wirklich ?!", "Wirklich", true},
      // Only at the end: a mark inside the text counts.
      {"Dr Meier", "Dr. Meier", false},
  });
}

TEST(AnswerCheck, TextInParenthesesIsOptional) {
  expectVerdicts({
      {"run", "(to) run", true},
      {"to run", "(to) run", true},
      {"(to) run", "(to) run", true},
      {"house", "house(s)", true},
      {"houses", "house(s)", true},
      // Each part on its own.
      {"to give up", "(to) give (sth.) up", true},
      {"give sth. up", "(to) give (sth.) up", true},
      // The learner's own remark in parentheses does not count either.
      {"run (schnell)", "run", true},
      // Nested and unmatched parentheses.
      {"Bank", "Bank (Geld (nicht Sitz))", true},
      {"(to run", "to run", true},
      // What is outside the parentheses is needed.
      {"to", "(to) run", false},
      {"", "(to) run", false},
  });
}

TEST(AnswerCheck, ManyParenthesizedPartsAreAllLeftOutOrAllKept) {
  std::string typed, answer = "run";
  for (int i = 0; i < 40; ++i) typed += "(x" + std::to_string(i) + ") ";
  EXPECT_TRUE(isRightAnswer(typed + "run", answer));
  EXPECT_FALSE(isRightAnswer(typed + "walk", answer));
  answer = "(a) b (c) d (e) f";
  EXPECT_TRUE(isRightAnswer("b d f", answer));
  EXPECT_TRUE(isRightAnswer("a b c d e f", answer));
  EXPECT_TRUE(isRightAnswer("a b d f", answer));  // up to four parts each on its own
}

TEST(AnswerCheck, GermanLettersMayBeWrittenOut) {
  expectVerdicts({
      {"Strasse", "Stra" SZ "e", true},
      {"Stra" SZ "e", "Strasse", true},
      {"Aerger", AE_UP "rger", true},
      {"schoen", "sch" OE "n", true},
      {"UEBER", UE "ber", true},
      {"Gruesse", "Gr" UE SZ "e", true},
      {"Strase", "Stra" SZ "e", false},
      {"schon", "sch" OE "n", false},
  });
}

TEST(AnswerCheck, TypographicMarksEqualTheKeyboardOnes) {
  expectVerdicts({
      {"don't", "don" RSQUO "t", true},
      {"\"Ja\"", LDQUO "Ja" RDQUO, true},
      {"Rhein-Main", "Rhein" NDASH "Main", true},
  });
}

TEST(AnswerCheck, EachListedAlternativeIsRight) {
#define LISTED "Bank, Sitzbank; Ufer / Geldinstitut"
  expectVerdicts({
      {"bank", LISTED, true},
      {"Sitzbank", LISTED, true},
      {"ufer", LISTED, true},
      {"Geldinstitut", LISTED, true},
      {LISTED, LISTED, true},
      {"Bank Sitzbank", LISTED, false},
      {"Ufe", LISTED, false},
      // The rules apply within each alternative.
      {"Gruss", "Hallo; Gru" SZ "!", true},
      {"go", "(to) go, (to) leave", true},
      // A separator inside parentheses belongs to the remark.
      {"Bank", "Bank (Geld, Sitz)", true},
      {"Sitz", "Bank (Geld, Sitz)", false},
      // Empty pieces accept nothing.
      {"", "Bank,, Ufer,", false},
      {" ", "Bank /", false},
  });
}

TEST(AnswerCheck, AnEmptyAnswerSideTakesOnlyAnEmptyAnswer) {
  expectVerdicts({
      {"", "", true},
      {"  ", "", true},
      {"x", "", false},
  });
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
  // A pasted text far longer than any card is marked from where alignment stops.
  const std::string pasted = "house" + std::string(5000, 'x');
  const std::vector<bool> marks = markDifferences(pasted, "house");
  EXPECT_FALSE(marks[0]);
  EXPECT_TRUE(marks[4999]);
}

}  // namespace
