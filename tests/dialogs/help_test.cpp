// The help book and the help calls of the dialogs.
#include <gtk/gtk.h>
#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/filesys.h>
#include <wx/fs_arc.h>
#include <wx/html/helpdata.h>
#include <wx/html/helpfrm.h>
#include <wx/html/helpwnd.h>
#include <wx/html/htmlwin.h>
#include <wx/listbox.h>
#include <wx/notebook.h>
#include <wx/timer.h>
#include <wx/treectrl.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

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

// The help viewer's frame while it is open.
wxHtmlHelpFrame* helpFrame() {
  for (wxWindow* window : wxTopLevelWindows) {
    auto* frame = dynamic_cast<wxHtmlHelpFrame*>(window);
    if (frame != nullptr && frame->IsShown()) return frame;
  }
  return nullptr;
}

wxHtmlHelpWindow* helpViewer() {
  wxHtmlHelpFrame* frame = helpFrame();
  return frame != nullptr ? frame->GetHelpWindow() : nullptr;
}

// The text the viewer shows of its page, as the learner reads it.
std::string shownText() {
  wxHtmlHelpWindow* viewer = helpViewer();
  return viewer != nullptr ? u8(viewer->GetHtmlWindow()->ToText()) : std::string("<no viewer>");
}

void collectLabels(wxTreeCtrl* tree, wxTreeItemId item, std::vector<std::string>* labels) {
  if (item != tree->GetRootItem() || !tree->HasFlag(wxTR_HIDE_ROOT))
    labels->push_back(u8(tree->GetItemText(item)));
  wxTreeItemIdValue cookie;
  for (wxTreeItemId child = tree->GetFirstChild(item, cookie); child.IsOk();
       child = tree->GetNextChild(item, cookie)) {
    collectLabels(tree, child, labels);
  }
}

bool holds(const std::vector<std::string>& labels, const std::string& label) {
  return std::find(labels.begin(), labels.end(), label) != labels.end();
}

}  // namespace

TEST_F(HelpTest, EveryTopicReadsAsFormattedGermanText) {
  struct Topic {
    tHelpCommand command;
    const char* keyword;
    const char* heading;
  };
  const Topic topics[] = {
      {tHelpCommand::Contents, nullptr, "Termel-Hilfe"},
      {tHelpCommand::Search, nullptr, "Termel-Hilfe"},
      {tHelpCommand::HelpOnHelp, nullptr, "Die Hilfe benutzen"},
      {tHelpCommand::Keyword, "Copyright", "Info und Copyright"},
      {tHelpCommand::Keyword, "Eingabe", "Termeln eingeben"},
      {tHelpCommand::Keyword, "Korrektur", "Termeln korrigieren und verschieben"},
  };
  for (const Topic& topic : topics) {
    callHelp(nullptr, tHelpCommand::Quit);
    guitest::yield(50);
    callHelp(nullptr, topic.command, topic.keyword);
    std::string text = shownText();
    text.erase(0, text.find_first_not_of(" \n"));
    SCOPED_TRACE(lastHelpRequest().utf8_string());
    EXPECT_EQ(text.find('<'), std::string::npos) << text.substr(0, 200);
    EXPECT_EQ(text.find("&auml;"), std::string::npos);
    EXPECT_EQ(text.find("&nbsp;"), std::string::npos);
    EXPECT_EQ(text.rfind(topic.heading, 0), 0u) << text.substr(0, 200);
    ASSERT_NE(helpFrame(), nullptr);
    EXPECT_EQ(u8(helpFrame()->GetTitle()).rfind("Hilfe: ", 0), 0u);
  }
  callHelp(nullptr, tHelpCommand::Contents);
  EXPECT_NE(shownText().find("Die Menübefehle – alle Befehle"), std::string::npos);
}

TEST_F(HelpTest, ContentsAndIndexShowTheirEntriesWithUmlauts) {
  callHelp(nullptr, tHelpCommand::Search);
  wxHtmlHelpWindow* viewer = helpViewer();
  ASSERT_NE(viewer, nullptr);
  std::vector<std::string> contents;
  collectLabels(viewer->GetTreeCtrl(), viewer->GetTreeCtrl()->GetRootItem(), &contents);
  for (const char* entry : {"Termel-Hilfe", "Die Menübefehle", "Umlaute und andere Sonderzeichen",
                            "Info und Copyright"}) {
    EXPECT_TRUE(holds(contents, entry)) << entry;
  }
  EXPECT_FALSE(holds(contents, "")) << "a blank row in the contents";
  auto* index = dynamic_cast<wxListBox*>(viewer->FindWindow(wxID_HTML_INDEXLIST));
  ASSERT_NE(index, nullptr);
  std::vector<std::string> entries;
  for (unsigned i = 0; i < index->GetCount(); ++i) entries.push_back(u8(index->GetString(i)));
  for (const char* entry :
       {"Leerfächer ans Ende", "Menü", "Schwellen der Fächer", "Eingabe", "Korrektur", "Copyright",
        "Übersicht", "Schrift größer", "Antwort zurücknehmen", "Zuletzt geöffnete Karteien",
        "Schreibgeschützte Kartei", "Typografische Zeichen", "Sprache der Übersetzung",
        "Karte suchen", "Lernverlauf", "Karteikarten-Pakete (.apkg, .colpkg)"}) {
    EXPECT_TRUE(holds(entries, entry)) << entry;
  }
  EXPECT_EQ(entries.size(), 71u);
  EXPECT_FALSE(holds(entries, ""));
}

namespace {

// A dialog as wx sees one in its modal run, on screen and answering clicks; the test
// drives it where a real modal run would wait for the learner.
class tModalLookingDialog : public wxDialog {
 public:
  tModalLookingDialog() : wxDialog(nullptr, wxID_ANY, "Termeln ändern") {
    auto* button = new wxButton(this, wxID_APPLY, "Hilfe", wxPoint(10, 10), wxSize(120, 40));
    button->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
      callHelp(this, tHelpCommand::Keyword, "Korrektur");
      helpReturned = true;
    });
    auto* other = new wxButton(this, wxID_OK, "Schließen", wxPoint(10, 60), wxSize(120, 40));
    other->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { ++clicksAfterHelp; });
    SetClientSize(200, 120);
  }
  bool IsModal() const override { return true; }

  bool helpReturned = false;
  int clicksAfterHelp = 0;
};

}  // namespace

TEST_F(HelpTest, HelpOpenedFromAModalDialogLeavesTheDialogWorking) {
  tModalLookingDialog dialog;
  dialog.Show();
  ASSERT_TRUE(guitest::waitFor([&] { return dialog.IsShownOnScreen(); }));
  guitest::yield(200);
  // Should the help take over, its nested event loop would never give the click back;
  // the timer ends it so that the test can report it.
  bool locked = false;
  wxTimer rescue;
  rescue.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
    if (dialog.helpReturned) return;
    locked = true;
    if (wxHtmlHelpFrame* frame = helpFrame()) frame->RemoveGrab();
  });
  rescue.StartOnce(3000);
  dialogtest::click(&dialog, wxID_APPLY);
  EXPECT_TRUE(guitest::waitFor([&] { return dialog.helpReturned || locked; }, 5000));
  EXPECT_FALSE(locked) << "help locked the dialog it was opened from";
  EXPECT_EQ(u8(shownHelpPage()), "korrektur.htm");
  if (wxHtmlHelpFrame* frame = helpFrame()) frame->Move(400, 300);  // off the dialog
  guitest::yield(100);
  dialogtest::click(&dialog, wxID_OK);
  EXPECT_EQ(dialog.clicksAfterHelp, 1);
  rescue.Stop();
  callHelp(nullptr, tHelpCommand::Quit);
  dialog.Destroy();
}

namespace {

// Reads the program's help book into data, as the viewer does.
void loadBook(wxHtmlHelpData* data) {
  const wxString book = helpBookPath();
  ASSERT_FALSE(book.empty());
  if (!wxFileSystem::HasHandlerForPath(book + "#zip:"))
    wxFileSystem::AddHandler(new wxArchiveFSHandler);
  ASSERT_TRUE(data->AddBook(book));
}

// The page an entry of the contents or the index points to, "" when there is none.
template <class Items>
std::string pageOf(const Items& items, const char* utf8Name) {
  const wxString name = wxString::FromUTF8(utf8Name);
  for (size_t i = 0; i < items.size(); ++i) {
    if (items[i].name == name) return items[i].page.utf8_string();
  }
  return "";
}

}  // namespace

TEST_F(HelpTest, BookHoldsTheKeywordsOfTheProgram) {
  wxHtmlHelpData data;
  ASSERT_NO_FATAL_FAILURE(loadBook(&data));
  for (const char* keyword : {"Eingabe", "Korrektur", "Copyright", "Karte suchen", "Lernverlauf"}) {
    EXPECT_TRUE(indexHolds(data.GetIndexArray(), keyword)) << keyword;
  }
  EXPECT_GE(data.GetContentsArray().size(), 8u);
}

// Typed answers, taking answers back, the overview and the card texts' size; reopening
// the last box, backups, merging and word lists of other programs.
TEST_F(HelpTest, FeaturePagesAreInContentsAndIndex) {
  wxHtmlHelpData data;
  ASSERT_NO_FATAL_FAILURE(loadBook(&data));
  const std::vector<std::pair<const char*, const char*>> contents = {
      {"Antworten eintippen", "eintippen.htm"},
      {"Antworten zurücknehmen", "zuruecknehmen.htm"},
      {"Die Übersicht", "uebersicht.htm"},
      {"Schriftgröße und Einstellungen", "schrift.htm"},
      {"Weiterlernen, wo Sie aufgehört haben", "zuletzt.htm"},
      {"Sicherungen", "sicherungen.htm"},
      {"Zusammenführen (Konfliktkopien)", "zusammenfuehren.htm"},
      {"Wortlisten anderer Programme", "wortlisten.htm"},
      {"Vorlesen", "vorlesen.htm"},
      {"Karte suchen", "suchen.htm"},
      {"Der Lernverlauf", "lernverlauf.htm"},
      {"Nach einem Absturz wiederherstellen", "wiederherstellung.htm"}};
  for (const auto& [name, page] : contents) {
    EXPECT_EQ(pageOf(data.GetContentsArray(), name), page) << name;
  }
  const std::vector<std::pair<const char*, const char*>> index = {
      {"Antwort eintippen", "eintippen.htm"},
      {"Richtig", "eintippen.htm"},
      {"Antwort zurücknehmen", "zuruecknehmen.htm"},
      {"Strg+Z", "zuruecknehmen.htm"},
      {"Übersicht", "uebersicht.htm"},
      {"Am häufigsten nicht gewusst", "uebersicht.htm"},
      {"Schrift größer", "schrift.htm"},
      {"Einstellungen", "schrift.htm"},
      {"Zuletzt geöffnete Karteien", "zuletzt.htm"},
      {"Letzter Kasten", "zuletzt.htm"},
      {"Wiederherstellen", "sicherungen.htm"},
      {"Zusammenführen", "zusammenfuehren.htm"},
      {"Konfliktkopie", "zusammenfuehren.htm"},
      {"Karte suchen", "suchen.htm"},
      {"Lernverlauf", "lernverlauf.htm"},
      {"Gelöschte Karte zurückholen", "zuruecknehmen.htm"},
      {"CSV", "wortlisten.htm"},
      {"KVTML", "wortlisten.htm"},
      {"Spaltennamen", "wortlisten.htm"},
      {"Sprache der Übersetzung", "vorlesen.htm#sprache"},
      {"Strg+L", "vorlesen.htm"},
      {"Absturz", "wiederherstellung.htm"},
      {"Wiederherstellen nach einem Absturz", "wiederherstellung.htm"}};
  for (const auto& [name, page] : index) {
    EXPECT_EQ(pageOf(data.GetIndexArray(), name), page) << name;
  }
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

namespace {

// Pages of the book in which the full-text search finds word.
std::vector<std::string> pagesHolding(wxHtmlHelpData* data, const char* utf8Word) {
  std::vector<std::string> pages;
  wxHtmlSearchStatus search(data, wxString::FromUTF8(utf8Word), false, true);
  while (search.IsActive()) {
    if (search.Search()) pages.push_back(u8(search.GetCurItem()->page));
  }
  return pages;
}

wxNotebook* helpTabs() {
  wxHtmlHelpWindow* viewer = helpViewer();
  if (viewer == nullptr) return nullptr;
  wxWindowList pending = viewer->GetChildren();
  while (!pending.empty()) {
    wxWindow* window = pending.front();
    pending.pop_front();
    if (auto* tabs = dynamic_cast<wxNotebook*>(window)) return tabs;
    for (wxWindow* child : window->GetChildren()) pending.push_back(child);
  }
  return nullptr;
}

}  // namespace

TEST_F(HelpTest, SearchOpensTheSearchTabAndFindsWordsWithUmlauts) {
  callHelp(nullptr, tHelpCommand::Search);
  wxNotebook* tabs = helpTabs();
  ASSERT_NE(tabs, nullptr);
  std::vector<std::string> names;
  for (size_t page = 0; page < tabs->GetPageCount(); ++page) {
    names.push_back(u8(tabs->GetPageText(page)));
  }
  // As the menu "Hilfe" and the page "Die Hilfe benutzen" call them.
  EXPECT_EQ(names, (std::vector<std::string>{"Inhalt", "Index", "Suchen"}));
  EXPECT_EQ(u8(tabs->GetPageText(static_cast<size_t>(tabs->GetSelection()))), "Suchen");

  wxHtmlHelpData data;
  ASSERT_NO_FATAL_FAILURE(loadBook(&data));
  EXPECT_TRUE(holds(pagesHolding(&data, "Fächer"), "start.htm"));
  EXPECT_TRUE(holds(pagesHolding(&data, "zurücknehmen"), "zuruecknehmen.htm"));
  EXPECT_TRUE(holds(pagesHolding(&data, "Übersicht"), "uebersicht.htm"));
  EXPECT_TRUE(holds(pagesHolding(&data, "größer"), "schrift.htm"));
}

// The test program answers every ShowModal itself; this dialog is made modal as GTK
// does it in a modal run (it takes the input of its window group, every other window
// disabled), and the test acts where that run would wait for the learner.
TEST_F(HelpTest, HelpFromAModalDialogCanBeClickedWhileTheDialogStaysOpen) {
  tTermelDialog dialog(nullptr, true);
  dialog.Move(0, 0);
  dialog.Show();
  ASSERT_TRUE(guitest::waitFor([&] { return dialog.IsShownOnScreen(); }));
  gtk_window_set_modal(GTK_WINDOW(dialog.GetHandle()), TRUE);
  {
    wxWindowDisabler others(&dialog);
    guitest::yield(200);
    dialogtest::click(&dialog, 303);
    EXPECT_TRUE(guitest::waitFor([] { return shownHelpPage() == "eingabe.htm"; }));
    wxHtmlHelpFrame* frame = helpFrame();
    ASSERT_NE(frame, nullptr);
    frame->SetSize(0, dialog.GetRect().GetBottom() + 40, 900, 450);
    guitest::yield(300);
    // A click on the first contents entry, "Termel-Hilfe", shows its page.
    wxTreeCtrl* tree = frame->GetHelpWindow()->GetTreeCtrl();
    const wxTreeItemId item = tree->GetFirstVisibleItem();
    wxRect rect;
    ASSERT_TRUE(item.IsOk() && tree->GetBoundingRect(item, rect, true));
    dialogtest::clickAt(tree, rect.GetPosition() + wxPoint(rect.width / 2, rect.height / 2));
    EXPECT_TRUE(guitest::waitFor([] { return shownHelpPage() == "start.htm"; }, 1500))
        << "the help did not take the click";
    // The dialog is still there and still takes its clicks.
    dialogtest::click(&dialog, wxID_CANCEL);
    EXPECT_TRUE(guitest::waitFor([&] { return !dialog.IsShown(); }));
  }
  gtk_window_set_modal(GTK_WINDOW(dialog.GetHandle()), FALSE);
}

namespace {

// GTK's critical warnings, counted as they reach the console.
int& gtkCriticals() {
  static int count = 0;
  return count;
}

GLogWriterOutput countingWriter(GLogLevelFlags level, const GLogField* fields, gsize count,
                                gpointer data) {
  if (level & G_LOG_LEVEL_CRITICAL) ++gtkCriticals();
  return g_log_writer_default(level, fields, count, data);
}

}  // namespace

TEST_F(HelpTest, ViewerOpensWithoutGtkWarningsOnTheConsole) {
  static const bool counting = [] {
    g_log_set_writer_func(countingWriter, nullptr, nullptr);
    return true;
  }();
  ASSERT_TRUE(counting);
  callHelp(nullptr, tHelpCommand::Quit);
  guitest::yield(100);
  gtkCriticals() = 0;
  for (tHelpCommand command :
       {tHelpCommand::Contents, tHelpCommand::Search, tHelpCommand::HelpOnHelp}) {
    callHelp(nullptr, command);
    guitest::yield(200);
    callHelp(nullptr, tHelpCommand::Quit);
    guitest::yield(200);
  }
  EXPECT_EQ(gtkCriticals(), 0);
}

namespace {

// Items of tree below item, item included, each with every item above it expanded.
void collectItems(wxTreeCtrl* tree, wxTreeItemId item, std::vector<wxTreeItemId>* items) {
  items->push_back(item);
  wxTreeItemIdValue cookie;
  for (wxTreeItemId child = tree->GetFirstChild(item, cookie); child.IsOk();
       child = tree->GetNextChild(item, cookie)) {
    collectItems(tree, child, items);
  }
}

}  // namespace

TEST_F(HelpTest, ContentsShowEveryTitleInFull) {
  guitest::yield(100);  // a viewer closed before is gone
  callHelp(nullptr, tHelpCommand::Contents);
  wxHtmlHelpWindow* viewer = helpViewer();
  ASSERT_NE(viewer, nullptr);
  wxTreeCtrl* tree = viewer->GetTreeCtrl();
  ASSERT_NE(tree, nullptr);
  std::vector<wxTreeItemId> items;
  collectItems(tree, tree->GetRootItem(), &items);
  // The hidden root is no title.
  if (tree->HasFlag(wxTR_HIDE_ROOT)) items.erase(items.begin());
  ASSERT_GT(items.size(), 10u);
  for (const wxTreeItemId& item : items) {
    if (tree->ItemHasChildren(item)) tree->Expand(item);
  }
  guitest::yield(200);
  for (const wxTreeItemId& item : items) {
    wxRect title;
    ASSERT_TRUE(tree->GetBoundingRect(item, title, true)) << u8(tree->GetItemText(item));
    EXPECT_LE(title.GetRight(), tree->GetClientSize().x) << u8(tree->GetItemText(item));
  }
  EXPECT_LE(wxGetTopLevelParent(tree)->GetSize().x, wxGetClientDisplayRect().width);
}

// A help window opened from a dialog in its real modal run closes with its close box
// (as with Alt+F4, the window manager asks it to close) while the dialog stays open.
TEST_F(HelpTest, HelpFromAModalDialogClosesAtOnce) {
  std::string code = "en";
  tSpracheDialog dialog(nullptr, code);
  const guitest::tRealModalRuns realRun;
  bool helpShown = false;
  bool helpClosed = false;
  dialog.CallAfter([&] {
    guitest::waitFor([&] { return dialog.IsShownOnScreen(); });
    dialogtest::click(&dialog, 1511);
    dialogtest::pressKey(WXK_F1);
    helpShown = guitest::waitFor([] { return helpFrame() != nullptr; });
    if (helpShown) gtk_window_close(GTK_WINDOW(helpFrame()->GetHandle()));
    helpClosed = guitest::waitFor([] { return helpFrame() == nullptr; }, 1500);
    EXPECT_TRUE(dialog.IsShown());
    dialog.EndModal(wxID_CANCEL);
  });
  dialog.ShowModal();
  EXPECT_TRUE(helpShown);
  EXPECT_TRUE(helpClosed) << "the help stayed open until the dialog closed";
}
