// Saves keep backups in XDG_DATA_HOME, the program keeps its settings in
// XDG_CONFIG_HOME and what is not yet saved in XDG_STATE_HOME. A window test program holds one
// tScratchHome for each of them for its whole run, so it never reads or touches the real ones; the
// directory is removed at the end.
#ifndef TERMEL_TESTS_GUI_SUPPORT_SCRATCH_HOME_H_
#define TERMEL_TESTS_GUI_SUPPORT_SCRATCH_HOME_H_

#include <stdlib.h>

#include <filesystem>
#include <string>
#include <system_error>

class tScratchHome {
 public:
  // variable: the environment variable to point at a fresh directory.
  explicit tScratchHome(const char* variable) {
    char pattern[] = "/tmp/termel-test-home-XXXXXX";
    if (mkdtemp(pattern) == nullptr) return;
    path_ = pattern;
    setenv(variable, pattern, 1);
  }
  ~tScratchHome() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  tScratchHome(const tScratchHome&) = delete;
  tScratchHome& operator=(const tScratchHome&) = delete;

 private:
  std::string path_;
};

#endif  // TERMEL_TESTS_GUI_SUPPORT_SCRATCH_HOME_H_
