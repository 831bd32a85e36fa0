// The recovery data of a box: everything the window holds that its card file does not
// yet, written again within a second of each change, so a killed program (kill -9, a
// crash, a power cut, the end of the desktop session) loses at most the last second.
//
// One file per box, in the box's own folder below $XDG_STATE_HOME/termel/recovery
// (~/.local/state/termel/recovery without it); an unnamed box has the folder
// "unbenannt". The file holds the whole box, compartment by compartment in its order,
// what changed since the last save (for the question asked at the next start), which
// version of the card file the box was taken from, and a CRC-32 of all of it. It is
// replaced atomically (storage/safe_replace.h), so it is always either the previous
// version or the new one; a torn or foreign file is reported as damaged and never
// restored. It is written rarely: the changes since go to the log beside it
// (kartei/recovery_log.h), and reading the data brings it forward by the log. Every
// system call goes through storage/sys_calls.h.
#ifndef TERMEL_KARTEI_RECOVERY_FILE_H_
#define TERMEL_KARTEI_RECOVERY_FILE_H_

#include <cstdint>
#include <string>

#include "kartei/box_identity.h"
#include "kartei/box_merge.h"

// What changed since the box was last loaded or saved.
struct tRecoveryCounts {
  int32_t answers = 0;
  int32_t corrections = 0;
  int32_t cardsAdded = 0;     // more cards than at the last save
  int32_t cardsRemoved = 0;   // fewer cards than at the last save
  bool otherChanges = false;  // moves, shuffles, merges and the like
};

// The card file a box was loaded from or saved to, as it was then.
struct tCardFileVersion {
  int64_t size = -1;  // -1: not known (no card file)
  int64_t mtimeNs = 0;
  std::string hash;  // its SHA-256 (kartei/version_record.h), empty when not known
};

struct tRecoveryData {
  std::string boxPath;  // the card file as opened; empty for an unnamed box
  int64_t savedAt = 0;  // when the box was last loaded or saved (Unix time), 0 never
  int64_t writtenAt = 0;
  tRecoveryCounts counts;
  tPlacedCards cards;
  uint64_t baseId = 0;  // names this file to the log that continues it
  tCardFileVersion fileVersion;
};

// Whether a and b are the same box: the same cards, counters and all, in the same
// compartments and order.
bool sameBox(const tPlacedCards& a, const tPlacedCards& b);

// The folder of box (an empty path: the unnamed box), as the box's identity names it;
// everything kept for the box's recovery lies in it.
std::string recoveryDirOf(const tBoxIdentity& box);
// The recovery file in that folder.
std::string recoveryFileOf(const tBoxIdentity& box);

// Claims the folder for this process (making it when needed): a descriptor to hand
// to releaseRecoveryDir, or -1 when another process holds it or it cannot be made.
int claimRecoveryDir(const tBoxIdentity& box);
void releaseRecoveryDir(int claim);

std::string encodeRecovery(const tRecoveryData& data);
// The same for theCardBox in place of header.cards, without a copy of the box.
std::string encodeBoxRecovery(const tRecoveryData& header);
// A value that changes with every change of theCardBox: texts, counters, order,
// compartments. Tells when the recovery data must be written again.
uint64_t cardBoxFingerprint();
// False, with *data unspecified, for anything but a whole, intact recovery file.
bool decodeRecovery(const std::string& bytes, tRecoveryData* data);

// Makes bytes the recovery file's content (creating its folder). On failure the file
// is as it was, and *error (code page 1252) says why.
bool writeRecovery(const std::string& file, const std::string& bytes, std::string* error);
enum class tRecoveryRead { kNone, kFound, kDamaged };
// Reads the recovery file, brought forward by its log; kNone when there is none,
// kDamaged (with *error) when it cannot be read or is not intact.
tRecoveryRead readRecovery(const std::string& file, tRecoveryData* data, std::string* error);
// Removes the recovery file and its log; true when they are gone.
bool removeRecovery(const std::string& file);

// "Seit dem letzten Sichern am 08.12.2026 um 15:40 gab es 23 Antworten und 2 neue
// Karten, die nicht gesichert sind. Wiederherstellen?" (code page 1252).
// When the card file is no longer the version the data was taken from, the question
// says so and what either answer does with it.
std::string recoveryQuestion(const tRecoveryData& data, bool fileChanged = false);

// The version of the card file at path as the data records it, without its hash;
// size -1 when there is none.
tCardFileVersion cardFileStamp(const std::string& path);
// Whether the card file at path is still the version the data was taken from: the
// same size and time, or else the same bytes. True when the data knows no version.
bool sameCardFile(const std::string& path, const tCardFileVersion& version);

#endif  // TERMEL_KARTEI_RECOVERY_FILE_H_
