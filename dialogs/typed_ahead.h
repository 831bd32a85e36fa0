// Keys typed ahead: what the learner types into a window while the program is busy
// belongs to that window. A question that appears meanwhile (a message box, or a dialog
// marked as one) takes the keyboard from it, and the keys still on their way would
// answer the question instead: the Enter of the next card would accept a duplicate.
// Such keys are held back while the question is open and reach the window they were
// typed into once it is answered. Keys typed after the question appeared answer it as
// usual, and a dialog the learner opened with a key gets the keys typed right after.
#ifndef TERMEL_DIALOGS_TYPED_AHEAD_H_
#define TERMEL_DIALOGS_TYPED_AHEAD_H_

class wxWindow;

// Puts the rule in force for the rest of the run; calling it again does nothing.
void holdTypedAheadKeys();
// Makes a dialog that the program puts up by itself a question for the rule.
void markAsQuestion(wxWindow* dialog);

#endif  // TERMEL_DIALOGS_TYPED_AHEAD_H_
