// Dating files for tests whose results depend on modification times (backup names).
#ifndef TERMEL_TESTS_KARTEI_FILE_TIMES_H_
#define TERMEL_TESTS_KARTEI_FILE_TIMES_H_

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <ctime>
#include <string>

// The time_t of a local date and time.
inline std::time_t localTime(int year, int month, int day, int hour, int minute, int second) {
  std::tm t = {};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  t.tm_isdst = -1;
  return std::mktime(&t);
}

inline void setModified(const std::string& path, std::time_t when, long nanoseconds = 0) {
  const struct timespec times[2] = {{when, nanoseconds}, {when, nanoseconds}};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
}

#endif  // TERMEL_TESTS_KARTEI_FILE_TIMES_H_
