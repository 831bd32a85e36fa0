// Helpers for tests that drive real windows: letting queued events run, reading what a
// window shows, and answering message boxes and file dialogs while checking how they
// look. Link termel_gui_test_main, which supplies main() and starts wxWidgets.
#ifndef TERMEL_TESTS_GUI_SUPPORT_GUI_TEST_H_
#define TERMEL_TESTS_GUI_SUPPORT_GUI_TEST_H_

#include <wx/filedlg.h>
#include <wx/frame.h>
#include <wx/modalhook.h>
#include <wx/msgdlg.h>
#include <wx/testing.h>

#include <functional>

namespace guitest {

// Runs queued and idle events for about ms milliseconds.
void yield(int ms = 50);
// Runs events until done() holds or timeoutMs passed; returns done().
bool waitFor(const std::function<bool()>& done, int timeoutMs = 3000);
// Text of status bar field `field` of frame; empty without a status bar.
wxString statusText(wxFrame* frame, int field);
// Label of the child window with this id (static text or button), "<missing>" if absent.
wxString labelOf(wxWindow* parent, int id);
bool isEnabled(wxWindow* parent, int id);

// While one lives, a dialog that no wxTEST_DIALOG expects runs really modal instead of
// failing the test: for what wx does only inside a real modal run. The test ends the
// run itself.
class tRealModalRuns {
 public:
  tRealModalRuns();
  ~tRealModalRuns();
  tRealModalRuns(const tRealModalRuns&) = delete;
  tRealModalRuns& operator=(const tRealModalRuns&) = delete;
};
bool realModalRunsAllowed();

}  // namespace guitest

// Style bits of a message box that tests compare: buttons, default button and icon.
constexpr long kMessageStyleMask =
    wxOK | wxCANCEL | wxYES | wxNO | wxNO_DEFAULT | wxCANCEL_DEFAULT | wxICON_MASK;

// Expects a message box with exactly this text, caption and style (compared under
// kMessageStyleMask), and answers it with `answer` (wxID_OK, wxID_YES, ...).
class tExpectMessage : public wxExpectModalBase<wxMessageDialog, tExpectMessage> {
 public:
  tExpectMessage(const wxString& text, const wxString& caption, long style, int answer)
      : text_(text), caption_(caption), style_(style), answer_(answer), anyText_(false) {}
  // Any text, for messages that carry texts composed elsewhere (error codes, paths).
  tExpectMessage(const wxString& caption, long style, int answer)
      : caption_(caption), style_(style), answer_(answer), anyText_(true) {}

 protected:
  int OnInvoked(wxMessageDialog* dialog) const override;
  wxString GetDefaultDescription() const override;

 private:
  wxString text_;
  wxString caption_;
  long style_;
  int answer_;
  bool anyText_;
};

// What a file dialog must look like; empty members are not compared.
struct tFileDialogLook {
  wxString title;
  wxString wildcard;
  wxString fileName;
  wxString directory;  // the folder the dialog starts in
  long style =
      -1;  // compared under wxFD_OPEN | wxFD_SAVE | wxFD_OVERWRITE_PROMPT | wxFD_FILE_MUST_EXIST
};

// Expects a file dialog looking like `look`; answers wxID_OK with `path` chosen, or
// wxID_CANCEL when `path` is empty.
class tExpectFile : public wxExpectModalBase<wxFileDialog, tExpectFile> {
 public:
  explicit tExpectFile(const wxString& path, const tFileDialogLook& look = tFileDialogLook())
      : path_(path), look_(look) {}

 protected:
  int OnInvoked(wxFileDialog* dialog) const override;

 private:
  wxString path_;
  tFileDialogLook look_;
};

#endif  // TERMEL_TESTS_GUI_SUPPORT_GUI_TEST_H_
