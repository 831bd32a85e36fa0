// Drawing the compartments' bars. The scale runs from 0 to the largest count (at
// least the first threshold), so a small box still fills the height; thresholds above
// the scale are marked at the top edge of their slot.
#include "dialogs/box_chart.h"

#include <wx/settings.h>

#include <algorithm>

#include "dialogs/compartment_names.h"

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

// A dashed line across the bar's place at the threshold's height, its number beside;
// a number near the foot stays above the axis, where it can be read.
void drawThreshold(wxDC& dc, const wxRect& bar, int y, int baseline, int32_t threshold) {
  dc.SetPen(wxPen(kThresholdColour, 1, wxPENSTYLE_SHORT_DASH));
  dc.DrawLine(bar.GetLeft() - 3, y, bar.GetRight() + 4, y);
  dc.SetTextForeground(kThresholdColour);
  const wxString number = wxString::Format("%d", threshold);
  const int textTop =
      std::min(y - dc.GetCharHeight() / 2, baseline - dc.GetTextExtent(number).y - 1);
  dc.DrawText(number, bar.GetRight() + 6, textTop);
}

// Bar k of stats in its slot: the bar, its count above, its name below and the
// threshold of a learning compartment.
void drawBar(wxDC& dc, const wxRect& slot, int k, const tBoxStats& stats, const tScale& scale) {
  const int height = scale.height(stats.counts[k]);
  const int barWidth = std::max(slot.width / 2, 1);
  const wxRect bar(slot.x + (slot.width - barWidth) / 2, scale.baseline - height, barWidth, height);
  dc.SetPen(*wxTRANSPARENT_PEN);
  dc.SetBrush(wxBrush(k + 1 == CardBox::kCompartments ? kArchiveBarColour : kBarColour));
  if (height > 0) dc.DrawRectangle(bar);
  dc.SetTextForeground(wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOWTEXT));
  const wxString count = wxString::Format("%d", stats.counts[k]);
  const wxSize countSize = dc.GetTextExtent(count);
  dc.DrawText(count, slot.x + (slot.width - countSize.x) / 2, bar.y - countSize.y);
  const wxString name = k < tBoxStats::kLearning ? compartmentName(k + 1) : "Ablage";
  dc.DrawText(name, slot.x + (slot.width - dc.GetTextExtent(name).x) / 2, scale.baseline + 2);
  if (k < tBoxStats::kLearning) {
    const int32_t threshold = stats.thresholds[k];
    drawThreshold(dc, bar, scale.baseline - scale.height(std::min(threshold, scale.top)),
                  scale.baseline, threshold);
  }
}

}  // namespace

wxRect chartSlot(const wxRect& area, int index) {
  const int margin = std::min(kMargin, area.width / 4);
  const int inner = area.width - 2 * margin;
  const int left = area.x + margin + inner * index / CardBox::kCompartments;
  const int right = area.x + margin + inner * (index + 1) / CardBox::kCompartments;
  return wxRect(left, area.y, right - left, area.height);
}

void drawBoxChart(wxDC& dc, const wxRect& area, const tBoxStats& stats) {
  beginChart(dc, area);
  const int line = dc.GetCharHeight();
  // Room for the count above the highest bar and the name below every bar.
  const int barTop = area.y + kMargin + line;
  const int baseline = area.GetBottom() - kMargin - line;
  const tScale scale{baseline, std::max(baseline - barTop, 0), scaleTop(stats)};
  for (int k = 0; k < CardBox::kCompartments; ++k) {
    drawBar(dc, chartSlot(area, k), k, stats, scale);
  }
  endChart(dc, area, baseline, kMargin);
}

tBoxChart::tBoxChart(wxWindow* parent, wxWindowID id, const tBoxStats* stats)
    : tDrawnChart(parent, id,
                  [stats](wxDC& dc, const wxRect& area) { drawBoxChart(dc, area, *stats); }) {}
