// Keys typed ahead: what the learner types into a window while the program is busy
// belongs to that window. A question (a message box, a dialog) that appears meanwhile
// takes the keyboard from it, and the keys still on their way would answer the
// question instead: the Enter of the next card would accept a duplicate. Such keys are
// held back while the question is open and reach the window they were typed into once
// it is answered. Keys typed after the question appeared answer it as usual.
#ifndef TERMEL_DIALOGS_TYPED_AHEAD_H_
#define TERMEL_DIALOGS_TYPED_AHEAD_H_

// Puts the rule in force for the rest of the run; calling it again does nothing.
void holdTypedAheadKeys();

#endif  // TERMEL_DIALOGS_TYPED_AHEAD_H_
