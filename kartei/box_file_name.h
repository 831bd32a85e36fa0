// How the files of one box are named after its card file: the box file beside it and
// the box's name. Save, backups and every other piece that finds a box's files ask
// here, so the rule is written once.
#ifndef TERMEL_KARTEI_BOX_FILE_NAME_H_
#define TERMEL_KARTEI_BOX_FILE_NAME_H_

#include <string>

// The box file's path: the card file's extension replaced by ".kas" (appended when
// the file name itself has no dot).
std::string boxFileName(const std::string& cardPath);
// The card file's name without directory and extension, as boxFileName() cuts it.
std::string boxNameOf(const std::string& cardPath);

#endif  // TERMEL_KARTEI_BOX_FILE_NAME_H_
