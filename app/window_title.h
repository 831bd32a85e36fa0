// The main frame's title, as desktop programs show their document: the card file's
// name first, "*" before it while the box has unsaved changes, "(schreibgeschützt)"
// after it when the file cannot be written, and the program's name last.
#ifndef TERMEL_APP_WINDOW_TITLE_H_
#define TERMEL_APP_WINDOW_TITLE_H_

#include <wx/string.h>

// The program's name, the whole title while no box has a file.
extern const char kProgramTitle[];

// path: the card file as shownPath gives it, empty for a box that has no file yet
// ("Unbenannt").
wxString windowTitle(const wxString& path, bool modified, bool readOnly);

#endif  // TERMEL_APP_WINDOW_TITLE_H_
