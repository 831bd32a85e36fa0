// The help book: contents, search, help on help and topics by keyword, shown with
// wxWidgets' HTML help over the German help book built with the program.
#ifndef TERMEL_DIALOGS_HELP_H_
#define TERMEL_DIALOGS_HELP_H_

class wxWindow;

enum class tHelpCommand { Contents, Search, HelpOnHelp, Keyword, Quit };

// keyword is used with tHelpCommand::Keyword ("Eingabe", "Korrektur", "Copyright").
void callHelp(wxWindow* owner, tHelpCommand command, const char* keyword = nullptr);

#endif  // TERMEL_DIALOGS_HELP_H_
