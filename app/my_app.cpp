#include "app/my_app.h"

#include <wx/filename.h>
#include <wx/frame.h>
#include <wx/log.h>
#include <wx/menu.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>
#include <wx/timer.h>
#include <wx/utils.h>
#include <wx/weakref.h>
#include <wx/xrc/xmlres.h>

#include <sys/stat.h>

#include <algorithm>
#include <string>

#include "app/accelerators.h"
#include "app/file_dialogs.h"
#include "app/haupt_fenster.h"
#include "app/session_client.h"
#include "app/session_end.h"
#include "app/settings.h"
#include "app/window_title.h"
#include "dialogs/accessible.h"
#include "dialogs/typed_ahead.h"
#include "dialogs/xrc_dialog.h"
#include "kartei/recovery_file.h"

void termelInitResources();

namespace {

enum : int { kCountField, kScoreField, kCapsField, kNumField, kFieldCount };

constexpr int kScoreWidthChars = 30;
// Lock keys can change while another program has the keyboard, so they are polled.
constexpr int kLockPollMs = 250;

// The frame's status bar: counts, score and the Caps Lock and Num Lock indicators,
// which it keeps up to date itself.
class tStatusBar : public wxStatusBar {
 public:
  explicit tStatusBar(wxWindow* parent) : wxStatusBar(parent, wxID_ANY), timer_(this) {
    const int styles[kFieldCount] = {wxSB_SUNKEN, wxSB_SUNKEN, wxSB_SUNKEN, wxSB_SUNKEN};
    SetFieldsCount(kFieldCount);
    fitFields();
    SetStatusStyles(kFieldCount, styles);
    Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
      fitFields();
      event.Skip();
    });
    Bind(wxEVT_TIMER, [this](wxTimerEvent&) { showLockStates(); });
    setAccessibleRole(this, tAccessibleRole::StatusBar);
    setAccessibleName(this, "Statusleiste");
    timer_.Start(kLockPollMs);
    showLockStates();
  }

  void showLockStates() {
    showIndicator(kCapsField, wxGetKeyState(WXK_CAPITAL), "CAPS");
    showIndicator(kNumField, wxGetKeyState(WXK_NUMLOCK), "NUM");
  }

 protected:
  // A screen reader reads the bar as one text, its fields in order.
  void DoUpdateStatusText(int field) override {
    wxStatusBar::DoUpdateStatusText(field);
    wxString said;
    for (int i = 0; i < GetFieldsCount(); ++i) {
      const wxString text = GetStatusText(i).Strip(wxString::both);
      if (text.empty() || text == "---") continue;
      said += (said.empty() ? "" : ", ") + text;
    }
    setAccessibleName(this, said.empty() ? wxString("Statusleiste") : said);
  }

 private:
  // The size grip, as wide as the bar is high, lies over the end of the last field;
  // that field is widened by it so that "NUM" is not cut to "N...".
  void fitFields() {
    const int lockWidth = std::max(GetTextExtent("CAPS").x, GetTextExtent("NUM").x) + 16;
    const int grip = std::max(GetClientSize().y, GetCharHeight() + 8);
    const int widths[kFieldCount] = {-1, kScoreWidthChars * GetCharWidth(), lockWidth,
                                     lockWidth + grip};
    SetStatusWidths(kFieldCount, widths);
  }

  void showIndicator(int field, bool on, const char* name) {
    const wxString text = on ? wxString(name) : wxString();
    if (GetStatusText(field) != text) SetStatusText(text, field);
  }

  wxTimer timer_;
};

// Menu and keyboard commands arrive at the frame; the training window handles them all.
void routeCommands(wxFrame* frame, tHauptFenster* window, tStatusBar* bar) {
  auto forward = [window](auto& event) {
    if (event.GetId() == menuItemId(CM_ANTWORT_ALS_FRAGE)) event.SetId(CM_ANTWORT_ALS_FRAGE);
    if (!window->GetEventHandler()->ProcessEventLocally(event)) event.Skip();
  };
  frame->Bind(wxEVT_MENU, forward);
  frame->Bind(wxEVT_UPDATE_UI, forward);
  // The hook sees keys before the focused button does, so Enter and Esc always act
  // as commands instead of pressing a button.
  frame->Bind(wxEVT_CHAR_HOOK, [window, bar](wxKeyEvent& event) {
    bar->showLockStates();
    const int command =
        acceleratorCommand(event.GetKeyCode(), event.GetModifiers(), wxGetKeyState(WXK_CAPITAL),
                           dynamic_cast<wxTextCtrl*>(wxWindow::FindFocus()) != nullptr);
    if (command == 0) {
      event.Skip();
      return;
    }
    wxCommandEvent commandEvent(wxEVT_MENU, command);
    commandEvent.SetEventObject(window);
    window->GetEventHandler()->ProcessEventLocally(commandEvent);
  });
  frame->Bind(wxEVT_CLOSE_WINDOW, [frame, window](wxCloseEvent& event) {
    if (!window->queryClose() && event.CanVeto()) {
      event.Veto();
      return;
    }
    frame->Destroy();
  });
}

// Started without a file name, the program comes back to the box that was open when
// it last closed, if that file is still there.
std::string boxToReopen(const tSettings& settings) {
  if (settings.lastBox.empty() || !wxFileName::FileExists(settings.lastBox)) return "";
  return pathBytes(settings.lastBox);
}

// Not when another running termel is working on its own new box.
bool unnamedBoxLeftChanges() {
  const int claim = claimRecoveryDir("");
  if (claim < 0) return false;
  struct stat st;
  const bool left = ::stat(recoveryFileOf("").c_str(), &st) == 0;
  releaseRecoveryDir(claim);
  return left;
}

}  // namespace

int menuItemId(int command) {
  return command == CM_ANTWORT_ALS_FRAGE ? XRCID("antwort_als_frage") : command;
}

std::unique_ptr<wxLocale> useDesktopLanguage() {
  // A desktop language the system has no locale for leaves the texts in English,
  // which is no reason to trouble the learner with a message.
  wxLogNull quiet;
  // Loads wxWidgets' own catalog ("wxstd") along with the locale.
  return std::make_unique<wxLocale>(wxLANGUAGE_DEFAULT, wxLOCALE_LOAD_DEFAULT);
}

TMyApp::TMyApp() = default;
TMyApp::~TMyApp() = default;

void TMyApp::watchSessionEnd(wxFrame* frame) {
  tHauptFenster* window = nullptr;
  for (wxWindow* child : frame->GetChildren()) {
    if (window == nullptr) window = dynamic_cast<tHauptFenster*>(child);
  }
  if (window == nullptr) return;
  // A signal may come while the frame is already going.
  const wxWeakRef<wxFrame> frameRef(frame);
  const wxWeakRef<tHauptFenster> windowRef(window);
  auto end = [frameRef, windowRef] {
    if (frameRef && windowRef) endWithoutQuestion(frameRef, windowRef);
  };
  sessionEnd_ = std::make_unique<tSessionEnd>(end);
  // Asked first, the learner may save as in any desktop program, or stop the logout.
  tSessionClient::tActions actions;
  actions.queryEnd = [windowRef] {
    if (!windowRef) return true;
    windowRef->keepUnsaved();
    return windowRef->queryClose();
  };
  actions.keep = [windowRef] {
    if (windowRef) windowRef->keepUnsaved();
  };
  actions.die = end;
  sessionClient_ = std::make_unique<tSessionClient>(std::move(actions));
}

bool TMyApp::OnInit() {
  locale_ = useDesktopLanguage();
  holdTypedAheadKeys();
  wxFrame* frame = createMainWindow();
  if (frame == nullptr) return false;
  SetTopWindow(frame);
  watchSessionEnd(frame);
  frame->Show();
  // Asks for the keyboard too, so the drill can start with a key even where no
  // window manager hands the new window the focus.
  frame->Raise();
  return true;
}

wxFrame* TMyApp::createMainWindow() {
  const tSettings settings = loadSettings();
  const wxSize outerSize(settings.width, settings.height);
  loadTermelResources();
  auto* frame = new wxFrame(nullptr, wxID_ANY, kProgramTitle, wxDefaultPosition, outerSize);
  wxMenuBar* menu = wxXmlResource::Get()->LoadMenuBar(frame, "100");
  if (menu == nullptr) {
    delete frame;
    return nullptr;
  }
  auto* window = new tHauptFenster(frame);
  auto* bar = new tStatusBar(frame);
  frame->SetStatusBar(bar);
  frame->SetStatusBarPane(-1);  // menu help texts would overwrite the counts
  window->setGadgets(bar);
  frame->SetMenuBar(menu);
  frame->SetSize(outerSize);
  routeCommands(frame, window, bar);
  window->applySettings(settings);
  // Changes to a new box that a killed run left behind are offered before the last box
  // is opened again.
  if (currentFileName.empty() && !unnamedBoxLeftChanges()) currentFileName = boxToReopen(settings);
  window->setup();
  return frame;
}
