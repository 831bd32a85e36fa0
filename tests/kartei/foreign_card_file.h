// Card files as other programs write them: text columns of another width, or a column
// of their own among the card file's, with cards in the first compartment.
#ifndef TERMEL_TESTS_KARTEI_FOREIGN_CARD_FILE_H_
#define TERMEL_TESTS_KARTEI_FOREIGN_CARD_FILE_H_

#include <string>
#include <utility>
#include <vector>

#include "kartei/card_file.h"
#include "storage/dbf.h"

// ownColumn (none when null) is a text column of 20 characters after DEUTSCH.
inline bool writeForeignCardFile(const std::string& path, int textWidth, const char* ownColumn,
                                 const std::vector<std::pair<std::string, std::string>>& cards) {
  tCreateDBF table;
  table.addField("DEUTSCH", 'C', textWidth, 0);
  if (ownColumn != nullptr) table.addField(ownColumn, 'C', 20, 0);
  table.addField("UEBERSETZT", 'C', textWidth, 0);
  table.addField("KASTEN", 'C', 1, 0);
  table.addField("ALTER", 'N', 4, 0);
  table.addField("GEWUSST", 'N', 5, 0);
  table.addField("UNBEKANNT", 'N', 5, 0);
  if (!table.create(path.c_str())) return false;
  tTrmDB db;
  if (!db.open(path.c_str())) return false;
  for (const auto& [front, back] : cards) {
    if (!db.append()) return false;
    db.DEUTSCH.set(front.c_str());
    db.UEBERSETZT.set(back.c_str());
    db.KASTEN.set("A");
  }
  return true;
}

#endif  // TERMEL_TESTS_KARTEI_FOREIGN_CARD_FILE_H_
