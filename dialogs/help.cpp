#include "dialogs/help.h"

#include <wx/filename.h>
#include <wx/filesys.h>
#include <wx/fs_arc.h>
#include <wx/html/helpctrl.h>
#include <wx/html/helpfrm.h>
#include <wx/html/helpwnd.h>
#include <wx/html/htmlproc.h>
#include <wx/html/htmlwin.h>
#include <wx/module.h>
#include <wx/msgdlg.h>
#include <wx/notebook.h>
#include <wx/settings.h>
#include <wx/splitter.h>
#include <wx/stdpaths.h>
#include <wx/sysopt.h>
#include <wx/treectrl.h>
#include <wx/weakref.h>

#include <gtk/gtk.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "dialogs/accessible.h"
#include "dialogs/readable_colour.h"
#include "dialogs/wx_text.h"

namespace {

constexpr const char kBookName[] = "termel.htb";
// The page that explains the help viewer itself.
constexpr const char kHelpOnHelpPage[] = "hilfe.htm";

// The viewer's frame. wx grabs all input for it while a modal dialog is open, and waits
// in a nested event loop until it is closed: the dialog the help was opened from would
// be locked, its button's handler not even returned, until the learner closes the help.
// This frame takes no grab; the dialog stays in charge.
class tHelpFrame : public wxHtmlHelpFrame {
 public:
  explicit tHelpFrame(wxHtmlHelpData* data) : wxHtmlHelpFrame(data) {}
  void AddGrab() override {}
};

// GTK lets a modal dialog take the input of every window in its window group. In a
// group of its own the viewer can still be scrolled and clicked.
void keepOutOfModalDialogs(wxTopLevelWindow* frame) {
  GtkWindowGroup* group = gtk_window_group_new();
  gtk_window_group_add_window(group, GTK_WINDOW(frame->GetHandle()));
  g_object_unref(group);
}

void layOutAll(wxWindow* window) {
  window->SendSizeEvent();
  for (wxWindow* child : window->GetChildren()) layOutAll(child);
}

// The first window of type T somewhere among window and its children.
template <class T>
T* findAmong(wxWindow* window) {
  if (auto* found = dynamic_cast<T*>(window)) return found;
  for (wxWindow* child : window->GetChildren()) {
    if (T* found = findAmong<T>(child)) return found;
  }
  return nullptr;
}

// The viewer's tabs carry the names the menu "Hilfe" and the help pages use, whatever
// wxWidgets' own catalog calls them ("Inhalte").
void nameTabs(wxHtmlHelpWindow* viewer) {
  wxNotebook* tabs = findAmong<wxNotebook>(viewer);
  if (tabs == nullptr) return;
  const std::pair<const char*, const char*> names[] = {
      {"Contents", "Inhalt"}, {"Index", "Index"}, {"Search", "Suchen"}};
  for (size_t page = 0; page < tabs->GetPageCount(); ++page) {
    for (const auto& [english, german] : names) {
      if (tabs->GetPageText(page) == wxGetTranslation(english)) tabs->SetPageText(page, german);
    }
  }
}

// How wide the contents tree must be to show the title of item and of every item
// below it in full.
int widestTitle(const wxTreeCtrl* tree, const wxTreeItemId& item, int depth) {
  int widest =
      depth * static_cast<int>(tree->GetIndent()) + tree->GetTextExtent(tree->GetItemText(item)).x;
  wxTreeItemIdValue cookie;
  for (wxTreeItemId child = tree->GetFirstChild(item, cookie); child.IsOk();
       child = tree->GetNextChild(item, cookie)) {
    widest = std::max(widest, widestTitle(tree, child, depth + 1));
  }
  return widest;
}

// The contents pane as wide as its longest title, the frame widened for it, so the
// titles are read in full beside a page of the usual width.
void widenContents(wxTopLevelWindow* frame) {
  auto* splitter = findAmong<wxSplitterWindow>(frame);
  auto* tree = findAmong<wxTreeCtrl>(frame);
  if (splitter == nullptr || tree == nullptr || !tree->GetRootItem().IsOk()) return;
  // Room for the expander, the book and page icons, the border and a scroll bar.
  const int pane = widestTitle(tree, tree->GetRootItem(), 1) + frame->FromDIP(80);
  const int page = frame->FromDIP(480);
  const int wanted = std::min(pane + page, wxGetClientDisplayRect().width);
  if (frame->GetSize().x < wanted) frame->SetSize(wanted, frame->GetSize().y);
  splitter->SetSashPosition(std::max(pane, splitter->GetSashPosition()));
}

// The full-text search tab, with the keyboard in its search field.
void showSearchTab(wxHtmlHelpWindow* viewer) {
  wxNotebook* tabs = findAmong<wxNotebook>(viewer);
  if (tabs == nullptr) return;
  for (size_t page = 0; page < tabs->GetPageCount(); ++page) {
    wxWindow* field = tabs->GetPage(page)->FindWindow(wxID_HTML_SEARCHTEXT);
    if (field == nullptr) continue;
    tabs->SetSelection(page);
    field->SetFocus();
    return;
  }
}

// "#rrggbb", as HTML gives a colour.
wxString htmlColour(const wxColour& colour) {
  return colour.GetAsString(wxC2S_HTML_SYNTAX);
}

// The help pages in the desktop's colours: wx would draw every page black on white,
// a glaring white sheet on a dark desktop. The colours go into each page's body before
// it is laid out; the pages themselves name none.
class tSystemColours : public wxHtmlProcessor {
 public:
  wxString Process(const wxString& page) const override {
    const size_t body = page.Lower().find("<body");
    if (body == wxString::npos) return page;
    const wxColour background = wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW);
    const wxColour link =
        readableOn(wxSystemSettings::GetColour(wxSYS_COLOUR_HOTLIGHT), background);
    const wxString colours =
        wxString::Format(" text=\"%s\" bgcolor=\"%s\" link=\"%s\"",
                         htmlColour(wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOWTEXT)),
                         htmlColour(background), htmlColour(link));
    wxString coloured = page;
    coloured.insert(body + strlen("<body"), colours);
    return coloured;
  }
};

// A screen reader finds nothing in what wx draws itself: the page is announced by its
// title with its text as description, the contents by the topic chosen.
void describeForScreenReaders(wxHtmlHelpWindow* viewer) {
  nameButtonsByTooltips(viewer);
  const std::pair<int, const char*> fields[] = {{wxID_HTML_NOTEBOOK, "Inhalt, Index, Suchen"},
                                                {wxID_HTML_BOOKMARKSLIST, "Lesezeichen"},
                                                {wxID_HTML_INDEXTEXT, "Im Index suchen"},
                                                {wxID_HTML_SEARCHTEXT, "Suchbegriff"}};
  for (const auto& [id, name] : fields) {
    if (wxWindow* field = viewer->FindWindow(id)) setAccessibleName(field, name);
  }
  wxHtmlWindow* page = viewer->GetHtmlWindow();
  setAccessibleRole(page, tAccessibleRole::Document);
  // Painted after every page it loads.
  auto described = std::make_shared<wxString>();
  page->Bind(wxEVT_PAINT, [page, described](wxPaintEvent& event) {
    if (page->GetOpenedPage() != *described) {
      *described = page->GetOpenedPage();
      setAccessibleName(page, page->GetOpenedPageTitle());
      setAccessibleDescription(page, page->ToText());
    }
    event.Skip();
  });
  wxTreeCtrl* contents = findAmong<wxTreeCtrl>(viewer);
  if (contents == nullptr) return;
  setAccessibleRole(contents, tAccessibleRole::Tree);
  setAccessibleName(contents, "Inhalt");
  contents->Bind(wxEVT_TREE_SEL_CHANGED, [contents](wxTreeEvent& event) {
    setAccessibleDescription(contents, contents->GetItemText(event.GetItem()));
    event.Skip();
  });
}

class tHelpController : public wxHtmlHelpController {
 public:
  tHelpController() : wxHtmlHelpController(wxHF_DEFAULT_STYLE) {}

 protected:
  // As wx builds its frame, but of the kind above.
  wxHtmlHelpFrame* CreateHelpFrame(wxHtmlHelpData* data) override {
    auto* frame = new tHelpFrame(data);
    frame->SetController(this);
    frame->SetTitleFormat(m_titleFormat);
    frame->Create(m_parentWindow, wxID_ANY, wxEmptyString, m_FrameStyle, m_Config, m_ConfigRoot);
    keepOutOfModalDialogs(frame);
    // wxGTK ignores the close box and Alt+F4 of every window but a dialog while a modal
    // dialog runs; the help would stay until the dialog it was opened from closes.
    frame->SetExtraStyle(frame->GetExtraStyle() | wxTOPLEVEL_EX_DIALOG);
    nameTabs(frame->GetHelpWindow());
    describeForScreenReaders(frame->GetHelpWindow());
    widenContents(frame);
    // Laid out before it is first shown: GTK complains about the scroll bars of lists
    // still at their tiny creation size.
    layOutAll(frame);
    frame->SetShouldPreventAppExit(m_shouldPreventAppExit);
    m_helpFrame = frame;
    return frame;
  }
};

struct tHelpState {
  std::unique_ptr<tHelpController> controller;
  // The viewer's frame while it exists: it calls back into the controller until it is
  // really destroyed, which after Quit() happens only later, at idle time or at exit.
  wxWeakRef<wxWindow> viewer;
  wxString lastRequest;
};

tHelpState& helpState() {
  static tHelpState state;
  return state;
}

wxHtmlHelpController* openController(wxWindow* owner) {
  tHelpState& state = helpState();
  if (state.controller) return state.controller.get();
  const wxString book = helpBookPath();
  if (book.empty()) {
    wxMessageBox(wxString::Format("Die Hilfedatei %s wurde nicht gefunden.", kBookName), "Achtung",
                 wxOK | wxICON_WARNING, owner);
    return nullptr;
  }
  if (!wxFileSystem::HasHandlerForPath(book + "#zip:"))
    wxFileSystem::AddHandler(new wxArchiveFSHandler);
  // The viewer renders a page only when its type is text/html. wx asks the desktop's
  // MIME database for the type of a .htm page, and some databases answer
  // application/xhtml+xml, which the viewer shows as plain text, tags and all. wx's own
  // table knows .htm as HTML on every system.
  wxSystemOptions::SetOption("filesys.no-mimetypesmanager", 1);
  static bool coloured = false;
  if (!coloured) wxHtmlWindow::AddGlobalProcessor(new tSystemColours);
  coloured = true;
  auto controller = std::make_unique<tHelpController>();
  // Closing the main window ends the program even while help is open.
  controller->SetShouldPreventAppExit(false);
  // The viewer's caption, "%s" the title of the page shown.
  controller->SetTitleFormat("Hilfe: %s");
  if (!controller->AddBook(wxFileName(book))) {
    wxMessageBox(wxString::Format("Die Hilfedatei %s ist beschädigt.", book), "Achtung",
                 wxOK | wxICON_WARNING, owner);
    return nullptr;
  }
  state.controller = std::move(controller);
  return state.controller.get();
}

// Closes the viewer. The controller stays for the next request: deleting it now
// would leave the viewer, whose deletion is only scheduled, calling into freed memory.
void quitHelp() {
  tHelpState& state = helpState();
  if (state.controller) state.controller->Quit();
}

// At the end of the program, when the windows are gone.
void releaseHelp() {
  tHelpState& state = helpState();
  if (!state.controller) return;
  if (state.viewer) {
    // A viewer that outlived the windows would still call into the controller:
    // leaving the controller to the end of the process is the safe way out.
    state.controller->Quit();
    state.controller.release();
    return;
  }
  state.controller.reset();
}

void rememberViewer(wxHtmlHelpController* controller) {
  wxWindow* window = controller->GetHelpWindow();
  wxWindow* frame = window != nullptr ? wxGetTopLevelParent(window) : nullptr;
  helpState().viewer = frame;
  // A viewer opened before a modal dialog was disabled with every other window; asked
  // for from the dialog, it takes input again.
  if (frame != nullptr && !frame->IsEnabled()) frame->Enable();
}

wxString requestName(tHelpCommand command, const char* keyword) {
  switch (command) {
    case tHelpCommand::Contents:
      return "contents";
    case tHelpCommand::Search:
      return "search";
    case tHelpCommand::HelpOnHelp:
      return "helponhelp";
    case tHelpCommand::Keyword:
      return wxString("keyword:") + toWx(keyword != nullptr ? keyword : "");
    case tHelpCommand::Quit:
      return "quit";
  }
  return wxString();
}

// The viewer must go before wxWidgets shuts down, and the program may end without
// asking help to quit.
class tHelpModule : public wxModule {
 public:
  bool OnInit() override { return true; }
  void OnExit() override { releaseHelp(); }

 private:
  wxDECLARE_DYNAMIC_CLASS(tHelpModule);
};

wxIMPLEMENT_DYNAMIC_CLASS(tHelpModule, wxModule);

}  // namespace

wxString helpBookPath() {
  wxFileName besideProgram(wxStandardPaths::Get().GetExecutablePath());
  besideProgram.AppendDir("..");
  besideProgram.AppendDir("share");
  besideProgram.AppendDir("termel");
  besideProgram.SetFullName(kBookName);
  const wxString candidates[] = {besideProgram.GetFullPath(), TERMEL_HELP_BOOK_INSTALLED,
                                 TERMEL_HELP_BOOK_BUILT};
  for (const wxString& path : candidates) {
    if (wxFileName::FileExists(path)) {
      wxFileName found(path);
      found.Normalize(wxPATH_NORM_DOTS | wxPATH_NORM_ABSOLUTE);
      return found.GetFullPath();
    }
  }
  return wxString();
}

wxString lastHelpRequest() {
  return helpState().lastRequest;
}

wxString shownHelpPage() {
  wxHtmlHelpController* controller = helpState().controller.get();
  if (controller == nullptr || controller->GetHelpWindow() == nullptr) return wxString();
  // The viewer names pages by their location inside the book, "<book>#zip:<page>".
  return controller->GetHelpWindow()->GetHtmlWindow()->GetOpenedPage().AfterLast(':').AfterLast(
      '/');
}

void callHelp(wxWindow* owner, tHelpCommand command, const char* keyword) {
  helpState().lastRequest = requestName(command, keyword);
  if (command == tHelpCommand::Quit) {
    quitHelp();
    return;
  }
  wxHtmlHelpController* controller = openController(owner);
  if (controller == nullptr) return;
  switch (command) {
    case tHelpCommand::Contents:
      controller->DisplayContents();
      break;
    case tHelpCommand::Search:
      controller->DisplayContents();
      if (controller->GetHelpWindow() != nullptr) showSearchTab(controller->GetHelpWindow());
      break;
    case tHelpCommand::HelpOnHelp:
      controller->Display(kHelpOnHelpPage);
      break;
    case tHelpCommand::Keyword:
      controller->Display(toWx(keyword != nullptr ? keyword : ""));
      break;
    case tHelpCommand::Quit:
      break;
  }
  rememberViewer(controller);
}
