#include "kartei/learning_journal.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <deque>
#include <map>

#include "box/card_box.h"
#include "kartei/box_identity.h"
#include "storage/file_status.h"
#include "storage/safe_replace.h"
#include "storage/sys_calls.h"

namespace {

tJournalClock theClock = nullptr;

constexpr int kArchive = CardBox::kCompartments;
// Answers a take-back can still reach, as the answer history keeps them.
constexpr size_t kTakeBackDepth = 30;

// A file descriptor closed at the end of its scope.
class tFd {
 public:
  explicit tFd(int fd) : fd_(fd) {}
  ~tFd() {
    if (fd_ >= 0) sysCalls().close(fd_);
  }
  tFd(const tFd&) = delete;
  tFd& operator=(const tFd&) = delete;
  int get() const { return fd_; }
  // Closes now, so a failing close (a full disk on NFS) is seen.
  bool close() {
    const int fd = fd_;
    fd_ = -1;
    return sysCalls().close(fd) == 0;
  }

 private:
  int fd_;
};

std::string systemErrorText(int error) {
  switch (error) {
    case ENOSPC:
    case EDQUOT:
      return "Der Datentr\xE4ger ist voll.";
    case EACCES:
    case EPERM:
    case EROFS:
      return "Keine Schreibberechtigung.";
    case ENOTDIR:
    case ENOENT:
    case ELOOP:
    case ENAMETOOLONG:
      return "Sein Ordner kann nicht angelegt werden.";
    case EISDIR:
      return "An seiner Stelle steht ein Ordner.";
    default: {
      char text[64];
      std::snprintf(text, sizeof text, "Systemfehler %d.", error);
      return text;
    }
  }
}

bool fail(std::string* error, int systemError) {
  if (error != nullptr) *error = systemErrorText(systemError);
  return false;
}

// A FIFO or device under the journal's name is never written (nor waited on).
bool failNotRegular(std::string* error) {
  if (error != nullptr) *error = "Keine gew\xF6hnliche Datei";
  return false;
}

// Closes a line torn by a crash before the next line is appended, and marks it, so
// that it stays unread even where what is left of it would look like a line.
constexpr char kTornMark = '\x01';

// Card texts go into a line without the characters that end fields and lines, nor
// the mark of a torn line.
std::string fieldText(const char* text) {
  std::string field = text;
  for (char& c : field) {
    if (static_cast<unsigned char>(c) < 0x20) c = ' ';
  }
  return field;
}

char eventLetter(tJournalEvent event) {
  switch (event) {
    case tJournalEvent::kKnown:
      return 'G';
    case tJournalEvent::kUnknown:
      return 'U';
    default:
      return 'Z';
  }
}

bool readAll(const std::string& path, std::string* data) {
  tFd fd(sysCalls().openat(AT_FDCWD, path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC, 0));
  if (fd.get() < 0) return false;
  struct stat st;
  if (sysCalls().fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  data->resize(static_cast<size_t>(st.st_size));
  size_t done = 0;
  while (done < data->size()) {
    const ssize_t got = sysCalls().read(fd.get(), &(*data)[done], data->size() - done);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    done += static_cast<size_t>(got);
  }
  data->resize(done);
  return true;
}

// ---- days -----------------------------------------------------------------------

// Days since 1970-01-01 of a civil date, and back (proleptic Gregorian calendar).
int64_t daysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

struct tCivil {
  int year;
  int month;
  int day;
};

tCivil civilFromDays(int64_t z) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  return {static_cast<int>(era * 400 + yoe + (m <= 2)), static_cast<int>(m), static_cast<int>(d)};
}

// The local day of a time. Journal times come in order, so the day of the last time
// asked is kept with its bounds and most lines cost no conversion at all.
class tLocalDays {
 public:
  int64_t dayOf(std::time_t t) {
    if (t >= start_ && t < end_) return day_;
    std::tm local{};
    localtime_r(&t, &local);
    day_ = daysFromCivil(local.tm_year + 1900, static_cast<unsigned>(local.tm_mon + 1),
                         static_cast<unsigned>(local.tm_mday));
    std::tm midnight{};
    midnight.tm_year = local.tm_year;
    midnight.tm_mon = local.tm_mon;
    midnight.tm_mday = local.tm_mday;
    midnight.tm_isdst = -1;
    start_ = std::mktime(&midnight);
    ++midnight.tm_mday;
    midnight.tm_isdst = -1;
    end_ = std::mktime(&midnight);
    return day_;
  }

 private:
  std::time_t start_ = 1;
  std::time_t end_ = 0;
  int64_t day_ = 0;
};

std::string dayText(int64_t day, bool withYear) {
  const tCivil c = civilFromDays(day);
  char text[32];
  if (withYear) {
    std::snprintf(text, sizeof text, "%02d.%02d.%04d", c.day, c.month, c.year);
  } else {
    std::snprintf(text, sizeof text, "%02d.%02d.", c.day, c.month);
  }
  return text;
}

// ---- reading ----------------------------------------------------------------------

int32_t clamped(int64_t count) {
  return static_cast<int32_t>(std::clamp<int64_t>(count, 0, INT32_MAX));
}

struct tDayCount {
  int64_t known = 0;
  int64_t unknown = 0;
  int64_t archived = 0;
};

// Parses an unsigned decimal number at *p within [*p, end); false when there is none
// or it ends somewhere else than at a tab.
bool number(const char** p, const char* end, int64_t* value) {
  const char* q = *p;
  int64_t v = 0;
  const char* first = q;
  while (q < end && *q >= '0' && *q <= '9' && q - first < 18) v = v * 10 + (*q++ - '0');
  if (q == first || q == end || *q != '\t') return false;
  *value = v;
  *p = q + 1;
  return true;
}

// Sums the lines of a journal into counts per day, taking back answers as the lines
// say. Lines that cannot be read, and a last line without its line end, are skipped.
class tJournalReader {
 public:
  std::map<int64_t, tDayCount> days;
  int64_t lines = 0;

  void read(const char* begin, const char* end) {
    const char* line = begin;
    while (line < end) {
      const char* eol = static_cast<const char*>(std::memchr(line, '\n', end - line));
      if (eol == nullptr) break;  // torn by a crash
      if (eol > line && eol[-1] != kTornMark) readLine(line, eol);
      ++lines;
      line = eol + 1;
    }
  }

 private:
  struct tAnswer {
    int64_t day;
    bool known;
    bool archived;
  };

  void readLine(const char* p, const char* eol) {
    if (eol - p > 2 && p[0] == 'T' && p[1] == '\t') {
      readSummary(p + 2, eol);
      return;
    }
    int64_t time = 0, from = 0, to = 0;
    if (!number(&p, eol, &time) || eol - p < 2 || p[1] != '\t') return;
    const char event = p[0];
    p += 2;
    if (!number(&p, eol, &from) || !number(&p, eol, &to)) return;
    if (event == 'Z') {
      takeBack();
      return;
    }
    if (event != 'G' && event != 'U') return;
    tAnswer answer{localDays_.dayOf(static_cast<std::time_t>(time)), event == 'G',
                   event == 'G' && to == kArchive && from != kArchive};
    count(answer, 1);
    if (recent_.size() == kTakeBackDepth) recent_.pop_front();
    recent_.push_back(answer);
  }

  void readSummary(const char* p, const char* eol) {
    int64_t date = 0;
    tDayCount c;
    if (!number(&p, eol, &date) || !number(&p, eol, &c.known) || !number(&p, eol, &c.unknown))
      return;
    // The last figure ends at the line end rather than at a tab.
    const char* q = p;
    while (q < eol && *q >= '0' && *q <= '9' && q - p < 18)
      c.archived = c.archived * 10 + (*q++ - '0');
    if (q == p || q != eol) return;
    // A foreign file's figures are taken at most as large as one day can hold.
    c.known = clamped(c.known);
    c.unknown = clamped(c.unknown);
    c.archived = clamped(c.archived);
    const int64_t day = daysFromCivil(date / 10000, static_cast<unsigned>(date / 100 % 100),
                                      static_cast<unsigned>(date % 100));
    tDayCount& sum = days[day];
    sum.known += c.known;
    sum.unknown += c.unknown;
    sum.archived += c.archived;
  }

  void takeBack() {
    if (recent_.empty()) return;
    count(recent_.back(), -1);
    recent_.pop_back();
  }

  void count(const tAnswer& answer, int step) {
    // Lines come day after day: the day's sum is looked up once per day.
    if (sum_ == nullptr || answer.day != sumDay_) {
      sum_ = &days[answer.day];
      sumDay_ = answer.day;
    }
    tDayCount& sum = *sum_;
    (answer.known ? sum.known : sum.unknown) += step;
    if (answer.archived) sum.archived += step;
  }

  tLocalDays localDays_;
  std::deque<tAnswer> recent_;
  tDayCount* sum_ = nullptr;  // of sumDay_, in days
  int64_t sumDay_ = 0;
};

std::string summaryLine(int64_t day, const tDayCount& c) {
  const tCivil civil = civilFromDays(day);
  char line[128];
  std::snprintf(line, sizeof line, "T\t%04d%02d%02d\t%lld\t%lld\t%lld\n", civil.year, civil.month,
                civil.day, static_cast<long long>(std::max<int64_t>(c.known, 0)),
                static_cast<long long>(std::max<int64_t>(c.unknown, 0)),
                static_cast<long long>(std::max<int64_t>(c.archived, 0)));
  return line;
}

int64_t countLines(const std::string& path) {
  std::string data;
  if (!readAll(path, &data)) return 0;
  return std::count(data.begin(), data.end(), '\n');
}

}  // namespace

void setJournalClock(tJournalClock clock) {
  theClock = clock;
}

std::time_t journalNow() {
  return theClock != nullptr ? theClock() : std::time(nullptr);
}

std::string tLearningJournal::userDirectory() {
  const std::string base = xdgBaseDirectory("XDG_DATA_HOME", ".local/share");
  return base.empty() ? base : base + "/termel/history";
}

tLearningJournal tLearningJournal::forBox(const tBoxIdentity& box) {
  return tLearningJournal(box.journalFile());
}

bool tLearningJournal::append(tJournalEvent event, const tTermel& card, int from, int to,
                              std::string* error) {
  if (!makeDirectories(directoryOf(path_))) return fail(error, errno);
  if (lines_ < 0) lines_ = countLines(path_);
  char head[64];
  std::snprintf(head, sizeof head, "%lld\t%c\t%d\t%d\t", static_cast<long long>(journalNow()),
                eventLetter(event), from, to);
  std::string line = head + fieldText(card.front) + "\t" + fieldText(card.back) + "\n";
  tFd fd(sysCalls().openat(AT_FDCWD, path_.c_str(),
                           O_RDWR | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0600));
  if (fd.get() < 0) return fail(error, errno);
  struct stat st;
  if (sysCalls().fstat(fd.get(), &st) != 0) return fail(error, errno);
  if (!S_ISREG(st.st_mode)) return failNotRegular(error);
  char last = '\n';
  if (st.st_size > 0 && sysCalls().pread(fd.get(), &last, 1, st.st_size - 1) != 1) {
    return fail(error, errno);
  }
  // A line torn by a crash stays a line of its own, skipped on reading.
  if (last != '\n') line.insert(0, {kTornMark, '\n'});
  if (!writeFully(fd.get(), line.data(), line.size())) return fail(error, errno);
  if (!fd.close()) return fail(error, errno);
  ++lines_;
  if (static_cast<size_t>(lines_) > maxLines_) return summariseOldestHalf(error);
  return true;
}

bool tLearningJournal::summariseOldestHalf(std::string* error) {
  std::string data;
  if (!readAll(path_, &data)) return fail(error, errno);
  // The oldest half ends after line number half.
  const int64_t half = std::count(data.begin(), data.end(), '\n') / 2;
  size_t cut = 0;
  for (int64_t i = 0; i < half; ++i) cut = data.find('\n', cut) + 1;
  tJournalReader older;
  older.read(data.data(), data.data() + cut);
  std::string kept;
  for (const auto& [day, counts] : older.days) kept += summaryLine(day, counts);
  kept.append(data, cut, std::string::npos);
  return replaceWith(kept, error);
}

bool tLearningJournal::replaceWith(const std::string& bytes, std::string* error) {
  tSafeReplace replace(path_);
  if (!replace.begin()) return fail(error, replace.systemError());
  tFd fd(sysCalls().openat(AT_FDCWD, replace.tempPath().c_str(), O_WRONLY | O_CLOEXEC, 0));
  if (fd.get() < 0 || !writeFully(fd.get(), bytes.data(), bytes.size()) || !fd.close()) {
    return fail(error, errno);
  }
  if (!replace.commit()) return fail(error, replace.systemError());
  lines_ = std::count(bytes.begin(), bytes.end(), '\n');
  return true;
}

bool tLearningJournal::copyTo(tLearningJournal* target, std::string* error) const {
  if (path_.empty() || target->path_.empty() || target->path_ == path_) return true;
  std::string data;
  errno = 0;
  // Not there, or no plain file: there is no history to take along.
  if (!readAll(path_, &data)) return errno == 0 || errno == ENOENT ? true : fail(error, errno);
  if (!makeDirectories(directoryOf(target->path_))) return fail(error, errno);
  return target->replaceWith(data, error);
}

tLearningFigures tLearningJournal::figures(std::time_t now) const {
  tLearningFigures figures;
  tJournalReader reader;
  // Mapped rather than read: a journal of a million lines is read without a copy.
  const int fd = open(path_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  struct stat st;
  if (fd >= 0 && fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
    const size_t size = static_cast<size_t>(st.st_size);
    void* data = mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
    if (data != MAP_FAILED) {
      reader.read(static_cast<const char*>(data), static_cast<const char*>(data) + size);
      munmap(data, size);
    }
  }
  if (fd >= 0) close(fd);
  tLocalDays localDays;
  const int64_t today = localDays.dayOf(now);
  for (int i = 0; i < tLearningFigures::kDays; ++i) {
    const int64_t day = today - (tLearningFigures::kDays - 1) + i;
    figures.days[i].date = dayText(day, false);
    const auto found = reader.days.find(day);
    if (found == reader.days.end()) continue;
    figures.days[i].known = clamped(found->second.known);
    figures.days[i].unknown = clamped(found->second.unknown);
  }
  // Weeks start on Monday; 1970-01-01 was a Thursday.
  const int64_t thisMonday = today - (today + 3) % 7;
  const int64_t firstMonday = thisMonday - 7 * (tLearningFigures::kWeeks - 1);
  for (int w = 0; w < tLearningFigures::kWeeks; ++w) {
    figures.weeks[w].monday = dayText(firstMonday + 7 * w, true);
  }
  auto answered = [](const tDayCount& c) { return c.known + c.unknown > 0; };
  for (const auto& [day, counts] : reader.days) {
    if (answered(counts)) ++figures.learningDays;
    if (day >= firstMonday && day <= today) {
      int32_t& archived = figures.weeks[(day - firstMonday) / 7].archived;
      archived = clamped(int64_t{archived} + clamped(counts.archived));
    }
  }
  auto learnt = [&](int64_t day) {
    const auto found = reader.days.find(day);
    return found != reader.days.end() && answered(found->second);
  };
  int64_t day = learnt(today) ? today : today - 1;
  while (learnt(day)) {
    ++figures.streak;
    --day;
  }
  return figures;
}
