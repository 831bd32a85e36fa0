// The compartment choosers of the dialogs: one entry "%d. Fach" per compartment in use,
// the archive last and numbered like the others. Entry i stands for compartment i + 1.
#ifndef TERMEL_DIALOGS_COMPARTMENT_NAMES_H_
#define TERMEL_DIALOGS_COMPARTMENT_NAMES_H_

#include <wx/string.h>

class wxItemContainer;

// "n. Fach", the name of compartment n in the choosers.
wxString compartmentName(int n);

// Replaces the items' contents with the names of theCardBox's compartments.
void fillCompartmentNames(wxItemContainer* items);

#endif  // TERMEL_DIALOGS_COMPARTMENT_NAMES_H_
