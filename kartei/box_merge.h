// Merging two diverged versions of one box, card by card, as a sync tool leaves them
// when both computers learned offline: the box's own version ("ours"), the other
// computer's ("theirs") and, when there is one, the version both started from (the
// ancestor), which tells a card deleted on one side from one added on the other.
//
// A card is known by its two texts. The rules:
// - added on either side: kept;
// - deleted on one side and unchanged on the other: deleted;
// - deleted on one side and learned on the other: kept, and a conflict;
// - without an ancestor nothing is deleted;
// - changed on both sides: the compartment of the version with more answers, each
//   counter the larger of the two;
// - a text corrected on one side (one card gone, one card come, same compartment and
//   counters, one text different) is a correction: reported, and when the ancestor
//   shows the old text only the corrected card stays.
// Within a compartment ours come first in their order, then the cards taken from
// theirs in theirs' order.
//
// Pure functions on card lists; nothing here touches a file or theCardBox. Texts are
// code page 1252.
#ifndef TERMEL_KARTEI_BOX_MERGE_H_
#define TERMEL_KARTEI_BOX_MERGE_H_

#include <string>
#include <vector>

#include "box/termel.h"

class CardBox;

// A card and the compartment (1 to 7) that holds it.
struct tPlacedCard {
  tTermel card;
  int compartment;
};
// A whole box, compartment by compartment, each in its order.
using tPlacedCards = std::vector<tPlacedCard>;

// What a merge did, added up over every file merged.
struct tMergeSummary {
  int taken = 0;     // cards only theirs had, now in the box
  int progress = 0;  // cards whose progress from theirs went into the box's
  int deleted = 0;   // cards deleted on one side and left out
  // One line per conflict: cards deleted on one side but learned on the other, and
  // corrections.
  std::vector<std::string> conflicts;

  // "N übernommen, M Fortschritte zusammengeführt, K gelöscht, J Konflikte"
  std::string text() const;
};

// The merged box. ancestor may be null: then nothing is deleted.
tPlacedCards mergeCardLists(const tPlacedCards& ours, const tPlacedCards& theirs,
                            const tPlacedCards* ancestor, tMergeSummary* summary);

// The cards of box in compartment order, and box emptied and filled with cards.
tPlacedCards cardsOf(CardBox& box);
void fillBox(CardBox& box, const tPlacedCards& cards);

#endif  // TERMEL_KARTEI_BOX_MERGE_H_
