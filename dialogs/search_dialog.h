// tSearchDialog: "Karte suchen", a search field and the list of the cards of
// theCardBox holding its text on either side, refreshed at every keystroke. Enter or
// a double click corrects the selected card, Entf in the list deletes the selected
// cards (Strg+Z takes a deletion back, also later in the training window), "In 1.
// Fach" moves them back to compartment 1. The learner's changes go to the box at once.
//
// Deletions go through the answer history given, corrections and moves are steps of
// the undo stack given; both must outlive the dialog. Strg+Z takes back the newest of
// them here as in the training window.
#ifndef TERMEL_DIALOGS_SEARCH_DIALOG_H_
#define TERMEL_DIALOGS_SEARCH_DIALOG_H_

#include <cstdint>

#include "box/answer_history.h"
#include "box/card_search.h"
#include "box/undo_stack.h"
#include "dialogs/xrc_dialog.h"

class tFoundList;
class wxListEvent;
class wxWindow;

class tSearchDialog : public tXrcDialog {
 public:
  enum : int {
    ID_TEXT = 1471,
    ID_LIST = 1472,
    ID_COUNT = 1473,
    ID_TO_FIRST = 1474,
    ID_HELP = 1475,
  };

  tSearchDialog(wxWindow* parent, tAnswerHistory* history, tUndoStack* undo);

  // Whether the learner changed the box.
  bool changed() const { return changed_; }
  const tCardSearch& search() const { return search_; }
  tFoundList* list() const { return list_; }

  // "Keine Karte gefunden", "1 Karte gefunden", "n Karten gefunden".
  static wxString countText(int32_t count);

 private:
  void onText(wxCommandEvent& event);
  void onFieldKey(wxKeyEvent& event);
  void onListKey(wxListEvent& event);
  void onCharHook(wxKeyEvent& event);
  void correctSelected();
  void deleteSelected();
  void takeBackDeletion();
  void takeBackChange();
  void moveSelectedToFirst();
  // Shows the search's rows anew with only row selected.
  void showFound(int32_t row);
  // After a change of the box: searched anew, marked changed.
  void boxChanged(int32_t row);

  tAnswerHistory* history_;
  tUndoStack* undo_;
  tCardSearch search_;
  tFoundList* list_;
  bool unmatchable_;  // the search text holds a character no card can hold
  bool changed_;
};

// Runs the dialog on theCardBox; *changed (when given) tells whether the box changed.
// Returns the dialog's result, -1 when it could not be created.
int runSearchDialog(wxWindow* parent, tAnswerHistory* history, tUndoStack* undo, bool* changed);

#endif  // TERMEL_DIALOGS_SEARCH_DIALOG_H_
