#include "kartei/conflict_copies.h"

#include <dirent.h>

#include <algorithm>
#include <cctype>

#include "kartei/box_file_name.h"
#include "storage/file_status.h"

namespace {

bool startsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

bool digitsAt(const std::string& text, size_t from, size_t count) {
  if (from + count > text.size()) return false;
  return std::all_of(text.begin() + from, text.begin() + from + count,
                     [](char c) { return c >= '0' && c <= '9'; });
}

// "YYYYMMDD-HHMMSS-DEVICE", the device id not empty.
bool isSyncConflictTag(const std::string& tag) {
  return digitsAt(tag, 0, 8) && tag.size() > 16 && tag[8] == '-' && digitsAt(tag, 9, 6) &&
         tag[15] == '-';
}

// What stands in the brackets: "conflicted copy YYYY-MM-DD HHMMSS" of one tool, or
// any text that says "conflicted copy" of the other (a person's name before it, a date
// after it).
bool isConflictedCopyTag(const std::string& tag) {
  return tag.find("conflicted copy") != std::string::npos;
}

}  // namespace

bool isConflictCopyName(const std::string& fileName, const std::string& boxFileName) {
  const std::string name = boxNameOf(boxFileName);
  const std::string extension = boxFileName.substr(name.size());
  if (fileName.size() <= boxFileName.size() || !startsWith(fileName, name)) return false;
  if (fileName.compare(fileName.size() - extension.size(), extension.size(), extension) != 0) {
    return false;
  }
  const std::string middle =
      fileName.substr(name.size(), fileName.size() - name.size() - extension.size());
  const std::string syncConflict = ".sync-conflict-";
  if (startsWith(middle, syncConflict))
    return isSyncConflictTag(middle.substr(syncConflict.size()));
  if (startsWith(middle, " (") && middle.back() == ')') {
    return isConflictedCopyTag(middle.substr(2, middle.size() - 3));
  }
  return false;
}

std::vector<std::string> findConflictCopies(const std::string& cardPath) {
  std::vector<std::string> copies;
  const std::string box = baseNameOf(cardPath);
  // The copies are named as the box is: beside it, in the same form of path.
  const std::string directoryPart = cardPath.substr(0, cardPath.size() - box.size());
  DIR* dir = opendir(directoryOf(cardPath).c_str());
  if (dir == nullptr) return copies;
  while (const dirent* entry = readdir(dir)) {
    if (isConflictCopyName(entry->d_name, box)) copies.push_back(directoryPart + entry->d_name);
  }
  closedir(dir);
  std::sort(copies.begin(), copies.end());
  return copies;
}
