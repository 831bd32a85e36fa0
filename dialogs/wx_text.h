// The one crossing between the program's code page 1252 texts and wxWidgets' Unicode
// strings. Everything shown in or read from a widget passes through these.
#ifndef TERMEL_DIALOGS_WX_TEXT_H_
#define TERMEL_DIALOGS_WX_TEXT_H_

#include <wx/string.h>

#include <string>

wxString toWx(const char* cp1252);
inline wxString toWx(const std::string& cp1252) {
  return toWx(cp1252.c_str());
}
// False when the text holds a character that code page 1252 cannot represent.
bool fromWx(const wxString& text, std::string* cp1252);

#endif  // TERMEL_DIALOGS_WX_TEXT_H_
