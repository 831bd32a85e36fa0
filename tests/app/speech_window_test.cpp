// Reading the cards aloud, as the learner drives the drill with keys: what would be
// spoken and in which language, recorded in place of the speech service.
#include <wx/uiaction.h>

#include <filesystem>
#include <future>
#include <memory>
#include <string>
#include <vector>

#include "app/speech.h"
#include "gui_test.h"
#include "language_dialog_driver.h"
#include "main_frame_fixture.h"

namespace {

using Spoken = std::vector<std::string>;

// Writes "language:text" for each text and "stop" for each stop into a log the test
// owns; say fails once the service is marked gone.
class tRecordingSpeech : public tSprecher {
 public:
  tRecordingSpeech(Spoken* log, const bool* gone) : log_(log), gone_(gone) {}
  bool say(const std::string& cp1252, const std::string& language) override {
    if (*gone_) return false;
    log_->push_back(language + ":" + cp1252);
    return true;
  }
  void stop() override { log_->push_back("stop"); }

 private:
  Spoken* log_;
  const bool* gone_;
};

// A voice whose every text waits until the test lets it go, as a service that took a
// request and never answers holds the library's call.
class tHangingSpeech : public tSprecher {
 public:
  explicit tHangingSpeech(std::shared_future<void> release) : release_(std::move(release)) {}
  bool say(const std::string&, const std::string&) override {
    release_.wait();
    return false;
  }
  void stop() override {}

 private:
  std::shared_future<void> release_;
};

class SpeechWindowTest : public MainFrameTest {
 protected:
  void SetUp() override {
    MainFrameTest::SetUp();
    setSpeechFactory([this](std::string* why) -> std::unique_ptr<tSprecher> {
      ++connections_;
      if (!serviceThere_) {
        *why = "Kein Sprachdienst zum Vorlesen";
        return nullptr;
      }
      return std::make_unique<tRecordingSpeech>(&spoken_, &serviceGone_);
    });
  }
  void TearDown() override {
    MainFrameTest::TearDown();
    setSpeechFactory(nullptr);
  }

  std::string startWithBox(const std::string& name = "haus.trm") {
    const std::string file =
        writeBox(name, {{1, "das Haus", "the house"}, {1, "der Baum", "the tree"}});
    start(file);
    return file;
  }
  // What was said since the last call, stops left out.
  Spoken said() {
    Spoken texts;
    for (const std::string& entry : spoken_) {
      if (entry != "stop") texts.push_back(entry);
    }
    spoken_.clear();
    return texts;
  }
  // Chooses entry `downs` steps below the one chosen now with the arrow keys, types
  // `code` into the code field when given, and presses Enter; answers a refusal with OK.
  void chooseByKeys(int downs, const char* code = nullptr) {
    for (int i = 0; i < downs; ++i) press(WXK_DOWN);
    if (code != nullptr) {
      press(WXK_TAB);
      wxUIActionSimulator().Text(code);
      guitest::yield(100);
    }
    press(WXK_RETURN);
  }
  void chooseLanguage(int downs, const char* code = nullptr) {
    wxTEST_DIALOG(menu(CM_SPRACHE_UEBERSETZUNG),
                  wxExpectModal<tSpracheDialog>([this, downs, code](tSpracheDialog* dialog) {
                    chooseByKeys(downs, code);
                    return dialog->GetReturnCode();
                  }));
  }

  Spoken spoken_;
  int connections_ = 0;
  bool serviceThere_ = true;
  bool serviceGone_ = false;
};

TEST_F(SpeechWindowTest, ReadsTheQuestionInGermanAndTheAnswerInEnglishUntilAnotherIsChosen) {
  startWithBox();
  EXPECT_FALSE(menuChecked(CM_VORLESEN));
  EXPECT_FALSE(menuEnabled(CM_NOCHMAL_VORLESEN));
  press(WXK_RETURN);
  EXPECT_EQ(said(), Spoken());  // off: nothing is read, nothing connects
  EXPECT_EQ(connections_, 0);
  press(WXK_RETURN);

  menu(CM_VORLESEN);  // the side on screen is read at once
  EXPECT_TRUE(menuChecked(CM_VORLESEN));
  EXPECT_EQ(said(), Spoken({"de:der Baum"}));
  press(WXK_RETURN);
  EXPECT_EQ(said(), Spoken({"en:the tree"}));
  press('L', wxMOD_CONTROL);
  EXPECT_EQ(said(), Spoken({"en:the tree"}));
  press(WXK_ESCAPE);  // unknown: the card is asked again, and read again
  EXPECT_EQ(said(), Spoken({"de:der Baum"}));
  press('L', wxMOD_CONTROL);
  EXPECT_EQ(said(), Spoken({"de:der Baum"}));
  EXPECT_EQ(connections_, 1);

  menu(CM_VORLESEN);  // off again: what is being read stops
  EXPECT_EQ(spoken_, Spoken({"stop"}));
  spoken_.clear();
  press(WXK_RETURN);
  press('L', wxMOD_CONTROL);
  EXPECT_EQ(said(), Spoken());
  EXPECT_EQ(label(ID_ANSWER), "the tree");
}

TEST_F(SpeechWindowTest, SwappedSidesAreEachReadInTheirOwnLanguage) {
  startWithBox();
  menu(CM_VORLESEN);
  chooseLanguage(1);  // Englisch -> Französisch
  said();
  menu(CM_ANTWORT_ALS_FRAGE);
  EXPECT_EQ(said(), Spoken({"fr:the house"}));
  press(WXK_RETURN);
  EXPECT_EQ(said(), Spoken({"de:das Haus"}));
  press(WXK_RETURN);
  EXPECT_EQ(said(), Spoken({"fr:the tree"}));
}

TEST_F(SpeechWindowTest, TheLanguageDialogTakesAnyCodeUnderAndereAndRefusesWhatIsNone) {
  startWithBox();
  menu(CM_VORLESEN);
  said();
  // Andere… is six entries below Englisch; the code is typed in any case.
  chooseLanguage(6, " pt_BR ");
  press(WXK_RETURN);
  EXPECT_EQ(said(), Spoken({"pt-br:the house"}));

  // The dialog shows the code chosen; a code that is none is refused, and the dialog
  // stays open until Abbrechen, which keeps the language.
  wxTEST_DIALOG(
      menu(CM_SPRACHE_UEBERSETZUNG), wxExpectModal<tSpracheDialog>([this](tSpracheDialog* dialog) {
        EXPECT_EQ(guitest::labelOf(dialog, wxID_OK), "Ok");
        press(WXK_TAB);  // to the code field, which holds the code
        press('A', wxMOD_CONTROL);
        wxUIActionSimulator().Text("3x");
        guitest::yield(100);
        press(WXK_RETURN);
        EXPECT_TRUE(dialog->IsShown());
        press(WXK_ESCAPE);
        return dialog->GetReturnCode();
      }),
      tExpectBox(wxString::FromUTF8("„3x“ ist kein Sprachcode. Bitte zwei oder drei Buchstaben "
                                    "eingeben, etwa „pt“, oder mit Land „pt-BR“."),
                 "Achtung", wxOK | wxICON_WARNING, wxID_OK));
  press(WXK_RETURN);
  press(WXK_RETURN);
  EXPECT_EQ(said(), Spoken({"de:der Baum", "pt-br:the tree"}));
}

TEST_F(SpeechWindowTest, TheOptionAndEachBoxsLanguageAreRememberedByTheBoxsRealPath) {
  const std::string file = startWithBox();
  menu(CM_VORLESEN);
  chooseLanguage(5);  // Latein
  stop();
  const std::string other = writeBox("andere.trm", {{1, "die Katze", "the cat"}});
  start(other);
  EXPECT_TRUE(menuChecked(CM_VORLESEN));
  said();
  press(WXK_RETURN);
  EXPECT_EQ(said(), Spoken({"en:the cat"}));
  stop();

  // The first box again, through a link in another folder.
  std::filesystem::create_directory(path("links"));
  std::filesystem::create_symlink(file, path("links/verweis.trm"));
  start(path("links/../links/verweis.trm"));
  EXPECT_EQ(said(), Spoken({"de:das Haus"}));
  press(WXK_RETURN);
  EXPECT_EQ(said(), Spoken({"la:the house"}));
}

TEST_F(SpeechWindowTest, SichernAlsTakesTheLanguageAlongToTheNewFile) {
  startWithBox();
  menu(CM_VORLESEN);
  chooseLanguage(2);  // Spanisch
  wxTEST_DIALOG(menu(CM_SICHERN_ALS), tExpectFile(wxString::FromUTF8(path("copia.trm"))));
  stop();
  start(path("copia.trm"));
  said();
  press(WXK_RETURN);
  EXPECT_EQ(said(), Spoken({"es:the house"}));
}

TEST_F(SpeechWindowTest, WithoutAServiceTheItemIsGreyedTheStatusSaysWhyOnceAndTheDrillGoesOn) {
  serviceThere_ = false;
  startWithBox();
  menu(CM_VORLESEN);
  EXPECT_EQ(status(0), "Kein Sprachdienst zum Vorlesen");
  EXPECT_FALSE(menuEnabled(CM_VORLESEN));
  EXPECT_FALSE(menuChecked(CM_VORLESEN));
  EXPECT_FALSE(menuEnabled(CM_NOCHMAL_VORLESEN));
  press(WXK_RETURN);
  EXPECT_EQ(label(ID_ANSWER), "the house");
  press(WXK_RETURN);
  EXPECT_EQ(label(ID_QUESTION), "der Baum");
  EXPECT_EQ(status(0), "Fach: 1 Gesamt: 2");
  press('L', wxMOD_CONTROL);
  EXPECT_EQ(connections_, 1);
}

TEST_F(SpeechWindowTest, AServiceThatGoesAwayIsReportedOnceAndTheDrillGoesOn) {
  startWithBox();
  menu(CM_VORLESEN);
  said();
  serviceGone_ = true;
  press(WXK_RETURN);
  EXPECT_EQ(status(0), "Sprachdienst antwortet nicht");
  EXPECT_EQ(label(ID_ANSWER), "the house");
  EXPECT_FALSE(menuEnabled(CM_VORLESEN));
  press(WXK_RETURN);
  press(WXK_RETURN);
  EXPECT_EQ(status(0), "Fach: 1 Gesamt: 2");
  EXPECT_EQ(connections_, 1);
}

TEST_F(SpeechWindowTest, AnOptionRememberedOnMeetsNoServiceAtStartAndKeepsItsSetting) {
  startWithBox();
  menu(CM_VORLESEN);
  said();
  stop();
  serviceThere_ = false;
  startWithBox("wieder.trm");
  EXPECT_EQ(status(0), "Kein Sprachdienst zum Vorlesen");
  EXPECT_FALSE(menuEnabled(CM_VORLESEN));
  stop();
  // The next run with a service reads again: the setting outlived the failure.
  serviceThere_ = true;
  startWithBox("dritte.trm");
  EXPECT_EQ(said(), Spoken({"de:das Haus"}));
}

// The service stops answering while connecting or while reading a text: the learner is
// told, the drill goes on, and closing the window does not wait for the service.
TEST_F(SpeechWindowTest, AServiceThatNeverAnswersIsReportedAndHoldsUpNeitherDrillNorClosing) {
  for (const bool hangsOnConnecting : {true, false}) {
    SCOPED_TRACE(hangsOnConnecting ? "connecting" : "reading");
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    setSpeechFactory([released, hangsOnConnecting](std::string*) -> std::unique_ptr<tSprecher> {
      if (hangsOnConnecting) released.wait();
      return std::make_unique<tHangingSpeech>(released);
    });
    startWithBox();
    menu(CM_VORLESEN);
    EXPECT_EQ(status(0), "Sprachdienst antwortet nicht");
    EXPECT_FALSE(menuEnabled(CM_VORLESEN));
    press(WXK_RETURN);
    EXPECT_EQ(label(ID_ANSWER), "the house");
    press(WXK_RETURN);
    EXPECT_EQ(label(ID_QUESTION), "der Baum");
    stop();  // would wait for ever on a closing that waited for the service
    release.set_value();
  }
}

}  // namespace

// Enter on "Andere…" leads on to the code field instead of refusing a code not yet
// typed, and the underlined letters move the keyboard to what they name.
TEST_F(SpeechWindowTest, EnterOnAndereLeadsToTheCodeAndItsLabelsLetterLeadsBack) {
  startWithBox();
  menu(CM_VORLESEN);
  said();
  wxTEST_DIALOG(menu(CM_SPRACHE_UEBERSETZUNG),
                wxExpectModal<tSpracheDialog>([this](tSpracheDialog* dialog) {
                  wxWindow* list = dialog->FindWindow(1511);
                  wxWindow* code = dialog->FindWindow(1512);
                  for (int i = 0; i < 6; ++i) press(WXK_DOWN);
                  press(WXK_RETURN);
                  EXPECT_TRUE(dialog->IsShown());
                  EXPECT_EQ(wxWindow::FindFocus(), code);
                  press(WXK_TAB, wxMOD_SHIFT);  // back to the list
                  EXPECT_EQ(wxWindow::FindFocus(), list);
                  press('c', wxMOD_ALT);
                  EXPECT_EQ(wxWindow::FindFocus(), code);
                  wxUIActionSimulator().Text("pt");
                  guitest::yield(100);
                  press(WXK_RETURN);
                  return dialog->GetReturnCode();
                }));
  press(WXK_RETURN);
  EXPECT_EQ(said(), Spoken({"pt:the house"}));
}
