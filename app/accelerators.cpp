#include "app/accelerators.h"

#include <wx/defs.h>

#include "app/haupt_fenster.h"

namespace {

// Strg with a letter, digit or sign. Shift is allowed, since on many layouts "+" is
// typed with it.
int controlCommand(int keyCode) {
  switch (keyCode) {
    case 'N':
      return CM_NEU;
    case 'O':
      return CM_OEFFNEN;
    case 'S':
      return CM_SICHERN;
    case 'Q':
      return CM_BEENDEN;
    case 'Z':
      return CM_ZURUECKNEHMEN;
    case 'G':
      return CM_STRG_GEWUSST;
    case 'U':
      return CM_STRG_UNBEKANNT;
    case 'L':
      return CM_NOCHMAL_VORLESEN;
    case 'F':
      return CM_KARTE_SUCHEN;
    case '+':
    case '=':
    case WXK_ADD:
    case WXK_NUMPAD_ADD:
      return CM_SCHRIFT_GROESSER;
    case '-':
    case WXK_SUBTRACT:
    case WXK_NUMPAD_SUBTRACT:
      return CM_SCHRIFT_KLEINER;
    case '0':
    case WXK_NUMPAD0:
      return CM_SCHRIFT_NORMAL;
    default:
      return 0;
  }
}

}  // namespace

int acceleratorCommand(int keyCode, int modifiers, bool capsLockOn, bool typing) {
  if (modifiers == wxMOD_NONE) {
    if (keyCode == WXK_RETURN || keyCode == WXK_NUMPAD_ENTER) return CM_WEITER;
    if (keyCode == WXK_ESCAPE) return CM_UNBEKANNT;
  }
  // The desktop's own keys: help for the window in front, "Sichern als" with Shift.
  if (modifiers == wxMOD_NONE && keyCode == WXK_F1) return CM_HILFE_INHALT;
  if (modifiers == (wxMOD_CONTROL | wxMOD_SHIFT) && keyCode == 'S') return CM_SICHERN_ALS;
  if ((modifiers & ~wxMOD_SHIFT) == wxMOD_CONTROL) return controlCommand(keyCode);
  // Alt combinations type no character, so they are no letter commands.
  if ((modifiers & ~wxMOD_SHIFT) != wxMOD_NONE) return 0;
  if (typing) return 0;  // the letter belongs to the typed answer
  const bool shift = (modifiers & wxMOD_SHIFT) != 0;
  if (shift != capsLockOn) return 0;  // the letter comes out upper case
  if (keyCode == 'G') return CM_WEITER;
  if (keyCode == 'U') return CM_UNBEKANNT;
  return 0;
}
