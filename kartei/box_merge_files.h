// Merging other card files of a box (conflict copies a sync tool left, or any other
// version) into the box: reading them, finding the version both started from by the
// box's record of versions, and moving a merged conflict copy into the backups.
//
// The merged box is saved like every box (saveCardFile), so the version it replaces is
// kept too. A copy is moved into the backups only once the merged box is saved, and
// only removed once it is kept there: no failure loses either side's cards.
#ifndef TERMEL_KARTEI_BOX_MERGE_FILES_H_
#define TERMEL_KARTEI_BOX_MERGE_FILES_H_

#include <string>
#include <vector>

#include "kartei/box_merge.h"
#include "kartei/card_file.h"

// The cards of the card file at path. False when it cannot be opened or a record
// could not be read (report says why): merging half a file would delete the rest.
bool readCardList(const std::string& path, tPlacedCards* cards, tFileReport* report);

// The version both the box's card file, as it is on disk, and the card file
// otherPath were made from, as the box's record of versions (kartei/version_record.h)
// shows it, read from its file: the box, otherPath or one of the box's backups, found by
// its hash. False when the record shows no version in common or its file is not kept:
// then nothing may be deleted, and a warning says so.
bool findAncestor(const tBoxIdentity& box, const std::string& otherPath, tPlacedCards* ancestor,
                  std::vector<std::string>* warnings = nullptr);

// Merges the card file otherPath into cards, which were made from the box as it stands
// on disk; when oursOnDisk is false the file on disk is not known to be what
// cards were made from, and nothing is deleted. The version of otherPath is added to
// madeFrom. False (cards untouched, report says why) when otherPath cannot be read or
// is the box itself.
bool mergeCopyInto(const tBoxIdentity& box, bool oursOnDisk, const std::string& otherPath,
                   tPlacedCards* cards, tMergeSummary* summary, tFileReport* report,
                   std::vector<std::string>* madeFrom);

// Once the merged box is saved: the files merged that are conflict copies of the
// box are moved into its backups (moveIntoBackups); any other file the learner chose
// stays where it is, untouched.
void keepMergedFiles(const tBoxIdentity& box, const std::vector<std::string>& merged,
                     std::vector<std::string>* warnings);

// Moves the card file copyPath into the box's backups (adopted, so never
// pruned) and removes the box file beside it. False (and a warning; the copy stays
// where it is) when it could not be kept.
bool moveIntoBackups(const tBoxIdentity& box, const std::string& copyPath,
                     std::vector<std::string>* warnings);

// The whole merge as the command line does it: loads the box into theCardBox, merges
// every file of others, saves the box (made from the box and every file merged) and
// keeps the merged files (keepMergedFiles). False when the box or a file could not be
// read or is the box itself, the box holds columns a save would drop, or the box could
// not be saved; the files are then as they were. heldLock: the caller's lock on the
// box, which the save then uses (see saveCardFile).
bool mergeFilesIntoBox(const tBoxIdentity& box, const std::vector<std::string>& others,
                       tMergeSummary* summary, tFileReport* report,
                       const tBoxLock* heldLock = nullptr);

#endif  // TERMEL_KARTEI_BOX_MERGE_FILES_H_
