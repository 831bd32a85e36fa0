#include "dialog_test.h"

#include <wx/app.h>
#include <wx/button.h>
#include <wx/choice.h>
#include <wx/listbox.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include <cstring>

#include "box/card_box.h"
#include "dialogs/card_list.h"
#include "dialogs/wx_text.h"

namespace dialogtest {

namespace {

void sendCommand(wxWindow* source, wxEventType type, int selection) {
  wxCommandEvent event(type, source->GetId());
  event.SetEventObject(source);
  event.SetInt(selection);
  source->ProcessWindowEvent(event);
}

// A point inside the item's row, found by hit-testing down the list once GTK has laid
// it out; (-1, -1) when the item cannot be seen.
wxPoint pointOnItem(wxListBox* list, int item) {
  list->EnsureVisible(item);
  wxPoint point(-1, -1);
  guitest::waitFor(
      [&] {
        for (int y = 0; y < list->GetClientSize().y; y += 2) {
          if (list->HitTest(wxPoint(10, y)) == item) {
            point = wxPoint(10, y);
            return true;
          }
        }
        return false;
      },
      1000);
  return point;
}

std::string utf8(const wxString& text) {
  return text.utf8_string();
}

}  // namespace

void resetBox() {
  theCardBox.clearAll();
  for (char* buffer : {workFront, workBack, lastFront, lastBack}) buffer[0] = '\0';
}

void addCard(int n, const char* front, const char* back, int known, int unknown) {
  tTermel card = makeCard(front, back);
  card.timesKnown = known;
  card.timesUnknown = unknown;
  ASSERT_TRUE(theCardBox.addCardTo(card, n));
}

std::vector<std::string> fronts(int n) {
  std::vector<std::string> result;
  tTermel buffer;
  for (tTermel* card = theCardBox.firstIn(n, &buffer); card != nullptr;
       card = theCardBox.nextIn(n, &buffer)) {
    result.push_back(utf8(toWx(buffer.front)));
  }
  return result;
}

std::vector<std::string> cardsWithCounters(int n) {
  std::vector<std::string> result;
  tTermel buffer;
  for (tTermel* card = theCardBox.firstIn(n, &buffer); card != nullptr;
       card = theCardBox.nextIn(n, &buffer)) {
    result.push_back(utf8(wxString::Format("%s/%s/%d/%d", toWx(buffer.front), toWx(buffer.back),
                                           buffer.timesKnown, buffer.timesUnknown)));
  }
  return result;
}

void type(wxWindow* dialog, int id, const char* utf8Text) {
  auto* field = dynamic_cast<wxTextCtrl*>(dialog->FindWindow(id));
  ASSERT_NE(field, nullptr) << "no edit field " << id;
  field->SetValue(wxString::FromUTF8(utf8Text));
}

wxString valueOf(wxWindow* dialog, int id) {
  auto* field = dynamic_cast<wxTextCtrl*>(dialog->FindWindow(id));
  return field ? field->GetValue() : wxString("<missing>");
}

void press(wxWindow* dialog, int id) {
  auto* button = dynamic_cast<wxButton*>(dialog->FindWindow(id));
  ASSERT_NE(button, nullptr) << "no button " << id;
  ASSERT_TRUE(button->IsThisEnabled()) << "button " << id << " is disabled";
  sendCommand(button, wxEVT_BUTTON, 0);
}

int resultOf(wxDialog* dialog) {
  return dialog->GetReturnCode();
}

void selectItems(wxListBox* list, std::initializer_list<int> items) {
  list->DeselectAll();
  for (int item : items) list->SetSelection(item);
  sendCommand(list, wxEVT_LISTBOX, items.size() == 0 ? wxNOT_FOUND : *items.begin());
}

void doubleClick(wxListBox* list, int item) {
  list->DeselectAll();
  list->SetSelection(item);
  // GTK reports both the list's double click and the mouse's; dialogs listen to either.
  sendCommand(list, wxEVT_LISTBOX_DCLICK, item);
  wxMouseEvent mouse(wxEVT_LEFT_DCLICK);
  mouse.SetEventObject(list);
  mouse.SetPosition(pointOnItem(list, item));
  list->ProcessWindowEvent(mouse);
  // A dialog may act on a double click only on the next turn of the event loop.
  wxTheApp->ProcessPendingEvents();
}

wxListBox* listOf(wxWindow* dialog, int id) {
  return dynamic_cast<wxListBox*>(dialog->FindWindow(id));
}

std::vector<std::string> itemsOf(wxListBox* list) {
  std::vector<std::string> result;
  for (unsigned i = 0; i < list->GetCount(); ++i) result.push_back(utf8(list->GetString(i)));
  return result;
}

void chooseCompartment(wxWindow* dialog, int index) {
  auto* chooser = dynamic_cast<wxChoice*>(dialog->FindWindow(502));
  ASSERT_NE(chooser, nullptr);
  chooser->SetSelection(index);
  sendCommand(chooser, wxEVT_CHOICE, index);
}

namespace {

// The modifier keys held down during a click, pressed in this order.
std::vector<int> modifierKeys(int modifiers) {
  std::vector<int> keys;
  if (modifiers & wxMOD_SHIFT) keys.push_back(WXK_SHIFT);
  if (modifiers & wxMOD_CONTROL) keys.push_back(WXK_CONTROL);
  return keys;
}

void clickTimes(wxWindow* window, const wxPoint& point, int modifiers, int times) {
  wxUIActionSimulator input;
  input.MouseMove(window->ClientToScreen(point));
  guitest::yield(30);
  const std::vector<int> keys = modifierKeys(modifiers);
  for (int key : keys) input.KeyDown(key);
  if (times == 2) {
    input.MouseDblClick();
  } else {
    input.MouseClick();
  }
  for (auto key = keys.rbegin(); key != keys.rend(); ++key) input.KeyUp(*key);
  guitest::yield(100);
}

}  // namespace

void clickAt(wxWindow* window, const wxPoint& point, int modifiers) {
  clickTimes(window, point, modifiers, 1);
}

void click(wxWindow* dialog, int id) {
  wxWindow* control = dialog->FindWindow(id);
  ASSERT_NE(control, nullptr) << "no control " << id;
  const wxSize size = control->GetClientSize();
  clickAt(control, wxPoint(size.x / 2, size.y / 2));
}

void pressKey(int key, int modifiers) {
  wxUIActionSimulator input;
  input.Char(key, modifiers);
  guitest::yield(100);
}

tCardList* cardListOf(wxWindow* dialog) {
  return dynamic_cast<tCardList*>(dialog->FindWindow(501));
}

std::vector<std::string> rowsOf(const tCardList* list) {
  std::vector<std::string> result;
  for (size_t row = 0; row < list->GetItemCount(); ++row)
    result.push_back(utf8(list->textOf(static_cast<int32_t>(row))));
  return result;
}

namespace {

wxPoint middleOfRow(tCardList* list, int row) {
  const wxRect rect = list->GetItemRect(static_cast<size_t>(row));
  EXPECT_FALSE(rect.IsEmpty()) << "row " << row << " is not in view";
  return wxPoint(rect.x + 10, rect.y + rect.height / 2);
}

}  // namespace

void clickRow(tCardList* list, int row, int modifiers) {
  clickTimes(list, middleOfRow(list, row), modifiers, 1);
}

void doubleClickRow(tCardList* list, int row) {
  clickTimes(list, middleOfRow(list, row), 0, 2);
}

}  // namespace dialogtest
