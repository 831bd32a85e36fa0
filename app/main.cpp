// Program entry: the first command-line argument names the card file to open; any
// further arguments are ignored. Without one, the box open at the last close comes
// back (TMyApp). "--version" alone prints the version and exits.
#include <wx/init.h>

#include <cstdio>
#include <cstring>

#include "app/haupt_fenster.h"
#include "app/my_app.h"
#include "kartei/box_identity.h"

wxIMPLEMENT_APP_NO_MAIN(TMyApp);

int main(int argc, char** argv) {
  // Answered before wxWidgets starts, so it works without a display.
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::printf("termel %s\n", TERMEL_VERSION);
    return 0;
  }
  // Kept as the native bytes the shell passed, so any path the system accepts opens;
  // made absolute, so it names the same box in the list of recent boxes wherever
  // termel is started next.
  currentFileName = argc > 1 ? absolutePath(argv[1]) : "";
  return wxEntry(argc, argv);
}
