// tSaveGuard: what the training window must know about the open box's file before it
// writes it, kept from its load and its last save. It holds the box's lock while the
// box is open, so a second program opening the same box learns that it is in use, and
// remembers whether "Sichern" may write the file at all (write-protected, or opened
// only to read), whether writing it loses what its load could not read, and how the
// file looked when it was loaded or last saved, so a change by someone else shows.
//
// The guard decides nothing by asking: the window asks the learner and tells the guard
// what was answered.
#ifndef TERMEL_APP_SAVE_GUARD_H_
#define TERMEL_APP_SAVE_GUARD_H_

#include <string>

#include "kartei/box_lock.h"
#include "kartei/card_file.h"
#include "storage/file_status.h"

class tSaveGuard {
 public:
  // What has to happen before the open box is written to its file.
  enum class tCheck {
    kWrite,         // nothing stands in the way
    kReadOnly,      // the file is write-protected: offer another name
    kOpenedToRead,  // the box was opened only to read: offer another name
    kLossyRewrite,  // ask first: the rewrite drops what the load could not read
    kChanged,       // ask first: someone else wrote the file since
  };

  // Locks the box of the card file path before it is opened, letting go of the box
  // open before; the box is resolved here once (box()). kHeldElsewhere: another program
  // has it open; kError: no lock can be taken (lockReason() says why), so the box is
  // only to be read. Once the lock is this program's, temporary files a killed save left
  // beside the box are removed.
  tLockState lock(const std::string& path);
  // Why the last lock() or retarget() did not lock the box, as the learner reads it.
  const std::string& lockReason() const { return reason_; }
  // The box as resolved when it was locked (empty when none is).
  const tBoxIdentity& box() const { return box_; }
  // The box to write at path: box() when that is where it is, else path resolved.
  tBoxIdentity boxAt(const std::string& path) const;
  // The lock a save of box() writes under.
  const tBoxLock* heldLock() const { return &lock_; }
  // No box file any more (a new box): the lock goes, and nothing is known.
  void forget();
  // The box was loaded from its file; onlyToRead when the learner chose to open a box
  // that another program has open. A box whose lock could not be taken is only read
  // in any case.
  void loaded(const tFileReport& report, bool onlyToRead);
  // The box is open only to read because its lock could not be taken.
  bool lockFailed() const { return lockFailed_; }
  // The box is about to be saved under a name the learner chose instead of oldPath:
  // whatever was known of the old file no longer counts, and the new one is locked.
  // Anything but kHeld when it cannot be locked (lockReason() says why); the old box
  // then stays locked and as it was.
  tLockState retarget(const std::string& path, const std::string& oldPath);
  // The box was written to its file.
  void saved(const tFileReport& report);

  // The first thing that stands in the way of writing the file at path, checked in the
  // order write-protected, opened to read, lossy rewrite, changed elsewhere.
  tCheck check(const std::string& path) const;
  // The learner agreed to the question check() led to; it is not asked again for this
  // file (until someone else changes it again).
  void accept(tCheck check, const std::string& path);
  // "Sichern" cannot write the file: it is write-protected or opened only to read.
  bool readOnly() const { return readOnly_ || onlyToRead_; }

  // What the guard knows of the open box's file. Kept aside while a save under another
  // name is tried, and given back with restore() when that save did not happen.
  struct tKnown {
    bool readOnly = false;
    bool onlyToRead = false;
    bool lossyRewrite = false;
    bool stampKept = false;
    tFileStamp stamp;
  };
  tKnown known() const;
  // The box stays with the file at path (none when empty), locked again and known as
  // before.
  void restore(const tKnown& known, const std::string& path);

 private:
  tBoxLock lock_;
  tBoxIdentity box_;
  std::string reason_;
  bool lockFailed_ = false;
  bool readOnly_ = false;
  bool onlyToRead_ = false;
  bool lossyRewrite_ = false;
  // The file as it was loaded or last saved; checked only once it is known where the
  // box came from or went.
  bool stampKept_ = false;
  tFileStamp stamp_;
};

#endif  // TERMEL_APP_SAVE_GUARD_H_
