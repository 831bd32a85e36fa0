// The change log beside the recovery file: what happened to the box since the whole
// box was last written there, appended and synced within a second of each change, so
// a change of a box of a million cards reaches the disk without writing the box.
//
// The log starts with the id of the recovery file it continues; a log that names
// another one is left alone. Each record is its length, the record and a CRC-32 of
// both; reading stops at the first record that is cut short or not intact (a program
// killed in the middle of an append), and everything before it counts.
#ifndef TERMEL_KARTEI_RECOVERY_LOG_H_
#define TERMEL_KARTEI_RECOVERY_LOG_H_

#include <cstdint>
#include <string>

#include "box/box_change.h"
#include "kartei/recovery_file.h"

// The log beside recoveryFile.
std::string recoveryLogOf(const std::string& recoveryFile);
// The first bytes of the log that continues the recovery file whose id is baseId.
std::string logStart(uint64_t baseId);
// Adds the record of change to records; false (records unchanged) for a change no
// record describes (kOther), which takes a whole recovery file instead.
bool addChangeRecord(std::string* records, const tBoxChange& change);
// Adds the record of what changed since the last save, as the question tells it.
void addCountsRecord(std::string* records, const tRecoveryCounts& counts);
// Brings data, read from a recovery file, forward by log's intact records; false,
// with data untouched, when log is no log or continues another recovery file.
bool replayLog(const std::string& log, tRecoveryData* data);
// Appends records to the log file and syncs it. False, with *error (code page 1252)
// saying why, when that failed: the log may then end in a torn record, so nothing
// must be appended to it before it is started anew.
bool appendToLog(const std::string& file, const std::string& records, std::string* error);

#endif  // TERMEL_KARTEI_RECOVERY_LOG_H_
