// The card entry dialog and the duplicate warning it opens.
#include <gtk/gtk.h>
#include <wx/button.h>
#include <wx/clipbrd.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>
#include <wx/window.h>

#include <cctype>
#include <functional>
#include <string>
#include <utility>

#include "box/card_box.h"
#include "dialog_test.h"
#include "dialogs/wx_text.h"

using dialogtest::fronts;
using dialogtest::press;
using dialogtest::type;
using dialogtest::valueOf;
using Strings = std::vector<std::string>;

namespace {

class TermelDialogTest : public testing::Test {
 protected:
  void SetUp() override { dialogtest::resetBox(); }
  void TearDown() override { dialogtest::resetBox(); }
};

// Types a card and presses "Speichern".
void storeCard(tTermelDialog* dialog, const char* front, const char* back) {
  type(dialog, 301, front);
  type(dialog, 302, back);
  press(dialog, wxID_OK);
}

// A duplicate warning that checks the card it shows and answers with `answer`.
wxExpectModal<tShowDialog> duplicateShowing(const char* front, const char* back, int answer) {
  return wxExpectModal<tShowDialog>([=](tShowDialog* dialog) {
    EXPECT_EQ(u8(guitest::labelOf(dialog, 1201)), front);
    EXPECT_EQ(u8(guitest::labelOf(dialog, 1202)), back);
    return answer;
  });
}

// The duplicate warning as ShowModal puts it up: the one window that takes keys, which
// GTK then hands the keys sent to any other window of the program. action answers it.
class tModalWarning : public wxExpectModalBase<tShowDialog, tModalWarning> {
 public:
  explicit tModalWarning(std::function<int(tShowDialog*)> action) : action_(std::move(action)) {}

 protected:
  int OnInvoked(tShowDialog* dialog) const override {
    dialog->Show();
    wxWindowDisabler others(dialog);
    gtk_window_set_modal(GTK_WINDOW(dialog->GetHandle()), TRUE);
    const int result = action_(dialog);
    gtk_window_set_modal(GTK_WINDOW(dialog->GetHandle()), FALSE);
    return result;
  }

 private:
  std::function<int(tShowDialog*)> action_;
};

}  // namespace

TEST_F(TermelDialogTest, RepeatedPressStoresOneCardAndSelectsTheFrontForTheNext) {
  int result = 0;
  wxTEST_DIALOG(result = runCardEntryDialog(nullptr, nullptr),
                wxExpectModal<tTermelDialog>([](tTermelDialog* dialog) {
                  EXPECT_EQ(u8(guitest::labelOf(dialog, wxID_OK)), "Speichern");
                  EXPECT_EQ(u8(guitest::labelOf(dialog, wxID_CANCEL)), "Schließen");
                  EXPECT_EQ(u8(dialog->GetTitle()), "Termeln eingeben");
                  storeCard(dialog, "Haus", "house");
                  press(dialog, wxID_OK);
                  auto* front = dynamic_cast<wxTextCtrl*>(dialog->FindWindow(301));
                  long from = -1, to = -1;
                  front->GetSelection(&from, &to);
                  EXPECT_EQ(from, 0);
                  EXPECT_EQ(to, 4);
                  EXPECT_EQ(wxWindow::FindFocus(), front);
                  EXPECT_EQ(u8(valueOf(dialog, 302)), "house");
                  EXPECT_EQ(dialogtest::resultOf(dialog), 0) << "stays open after storing";
                  return wxID_CANCEL;
                }));
  EXPECT_EQ(result, wxID_CANCEL);
  EXPECT_EQ(fronts(1), Strings{"Haus"});
}

TEST_F(TermelDialogTest, SameFrontOrSameBackAsAStoredCardOpensTheDuplicateWarning) {
  dialogtest::addCard(7, "Tisch", "table");
  wxTEST_DIALOG(
      runCardEntryDialog(nullptr, nullptr), wxExpectModal<tTermelDialog>([](tTermelDialog* dialog) {
        storeCard(dialog, "Haus", "house");
        storeCard(dialog, "Haus", "home");   // same front: dropped
        storeCard(dialog, "Heim", "house");  // same back: stored anyway
        storeCard(dialog, "Tisch", "desk");  // front of an archived card: dropped
        storeCard(dialog, "haus", "HOUSE");  // letter case differs: no warning
        return wxID_CANCEL;
      }),
      duplicateShowing("Haus", "house", wxID_CANCEL), duplicateShowing("Haus", "house", wxID_OK),
      duplicateShowing("Tisch", "table", wxID_CANCEL));
  EXPECT_EQ(fronts(1), (Strings{"Haus", "Heim", "haus"}));
  EXPECT_EQ(fronts(7), Strings{"Tisch"});
}

TEST_F(TermelDialogTest, CorrectingTheExistingCardFromTheWarningKeepsTheTypedCard) {
  dialogtest::addCard(7, "Haus", "house", 3, 4);
  wxTEST_DIALOG(runCardEntryDialog(nullptr, nullptr),
                wxExpectModal<tTermelDialog>([](tTermelDialog* dialog) {
                  storeCard(dialog, "Haus", "home");
                  return wxID_CANCEL;
                }),
                wxExpectModal<tShowDialog>([](tShowDialog* dialog) {
                  press(dialog, 101);
                  EXPECT_EQ(u8(guitest::labelOf(dialog, 1201)), "Haus & Hof");
                  EXPECT_EQ(u8(guitest::labelOf(dialog, 1202)), "farm");
                  EXPECT_EQ(dialogtest::resultOf(dialog), 0) << "stays open after a correction";
                  return wxID_OK;
                }),
                wxExpectModal<tTermelDialog>([](tTermelDialog* dialog) {
                  EXPECT_EQ(u8(guitest::labelOf(dialog, wxID_OK)), "Ok");
                  EXPECT_EQ(u8(guitest::labelOf(dialog, wxID_CANCEL)), "Abbruch");
                  EXPECT_EQ(u8(valueOf(dialog, 301)), "Haus");
                  EXPECT_EQ(u8(valueOf(dialog, 302)), "house");
                  storeCard(dialog, "Haus & Hof", "farm");
                  return dialogtest::resultOf(dialog);
                }));
  EXPECT_EQ(dialogtest::cardsWithCounters(7), Strings{"Haus & Hof/farm/3/4"});
  EXPECT_EQ(dialogtest::cardsWithCounters(1), Strings{"Haus/home/0/0"});
}

TEST_F(TermelDialogTest, EmptyFieldIsReportedAndNothingIsStored) {
  wxTEST_DIALOG(runCardEntryDialog(nullptr, nullptr),
                wxExpectModal<tTermelDialog>([](tTermelDialog* dialog) {
                  storeCard(dialog, "Haus", "");
                  EXPECT_EQ(u8(valueOf(dialog, 301)), "Haus");
                  storeCard(dialog, "", "house");
                  storeCard(dialog, " ", " ");  // spaces are text
                  return wxID_CANCEL;
                }),
                tExpectMessage("Ein Feld ist leer", "Achtung", wxOK, wxID_OK),
                tExpectMessage("Ein Feld ist leer", "Achtung", wxOK, wxID_OK));
  EXPECT_EQ(fronts(1), Strings{" "});
}

TEST_F(TermelDialogTest, EscapesAreExpandedBeforeTheRepeatAndDuplicateChecks) {
  wxTEST_DIALOG(runCardEntryDialog(nullptr, nullptr),
                wxExpectModal<tTermelDialog>([](tTermelDialog* dialog) {
                  storeCard(dialog, "M\\\"utze", "cap");
                  storeCard(dialog, "Mütze", "cap");      // the same card: a repeat
                  storeCard(dialog, "M\\\"utze", "hat");  // same front once expanded
                  return wxID_CANCEL;
                }),
                duplicateShowing("Mütze", "cap", wxID_CANCEL));
  EXPECT_EQ(fronts(1), Strings{"Mütze"});
}

TEST_F(TermelDialogTest, CorrectionRewritesTheCardOnOkOnlyWithoutDuplicateCheck) {
  dialogtest::addCard(1, "Maus", "mouse");
  dialogtest::addCard(2, "Haus", "house", 5, 6);
  tTermel buffer;
  tTermel* card = theCardBox.firstIn(2, &buffer);
  int result = 0;
  wxTEST_DIALOG(result = runCardEntryDialog(nullptr, card),
                wxExpectModal<tTermelDialog>([](tTermelDialog* dialog) {
                  storeCard(dialog, "Haus", "Z\\\"ahne");
                  return wxID_CANCEL;  // "Abbruch" drops the correction
                }));
  EXPECT_EQ(result, wxID_CANCEL);
  EXPECT_EQ(dialogtest::cardsWithCounters(2), Strings{"Haus/house/5/6"});

  wxTEST_DIALOG(result = runCardEntryDialog(nullptr, card),
                wxExpectModal<tTermelDialog>([](tTermelDialog* dialog) {
                  storeCard(dialog, "Maus", "m\\\"ause");  // equals another card's front
                  return dialogtest::resultOf(dialog);
                }));
  EXPECT_EQ(result, wxID_OK);
  EXPECT_EQ(dialogtest::cardsWithCounters(2), Strings{"Maus/mäuse/5/6"});
  EXPECT_EQ(fronts(1), Strings{"Maus"});
}

TEST_F(TermelDialogTest, CharacterOutsideTheCodePageIsRefusedAndKept) {
  dialogtest::addCard(1, "Haus", "house");
  tTermel buffer;
  tTermel* card = theCardBox.firstIn(1, &buffer);
  wxTEST_DIALOG(runCardEntryDialog(nullptr, nullptr),
                wxExpectModal<tTermelDialog>([](tTermelDialog* dialog) {
                  storeCard(dialog, "Omega", "Ω");
                  EXPECT_EQ(u8(valueOf(dialog, 302)), "Ω");
                  storeCard(dialog, "Euro", "€");  // in the code page
                  return wxID_CANCEL;
                }),
                tExpectMessage("Zeichen nicht darstellbar", "Achtung", wxOK, wxID_OK));
  EXPECT_EQ(fronts(1), (Strings{"Haus", "Euro"}));

  int result = 0;
  wxTEST_DIALOG(result = runCardEntryDialog(nullptr, card),
                wxExpectModal<tTermelDialog>([](tTermelDialog* dialog) {
                  storeCard(dialog, "Ω", "house");
                  return dialogtest::resultOf(dialog) == 0 ? wxID_CANCEL : wxID_OK;
                }),
                tExpectMessage("Zeichen nicht darstellbar", "Achtung", wxOK, wxID_OK));
  EXPECT_EQ(result, wxID_CANCEL) << "the correction stayed open";
  EXPECT_EQ(fronts(1), (Strings{"Haus", "Euro"}));
}

TEST_F(TermelDialogTest, OverlongOrEscapedAwayTextIsRefusedNotCut) {
  // Fits the field, but "…" is stored as "...".
  const std::string tooLong = std::string(62, 'x') + "…";
  const std::string fitsOnceExpanded = std::string(60, 'y') + "\\\"u";  // 63 typed
  wxTEST_DIALOG(runCardEntryDialog(nullptr, nullptr),
                wxExpectModal<tTermelDialog>([&](tTermelDialog* dialog) {
                  storeCard(dialog, tooLong.c_str(), "long");
                  EXPECT_EQ(u8(valueOf(dialog, 301)), tooLong);
                  storeCard(dialog, "\\0gone", "empty");
                  storeCard(dialog, fitsOnceExpanded.c_str(), "fits");
                  return wxID_CANCEL;
                }),
                tExpectMessage(wxString::FromUTF8("Text zu lang (h\u00f6chstens 63 Zeichen)"),
                               "Achtung", wxOK, wxID_OK),
                tExpectMessage("Ein Feld ist leer", "Achtung", wxOK, wxID_OK));
  EXPECT_EQ(fronts(1), Strings{std::string(60, 'y') + "\u00fc"});
}

// The duplicate warning shows a card's longest texts, 63 characters, in full.
TEST_F(TermelDialogTest, DuplicateWarningShowsSixtyThreeCharactersInFull) {
  const std::string front = "Die Straßenbahn hält „am Hauptbahnhof“ – über die Brücke links…";
  const std::string back = "WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW";
  dialogtest::addCard(1, "kurz", "short");
  tTermel buffer;
  tTermel* card = theCardBox.firstIn(1, &buffer);
  std::string front1252;
  ASSERT_TRUE(fromWx(wxString::FromUTF8(front), &front1252));
  copyCardText(card->front, front1252.c_str());
  copyCardText(card->back, back.c_str());
  wxTEST_DIALOG(runDuplicateDialog(nullptr, card),
                wxExpectModal<tShowDialog>([&](tShowDialog* dialog) -> int {
                  guitest::yield(100);
                  for (int id : {1201, 1202}) {
                    auto* field = dynamic_cast<wxStaticText*>(dialog->FindWindow(id));
                    if (field == nullptr) {
                      ADD_FAILURE() << "no field " << id;
                      continue;
                    }
                    // A line break may stand anywhere, but no character is lost.
                    wxString label = field->GetLabelText();
                    const wxSize extent = field->GetTextExtent(label);
                    EXPECT_LE(extent.x, field->GetClientSize().x) << "field " << id;
                    EXPECT_LE(extent.y, field->GetClientSize().y) << "field " << id;
                    label.Replace("\n", "");
                    EXPECT_EQ(u8(label), id == 1201 ? front : back);
                    EXPECT_GE(field->GetFont().GetFractionalPointSize(), 6.0);
                  }
                  return wxID_CANCEL;
                }));
}

// Text pasted from a word processor: its typographic punctuation is stored in plain
// form, in new cards, corrections and corrections from the duplicate warning alike; a
// character no card can hold is refused by name, and the typed text stays.
TEST_F(TermelDialogTest, TypographicCharactersTakePlainFormsAndUnholdableOnesAreRefused) {
  wxTEST_DIALOG(runCardEntryDialog(nullptr, nullptr),
                wxExpectModal<tTermelDialog>([](tTermelDialog* dialog) {
                  storeCard(dialog, "„Guten Tag“ – bis 5 €", "‘good day’ …");
                  storeCard(dialog, "Größe in µm", "size in µm");
                  EXPECT_EQ(u8(valueOf(dialog, 301)), "Größe in µm");
                  EXPECT_EQ(u8(valueOf(dialog, 302)), "size in µm");
                  return wxID_CANCEL;
                }),
                tExpectMessage("Zeichen nicht darstellbar: µ", "Achtung", wxOK, wxID_OK));
  tTermel buffer;
  tTermel* card = theCardBox.firstIn(1, &buffer);
  ASSERT_NE(card, nullptr);
  EXPECT_EQ(u8(toWx(card->front)), "\"Guten Tag\" - bis 5 EUR");
  EXPECT_EQ(u8(toWx(card->back)), "'good day' ...");

  // A correction refuses ½ and keeps the dialog open; a no-break space becomes a space.
  int result = 0;
  wxTEST_DIALOG(result = runCardEntryDialog(nullptr, card),
                wxExpectModal<tTermelDialog>([](tTermelDialog* dialog) {
                  storeCard(dialog, "½ Liter", "half a litre");
                  EXPECT_EQ(dialogtest::resultOf(dialog), 0) << "the correction stays open";
                  storeCard(dialog, "Mr.\u00A0Smith", "Herr\u00A0Smith");
                  return dialogtest::resultOf(dialog) == 0 ? wxID_CANCEL : wxID_OK;
                }),
                tExpectMessage("Zeichen nicht darstellbar: ½", "Achtung", wxOK, wxID_OK));
  EXPECT_EQ(result, wxID_OK);
  EXPECT_EQ(fronts(1), (Strings{"Mr. Smith"}));

  // "Ändern" in the duplicate warning corrects the stored card by the same rules.
  wxTEST_DIALOG(runCardEntryDialog(nullptr, nullptr),
                wxExpectModal<tTermelDialog>([](tTermelDialog* dialog) {
                  storeCard(dialog, "Mr. Smith", "Herr Schmidt");
                  return wxID_CANCEL;
                }),
                wxExpectModal<tShowDialog>([](tShowDialog* dialog) {
                  press(dialog, 101);
                  EXPECT_EQ(u8(guitest::labelOf(dialog, 1201)), "Mr. Smith - Esq.");
                  return wxID_CANCEL;
                }),
                wxExpectModal<tTermelDialog>([](tTermelDialog* dialog) {
                  storeCard(dialog, "Mr. Smith — Esq.", "Herr Smith");
                  return dialogtest::resultOf(dialog) == 0 ? wxID_CANCEL : wxID_OK;
                }));
  EXPECT_EQ(fronts(1), (Strings{"Mr. Smith - Esq."}));
}

// Typed without waiting for the window, as xdotool types: the keys after each Enter
// belong to the next card's front, however long storing the previous card took.
TEST_F(TermelDialogTest, TenCardsTypedAtFullSpeedStoreEveryPair) {
  for (int i = 0; i < 550; ++i) {
    const std::string n = std::to_string(i);
    dialogtest::addCard(2 + i % 6, ("Vorrat " + n).c_str(), ("stock " + n).c_str());
  }
  Strings typed;
  wxTEST_DIALOG(runCardEntryDialog(nullptr, nullptr),
                wxExpectModal<tTermelDialog>([&](tTermelDialog* dialog) {
                  // Without a window manager the keys go where the pointer is.
                  EXPECT_TRUE(guitest::waitFor([&] { return dialog->IsShownOnScreen(); }));
                  dialogtest::click(dialog, 301);
                  wxUIActionSimulator keys;
                  for (int i = 1; i <= 10; ++i) {
                    const std::string n = std::to_string(i);
                    keys.Text(("Wort " + n).c_str());
                    keys.Char(WXK_TAB);
                    keys.Text(("word " + n).c_str());
                    keys.Char(WXK_RETURN);
                    typed.push_back("Wort " + n + "/word " + n + "/0/0");
                  }
                  guitest::waitFor([] { return fronts(1).size() == 10; });
                  guitest::yield(100);
                  return wxID_CANCEL;
                }));
  EXPECT_EQ(dialogtest::cardsWithCounters(1), typed);
}

// Pairs typed at full speed with a duplicate among them: the pairs typed after the
// duplicate's Enter wait while the warning is open, none of their keys answers it, and
// they are stored once the learner has answered it with the mouse.
TEST_F(TermelDialogTest, KeysTypedBeforeTheDuplicateWarningNeverAnswerIt) {
  dialogtest::addCard(3, "Haus", "house");
  wxTEST_DIALOG(
      runCardEntryDialog(nullptr, nullptr), wxExpectModal<tTermelDialog>([](tTermelDialog* dialog) {
        EXPECT_TRUE(guitest::waitFor([&] { return dialog->IsShownOnScreen(); }));
        dialogtest::click(dialog, 301);
        wxUIActionSimulator keys;
        for (const char* pair : {"Hund", "dog", "Haus", "home", "Katze", "cat", "Maus", "mouse"}) {
          keys.Text(pair);
          keys.Char(std::islower(static_cast<unsigned char>(pair[0])) ? WXK_RETURN : WXK_TAB);
        }
        guitest::waitFor([] { return fronts(1).size() == 3; }, 10000);
        guitest::yield(200);
        return wxID_CANCEL;
      }),
      tModalWarning([](tShowDialog* warning) {
        EXPECT_TRUE(guitest::waitFor([&] { return warning->IsShownOnScreen(); }));
        guitest::yield(300);  // every key typed has come by now
        EXPECT_EQ(fronts(1), Strings{"Hund"}) << "the pairs typed after it wait";
        EXPECT_TRUE(warning->IsShown()) << "no key answered the warning";
        dialogtest::click(warning, wxID_CANCEL);
        EXPECT_TRUE(guitest::waitFor([&] { return !warning->IsShown(); }));
        return wxID_CANCEL;
      }));
  EXPECT_EQ(dialogtest::cardsWithCounters(1),
            (Strings{"Hund/dog/0/0", "Katze/cat/0/0", "Maus/mouse/0/0"}));
}

// Typing stops when a field holds a card's 63 characters; a longer text pasted is
// refused whole with a message, and one that fits is taken.
TEST_F(TermelDialogTest, FieldsTakeACardsLengthAndALongerPasteIsRefusedWithAMessage) {
  const auto paste = [](const std::string& text) {
    {
      wxClipboardLocker lock;
      wxTheClipboard->SetData(new wxTextDataObject(text));
    }
    dialogtest::pressKey('v', wxMOD_CONTROL);
    guitest::yield(200);
  };
  wxTEST_DIALOG(
      runCardEntryDialog(nullptr, nullptr),
      wxExpectModal<tTermelDialog>([&](tTermelDialog* dialog) {
        EXPECT_TRUE(guitest::waitFor([&] { return dialog->IsShownOnScreen(); }));
        dialogtest::click(dialog, 301);
        wxUIActionSimulator().Text(std::string(66, 'a').c_str());
        guitest::yield(200);
        EXPECT_EQ(u8(valueOf(dialog, 301)), std::string(63, 'a'));
        dialogtest::pressKey(WXK_TAB);
        paste(std::string(64, 'b'));
        EXPECT_EQ(u8(valueOf(dialog, 302)), "");
        // Characters are counted, not the bytes of their UTF-8.
        std::string umlauts;
        for (int i = 0; i < 63; ++i) umlauts += "ü";
        paste(umlauts);
        EXPECT_EQ(u8(valueOf(dialog, 302)), umlauts);
        return wxID_CANCEL;
      }),
      tExpectMessage(wxString::FromUTF8("Der eingefügte Text ist zu lang (höchstens 63 Zeichen)"),
                     "Achtung", wxOK, wxID_OK));
}
