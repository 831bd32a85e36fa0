// Card texts through the card file: a save stores each character as it is, so any
// number of saves and loads gives back every text byte for byte, backslashes included.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "box/card_text.h"
#include "kartei/card_file.h"
#include "tests/box/box_test_support.h"

namespace {

using Strings = std::vector<std::string>;

class CardTextsTest : public CardBoxTest {
 protected:
  // Saves theCardBox and loads it back in its place.
  void saveAndLoad() {
    tFileReport saved, loaded;
    ASSERT_TRUE(saveCardFile(path_.c_str(), &saved));
    ASSERT_TRUE(saved.errors.empty()) << saved.errors[0];
    theCardBox.clearAll();
    loadCardFile(path_.c_str(), &loaded);
    ASSERT_TRUE(loaded.errors.empty()) << loaded.errors[0];
  }

  ScratchDir dir_;
  std::string path_ = dir_.file("texte.trm");
};

TEST_F(CardTextsTest, ThreeSavesInARowChangeNoCardBackslashesIncluded) {
  const Strings texts = {
      "C:\\Temp;C:\\Windows\\System",
      "a\\\\\\\\b;\\\\",
      "\\\"a ist kein \xE4;\\0 endet nichts",
      "Ende\\;\\L5 \\ae \\?",
      "M\xE4"
      "dchen;Stra\xDF"
      "e \xA3 \xE9",
  };
  for (const std::string& text : texts) {
    const size_t semicolon = text.find(';');
    theCardBox.addCardTo(
        card(text.substr(0, semicolon).c_str(), text.substr(semicolon + 1).c_str()), 3);
  }
  for (int save = 1; save <= 3; ++save) {
    SCOPED_TRACE("save " + std::to_string(save));
    saveAndLoad();
    EXPECT_EQ(textsIn(3), texts);
  }
}

// Texts of up to 63 characters drawn from every byte a card can hold; a text ends in no
// blank, since the file pads its fields with blanks.
TEST_F(CardTextsTest, RandomTextsOfEveryStorableByteSurviveTwentySavesAndLoads) {
  std::string storable;
  for (int c = 1; c < 256; ++c) {
    if (cardCanHold(static_cast<char>(c))) storable += static_cast<char>(c);
  }
  ASSERT_NE(storable.find('\\'), std::string::npos);
  ASSERT_GT(storable.size(), 200u);
  std::mt19937 random(20261207);
  auto text = [&] {
    std::string t(1 + random() % 63, ' ');
    for (char& c : t) c = storable[random() % storable.size()];
    if (t.back() == ' ') t.back() = '\\';
    return t;
  };
  for (int i = 0; i < 200; ++i) {
    const std::string front = text(), back = text();
    theCardBox.addCardTo(card(front.c_str(), back.c_str()), 1 + i % 7);
  }
  auto all = [] {
    Strings texts;
    for (int n = 1; n <= 7; ++n) {
      for (const std::string& t : textsIn(n)) texts.push_back(t);
    }
    return texts;
  };
  const Strings before = all();
  ASSERT_EQ(before.size(), 200u);
  for (int cycle = 1; cycle <= 20; ++cycle) {
    SCOPED_TRACE("cycle " + std::to_string(cycle));
    saveAndLoad();
    ASSERT_EQ(all(), before);
  }
}

}  // namespace
