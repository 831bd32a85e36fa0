// tMarkedText: a line of text, centred, whose marked characters are drawn in red and
// underlined: the typed answer once checked, its mistakes marked.
#ifndef TERMEL_APP_MARKED_TEXT_H_
#define TERMEL_APP_MARKED_TEXT_H_

#include <wx/window.h>

#include <vector>

class tMarkedText : public wxWindow {
 public:
  tMarkedText(wxWindow* parent, wxWindowID id);

  // marks holds one flag per character of text; missing flags count as unmarked.
  void setText(const wxString& text, const std::vector<bool>& marks);
  const wxString& text() const { return text_; }
  const std::vector<bool>& marks() const { return marks_; }
  // Only shown: the keyboard goes to the controls.
  bool AcceptsFocus() const override { return false; }

 private:
  void onPaint(wxPaintEvent& event);

  wxString text_;
  std::vector<bool> marks_;
};

#endif  // TERMEL_APP_MARKED_TEXT_H_
