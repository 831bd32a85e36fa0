// Memory figures of the running benchmark, read from /proc/self/status, so peak
// memory goals are measured in the same process that does the work.
#ifndef TERMEL_BENCH_PROC_STATUS_H_
#define TERMEL_BENCH_PROC_STATUS_H_

#include <cstring>
#include <fstream>
#include <string>

// A field of /proc/self/status in kB ("VmHWM", "VmRSS"), or -1.
inline long statusKb(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const size_t length = std::strlen(field);
  while (std::getline(status, line)) {
    if (line.compare(0, length, field) == 0 && line[length] == ':') {
      return std::stol(line.substr(length + 1));
    }
  }
  return -1;
}

#endif  // TERMEL_BENCH_PROC_STATUS_H_
