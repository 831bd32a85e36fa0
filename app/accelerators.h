// The main frame's keyboard commands: Enter and "g" go on (1202), Esc and "u" count
// the card as unknown (1203). Only the lower-case letters count, as typed with the
// Shift and Caps Lock states at the time, and none while an answer is being typed.
// The Ctrl combinations: Strg+Z takes an answer back, Strg+G and Strg+U count the
// card shown as known or unknown, Strg++, Strg+- and Strg+0 size the card texts.
// As in every desktop program, Strg+N, Strg+O, Strg+S, Strg+Umschalt+S and Strg+Q are
// the file commands and F1 opens the help.
#ifndef TERMEL_APP_ACCELERATORS_H_
#define TERMEL_APP_ACCELERATORS_H_

// keyCode as wxKeyEvent::GetKeyCode gives it (letters in upper case), modifiers as
// wxKeyEvent::GetModifiers; typing is true while the focus is in a text entry.
// Returns the command id, or 0 when the key is no command.
int acceleratorCommand(int keyCode, int modifiers, bool capsLockOn, bool typing = false);

#endif  // TERMEL_APP_ACCELERATORS_H_
