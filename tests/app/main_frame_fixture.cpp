#include "main_frame_fixture.h"

#include <wx/menu.h>
#include <wx/uiaction.h>

#include <cstdlib>
#include <filesystem>

#include "app/my_app.h"
#include "app/settings.h"
#include "box/card_box.h"
#include "box/termel.h"
#include "gui_test.h"
#include "kartei/card_file.h"
#include "kartei/recovery_file.h"

void MainFrameTest::SetUp() {
  char pattern[] = "/tmp/termel_app_test_XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  dir_ = pattern;
  theCardBox.clearAll();
  currentFileName.clear();
  answerShown = false;
  // Every test starts as on a first run, whatever the tests before it chose.
  std::filesystem::remove(settingsPath().utf8_string());
}

void MainFrameTest::TearDown() {
  stop();
  std::filesystem::remove_all(dir_);
}

void MainFrameTest::stop() {
  if (frame_) frame_->Destroy();
  EXPECT_TRUE(guitest::waitFor([this] { return !frame_; }));
  window_ = nullptr;
  // A frame taken down without a question leaves its recovery data, which the next
  // test's frame would offer back.
  std::filesystem::remove_all(std::filesystem::path(recoveryDirOf("")).parent_path());
  theCardBox.clearAll();
  currentFileName.clear();
  answerShown = false;
}

void MainFrameTest::start(const std::string& file) {
  currentFileName = file;
  wxFrame* frame = TMyApp::createMainWindow();
  ASSERT_NE(frame, nullptr);
  frame_ = frame;
  for (wxWindow* child : frame->GetChildren()) {
    if (auto* window = dynamic_cast<tHauptFenster*>(child)) window_ = window;
  }
  ASSERT_NE(window_, nullptr);
  frame->Show();
  frame->Raise();
  guitest::waitFor([frame] { return frame->IsShownOnScreen(); });
  guitest::yield(100);
}

std::string MainFrameTest::writeBox(const std::string& name, const std::vector<tBoxCard>& cards) {
  theCardBox.clearAll();
  for (const tBoxCard& entry : cards) {
    tTermel card = makeCard(entry.front.c_str(), entry.back.c_str());
    card.timesKnown = entry.known;
    card.timesUnknown = entry.unknown;
    EXPECT_TRUE(theCardBox.addCardTo(card, entry.compartment));
  }
  const std::string file = path(name);
  EXPECT_TRUE(saveCardFile(file.c_str()));
  theCardBox.clearAll();
  return file;
}

void MainFrameTest::menu(int id) {
  frame_->UpdateWindowUI();
  frame_->ProcessCommand(menuItemId(id));
  guitest::yield(10);
}

void MainFrameTest::press(int keyCode, int modifiers) {
  wxUIActionSimulator simulator;
  simulator.KeyDown(keyCode, modifiers);
  simulator.KeyUp(keyCode, modifiers);
  guitest::yield(100);
}

void MainFrameTest::click(int id) {
  const wxRect button = window_->FindWindow(id)->GetScreenRect();
  wxUIActionSimulator simulator;
  simulator.MouseMove(button.GetLeft() + button.GetWidth() / 2,
                      button.GetTop() + button.GetHeight() / 2);
  guitest::yield(20);
  simulator.MouseClick();
  guitest::yield(100);
}

bool MainFrameTest::closeFrame() {
  frame_->Close();
  guitest::waitFor([this] { return !frame_; }, 1000);
  return !frame_;
}

wxString MainFrameTest::status(int field) const {
  return guitest::statusText(frame_, field);
}
wxString MainFrameTest::label(int id) const {
  return guitest::labelOf(window_, id);
}
bool MainFrameTest::enabled(int id) const {
  return guitest::isEnabled(window_, id);
}

bool MainFrameTest::menuEnabled(int id) {
  frame_->UpdateWindowUI();
  return frame_->GetMenuBar()->IsEnabled(menuItemId(id));
}

bool MainFrameTest::menuChecked(int id) {
  frame_->UpdateWindowUI();
  return frame_->GetMenuBar()->IsChecked(menuItemId(id));
}

std::vector<std::string> MainFrameTest::frontsIn(int n) {
  std::vector<std::string> fronts;
  tTermel card;
  for (tTermel* it = theCardBox.firstIn(n, &card); it != nullptr;
       it = theCardBox.nextIn(n, &card)) {
    fronts.push_back(card.front);
  }
  return fronts;
}

int tExpectBox::OnInvoked(wxMessageDialog* dialog) const {
  // GTK marks mnemonics with "_" where wxWidgets writes "&".
  auto shown = [](wxString label) {
    label.Replace("_", "");
    label.Replace("&", "");
    return label.utf8_string();
  };
  const long style = dialog->GetMessageDialogStyle();
  if (style & wxYES_NO) {
    EXPECT_EQ(shown(dialog->GetYesLabel()), "Ja");
    EXPECT_EQ(shown(dialog->GetNoLabel()), "Nein");
  }
  if (style & wxOK) {
    EXPECT_EQ(shown(dialog->GetOKLabel()), "OK");
  }
  if (style & wxCANCEL) {
    EXPECT_EQ(shown(dialog->GetCancelLabel()), "Abbrechen");
  }
  return tExpectMessage::OnInvoked(dialog);
}

int tExpectError::OnInvoked(wxMessageDialog* dialog) const {
  const std::string text = dialog->GetMessage().utf8_string();
  for (const std::string& piece : pieces_) {
    EXPECT_NE(text.find(piece), std::string::npos)
        << "\"" << piece << "\" not in \"" << text << "\"";
  }
  return tExpectBox::OnInvoked(dialog);
}
