// Strg+Z after the commands that rearrange or fill the whole box: the menu item names
// the command, and one Strg+Z puts every card back where it was, with its counters.
#include <wx/menu.h>
#include <wx/uiaction.h>

#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "app/my_app.h"
#include "box/card_box.h"
#include "gui_test.h"
#include "main_frame_fixture.h"
#include "wordlists/word_list_format.h"
#include "x_focus.h"

namespace {

using Strings = std::vector<std::string>;

// Every card as "compartment:front known/unknown", in box order.
Strings wholeBox() {
  Strings cards;
  tTermel c;
  for (int n = theCardBox.firstCard(&c); n != 0; n = theCardBox.nextCard(&c)) {
    cards.push_back(std::to_string(n) + ":" + c.front + " " + std::to_string(c.timesKnown) + "/" +
                    std::to_string(c.timesUnknown));
  }
  return cards;
}

// Cards in every compartment, enough of them that a shuffle cannot leave all in place.
std::vector<tBoxCard> spreadBox() {
  std::vector<tBoxCard> cards;
  for (int i = 0; i < 70; ++i) {
    cards.push_back({1 + i % 7, "Wort" + std::to_string(i), "word", i % 4, i % 3});
  }
  return cards;
}

class UndoWindowTest : public MainFrameTest {
 protected:
  // A key for the main window. When the X server has not given it the keyboard (the
  // program of the test before may have had it last), the learner clicks into the
  // window first, on the question.
  void pressInFrame(int keyCode, int modifiers = 0) {
    const auto inFrame = [&] { return keyboardFocus().title == frame_->GetTitle().utf8_string(); };
    if (!guitest::waitFor(inFrame, 500)) {
      const wxRect question = window_->FindWindow(ID_QUESTION)->GetScreenRect();
      wxUIActionSimulator simulator;
      simulator.MouseMove(question.GetLeft() + question.GetWidth() / 2,
                          question.GetTop() + question.GetHeight() / 2);
      guitest::yield(20);
      simulator.MouseClick();
      guitest::waitFor(inFrame);
    }
    press(keyCode, modifiers);
  }

  wxString undoItem() {
    frame_->UpdateWindowUI();
    return frame_->GetMenuBar()->FindItem(menuItemId(CM_ZURUECKNEHMEN))->GetItemLabelText();
  }

  void importList() {
    const std::string file = path("neu.txt");
    std::ofstream(file, std::ios::binary) << "Tisch;table\nStuhl;chair\n";
    tFileDialogLook look;
    look.title = "Wortliste importieren";
    look.wildcard = wordListImportFilter();
    look.style = wxFD_OPEN | wxFD_FILE_MUST_EXIST;
    // Every line came in: no summary to read.
    wxTEST_DIALOG(menu(CM_IMPORT), tExpectFile(file, look));
  }

  // The other computer knew "Wort1" once more and added "Tisch".
  std::string startWithOtherBox() {
    writeBox("Laptop.trm", {{3, "Wort1", "word", 2, 1}, {1, "Tisch", "table"}});
    const std::string box = writeBox("box.trm", spreadBox());
    start(box);
    return box;
  }

  void mergeCopy() {
    const std::string other = path("Laptop.trm");
    wxTEST_DIALOG(
        menu(CM_ZUSAMMENFUEHREN), tExpectFile(wxString::FromUTF8(other)),
        tExpectBox(wxString::FromUTF8(
                       "1 übernommen, 1 Fortschritte zusammengeführt, 0 gelöscht, 0 Konflikte"
                       "\n\nFür " +
                       other +
                       " ist keine Fassung bekannt, aus der auch die Kartei entstand; beim "
                       "Zusammenführen wurde darum keine Karte gelöscht."),
                   wxString::FromUTF8("Zusammenführen"), wxOK | wxICON_INFORMATION, wxID_OK));
  }
};

}  // namespace

TEST_F(UndoWindowTest, StrgZTakesBackEachWholeBoxCommandAndTheMenuNamesIt) {
  const struct {
    const char* name;  // as the menu item names it after "Zurücknehmen: "
    std::function<void()> command;
  } cases[] = {
      {"Zusammenführen", [this] { mergeCopy(); }},
      {"In 1. Fach", [this] { menu(CM_IN_1_FACH); }},
      {"Mischen", [this] { menu(CM_MISCHEN); }},
      {"Alle Mischen", [this] { menu(CM_ALLE_MISCHEN); }},
      {"Import", [this] { importList(); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    startWithOtherBox();
    const Strings before = wholeBox();
    const wxString counts = status(0);
    EXPECT_EQ(undoItem(), wxString::FromUTF8("Zurücknehmen"));
    EXPECT_FALSE(menuEnabled(CM_ZURUECKNEHMEN));
    c.command();
    ASSERT_NE(wholeBox(), before);
    EXPECT_EQ(undoItem(), wxString::FromUTF8("Zurücknehmen: ") + wxString::FromUTF8(c.name));
    EXPECT_TRUE(menuEnabled(CM_ZURUECKNEHMEN));
    pressInFrame('Z', wxMOD_CONTROL);
    EXPECT_EQ(wholeBox(), before);
    EXPECT_EQ(status(0), counts);
    EXPECT_TRUE(window_->modified()) << "the box differs from what was last saved or shown";
    EXPECT_FALSE(menuEnabled(CM_ZURUECKNEHMEN));
    stop();
  }
}

TEST_F(UndoWindowTest, AnswersAndCommandsComeBackNewestFirst) {
  start(writeBox("box.trm", spreadBox()));
  const Strings start = wholeBox();
  pressInFrame(WXK_RETURN);
  pressInFrame(WXK_RETURN);  // known: the first card moves on
  const Strings answered = wholeBox();
  menu(CM_IN_1_FACH);
  pressInFrame(WXK_RETURN);
  pressInFrame(WXK_ESCAPE);  // unknown
  EXPECT_EQ(undoItem(), wxString::FromUTF8("Zurücknehmen: Antwort"));
  pressInFrame('Z', wxMOD_CONTROL);
  EXPECT_EQ(undoItem(), wxString::FromUTF8("Zurücknehmen: In 1. Fach"));
  pressInFrame('Z', wxMOD_CONTROL);
  EXPECT_EQ(wholeBox(), answered);
  pressInFrame('Z', wxMOD_CONTROL);
  EXPECT_EQ(wholeBox(), start);
}
