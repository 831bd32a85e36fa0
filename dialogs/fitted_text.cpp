#include "dialogs/fitted_text.h"

#include <wx/stattext.h>

namespace {

// Below this a text is no longer read comfortably; wider texts are shown on two lines.
constexpr double kSmallestPoints = 6.0;
// Room left at each side for the border and a little air, in pixels.
constexpr int kSideRoom = 4;

bool fits(const wxStaticText* field, const wxString& text, int room) {
  return field->GetTextExtent(text).x <= room;
}

// text on two lines: the first as long as fits, broken after a space where there is
// one, else within a word.
wxString onTwoLines(const wxStaticText* field, const wxString& text, int room) {
  size_t end = 1;
  while (end < text.length() && fits(field, text.Left(end + 1), room)) ++end;
  const size_t space = text.Left(end).find_last_of(' ');
  if (space != wxString::npos && space > 0) end = space + 1;
  return text.Left(end) + "\n" + text.Mid(end);
}

}  // namespace

void showFitted(wxStaticText* field, const wxString& text) {
  wxFont font = field->GetParent()->GetFont();
  const int room = field->GetClientSize().x - 2 * kSideRoom;
  field->SetFont(font);
  while (font.GetFractionalPointSize() > kSmallestPoints && !fits(field, text, room)) {
    font.SetFractionalPointSize(font.GetFractionalPointSize() - 0.5);
    field->SetFont(font);
  }
  field->SetLabelText(fits(field, text, room) ? text : onTwoLines(field, text, room));
}
