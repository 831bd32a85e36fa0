// The training window used as a learner uses it: keys go wherever the keyboard focus
// really is and clicks land where the pointer is, long card texts stay readable, and
// on a German desktop wxWidgets speaks German too.
#include <wx/intl.h>
#include <wx/stattext.h>
#include <wx/stockitem.h>

#include <memory>
#include <string>
#include <vector>

#include "app/my_app.h"
#include "box/card_box.h"
#include "gui_test.h"
#include "main_frame_fixture.h"

namespace {

// Card texts are code page 1252: Straße, Café, Übung.
const std::vector<tBoxCard> kTen = {{1, "Haus", "house"},
                                    {1,
                                     "Stra\xDF"
                                     "e",
                                     "street"},
                                    {1, "Caf\xE9", "caf\xE9"},
                                    {1,
                                     "\xDC"
                                     "bung",
                                     "exercise"},
                                    {1, "Baum", "tree"},
                                    {1, "Tisch", "table"},
                                    {1, "Stuhl", "chair"},
                                    {1, "Fenster", "window"},
                                    {1, "T\xFCr", "door"},
                                    {1, "Dach", "roof"}};

std::vector<std::string> fronts(std::initializer_list<int> indexes) {
  std::vector<std::string> result;
  for (int i : indexes) result.push_back(kTen[i].front);
  return result;
}

}  // namespace

TEST_F(MainFrameTest, KeysActInEveryStateAndAfterRefreshingCommands) {
  start(writeBox("keys.trm", {{1, "Haus", "house"}, {1, "Baum", "tree"}, {1, "Tisch", "table"}}));
  press(WXK_RETURN);
  EXPECT_EQ(label(ID_ANSWER), "house");
  press(WXK_RETURN);
  EXPECT_EQ(frontsIn(2), std::vector<std::string>{"Haus"}) << "the second Enter counts as known";
  press(WXK_RETURN);
  press(WXK_ESCAPE);
  EXPECT_EQ(frontsIn(1), (std::vector<std::string>{"Tisch", "Baum"}));
  press('G');
  press('U');
  EXPECT_EQ(frontsIn(1), (std::vector<std::string>{"Baum", "Tisch"}));
  EXPECT_EQ(wxWindow::FindFocus(), window_->FindWindow(ID_SEHEN));

  menu(CM_ANTWORT_ALS_FRAGE);
  press(WXK_RETURN);
  EXPECT_EQ(label(ID_ANSWER), "Baum");
  EXPECT_EQ(wxWindow::FindFocus(), window_->FindWindow(ID_GEWUSST));
  menu(CM_MISCHEN);  // shows the question again
  EXPECT_EQ(wxWindow::FindFocus(), window_->FindWindow(ID_SEHEN));
  press('G');
  press('G');
  EXPECT_EQ(theCardBox.countIn(2), 2);
}

TEST_F(MainFrameTest, TenCardsDrilledWithKeysAndAClickOnEachButton) {
  start(writeBox("ten.trm", kTen));
  ASSERT_EQ(status(0), "Fach: 10 Gesamt: 10");
  // Each step answers the card at the head of compartment 1; a known card moves to
  // compartment 2, an unknown one to the end of compartment 1.
  click(ID_SEHEN);
  EXPECT_EQ(label(ID_ANSWER), "house");
  press(WXK_RETURN);  // a key straight after a click
  press(WXK_RETURN);
  click(ID_GEWUSST);
  EXPECT_EQ(status(0), "Fach: 8 Gesamt: 10");
  press(WXK_RETURN);
  click(CM_UNBEKANNT);
  EXPECT_EQ(status(1), "Gewusst: 0 Unbekannt: 0");
  press('G');
  press('G');
  press(WXK_RETURN);
  press(WXK_ESCAPE);
  press('G');
  press('U');
  press(WXK_RETURN);
  press(WXK_RETURN);
  press('G');
  press(WXK_RETURN);
  press(WXK_RETURN);
  press('U');
  press('G');
  press(WXK_ESCAPE);

  EXPECT_EQ(frontsIn(2), fronts({0, 1, 3, 6, 7}));
  EXPECT_EQ(frontsIn(1), fronts({2, 4, 5, 8, 9}));
  EXPECT_EQ(label(ID_QUESTION), wxString::FromUTF8("Café")) << "the first unknown card again";
  EXPECT_EQ(label(ID_COMPARTMENT), "1");
  EXPECT_EQ(status(0), "Fach: 5 Gesamt: 10");
  EXPECT_EQ(status(1), "Gewusst: 0 Unbekannt: 1");
  EXPECT_TRUE(window_->modified());
}

TEST_F(MainFrameTest, LongTextsFitTheirFieldsAtTheDefaultSize) {
  const std::string question =
      "Wohnungsbaugesellschaft M\xFChlenwerk: Pr\xFC"
      "fung der Widerspruchsakt";
  const std::string answer =
      "MEHRWERTSTEUERVERWALTUNGSMASSNAHMEN WERDEN WEITGEHEND \xDC"
      "BERWACHT";
  ASSERT_EQ(question.size(), 63u);
  ASSERT_EQ(answer.size(), 63u);
  start(writeBox("long.trm", {{1, question, answer}, {1, "kurz", "short"}}));
  press(WXK_RETURN);
  auto fits = [this](int id) {
    auto* field = static_cast<wxStaticText*>(window_->FindWindow(id));
    int width = 0;
    int height = 0;
    const wxFont font = field->GetFont();
    field->GetTextExtent(field->GetLabelText(), &width, &height, nullptr, nullptr, &font);
    EXPECT_LE(width, field->GetSize().x) << field->GetLabelText().utf8_string();
    EXPECT_LE(height, field->GetSize().y);
    return font.GetPointSize();
  };
  EXPECT_EQ(label(ID_QUESTION),
            wxString::FromUTF8("Wohnungsbaugesellschaft Mühlenwerk: Prüfung der Widerspruchsakt"));
  EXPECT_EQ(label(ID_ANSWER),
            wxString::FromUTF8("MEHRWERTSTEUERVERWALTUNGSMASSNAHMEN WERDEN WEITGEHEND ÜBERWACHT"));
  const int normal = window_->GetFont().GetPointSize();
  EXPECT_LT(fits(ID_ANSWER), normal) << "the wide capitals need a smaller font";
  fits(ID_QUESTION);
  // A short text gets the normal size back.
  press(WXK_ESCAPE);
  EXPECT_EQ(label(ID_QUESTION), "kurz");
  EXPECT_EQ(fits(ID_QUESTION), normal);
  // A wider window gives the long text room again.
  press(WXK_RETURN);
  press(WXK_ESCAPE);
  press(WXK_RETURN);
  ASSERT_EQ(label(ID_ANSWER).utf8_string().size(), 64u);  // Ü takes two bytes
  frame_->SetClientSize(1000, 300);
  ASSERT_TRUE(guitest::waitFor([this] { return window_->GetClientSize().x == 1000; }));
  guitest::yield(50);
  EXPECT_EQ(fits(ID_ANSWER), normal);
}

TEST_F(MainFrameTest, FileMenuOpensABoxWithTheKeyboardAlone) {
  const std::string other = writeBox("other.trm", {{3, "Tisch", "table"}});
  start(writeBox("first.trm", kTen));
  tFileDialogLook look;
  look.title = wxString::FromUTF8("Kartei öffnen");
  wxTEST_DIALOG(
      {
        press('D', wxMOD_ALT);
        press('F');
      },
      tExpectFile(other, look));
  EXPECT_EQ(label(ID_QUESTION), "Tisch");
  press(WXK_RETURN);
  EXPECT_EQ(label(ID_ANSWER), "table") << "keys act after the menu and the file dialog";
}

TEST(DesktopLanguageTest, ProgramSpeaksGermanWithWxWidgetsCatalog) {
  const std::unique_ptr<wxLocale> locale = useDesktopLanguage();
  ASSERT_TRUE(locale->IsOk()) << "de_DE.UTF-8 must be installed (scripts/setup)";
  EXPECT_EQ(locale->GetCanonicalName().substr(0, 2), "de");
  // Texts wxWidgets itself shows, such as the help viewer's and stock buttons.
  EXPECT_EQ(wxGetTranslation("Cancel"), "Abbrechen") << "wx3.2-i18n must be installed";
  EXPECT_EQ(wxGetStockLabel(wxID_YES, wxSTOCK_NOFLAGS), "Ja");
}
