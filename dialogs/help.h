// The help book: contents, search, help on help and topics by keyword, shown with
// wxWidgets' HTML help over the German help book termel.htb built with the program.
// The help viewer is created on first use and lives until tHelpCommand::Quit or the
// end of the program; it never keeps the program running on its own.
#ifndef TERMEL_DIALOGS_HELP_H_
#define TERMEL_DIALOGS_HELP_H_

#include <wx/string.h>

class wxWindow;

enum class tHelpCommand { Contents, Search, HelpOnHelp, Keyword, Quit };

// keyword is used with tHelpCommand::Keyword ("Eingabe", "Korrektur", "Copyright").
// A missing help book is reported to the user in a message box owned by owner.
void callHelp(wxWindow* owner, tHelpCommand command, const char* keyword = nullptr);

// The help book found at run time: beside the installed program, in the installed data
// directory, or in the build tree; empty when there is none.
wxString helpBookPath();

// The last request made through callHelp, as "<command>" or "keyword:<keyword>", e.g.
// "contents", "keyword:Eingabe"; empty before the first.
wxString lastHelpRequest();

// The page the help viewer shows (a file name inside the book), empty when it is closed.
wxString shownHelpPage();

#endif  // TERMEL_DIALOGS_HELP_H_
