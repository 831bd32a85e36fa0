// tCardView: the cards of one compartment of the box as references in queue order, for
// a list that shows them row by row (the card editing dialog) and acts on its rows.
// The references stay valid until the box is changed by anything but this view's own
// moveRows(); call show() again after such a change. The box must outlive the view.
#ifndef TERMEL_BOX_CARD_VIEW_H_
#define TERMEL_BOX_CARD_VIEW_H_

#include <cstdint>
#include <vector>

#include "box/card_box.h"
#include "box/termel.h"

class tCardView {
 public:
  explicit tCardView(CardBox& box) : box_(box), compartment_(1) {}
  tCardView(const tCardView&) = delete;
  tCardView& operator=(const tCardView&) = delete;

  // Takes the references of compartment n (1-based) afresh, in queue order.
  void show(int n);
  int compartment() const { return compartment_; }
  int32_t count() const { return static_cast<int32_t>(cards_.size()); }
  // The stored card of row; none for a row out of range.
  tTermel* at(int32_t row) const;
  // Moves the cards of rows (ascending, each in range) to the end of compartment
  // target in their order, counters and all, then shows the compartment again. A card
  // that is no longer where the view says stays put rather than being doubled.
  void moveRows(const std::vector<int32_t>& rows, int target);

 private:
  CardBox& box_;
  int compartment_;
  std::vector<tTermel*> cards_;
};

#endif  // TERMEL_BOX_CARD_VIEW_H_
