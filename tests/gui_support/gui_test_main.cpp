// main() of the window test programs: starts wxWidgets with the program's resources
// loaded, turns every wx assertion (unmet dialog expectations included) into a failure
// of the running test, runs the tests and shuts wx down again.
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/init.h>
#include <wx/modalhook.h>
#include <wx/xrc/xmlres.h>

#include <cstdio>
#include <cstdlib>
#include <string>

void termelInitResources();

namespace {

class tTestApp : public wxApp {
 public:
  bool OnInit() override {
    wxXmlResource::Get()->InitAllHandlers();
    termelInitResources();
    return true;
  }
};

// A dialog that no test expected would wait for a user who never comes; it fails the
// test and is cancelled instead. Expectations set by wxTEST_DIALOG come first.
class tUnexpectedDialogHook : public wxModalDialogHook {
 protected:
  int Enter(wxDialog* dialog) override {
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

// Every save over an existing box keeps a backup in XDG_DATA_HOME; the window tests
// keep theirs in a scratch directory, removed at the end, never in the real home.
class tScratchDataHome {
 public:
  tScratchDataHome() {
    char name[] = "/tmp/termel-test-data-XXXXXX";
    if (mkdtemp(name) == nullptr) return;
    path_ = name;
    setenv("XDG_DATA_HOME", name, 1);
  }
  ~tScratchDataHome() {
    const std::string command = "rm -rf '" + path_ + "'";
    if (!path_.empty() && std::system(command.c_str()) != 0) std::perror("rm");
  }

 private:
  std::string path_;
};

}  // namespace

int main(int argc, char** argv) {
  tScratchDataHome dataHome;
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
