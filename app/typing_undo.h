// tTypingUndo: the steps of typing in one text entry, so that Strg+Z takes them back
// one by one; GTK's single-line entry keeps no undo steps of its own.
//
// The entry must outlive the object; the object must live as long as the entry can
// send events, as it handles the entry's text events.
#ifndef TERMEL_APP_TYPING_UNDO_H_
#define TERMEL_APP_TYPING_UNDO_H_

#include <wx/string.h>

#include <vector>

class wxCommandEvent;
class wxTextCtrl;

class tTypingUndo {
 public:
  explicit tTypingUndo(wxTextCtrl* entry);
  ~tTypingUndo();
  tTypingUndo(const tTypingUndo&) = delete;
  tTypingUndo& operator=(const tTypingUndo&) = delete;

  // Puts the entry back as it was before the last change. False, changing nothing,
  // when the entry is empty: there is no typing to take back.
  bool undo();
  // The entry was emptied for a new answer; the steps before count no more.
  void reset();

 private:
  void onText(wxCommandEvent& event);

  wxTextCtrl* entry_;
  std::vector<wxString> before_;  // the texts before each change, oldest first
  wxString current_;
};

#endif  // TERMEL_APP_TYPING_UNDO_H_
