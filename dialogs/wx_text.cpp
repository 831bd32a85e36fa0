#include "dialogs/wx_text.h"

#include <wx/strconv.h>

namespace {

wxCSConv& cp1252Conv() {
  static wxCSConv conv(wxFONTENCODING_CP1252);
  return conv;
}

}  // namespace

wxString toWx(const char* cp1252) {
  return wxString(cp1252, cp1252Conv());
}

bool fromWx(const wxString& text, std::string* cp1252) {
  const wxScopedCharBuffer bytes = text.mb_str(cp1252Conv());
  if (!text.empty() && bytes.length() == 0) return false;
  cp1252->assign(bytes.data(), bytes.length());
  return true;
}
