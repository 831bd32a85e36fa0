// Coming back where the learner left off: the box open at the last close reopens at
// a start without a file name, and the file menu lists the boxes opened lately.
#include <wx/menu.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/settings.h"
#include "box/card_box.h"
#include "gui_test.h"
#include "main_frame_fixture.h"

namespace {

using Strings = std::vector<std::string>;

const long kYesNo = wxYES_NO | wxICON_NONE;

tExpectFile openDialog(const std::string& path) {
  tFileDialogLook look;
  look.title = wxString::FromUTF8("Kartei öffnen");
  look.style = wxFD_OPEN | wxFD_FILE_MUST_EXIST;
  return tExpectFile(path, look);
}

class RecentBoxesTest : public MainFrameTest {
 protected:
  // The items of "Datei" from the first recent box to "Beenden": labels as written,
  // with "&", and a separator as "-".
  Strings fileMenuTail() {
    wxMenu* fileMenu = frame_->GetMenuBar()->GetMenu(0);
    Strings items;
    bool inList = false;
    for (const wxMenuItem* item : fileMenu->GetMenuItems()) {
      if (item->GetId() == wxID_FILE1) inList = true;
      if (inList) items.push_back(item->IsSeparator() ? "-" : item->GetItemLabel().utf8_string());
    }
    return items;
  }
  // The help texts of the recent boxes, top down.
  Strings helpTexts() {
    Strings texts;
    for (int id = wxID_FILE1; id < wxID_FILE1 + tSettings::kRecentBoxes; ++id) {
      if (const wxMenuItem* item = frame_->GetMenuBar()->FindItem(id)) {
        texts.push_back(item->GetHelp().utf8_string());
      }
    }
    return texts;
  }
  // The separator above the list, then the list: "Export..." comes right before.
  std::string itemBeforeList() {
    wxMenu* fileMenu = frame_->GetMenuBar()->GetMenu(0);
    size_t position = 0;
    if (fileMenu->FindChildItem(wxID_FILE1, &position) == nullptr || position < 2) return "";
    return fileMenu->FindItemByPosition(position - 2)->GetItemLabel().utf8_string();
  }
  void open(const std::string& file) { wxTEST_DIALOG(menu(CM_OEFFNEN), openDialog(file)); }
};

}  // namespace

TEST_F(RecentBoxesTest, StartWithoutFileNameShowsTheBoxOfTheLastCloseAndItsNextQuestion) {
  const std::string file =
      writeBox("reise.trm",
               {{1, "Koffer", "suitcase"}, {1, "Fahrkarte", "ticket"}, {1, "Gleis", "platform"}});
  start(file);
  press(WXK_RETURN);
  press(WXK_RETURN);  // "Koffer" known, "Fahrkarte" is asked next
  EXPECT_EQ(label(ID_QUESTION), "Fahrkarte");
  wxTEST_DIALOG(EXPECT_TRUE(closeFrame()), tExpectBox("Speichern?", "Achtung", kYesNo, wxID_YES));
  stop();

  start();  // as from the desktop's menu: no argument
  EXPECT_EQ(currentFileName, file);
  EXPECT_EQ(label(ID_QUESTION), "Fahrkarte");
  EXPECT_EQ(status(0), "Fach: 2 Gesamt: 3");
  EXPECT_FALSE(window_->modified());
  EXPECT_EQ(frontsIn(2), Strings{"Koffer"});

  // A box named on the command line opens whatever was open last.
  stop();
  const std::string other = writeBox("andere.trm", {{3, "Tisch", "table"}});
  start(other);
  EXPECT_EQ(label(ID_QUESTION), "Tisch");
  stop();
  start();
  EXPECT_EQ(currentFileName, other);
}

TEST_F(RecentBoxesTest, ABoxNamedRelativeIsFoundAgainFromAnotherFolder) {
  std::filesystem::create_directories(path("tv"));
  const std::string file = writeBox("tv/box.trm", {{1, "Sender", "station"}});
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(path(""));
  start("tv/box.trm");  // as "termel tv/box.trm" left it, had the argument stayed relative
  EXPECT_EQ(label(ID_QUESTION), "Sender");
  stop();
  std::filesystem::current_path(path("tv"));
  start();
  EXPECT_EQ(currentFileName, file);
  EXPECT_EQ(label(ID_QUESTION), "Sender");
  std::filesystem::current_path(before);
}

TEST_F(RecentBoxesTest, StartWithoutFileNameAfterTheBoxWentAwayOrNoneWasOpenShowsTheEmptyWindow) {
  const std::string file = writeBox("weg.trm", {{1, "Haus", "house"}});
  start(file);
  EXPECT_TRUE(closeFrame());
  stop();
  std::filesystem::remove(file);
  start();
  EXPECT_EQ(currentFileName, "");
  EXPECT_EQ(label(ID_QUESTION), emptyBoxHint());
  EXPECT_EQ(status(0), "Fach: 0 Gesamt: 0") << "nothing was loaded";

  // "Neu" leaves no box open, so the next start has none either.
  stop();
  const std::string again = writeBox("wieder.trm", {{1, "Haus", "house"}});
  start(again);
  wxTEST_DIALOG(menu(CM_NEU),
                tExpectBox("Alle Termeln werden geloescht!", "Warnung",
                           wxOK | wxCANCEL | wxCANCEL_DEFAULT | wxICON_QUESTION, wxID_OK));
  EXPECT_TRUE(closeFrame());
  stop();
  start();
  EXPECT_EQ(currentFileName, "");
}

TEST_F(RecentBoxesTest, FileMenuListsTheLastFourBoxesAboveQuitAndOpensOne) {
  start();
  EXPECT_EQ(fileMenuTail(), Strings{}) << "no list before any box was opened";
  const std::string a = writeBox("a.trm", {{1, "Apfel", "apple"}});
  const std::string b = writeBox("Haus & Hof.trm", {{1, "Scheune", "barn"}});
  const std::string c = writeBox("c.trm", {{1, "Clown", "clown"}});
  const std::string d = writeBox("d.trm", {{1, "Dach", "roof"}});
  const std::string e = writeBox("e.trm", {{1, "Esel", "donkey"}});
  for (const std::string& file : {a, b, c, d, e}) open(file);
  EXPECT_EQ(fileMenuTail(), (Strings{"&1 e.trm", "&2 d.trm", "&3 c.trm", "&4 Haus && Hof.trm", "-",
                                     "&Beenden\tCtrl+Q"}));
  EXPECT_EQ(helpTexts(), (Strings{e, d, c, b}));
  EXPECT_EQ(itemBeforeList(), "&Export...");

  // Chosen with a changed box: asked as "Öffnen..." asks, then the box is there.
  press(WXK_ESCAPE);
  ASSERT_TRUE(window_->modified());
  wxTEST_DIALOG(menu(wxID_FILE1 + 3),
                tExpectBox("Bisherige Daten sichern", "Achtung", kYesNo, wxID_NO));
  EXPECT_EQ(currentFileName, b);
  EXPECT_EQ(label(ID_QUESTION), "Scheune");
  EXPECT_FALSE(window_->modified());
  EXPECT_EQ(fileMenuTail(), (Strings{"&1 Haus && Hof.trm", "&2 e.trm", "&3 d.trm", "&4 c.trm", "-",
                                     "&Beenden\tCtrl+Q"}));

  // Saved under a new name, the box heads the list under that name.
  wxTEST_DIALOG(menu(CM_SICHERN_ALS), tExpectFile(path("neu.trm")));
  EXPECT_EQ(helpTexts(), (Strings{path("neu.trm"), b, e, d}));
  // The list is in the settings file for the next start.
  EXPECT_EQ(loadSettings().recentBoxes.size(), 4u);
  EXPECT_EQ(loadSettings().recentBoxes.front().utf8_string(), path("neu.trm"));
}

TEST_F(RecentBoxesTest, ABoxThatIsGoneIsReportedAndDroppedFromTheList) {
  const std::string a = writeBox("alt.trm", {{1, "Apfel", "apple"}});
  const std::string b = writeBox("neu.trm", {{1, "Birne", "pear"}});
  start(a);
  open(b);
  press(WXK_ESCAPE);  // changed, but no question comes for a box that is gone
  std::filesystem::remove(a);
  wxTEST_DIALOG(menu(wxID_FILE1 + 1), tExpectError({"Die Kartei gibt es nicht mehr:", a}));
  EXPECT_EQ(currentFileName, b);
  EXPECT_EQ(label(ID_QUESTION), "Birne");
  EXPECT_TRUE(window_->modified());
  EXPECT_EQ(fileMenuTail(), (Strings{"&1 neu.trm", "-", "&Beenden\tCtrl+Q"}));
  ASSERT_EQ(loadSettings().recentBoxes.size(), 1u);

  // The last box going as well leaves no list and no separator behind.
  std::filesystem::remove(b);
  wxTEST_DIALOG(menu(wxID_FILE1), tExpectError({"Die Kartei gibt es nicht mehr:", b}));
  EXPECT_EQ(fileMenuTail(), Strings{});
  EXPECT_EQ(itemBeforeList(), "");
  wxMenu* fileMenu = frame_->GetMenuBar()->GetMenu(0);
  const size_t count = fileMenu->GetMenuItemCount();
  EXPECT_TRUE(fileMenu->FindItemByPosition(count - 2)->IsSeparator());
  EXPECT_FALSE(fileMenu->FindItemByPosition(count - 3)->IsSeparator());
}
