// A fixture that builds the program's real main frame, exactly as the program does,
// for one test, with a scratch directory for card files and text files.
#ifndef TERMEL_TESTS_APP_MAIN_FRAME_FIXTURE_H_
#define TERMEL_TESTS_APP_MAIN_FRAME_FIXTURE_H_

#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/weakref.h>

#include <string>
#include <utility>
#include <vector>

#include "app/haupt_fenster.h"
#include "gui_test.h"

// One card to put into a box file: compartment, texts and counters.
struct tBoxCard {
  int compartment;
  std::string front;
  std::string back;
  int known = 0;
  int unknown = 0;
};

// A message box of the program: as tExpectMessage, and its buttons read German.
class tExpectBox : public tExpectMessage {
 public:
  using tExpectMessage::tExpectMessage;

 protected:
  int OnInvoked(wxMessageDialog* dialog) const override;
};

// An error message of the program ("Achtung", OK, warning icon) whose text holds
// each of these pieces (UTF-8), such as the error and the name of its file.
class tExpectError : public tExpectBox {
 public:
  explicit tExpectError(std::vector<std::string> pieces)
      : tExpectBox("Achtung", wxOK | wxICON_WARNING, wxID_OK), pieces_(std::move(pieces)) {}

 protected:
  int OnInvoked(wxMessageDialog* dialog) const override;

 private:
  std::vector<std::string> pieces_;
};

// What the question field shows while the box holds no card.
inline wxString emptyBoxHint() {
  return wxString::FromUTF8("Leere Kartei – Termel → Neu... oder Datei → Import...");
}

class MainFrameTest : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Builds and shows the frame as started with `file` on the command line ("" for none).
  void start(const std::string& file = "");
  // Takes the frame down without any question, and empties the box.
  void stop();
  // Writes a card file holding these cards; theCardBox is left empty.
  std::string writeBox(const std::string& name, const std::vector<tBoxCard>& cards);
  std::string path(const std::string& name) const { return dir_ + "/" + name; }
  // Sends a menu command the way the menu does: greyed items do nothing.
  void menu(int id);
  // Presses a key, with modifiers, wherever the keyboard focus is.
  void press(int keyCode, int modifiers = 0);
  // Clicks the training window's control `id` with the mouse, in its middle.
  void click(int id);
  // Closes the frame like its close box; true when it went away.
  bool closeFrame();

  wxString status(int field) const;
  wxString label(int id) const;
  bool enabled(int id) const;
  bool menuEnabled(int id);
  bool menuChecked(int id);
  // Fronts of the cards in compartment n, in list order.
  static std::vector<std::string> frontsIn(int n);

  wxWeakRef<wxFrame> frame_;
  tHauptFenster* window_ = nullptr;
  std::string dir_;
};

#endif  // TERMEL_TESTS_APP_MAIN_FRAME_FIXTURE_H_
