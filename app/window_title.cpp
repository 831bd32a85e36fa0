// The main frame's title.
#include "app/window_title.h"

#include <wx/filename.h>

const char kProgramTitle[] = "Deruvuvodiru";

wxString windowTitle(const wxString& path, bool modified, bool readOnly) {
  // A fresh program with nothing in it has no document to name.
  if (path.empty() && !modified) return kProgramTitle;
  wxString name = path.empty() ? wxString("Unbenannt") : wxFileName(path).GetFullName();
  if (modified) name = "*" + name;
  if (readOnly) name += wxString::FromUTF8(" (schreibgeschützt)");
  return name + wxString::FromUTF8(" – ") + kProgramTitle;
}
