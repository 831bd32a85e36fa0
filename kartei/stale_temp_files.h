// Temporary files of a save that never finished: a save writes ".NAME.tmp-XXXXXX"
// beside the card file and the box file (storage/safe_replace.h) and renames it over
// them; a save that was killed on the way leaves its temporary file behind, as large as
// the box. The next save or open of the box removes those of its own files, but only
// while no other program can be writing them: when the caller holds the box's lock, or
// when no program holds it (it is then taken for the time of the removal).
#ifndef TERMEL_KARTEI_STALE_TEMP_FILES_H_
#define TERMEL_KARTEI_STALE_TEMP_FILES_H_

#include <string>

#include "kartei/box_identity.h"

class tBoxLock;

// Removes the temporary files of the box's card file and box file (names with the
// full file name; the shortened ones of paths near the length limit are left alone).
// heldLock, when given, must be the caller's lock on this very box. Returns how many
// were removed; 0 when another program holds the lock.
int removeStaleTempFiles(const tBoxIdentity& box, const tBoxLock* heldLock = nullptr);

#endif  // TERMEL_KARTEI_STALE_TEMP_FILES_H_
