#include "kartei/background_removal.h"

#include <unistd.h>

#include <system_error>
#include <utility>

namespace {

void removeAll(const std::vector<std::string>& paths) {
  for (const std::string& path : paths) unlink(path.c_str());
}

}  // namespace

tBackgroundRemoval& tBackgroundRemoval::ofProcess() {
  static tBackgroundRemoval removal;
  return removal;
}

void tBackgroundRemoval::remove(std::vector<std::string> paths) {
  finish();
  if (paths.empty()) return;
  try {
    worker_ = std::thread([paths = std::move(paths)] { removeAll(paths); });
  } catch (const std::system_error&) {
    removeAll(paths);
  }
}

void tBackgroundRemoval::finish() {
  if (worker_.joinable()) worker_.join();
}
