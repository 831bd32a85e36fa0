// tCardSearch: finds the cards of a box that hold a text on either side, compared as
// tolerantly as a typed answer is checked (case, "ae" for "ä", "ss" for "ß", accents
// and typographic marks do not count). index() folds every card once; each find()
// then scans one buffer, so a search follows every keystroke even on 200,000 cards.
//
// The results refer to the stored cards. They stay valid until the box is changed;
// call index() and find() again after any change. The box must outlive the search.
#ifndef TERMEL_BOX_CARD_SEARCH_H_
#define TERMEL_BOX_CARD_SEARCH_H_

#include <cstdint>
#include <string>
#include <vector>

#include "box/card_box.h"
#include "box/termel.h"
#include "box/undo_change.h"

struct tFoundCard {
  tTermel* card;
  int16_t compartment;  // 1-based; the box's last compartment is the archive
};

class tCardSearch {
 public:
  explicit tCardSearch(CardBox& box) : box_(box) {}
  tCardSearch(const tCardSearch&) = delete;
  tCardSearch& operator=(const tCardSearch&) = delete;

  // Takes every card of the box afresh, compartment by compartment in queue order.
  void index();
  // Finds the cards holding text (code page 1252) on either side, in the order of
  // index(). Spaces around text do not count; an empty text finds every card.
  void find(const std::string& text);

  // After a change of the box: index() and the last find() again.
  void refresh();
  // Moves the cards of rows (each in range) that are not in compartment 1 to its end,
  // in row order, counters and all, then refreshes. Returns how many moved; places
  // (when given) gets where each moved card stood, for taking the move back.
  int32_t moveToFirst(const std::vector<int32_t>& rows, std::vector<tCardPlace>* places = nullptr);

  const std::vector<tFoundCard>& found() const { return found_; }
  int32_t count() const { return static_cast<int32_t>(found_.size()); }
  // The found card of row; a null card for a row out of range.
  tFoundCard at(int32_t row) const;

 private:
  CardBox& box_;
  std::vector<tFoundCard> cards_;  // every card, as index() took them
  // The folded texts of all cards, "front\1back\0" each; starts_[i] is where card i's
  // begin, with one more entry for the end.
  std::string folded_;
  std::vector<uint32_t> starts_;
  std::vector<tFoundCard> found_;
  std::string text_;  // of the last find()
};

#endif  // TERMEL_BOX_CARD_SEARCH_H_
