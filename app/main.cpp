// Program entry: the first command-line argument names the card file to open; any
// further arguments are ignored.
#include <wx/init.h>

#include "app/haupt_fenster.h"
#include "app/my_app.h"

wxIMPLEMENT_APP_NO_MAIN(TMyApp);

int main(int argc, char** argv) {
  // Kept as the native bytes the shell passed, so any path the system accepts opens.
  currentFileName = argc > 1 ? argv[1] : "";
  return wxEntry(argc, argv);
}
