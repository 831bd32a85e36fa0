// Recovery data the learner did not want back is kept, never deleted: as an adopted
// backup of its box (kartei/backups.h), which "Sicherungen..." lists and pruning never
// removes, or, for a box that never had a file, as a card file dated by the data in the
// backups' own directory.
#ifndef TERMEL_KARTEI_RECOVERY_BACKUP_H_
#define TERMEL_KARTEI_RECOVERY_BACKUP_H_

#include <string>
#include <vector>

#include "kartei/recovery_file.h"

// Writes data's cards as a card file and keeps it; *kept gets where. theCardBox is used
// to write them and holds its own cards again afterwards (references into it are
// stale). False, with warnings, when nothing could be kept: the recovery file must then
// stay.
bool keepRecoveryAsBackup(const tRecoveryData& data, std::string* kept,
                          std::vector<std::string>* warnings);

#endif  // TERMEL_KARTEI_RECOVERY_BACKUP_H_
