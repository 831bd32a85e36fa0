// tLearningJournal: the learning journal of one box, a text file in
// $XDG_DATA_HOME/termel/history named after the box (tBoxIdentity::journalFile), one
// line per answer and per answer taken back:
//
//   TIME \t G|U|Z \t FROM \t TO \t FRONT \t BACK \n
//
// TIME in seconds since 1970, G known, U unknown, Z the last answer taken back, FROM
// and TO the card's compartment before and after, the card's texts in code page 1252
// (control characters as spaces). Each line is written with one write() at the end of
// the file, so a crash tears at most the last line. Before the next line, a torn line
// is closed with the byte 0x01 and a line end; such a line, a torn last line and any
// other unreadable line are skipped when reading.
//
// Beyond maxLines lines the oldest half is summed up into one line per day,
//
//   T \t YYYYMMDD \t KNOWN \t UNKNOWN \t ARCHIVED \n
//
// and the file replaced safely; so it holds at most maxLines lines besides one line per
// day summed up. Times are read as local time. A journal object only
// holds its path and the number of lines it has counted.
#ifndef TERMEL_KARTEI_LEARNING_JOURNAL_H_
#define TERMEL_KARTEI_LEARNING_JOURNAL_H_

#include <array>
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "box/termel.h"
#include "kartei/box_identity.h"

enum class tJournalEvent { kKnown, kUnknown, kTakenBack };

// The clock every answer is written with; tests set their own. nullptr: the system's.
using tJournalClock = std::time_t (*)();
void setJournalClock(tJournalClock clock);
std::time_t journalNow();

// What the journal tells, counted back from one day ("today").
struct tLearningFigures {
  static constexpr int kDays = 30;
  static constexpr int kWeeks = 8;

  struct Day {
    std::string date;  // "dd.mm."
    int32_t known = 0;
    int32_t unknown = 0;
  };
  struct Week {
    std::string monday;  // "dd.mm.yyyy", the week's first day
    int32_t archived = 0;
  };

  std::array<Day, kDays> days;     // the last 30 days, today last
  std::array<Week, kWeeks> weeks;  // cards that reached the archive, this week last
  // Days in a row with at least one answer, up to today, or up to yesterday while
  // today has none yet.
  int32_t streak = 0;
  int32_t learningDays = 0;  // days with at least one answer
};

class tLearningJournal {
 public:
  static constexpr size_t kMaxLines = 1000000;

  // $XDG_DATA_HOME/termel/history (~/.local/share/... without it); empty without home.
  static std::string userDirectory();
  // The journal of the box, in userDirectory(). A FIFO or device under its name is
  // neither read nor written, nor waited on.
  static tLearningJournal forBox(const tBoxIdentity& box);

  explicit tLearningJournal(std::string path, size_t maxLines = kMaxLines)
      : path_(std::move(path)), maxLines_(maxLines), lines_(-1) {}
  const std::string& path() const { return path_; }

  // Appends an event at journalNow(), creating directory and file as needed. False,
  // and *error why in German (code page 1252), when it could not be written.
  bool append(tJournalEvent event, const tTermel& card, int from, int to, std::string* error);

  // Makes target's journal a copy of this one: a box saved under another name takes its
  // history along, while the box under the old name keeps its own. No journal to copy
  // is no failure. False, and *error why in German (code page 1252), when the copy
  // could not be written.
  bool copyTo(tLearningJournal* target, std::string* error) const;

  // The figures as the journal stands, for the local day of now. A missing or
  // unreadable journal gives empty figures.
  tLearningFigures figures(std::time_t now) const;

 private:
  bool summariseOldestHalf(std::string* error);
  // Replaces the whole journal with bytes, safely: the old one stays until the new one
  // is complete.
  bool replaceWith(const std::string& bytes, std::string* error);

  std::string path_;
  size_t maxLines_;
  int64_t lines_;  // lines in the file, -1 until counted
};

#endif  // TERMEL_KARTEI_LEARNING_JOURNAL_H_
