// Painting the typed answer character by character, so each mark lands on its own
// character whatever the font.
#include "app/marked_text.h"

#include <wx/dcclient.h>
#include <wx/settings.h>

#include "dialogs/accessible.h"
#include "dialogs/readable_colour.h"

namespace {

const wxColour kMarkColour(200, 0, 0);

// What a screen reader says instead of the red letters: "4. Zeichen „x“, ...".
wxString markedCharacters(const wxString& text, const std::vector<bool>& marks) {
  wxString said;
  for (size_t i = 0; i < marks.size(); ++i) {
    if (!marks[i]) continue;
    if (!said.empty()) said += ", ";
    said += wxString::Format(wxString::FromUTF8("%zu. Zeichen „%s“"), i + 1, wxString(text[i]));
  }
  return said.empty() ? wxString("Nichts markiert") : "Markiert: " + said;
}

}  // namespace

tMarkedText::tMarkedText(wxWindow* parent, wxWindowID id)
    : wxWindow(parent, id, wxDefaultPosition, wxDefaultSize,
               wxBORDER_NONE | wxFULL_REPAINT_ON_RESIZE) {
  Bind(wxEVT_PAINT, &tMarkedText::onPaint, this);
  setAccessibleRole(this, tAccessibleRole::Label);
}

void tMarkedText::setText(const wxString& text, const std::vector<bool>& marks) {
  text_ = text;
  marks_ = marks;
  marks_.resize(text_.length(), false);
  setAccessibleName(this, "Getippte Antwort: " + text_);
  setAccessibleDescription(this, markedCharacters(text_, marks_));
  Refresh();
}

void tMarkedText::onPaint(wxPaintEvent&) {
  wxPaintDC dc(this);
  dc.SetFont(GetFont());
  const wxSize size = GetClientSize();
  const wxSize extent = dc.GetTextExtent(text_);
  // Ends of each character from the line's start, so a marked one can be drawn alone.
  wxArrayInt ends;
  dc.GetPartialTextExtents(text_, ends);
  const int left = (size.x - extent.x) / 2;
  const int top = (size.y - extent.y) / 2;
  const wxColour plain = wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOWTEXT);
  const wxColour marked = readableOn(kMarkColour, GetBackgroundColour());
  for (size_t i = 0; i < text_.length() && i < ends.size(); ++i) {
    const int start = i == 0 ? 0 : ends[i - 1];
    dc.SetTextForeground(marks_[i] ? marked : plain);
    dc.DrawText(text_.Mid(i, 1), left + start, top);
    if (marks_[i]) {
      dc.SetPen(wxPen(marked, 2));
      dc.DrawLine(left + start, top + extent.y, left + ends[i], top + extent.y);
    }
  }
}
