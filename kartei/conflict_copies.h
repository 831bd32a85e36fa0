// Finding the copies of a box that sync tools leave beside it when both computers
// changed the box while apart. Three ways of naming them are known, for a box
// "NAME.trm":
//   NAME.sync-conflict-YYYYMMDD-HHMMSS-DEVICE.trm
//   NAME (conflicted copy YYYY-MM-DD HHMMSS).trm
//   NAME (... conflicted copy ...).trm           (with a person's name, a date or both)
// Only the card file counts; its box file comes along when it is moved.
#ifndef TERMEL_KARTEI_CONFLICT_COPIES_H_
#define TERMEL_KARTEI_CONFLICT_COPIES_H_

#include <string>
#include <vector>

// Whether fileName (without directory) names a conflict copy of the box whose card
// file is boxFileName (without directory).
bool isConflictCopyName(const std::string& fileName, const std::string& boxFileName);

// The conflict copies of the box cardPath in its directory, as paths in that
// directory, sorted by name; none when the directory cannot be read.
std::vector<std::string> findConflictCopies(const std::string& cardPath);

#endif  // TERMEL_KARTEI_CONFLICT_COPIES_H_
