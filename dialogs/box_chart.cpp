// Drawing the compartments' bars. The scale runs from 0 to the largest count (at
// least the first threshold), so a small box still fills the height; thresholds above
// the scale are marked at the top edge of their slot.
#include "dialogs/box_chart.h"

#include <wx/settings.h>

#include <algorithm>

#include "dialogs/compartment_names.h"
#include "dialogs/readable_colour.h"

const wxColour kBarColour(70, 110, 170);
const wxColour kArchiveBarColour(80, 150, 80);

namespace {

const wxColour kThresholdColour(200, 40, 40);
constexpr int kMargin = 6;

int32_t scaleTop(const tBoxStats& stats) {
  int32_t top = stats.thresholds[0];
  for (int32_t count : stats.counts) top = std::max(top, count);
  return std::max(top, 1);
}

// Where the bars stand and how tall a count makes them.
struct tScale {
  int baseline;  // y of the bars' feet
  int span;      // pixels from the foot to the top of the scale
  int32_t top;   // the count that fills the span

  int height(int32_t value) const {
    return static_cast<int>(static_cast<int64_t>(span) * value / top);
  }
};

wxString countText(int32_t value) {
  return wxString::Format("%d", value);
}

// The number of threshold k beside its bar at height y, a number near the foot above
// the axis, where it can be read; a number that would run into a bar's count moves up
// above that count instead.
wxRect placeThreshold(const wxDC& dc, const tChartLayout& layout, int k, int y) {
  const wxSize size = dc.GetTextExtent(countText(layout.thresholds[k]));
  wxRect place(layout.bars[k].GetRight() + 6,
               std::min(y - dc.GetCharHeight() / 2, layout.baseline - size.y - 1), size.x, size.y);
  for (bool moved = true; moved;) {
    moved = false;
    for (const wxRect& count : layout.counts) {
      if (!place.Intersects(count)) continue;
      place.y = count.y - size.y - 1;
      moved = true;
    }
  }
  return place;
}

void drawThreshold(wxDC& dc, const tChartLayout& layout, int k) {
  const wxColour colour =
      readableOn(kThresholdColour, wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW));
  const wxRect& bar = layout.bars[k];
  dc.SetPen(wxPen(colour, 1, wxPENSTYLE_SHORT_DASH));
  dc.DrawLine(bar.GetLeft() - 3, layout.thresholdYs[k], bar.GetRight() + 4, layout.thresholdYs[k]);
  dc.SetTextForeground(colour);
  dc.DrawText(countText(layout.thresholds[k]), layout.thresholdLabels[k].GetPosition());
}

// Bar k with its count above and its name below.
void drawBar(wxDC& dc, const tChartLayout& layout, int k, const wxRect& slot) {
  dc.SetPen(*wxTRANSPARENT_PEN);
  dc.SetBrush(wxBrush(k + 1 == CardBox::kCompartments ? kArchiveBarColour : kBarColour));
  if (layout.bars[k].height > 0) dc.DrawRectangle(layout.bars[k]);
  dc.SetTextForeground(wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOWTEXT));
  dc.DrawText(countText(layout.countValues[k]), layout.counts[k].GetPosition());
  const wxString name = k < tBoxStats::kLearning ? compartmentName(k + 1) : "Ablage";
  dc.DrawText(name, slot.x + (slot.width - dc.GetTextExtent(name).x) / 2, layout.baseline + 2);
}

}  // namespace

wxRect chartSlot(const wxRect& area, int index) {
  const int margin = std::min(kMargin, area.width / 4);
  const int inner = area.width - 2 * margin;
  const int left = area.x + margin + inner * index / CardBox::kCompartments;
  const int right = area.x + margin + inner * (index + 1) / CardBox::kCompartments;
  return wxRect(left, area.y, right - left, area.height);
}

tChartLayout layOutBoxChart(const wxDC& dc, const wxRect& area, const tBoxStats& stats) {
  tChartLayout layout;
  const int line = dc.GetCharHeight();
  // Room for the count above the highest bar and the name below every bar.
  const int barTop = area.y + kMargin + line;
  layout.baseline = area.GetBottom() - kMargin - line;
  const tScale scale{layout.baseline, std::max(layout.baseline - barTop, 0), scaleTop(stats)};
  for (int k = 0; k < CardBox::kCompartments; ++k) {
    const wxRect slot = chartSlot(area, k);
    const int height = scale.height(stats.counts[k]);
    const int width = std::max(slot.width / 2, 1);
    layout.bars[k] =
        wxRect(slot.x + (slot.width - width) / 2, layout.baseline - height, width, height);
    layout.countValues[k] = stats.counts[k];
    const wxSize size = dc.GetTextExtent(countText(stats.counts[k]));
    layout.counts[k] =
        wxRect(wxPoint(slot.x + (slot.width - size.x) / 2, layout.bars[k].y - size.y), size);
  }
  for (int k = 0; k < tBoxStats::kLearning; ++k) {
    layout.thresholds[k] = stats.thresholds[k];
    layout.thresholdYs[k] =
        layout.baseline - scale.height(std::min(stats.thresholds[k], scale.top));
    layout.thresholdLabels[k] = placeThreshold(dc, layout, k, layout.thresholdYs[k]);
  }
  return layout;
}

void drawBoxChart(wxDC& dc, const wxRect& area, const tBoxStats& stats) {
  beginChart(dc, area);
  const tChartLayout layout = layOutBoxChart(dc, area, stats);
  for (int k = 0; k < CardBox::kCompartments; ++k) drawBar(dc, layout, k, chartSlot(area, k));
  // The thresholds' lines and numbers over the bars.
  for (int k = 0; k < tBoxStats::kLearning; ++k) drawThreshold(dc, layout, k);
  endChart(dc, area, layout.baseline, kMargin);
}

wxString boxChartText(const tBoxStats& stats) {
  wxString text;
  for (int k = 0; k < CardBox::kCompartments; ++k) {
    if (k > 0) text += ", ";
    const int32_t count = stats.counts[k];
    const wxString cards = wxString::Format(count == 1 ? "%d Karte" : "%d Karten", count);
    if (k < tBoxStats::kLearning) {
      text += wxString::Format("%s: %s (Grenze %d)", compartmentName(k + 1), cards,
                               stats.thresholds[k]);
    } else {
      text += "Ablage: " + cards;
    }
  }
  return text;
}

tBoxChart::tBoxChart(wxWindow* parent, wxWindowID id, const tBoxStats* stats)
    : tDrawnChart(parent, id,
                  [stats](wxDC& dc, const wxRect& area) { drawBoxChart(dc, area, *stats); }) {
  describe("Karten je Fach", boxChartText(*stats));
}
