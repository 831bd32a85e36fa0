#include "dialogs/compartment_names.h"

#include <wx/arrstr.h>
#include <wx/ctrlsub.h>

#include "box/card_box.h"

wxString compartmentName(int n) {
  return wxString::Format("%d. Fach", n);
}

void fillCompartmentNames(wxItemContainer* items) {
  wxArrayString names;
  for (int n = 1; n <= theCardBox.compartmentCount(); ++n) names.Add(compartmentName(n));
  items->Set(names);
}
