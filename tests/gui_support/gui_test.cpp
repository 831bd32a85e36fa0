#include "gui_test.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/control.h>
#include <wx/statusbr.h>
#include <wx/stopwatch.h>

namespace guitest {

namespace {
int realModalRuns = 0;
}  // namespace

tRealModalRuns::tRealModalRuns() {
  ++realModalRuns;
}

tRealModalRuns::~tRealModalRuns() {
  --realModalRuns;
}

bool realModalRunsAllowed() {
  return realModalRuns > 0;
}

namespace {

void runPending() {
  wxTheApp->ProcessPendingEvents();
  // Yield also dispatches GTK's own queue (size allocation, focus, key presses).
  wxTheApp->Yield(true);
  wxTheApp->ProcessIdle();
}

}  // namespace

void yield(int ms) {
  wxStopWatch watch;
  do {
    runPending();
    wxMilliSleep(5);
  } while (watch.Time() < ms);
  runPending();
}

bool waitFor(const std::function<bool()>& done, int timeoutMs) {
  wxStopWatch watch;
  while (!done()) {
    if (watch.Time() > timeoutMs) return false;
    runPending();
    wxMilliSleep(5);
  }
  return true;
}

wxString statusText(wxFrame* frame, int field) {
  wxStatusBar* bar = frame->GetStatusBar();
  return bar ? bar->GetStatusText(field) : wxString();
}

wxString labelOf(wxWindow* parent, int id) {
  auto* control = dynamic_cast<wxControl*>(parent->FindWindow(id));
  return control ? control->GetLabelText() : wxString("<missing>");
}

bool isEnabled(wxWindow* parent, int id) {
  wxWindow* child = parent->FindWindow(id);
  return child && child->IsThisEnabled();
}

}  // namespace guitest

int tExpectMessage::OnInvoked(wxMessageDialog* dialog) const {
  if (anyText_) {
    EXPECT_FALSE(dialog->GetMessage().empty());
  } else {
    EXPECT_EQ(dialog->GetMessage().utf8_string(), text_.utf8_string());
  }
  EXPECT_EQ(dialog->GetTitle().utf8_string(), caption_.utf8_string());
  EXPECT_EQ(dialog->GetMessageDialogStyle() & kMessageStyleMask, style_ & kMessageStyleMask)
      << "message box \"" << text_.utf8_string() << "\"";
  return answer_;
}

wxString tExpectMessage::GetDefaultDescription() const {
  return "message box \"" + text_ + "\" captioned \"" + caption_ + "\"";
}

int tExpectFile::OnInvoked(wxFileDialog* dialog) const {
  if (!look_.title.empty()) {
    EXPECT_EQ(dialog->GetMessage().utf8_string(), look_.title.utf8_string());
  }
  if (!look_.wildcard.empty()) {
    EXPECT_EQ(dialog->GetWildcard().utf8_string(), look_.wildcard.utf8_string());
  }
  if (!look_.fileName.empty()) {
    EXPECT_EQ(dialog->GetFilename().utf8_string(), look_.fileName.utf8_string());
  }
  if (!look_.directory.empty()) {
    EXPECT_EQ(dialog->GetDirectory().utf8_string(), look_.directory.utf8_string());
  }
  if (look_.style != -1) {
    const long mask = wxFD_OPEN | wxFD_SAVE | wxFD_OVERWRITE_PROMPT | wxFD_FILE_MUST_EXIST;
    EXPECT_EQ(dialog->GetWindowStyle() & mask, look_.style & mask);
  }
  if (path_.empty()) return wxID_CANCEL;
  dialog->SetPath(path_);
  // GTK's chooser takes the path only once it has read the folder in the background.
  EXPECT_TRUE(guitest::waitFor([&] { return dialog->GetPath() == path_; }))
      << "file dialog did not take " << path_.utf8_string();
  return wxID_OK;
}
