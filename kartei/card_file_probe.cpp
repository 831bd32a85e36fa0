#include "kartei/card_file_probe.h"

#include <sys/stat.h>

#include "kartei/card_file.h"

bool isOtherThanCardFile(const char* path) {
  struct stat status;
  if (path == nullptr || stat(path, &status) != 0 || !S_ISREG(status.st_mode)) return false;
  // Reports no errors: failing to open is the answer.
  tTrmDB table;
  if (!table.open(path, tDBF::tMode::kReadOnly)) return true;
  return table.DEUTSCH.index() < 0 || table.UEBERSETZT.index() < 0 || table.KASTEN.index() < 0;
}
