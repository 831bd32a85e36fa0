// main() of the window test programs: starts wxWidgets with the program's resources
// loaded, turns every wx assertion (unmet dialog expectations included) into a failure
// of the running test, runs the tests and shuts wx down again.
#include "scratch_home.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/init.h>
#include <wx/intl.h>
#include <wx/log.h>
#include <wx/modalhook.h>
#include <wx/xrc/xmlres.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "gui_test.h"

void termelInitResources();

namespace {

class tTestApp : public wxApp {
 public:
  bool OnInit() override {
    // As the program does: the windows speak the language the tests run under
    // (de_DE.UTF-8, set where the tests are registered).
    {
      wxLogNull quiet;  // a missing locale shows in the tests that check the texts
      locale_ = std::make_unique<wxLocale>(wxLANGUAGE_DEFAULT);
    }
    wxXmlResource::Get()->InitAllHandlers();
    termelInitResources();
    return true;
  }

 private:
  std::unique_ptr<wxLocale> locale_;
};

// A dialog that no test expected would wait for a user who never comes; it fails the
// test and is cancelled instead. Expectations set by wxTEST_DIALOG come first.
class tUnexpectedDialogHook : public wxModalDialogHook {
 protected:
  int Enter(wxDialog* dialog) override {
    if (guitest::realModalRunsAllowed()) return wxID_NONE;
    ADD_FAILURE() << "unexpected dialog \"" << dialog->GetTitle().utf8_str() << "\"";
    return wxID_CANCEL;
  }
  void Exit(wxDialog*) override {}
};

void failCurrentTest(const wxString& file, int line, const wxString& func, const wxString& cond,
                     const wxString& msg) {
  ADD_FAILURE_AT(file.utf8_str().data(), line) << "wx assertion \"" << cond.utf8_str() << "\" in "
                                               << func.utf8_str() << ": " << msg.utf8_str();
}

}  // namespace

int main(int argc, char** argv) {
  const tScratchHome dataHome("XDG_DATA_HOME");
  const tScratchHome configHome("XDG_CONFIG_HOME");
  const tScratchHome stateHome("XDG_STATE_HOME");
  testing::InitGoogleTest(&argc, argv);
  wxApp::SetInstance(new tTestApp);
  if (!wxEntryStart(argc, argv)) return 1;
  if (!wxTheApp->CallOnInit()) {
    wxEntryCleanup();
    return 1;
  }
  wxTheApp->SetExitOnFrameDelete(false);  // tests open and close many main frames
  wxSetAssertHandler(failCurrentTest);
  tUnexpectedDialogHook unexpectedDialogs;
  unexpectedDialogs.Register();
  const int result = RUN_ALL_TESTS();
  unexpectedDialogs.Unregister();
  wxTheApp->OnExit();
  wxEntryCleanup();
  return result;
}
