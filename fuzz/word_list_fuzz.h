// What the word-list fuzz targets share: import arbitrary bytes with one reader into
// an empty box, check every card it made, then write the box in the same format and
// read that back, which must give the same cards.
#ifndef TERMEL_FUZZ_WORD_LIST_FUZZ_H_
#define TERMEL_FUZZ_WORD_LIST_FUZZ_H_

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "box/card_box.h"
#include "wordlists/card_intake.h"

namespace fuzz {

inline std::vector<std::string> cardsOfBox() {
  std::vector<std::string> cards;
  tTermel card;
  for (int n = theCardBox.firstCard(&card); n != 0; n = theCardBox.nextCard(&card)) {
    if (std::strlen(card.front) > 63 || std::strlen(card.back) > 63) std::abort();
    if (card.front[0] == '\0' || card.back[0] == '\0') std::abort();
    cards.push_back(std::to_string(n) + ":" + card.front + "\n" + card.back);
  }
  return cards;
}

inline tImportResult importInto(const std::string& bytes,
                                void (*read)(const std::string&, tCardIntake*)) {
  theCardBox.clearAll();
  tImportResult result;
  const tWordListReporter report = [](int code, const char* caption, const char* text, int line) {
    if (caption == nullptr || text == nullptr || line < 0 || code == 0) std::abort();
  };
  tCardIntake intake(report, &result);
  read(bytes, &intake);
  if (result.added != theCardBox.totalCount()) std::abort();
  return result;
}

// read imports bytes, write gives the box in the same format, which reread (read when
// not given) imports.
inline void checkReader(const std::string& bytes, void (*read)(const std::string&, tCardIntake*),
                        std::string (*write)(),
                        void (*reread)(const std::string&, tCardIntake*) = nullptr) {
  importInto(bytes, read);
  const std::vector<std::string> first = cardsOfBox();
  const tImportResult again = importInto(write(), reread != nullptr ? reread : read);
  if (again.malformed != 0 || cardsOfBox() != first) std::abort();
}

}  // namespace fuzz

#endif  // TERMEL_FUZZ_WORD_LIST_FUZZ_H_
