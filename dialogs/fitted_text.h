// Showing a card's text in full in a one-line field of fixed width: a text too wide for
// the field's font is shown in a smaller one, down to a size that is still legible, and
// on two lines if even that is too wide.
#ifndef TERMEL_DIALOGS_FITTED_TEXT_H_
#define TERMEL_DIALOGS_FITTED_TEXT_H_

#include <wx/string.h>

class wxStaticText;

// Sets the label of field to text (an ampersand is text, not a mnemonic) in the
// parent's font, or in the largest smaller one in which it fits the field's width.
// The field must be tall enough for two lines of the smallest font.
void showFitted(wxStaticText* field, const wxString& text);

#endif  // TERMEL_DIALOGS_FITTED_TEXT_H_
