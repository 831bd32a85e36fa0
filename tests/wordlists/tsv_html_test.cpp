// Tab-separated text as flashcard programs export it: header lines written with a
// space, recordings, HTML without a header that says so, and every named character
// reference HTML has.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/wordlists/word_list_test_support.h"
#include "wordlists/html_text.h"

namespace {

using Codes = std::vector<std::pair<int, int>>;

class TsvTest : public WordListTest {};

TEST_F(TsvTest, SeparatorHeaderWithSpaceAndRecordingsLeftOut) {
  importBytes("a.tsv",
              "#separator: comma\r\n#html: false\r\n#columns: Front,Back,Audio\r\n"
              "Haus [sound:haus.mp3],house,[sound:house.mp3]\r\n"
              "[sound:a.mp3] Baum,[sound:b.mp3]tree[sound:c.ogg]\r\n"
              "[sound:nur.mp3],[sound:ton.mp3]\r\n"
              "Ton [sound:offen,sound\r\n"
              "[sou[sound:x.mp3]nd:y.mp3]Ast,branch\r\n");
  EXPECT_EQ(textsIn(1), Texts({"Haus;house", "Baum;tree", "Ton [sound:offen;sound", "Ast;branch"}));
  // A column of recordings is no further text; a card of recordings only is empty.
  EXPECT_EQ(reported(), Codes({{kImportNoFirstTerm, 6}}));
}

TEST_F(TsvTest, QuotedBlanksAroundATextReadBack) {
  theCardBox.addCardTo(card(" vorn", "  hinten [sound"), 1);
  expectRoundTrip("leer.tsv");
}

TEST_F(TsvTest, FieldsWithHtmlElementsAreHtmlWithoutHeader) {
  importBytes("b.tsv",
              "Wolke\tcloud\n<b>Haus</b>\thouse<br>home\nFisch &amp; Chips\tfish &amp; chips\n"
              "&bdquo;Zitat&ldquo;\t&lsquo;quote&rsquo;\n");
  EXPECT_EQ(textsIn(1), Texts({"Wolke;cloud", "Haus;house home", "Fisch & Chips;fish & chips",
                               "\"Zitat\";'quote'"}));
  // "#html:false" says otherwise, and tags that don't close stay text.
  theCardBox.clearAll();
  importBytes("c.tsv", "#html:false\n<b>Haus</b>\thouse\n");
  importBytes("d.tsv", "a<b\tb>c &amp;\nx <i>\ty\n5\" Diskette\t\"floppy\" disk\n");
  EXPECT_EQ(textsIn(1), Texts({"<b>Haus</b>;house", "a<b;b>c &amp;", "x <i>;y",
                               "5\" Diskette;\"floppy\" disk"}));
  EXPECT_EQ(reports_, std::vector<Report>());  // quotes inside text are no news here
  EXPECT_TRUE(holdsHtml("<img src=\"haus.jpg\">"));
  EXPECT_TRUE(holdsHtml("<DIV>x</div>"));
  EXPECT_FALSE(holdsHtml("</b> vor <b>"));
  EXPECT_FALSE(holdsHtml("<unbekannt>x</unbekannt>"));
}

TEST_F(TsvTest, EveryNamedReferenceIsDecoded) {
  // Beyond the common ones: HTML's long names, names of two characters, and numbers
  // in code page 1252's range as browsers read them.
  EXPECT_EQ(htmlToText("&thorn;&eth;&half;&lsqb;&rsqb;&comma;&period;&excl;&quest;&Tab;"),
            "\xC3\xBE\xC3\xB0\xC2\xBD[],.!?\t");
  EXPECT_EQ(htmlToText("&CounterClockwiseContourIntegral;"), "\xE2\x88\xB3");
  EXPECT_EQ(htmlToText("&NotEqualTilde;"), "\xE2\x89\x82\xCC\xB8");
  EXPECT_EQ(htmlToText("&#150;&#x80;&#x9f;"), "\xE2\x80\x93\xE2\x82\xAC\xC5\xB8");
  EXPECT_EQ(htmlToText("&Auml;&auml;&AMP;&nbsp;x"), "\xC3\x84\xC3\xA4&\xC2\xA0x");
  EXPECT_EQ(htmlToText("&Unbekannt; &CounterClockwiseContourIntegralX;"),
            "&Unbekannt; &CounterClockwiseContourIntegralX;");
  // In a file: what a card can't hold is refused as in every import, typographic
  // characters take their plain forms.
  const tImportResult result =
      importBytes("e.tsv", "#html:true\nK&auml;se&hellip;\tcheese&mdash;\n&ecaron;\tx\n");
  EXPECT_EQ(textsIn(1), Texts({"K\xE4se...;cheese-"}));
  EXPECT_EQ(result.replaced, 1);
  EXPECT_EQ(reported(), Codes({{kImportNotEncodable, 3}}));
}

}  // namespace
