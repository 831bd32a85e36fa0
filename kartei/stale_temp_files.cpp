// Finding and removing the temporary files a killed save left beside a box.
#include "kartei/stale_temp_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <vector>

#include "kartei/box_file_name.h"
#include "kartei/box_lock.h"
#include "storage/file_status.h"
#include "storage/sys_calls.h"

namespace {

const char kTempInfix[] = ".tmp-";
constexpr size_t kRandomLetters = 6;

// ".NAME.tmp-" followed by exactly the random letters.
bool isTempOf(const std::string& entry, const std::string& name) {
  const std::string prefix = "." + name + kTempInfix;
  if (entry.size() != prefix.size() + kRandomLetters) return false;
  if (entry.compare(0, prefix.size(), prefix) != 0) return false;
  for (size_t i = prefix.size(); i < entry.size(); ++i) {
    if (!std::isalnum(static_cast<unsigned char>(entry[i]))) return false;
  }
  return true;
}

int removeIn(const std::string& directory, const std::vector<std::string>& names) {
  DIR* dir = opendir(directory.c_str());
  if (dir == nullptr) return 0;
  std::vector<std::string> stale;
  while (const dirent* entry = readdir(dir)) {
    for (const std::string& name : names) {
      if (isTempOf(entry->d_name, name)) stale.push_back(entry->d_name);
    }
  }
  closedir(dir);
  int removed = 0;
  for (const std::string& entry : stale) {
    const std::string path = directory + "/" + entry;
    if (sysCalls().unlinkat(AT_FDCWD, path.c_str(), 0) == 0) ++removed;
  }
  return removed;
}

}  // namespace

int removeStaleTempFiles(const tBoxIdentity& box, const tBoxLock* heldLock) {
  tBoxLock probe;
  if ((heldLock == nullptr || !heldLock->held()) && probe.acquire(box) != tLockState::kHeld) {
    return 0;
  }
  const std::string& real = box.realPath();
  return removeIn(directoryOf(real), {baseNameOf(real), baseNameOf(box.boxFile())});
}
