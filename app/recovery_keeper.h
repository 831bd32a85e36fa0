// tRecoveryKeeper: keeps the recovery data of the open box (kartei/recovery_file.h)
// up to date. A timer looks at the box a few times a second and writes it whenever it
// differs from what was last written; the data goes when the box is saved. While the
// keeper holds a box's recovery folder no other running termel writes or offers it.
//
// The look costs a pass over the box, the write a copy of it; for a very large box the
// keeper waits a few times as long as the last pass took before the next, so the
// learner's window stays quick.
#ifndef TERMEL_APP_RECOVERY_KEEPER_H_
#define TERMEL_APP_RECOVERY_KEEPER_H_

#include <wx/event.h>
#include <wx/timer.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "kartei/recovery_file.h"

// Writes recovery files on a thread of its own, so the window never waits for the
// disk: only the newest data handed to it counts, an older one not yet begun is
// dropped. A pending write is finished before the writer goes.
class tRecoveryWriter {
 public:
  tRecoveryWriter();
  ~tRecoveryWriter();
  tRecoveryWriter(const tRecoveryWriter&) = delete;
  tRecoveryWriter& operator=(const tRecoveryWriter&) = delete;

  void post(const std::string& file, std::string bytes);
  // Until nothing is being written; a write not yet begun is done first, or dropped.
  void wait(bool dropPending);
  // The text of the last failed write since the last call, empty when none.
  std::string takeError();

 private:
  void run();

  std::mutex mutex_;
  std::condition_variable changed_;
  std::string file_;
  std::string bytes_;
  std::string error_;
  bool pending_ = false;
  bool busy_ = false;
  bool stop_ = false;
  std::thread thread_;
};

class tRecoveryKeeper : public wxEvtHandler {
 public:
  static constexpr int kPollMs = 250;

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
  // Writes the box now, and waits for it, if it differs from what was written last.
  void flush();
  // Removes the recovery file once no write of it is under way or waiting; true when
  // it is gone.
  bool remove();
  // The recovery file was moved among the backups: a box that still differs from its
  // file is written again.
  void movedAway();
  // The box counts as unchanged (only an order the program does not save differs from
  // its file) and is closed: the data goes.
  void closedUnchanged();
  // The box reached its file: the recovery data goes, and the box is attached anew.
  void saved(const std::string& cardPath, int64_t savedAt);

 private:
  void onTimer(wxTimerEvent& event);
  // Hands the box to the writer if it differs from what was written last.
  void look();
  void release();
  void write(uint64_t fingerprint);

  std::function<void(const std::string&)> report_;
  wxTimer timer_;
  int claim_ = -1;
  std::string cardPath_;
  std::string file_;
  int64_t savedAt_ = 0;
  uint64_t baseline_ = 0;  // the box as its file holds it
  uint64_t written_ = 0;   // the box as last written, or baseline_
  int32_t baselineTotal_ = 0;
  tRecoveryCounts counts_;
  tRecoveryCounts countsWritten_;
  bool failed_ = false;
  std::chrono::steady_clock::time_point nextLook_;
  tRecoveryWriter writer_;
};

#endif  // TERMEL_APP_RECOVERY_KEEPER_H_
