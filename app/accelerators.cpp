#include "app/accelerators.h"

#include <wx/defs.h>

#include "app/haupt_fenster.h"

int acceleratorCommand(int keyCode, int modifiers, bool capsLockOn) {
  if (modifiers == wxMOD_NONE) {
    if (keyCode == WXK_RETURN || keyCode == WXK_NUMPAD_ENTER) return CM_WEITER;
    if (keyCode == WXK_ESCAPE) return CM_UNBEKANNT;
  }
  // Ctrl and Alt combinations type no character, so they are no letter commands.
  if ((modifiers & ~wxMOD_SHIFT) != wxMOD_NONE) return 0;
  const bool shift = (modifiers & wxMOD_SHIFT) != 0;
  if (shift != capsLockOn) return 0;  // the letter comes out upper case
  if (keyCode == 'G') return CM_WEITER;
  if (keyCode == 'U') return CM_UNBEKANNT;
  return 0;
}
