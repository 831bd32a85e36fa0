// Merging other card files of a box (conflict copies a sync tool left, or any other
// version) into the box: reading them, finding the version both started from among
// the box's backups, and moving a merged copy into the backups.
//
// The merged box is saved like every box (saveCardFile), so the version it replaces is
// kept too. A copy is moved into the backups only once the merged box is saved, and
// only removed once it is kept there: no failure loses either side's cards.
#ifndef TERMEL_KARTEI_BOX_MERGE_FILES_H_
#define TERMEL_KARTEI_BOX_MERGE_FILES_H_

#include <cstdint>
#include <string>
#include <vector>

#include "kartei/box_merge.h"
#include "kartei/card_file.h"

// The cards of the card file at path. False when it cannot be opened or a record
// could not be read (report says why): merging half a file would delete the rest.
bool readCardList(const std::string& path, tPlacedCards* cards, tFileReport* report);

// The newest backup of the box that is no newer than either version (by
// modification time, in seconds): the version both were made from. False when there
// is none, or it cannot be read (a warning then).
bool findAncestor(const tBoxIdentity& box, int64_t oursModified, int64_t theirsModified,
                  tPlacedCards* ancestor, std::vector<std::string>* warnings = nullptr);

// Merges the card file otherPath into cards, the box as it stands (its
// file's modification time oursModified). False (cards untouched) when otherPath
// cannot be read.
bool mergeCopyInto(const tBoxIdentity& box, int64_t oursModified, const std::string& otherPath,
                   tPlacedCards* cards, tMergeSummary* summary, tFileReport* report);

// Moves the card file copyPath into the box's backups (adopted, so never
// pruned) and removes the box file beside it. False (and a warning; the copy stays
// where it is) when it could not be kept.
bool moveIntoBackups(const tBoxIdentity& box, const std::string& copyPath,
                     std::vector<std::string>* warnings);

// The whole merge as the command line does it: loads the box into theCardBox, merges
// every file of others, saves the box and moves the merged files into the backups.
// False when the box or a file could not be read, the box holds columns a save would
// drop, or the box could not be saved; the files are then as they were. heldLock: the
// caller's lock on the box, which the save then uses (see saveCardFile).
bool mergeFilesIntoBox(const tBoxIdentity& box, const std::vector<std::string>& others,
                       tMergeSummary* summary, tFileReport* report,
                       const tBoxLock* heldLock = nullptr);

// The modification time of the file path names, in seconds; 0 when it has none.
int64_t modifiedSeconds(const std::string& path);

#endif  // TERMEL_KARTEI_BOX_MERGE_FILES_H_
