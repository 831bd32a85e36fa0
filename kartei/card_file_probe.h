// Whether a file that is about to be saved over holds a box: a name typed or picked in
// the save dialog can as well name a word list, a text or any other file, which the
// learner must not lose unasked.
#ifndef TERMEL_KARTEI_CARD_FILE_PROBE_H_
#define TERMEL_KARTEI_CARD_FILE_PROBE_H_

// True when path names an existing file (links followed) that is not a card file: no
// dBASE table, or one without the columns of a card's texts and compartment. A missing
// path, a directory and anything else that is no ordinary file count as false; saving
// there fails, or creates the file, without anything getting lost.
bool isOtherThanCardFile(const char* path);

#endif  // TERMEL_KARTEI_CARD_FILE_PROBE_H_
