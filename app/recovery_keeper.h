// tRecoveryKeeper: keeps the recovery data of the open box (kartei/recovery_file.h and
// kartei/recovery_log.h) up to date. The box tells it of every change
// (box/box_change.h); a fraction of a second after a change the keeper hands the
// records of what changed to a writer thread, which appends them to the log and syncs
// it. The whole box is written only for a change no record describes (a shuffle, a
// merge, a restore), for the first change after the box was loaded or saved, and when
// the log has grown large; it is copied for the writer, which encodes and writes it.
// Nothing is looked at while the box does not change. The data goes when the box is
// saved. While the keeper holds a box's recovery folder no other running termel
// writes or offers it.
#ifndef TERMEL_APP_RECOVERY_KEEPER_H_
#define TERMEL_APP_RECOVERY_KEEPER_H_

#include <wx/event.h>
#include <wx/timer.h>

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "box/box_change.h"
#include "kartei/recovery_file.h"

// Writes recovery data on a thread of its own, so the window never waits for the
// disk. Work is done in the order handed over, except that a whole box supersedes
// whatever was handed over before it and is not yet begun. A pending write is
// finished before the writer goes.
class tRecoveryWriter {
 public:
  // failed is called on the writer's thread after a write failed.
  explicit tRecoveryWriter(std::function<void()> failed);
  ~tRecoveryWriter();
  tRecoveryWriter(const tRecoveryWriter&) = delete;
  tRecoveryWriter& operator=(const tRecoveryWriter&) = delete;

  // Takes the hash of the card file at path, as stamp has it, while nothing else is to
  // be written, so the first whole box written for it does not wait for the hash.
  void prepare(const std::string& path, const tCardFileVersion& stamp);
  // Writes base as the recovery file, with a new, empty log.
  void postBase(const std::string& file, std::unique_ptr<tRecoveryData> base);
  // Appends records to the log of the last base handed over.
  void postRecords(const std::string& records);
  // Until nothing is being written; work not yet begun is done first, or dropped.
  void wait(bool dropPending);
  // The text of the last failed write since the last call, empty when none.
  std::string takeError();

 private:
  void run();
  bool pending() const { return base_ != nullptr || !records_.empty(); }
  // Hashes the card file that base was taken from unless that is done.
  void hashCardFile(const std::string& path, const tCardFileVersion& stamp);
  bool writeBase(const std::string& file, tRecoveryData* base, const std::string& records,
                 std::string* error);

  std::function<void()> failed_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::string file_;
  std::unique_ptr<tRecoveryData> base_;
  std::string records_;
  std::string error_;
  std::string preparePath_;  // a card file to hash, empty when none
  tCardFileVersion prepareStamp_;
  // The log may end in a torn record: nothing is appended until the next base.
  bool logBroken_ = true;
  bool busy_ = false;
  bool stop_ = false;
  // The last card file hashed, touched only by the writer's thread.
  tCardFileVersion hashed_;
  std::string hashedPath_;
  std::thread thread_;
};

class tRecoveryKeeper : public wxEvtHandler, public tBoxObserver {
 public:
  // How long after a change its records are handed to the writer: changes made in
  // quick succession (an answer and its counts, an import) go in one append.
  static constexpr int kWriteDelayMs = 200;
  // After a failed write the next try waits this long.
  static constexpr int kRetryMs = 5000;

  // report gets the text of the first write that failed for a box.
  explicit tRecoveryKeeper(std::function<void(const std::string&)> report);
  ~tRecoveryKeeper() override;
  tRecoveryKeeper(const tRecoveryKeeper&) = delete;
  tRecoveryKeeper& operator=(const tRecoveryKeeper&) = delete;

  // The box in memory is now the one in cardPath's file (empty: a new, unnamed box),
  // loaded or saved at savedAt (0: never). Claims the box's recovery folder; false
  // when another termel holds it, and nothing is kept for the box then.
  bool attach(const std::string& cardPath, int64_t savedAt);
  bool active() const { return claim_ >= 0; }
  // The recovery file of the box attached, empty when none.
  const std::string& file() const { return file_; }
  // The box was filled from data: what it said had changed still counts.
  void restored(const tRecoveryData& data);
  void noteAnswer(int delta);
  void noteCorrection();
  // Writes what changed now, and waits for it.
  void flush();
  // Removes the recovery data once no write of it is under way or waiting; true when
  // it is gone.
  bool remove();
  // The recovery data was moved among the backups; changed: the box still differs
  // from its file, and is written again.
  void movedAway(bool changed);
  // The box counts as unchanged (only an order the program does not save differs from
  // its file) and is closed: the data goes.
  void closedUnchanged();
  // The box reached its file: the recovery data goes, and the box is attached anew.
  void saved(const std::string& cardPath, int64_t savedAt);

  void boxChanged(const tBoxChange& change) override;

 private:
  void onTimer(wxTimerEvent& event);
  void schedule(int delayMs);
  // Hands what changed since the last hand-over to the writer.
  void handOver();
  void updateCounts();
  void writeFailed();
  void release();

  std::function<void(const std::string&)> report_;
  wxTimer timer_;
  int claim_ = -1;
  std::string cardPath_;
  std::string file_;
  int64_t savedAt_ = 0;
  tCardFileVersion stamp_;  // the card file as loaded or saved
  bool dirty_ = false;      // changed since the last hand-over
  bool needsBase_ = true;   // the next hand-over writes the whole box
  std::string records_;     // of the changes since the last hand-over
  size_t logSize_ = 0;      // records handed over since the last whole box
  int32_t baselineTotal_ = 0;
  tRecoveryCounts counts_;
  tRecoveryCounts countsWritten_;
  bool failed_ = false;
  tRecoveryWriter writer_;
};

#endif  // TERMEL_APP_RECOVERY_KEEPER_H_
