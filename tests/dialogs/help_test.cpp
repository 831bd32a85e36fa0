// The help book and the help calls of the dialogs.
#include <wx/filesys.h>
#include <wx/fs_arc.h>
#include <wx/html/helpdata.h>

#include "box/card_box.h"
#include "dialog_test.h"
#include "dialogs/help.h"

namespace {

class HelpTest : public testing::Test {
 protected:
  void SetUp() override { dialogtest::resetBox(); }
  void TearDown() override {
    callHelp(nullptr, tHelpCommand::Quit);
    dialogtest::resetBox();
  }
};

bool indexHolds(const wxHtmlHelpDataItems& index, const wxString& name) {
  for (size_t i = 0; i < index.size(); ++i) {
    if (index[i].name == name) return true;
  }
  return false;
}

}  // namespace

TEST_F(HelpTest, BookHoldsTheKeywordsOfTheProgram) {
  const wxString book = helpBookPath();
  ASSERT_FALSE(book.empty());
  if (!wxFileSystem::HasHandlerForPath(book + "#zip:"))
    wxFileSystem::AddHandler(new wxArchiveFSHandler);
  wxHtmlHelpData data;
  ASSERT_TRUE(data.AddBook(book));
  for (const char* keyword : {"Eingabe", "Korrektur", "Copyright"}) {
    EXPECT_TRUE(indexHolds(data.GetIndexArray(), keyword)) << keyword;
  }
  EXPECT_GE(data.GetContentsArray().size(), 8u);
}

TEST_F(HelpTest, CommandsShowTheirPages) {
  callHelp(nullptr, tHelpCommand::Contents);
  EXPECT_EQ(u8(lastHelpRequest()), "contents");
  EXPECT_EQ(u8(shownHelpPage()), "start.htm");
  callHelp(nullptr, tHelpCommand::HelpOnHelp);
  EXPECT_EQ(u8(shownHelpPage()), "hilfe.htm");
  callHelp(nullptr, tHelpCommand::Keyword, "Copyright");
  EXPECT_EQ(u8(lastHelpRequest()), "keyword:Copyright");
  EXPECT_EQ(u8(shownHelpPage()), "copyright.htm");
  callHelp(nullptr, tHelpCommand::Search);
  EXPECT_EQ(u8(lastHelpRequest()), "search");
  callHelp(nullptr, tHelpCommand::Quit);
  EXPECT_EQ(u8(lastHelpRequest()), "quit");
  EXPECT_EQ(u8(shownHelpPage()), "");
}

TEST_F(HelpTest, HelpButtonsOpenTheirDialogsTopic) {
  wxTEST_DIALOG(runCardEntryDialog(nullptr, nullptr),
                wxExpectModal<tTermelDialog>([](tTermelDialog* dialog) {
                  dialogtest::press(dialog, 303);
                  EXPECT_EQ(u8(lastHelpRequest()), "keyword:Eingabe");
                  EXPECT_EQ(u8(shownHelpPage()), "eingabe.htm");
                  EXPECT_EQ(dialogtest::resultOf(dialog), 0);
                  return wxID_CANCEL;
                }));
  callHelp(nullptr, tHelpCommand::Quit);
  wxTEST_DIALOG(runCardEditingDialog(nullptr),
                wxExpectModal<tBearbDialog>([](tBearbDialog* dialog) {
                  dialogtest::press(dialog, 506);
                  EXPECT_EQ(u8(lastHelpRequest()), "keyword:Korrektur");
                  EXPECT_EQ(u8(shownHelpPage()), "korrektur.htm");
                  return wxID_OK;
                }));
  callHelp(nullptr, tHelpCommand::Quit);
  dialogtest::addCard(1, "Haus", "house");
  tTermel buffer;
  wxTEST_DIALOG(runDuplicateDialog(nullptr, theCardBox.firstIn(1, &buffer)),
                wxExpectModal<tShowDialog>([](tShowDialog* dialog) {
                  dialogtest::press(dialog, 9);
                  EXPECT_EQ(u8(lastHelpRequest()), "keyword:Eingabe");
                  EXPECT_EQ(u8(shownHelpPage()), "eingabe.htm");
                  return wxID_CANCEL;
                }));
}
