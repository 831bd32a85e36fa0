// What a screen reader announces of a window: its name, its description and its role,
// set on the accessible object GTK gives the window's widget. wxWidgets passes none of
// this on, so a field knows no name but its text, and a window the program draws
// itself is an anonymous panel.
#ifndef TERMEL_DIALOGS_ACCESSIBLE_H_
#define TERMEL_DIALOGS_ACCESSIBLE_H_

#include <wx/string.h>

class wxWindow;

enum class tAccessibleRole { Label, StatusBar, Chart, Text, List, Tree, Document };

void setAccessibleName(wxWindow* window, const wxString& name);
void setAccessibleDescription(wxWindow* window, const wxString& description);
void setAccessibleRole(wxWindow* window, tAccessibleRole role);

// label names control: the control is announced by the label's text, and the two are
// tied as label and labelled.
void nameByLabel(wxWindow* label, wxWindow* control);

// Every button among window's widgets that shows only a picture is named by its
// tooltip, as wx's own tool bars and bitmap buttons are not.
void nameButtonsByTooltips(wxWindow* window);

// Every list among dialog's windows that wxWidgets draws itself gets the role of a list
// and, as its description, the text of the row with the keyboard, kept up to date.
void readListsAloud(wxWindow* dialog);

#endif  // TERMEL_DIALOGS_ACCESSIBLE_H_
