// Every save over an existing box keeps a backup in XDG_DATA_HOME. A window test
// program holds one tScratchDataHome for its whole run, so its backups go to a scratch
// directory, removed at the end, and never into the real home.
#ifndef TERMEL_TESTS_GUI_SUPPORT_SCRATCH_DATA_HOME_H_
#define TERMEL_TESTS_GUI_SUPPORT_SCRATCH_DATA_HOME_H_

#include <stdlib.h>

#include <cstdio>
#include <string>

class tScratchDataHome {
 public:
  tScratchDataHome() {
    char name[] = "/tmp/termel-test-data-XXXXXX";
    if (mkdtemp(name) == nullptr) return;
    path_ = name;
    setenv("XDG_DATA_HOME", name, 1);
  }
  ~tScratchDataHome() {
    const std::string command = "rm -rf '" + path_ + "'";
    if (!path_.empty() && std::system(command.c_str()) != 0) std::perror("rm");
  }
  tScratchDataHome(const tScratchDataHome&) = delete;
  tScratchDataHome& operator=(const tScratchDataHome&) = delete;

 private:
  std::string path_;
};

#endif  // TERMEL_TESTS_GUI_SUPPORT_SCRATCH_DATA_HOME_H_
