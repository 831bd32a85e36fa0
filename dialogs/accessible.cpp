#include "dialogs/accessible.h"

#include <gtk/gtk.h>
#include <wx/control.h>
#include <wx/listctrl.h>
#include <wx/window.h>

#include <cstring>

namespace {

// The window of a list drawn by wxWidgets that takes the keyboard: its rows, not the
// headings above them.
wxWindow* rowsOf(wxWindow* window) {
  if (dynamic_cast<wxListCtrl*>(window) == nullptr) return window;
  for (wxWindow* child : window->GetChildren()) {
    if (child->AcceptsFocus()) return child;
  }
  return window;
}

// The widget that takes the keyboard: inside a scrolled window, the view it scrolls.
AtkObject* accessibleOf(wxWindow* window) {
  GtkWidget* widget = rowsOf(window)->GetConnectWidget();
  if (widget == nullptr) return nullptr;
  if (GTK_IS_SCROLLED_WINDOW(widget)) {
    if (GtkWidget* view = gtk_bin_get_child(GTK_BIN(widget))) widget = view;
  }
  return gtk_widget_get_accessible(widget);
}

AtkRole atkRole(tAccessibleRole role) {
  switch (role) {
    case tAccessibleRole::Label:
      return ATK_ROLE_LABEL;
    case tAccessibleRole::StatusBar:
      return ATK_ROLE_STATUSBAR;
    case tAccessibleRole::Chart:
      return ATK_ROLE_CHART;
    case tAccessibleRole::Text:
      return ATK_ROLE_TEXT;
    case tAccessibleRole::List:
      return ATK_ROLE_LIST;
    case tAccessibleRole::Tree:
      return ATK_ROLE_TREE;
    case tAccessibleRole::Document:
      return ATK_ROLE_DOCUMENT_FRAME;
  }
  return ATK_ROLE_UNKNOWN;
}

}  // namespace

void setAccessibleName(wxWindow* window, const wxString& name) {
  AtkObject* accessible = accessibleOf(window);
  if (accessible == nullptr) return;
  const wxScopedCharBuffer utf8 = name.utf8_str();
  // ATK announces a change of name; an unchanged one is not worth announcing again.
  const char* old = atk_object_get_name(accessible);
  if (old == nullptr || strcmp(old, utf8.data()) != 0) atk_object_set_name(accessible, utf8.data());
}

void setAccessibleDescription(wxWindow* window, const wxString& description) {
  if (AtkObject* accessible = accessibleOf(window)) {
    atk_object_set_description(accessible, description.utf8_str());
  }
}

void setAccessibleRole(wxWindow* window, tAccessibleRole role) {
  if (AtkObject* accessible = accessibleOf(window)) atk_object_set_role(accessible, atkRole(role));
}

namespace {

// "Baum, tree, 3 (Zeile 2 von 20)": the row a screen reader cannot find in a list that
// wxWidgets draws itself.
wxString rowText(const wxListCtrl* list, long row) {
  wxString text;
  for (int column = 0; column < list->GetColumnCount(); ++column) {
    if (column > 0) text += ", ";
    text += list->GetItemText(row, column);
  }
  return text + wxString::Format(" (Zeile %ld von %d)", row + 1, list->GetItemCount());
}

void followRows(wxListCtrl* list) {
  setAccessibleRole(list, tAccessibleRole::List);
  const auto describeRow = [list](long row) {
    setAccessibleDescription(list, row >= 0 && row < list->GetItemCount()
                                       ? rowText(list, row)
                                       : wxString::Format("%d Zeilen", list->GetItemCount()));
  };
  describeRow(list->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_FOCUSED));
  list->Bind(wxEVT_LIST_ITEM_FOCUSED, [describeRow](wxListEvent& event) {
    describeRow(event.GetIndex());
    event.Skip();
  });
}

void followRowsAmong(wxWindow* window) {
  if (auto* list = dynamic_cast<wxListCtrl*>(window)) {
    followRows(list);
    return;
  }
  for (wxWindow* child : window->GetChildren()) followRowsAmong(child);
}

}  // namespace

namespace {

// data: the tooltip of the tool item around widget, if any.
void nameByTooltip(GtkWidget* widget, gpointer data) {
  gchar* tip = gtk_widget_get_tooltip_text(widget);
  const char* shown = tip != nullptr ? tip : static_cast<const char*>(data);
  if (GTK_IS_BUTTON(widget) && shown != nullptr) {
    AtkObject* accessible = gtk_widget_get_accessible(widget);
    const char* name = atk_object_get_name(accessible);
    if (name == nullptr || *name == '\0') atk_object_set_name(accessible, shown);
  }
  if (GTK_IS_CONTAINER(widget)) {
    gtk_container_forall(GTK_CONTAINER(widget), nameByTooltip, const_cast<char*>(shown));
  }
  g_free(tip);
}

}  // namespace

void nameButtonsByTooltips(wxWindow* window) {
  if (GtkWidget* widget = window->GetHandle()) nameByTooltip(widget, nullptr);
}

void readListsAloud(wxWindow* dialog) {
  followRowsAmong(dialog);
}

void nameByLabel(wxWindow* label, wxWindow* control) {
  setAccessibleName(control, wxControl::RemoveMnemonics(label->GetLabel()));
  AtkObject* from = accessibleOf(label);
  AtkObject* to = accessibleOf(control);
  if (from == nullptr || to == nullptr) return;
  atk_object_add_relationship(from, ATK_RELATION_LABEL_FOR, to);
  atk_object_add_relationship(to, ATK_RELATION_LABELLED_BY, from);
}
