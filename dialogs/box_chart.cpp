// Drawing the compartments' bars. The scale runs from 0 to the largest count (at
// least the first threshold), so a small box still fills the height; thresholds above
// the scale are marked at the top edge of their slot.
#include "dialogs/box_chart.h"

#include <wx/dcbuffer.h>
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

// The y of value in the bar area [top, bottom].
int heightOf(int32_t value, int32_t scale, int span) {
  return static_cast<int>(static_cast<int64_t>(span) * value / scale);
}

void drawThreshold(wxDC& dc, const wxRect& slot, int y, int32_t threshold) {
  dc.SetPen(wxPen(kThresholdColour, 1, wxPENSTYLE_SHORT_DASH));
  dc.DrawLine(slot.GetLeft() + 2, y, slot.GetRight() - 1, y);
  dc.SetTextForeground(kThresholdColour);
  const wxString text = wxString::Format("%d", threshold);
  dc.DrawText(text, slot.GetRight() - dc.GetTextExtent(text).x - 1, y - dc.GetCharHeight());
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
  dc.SetBackground(wxBrush(wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW)));
  dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
  dc.SetClippingRegion(area);
  dc.SetBrush(dc.GetBackground());
  dc.SetPen(*wxTRANSPARENT_PEN);
  dc.DrawRectangle(area);
  const int line = dc.GetCharHeight();
  // Room for the count above the highest bar and the name below every bar.
  const int barTop = area.y + kMargin + line;
  const int baseline = area.GetBottom() - kMargin - line;
  const int span = std::max(baseline - barTop, 0);
  const int32_t scale = scaleTop(stats);
  const wxColour text = wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOWTEXT);
  for (int k = 0; k < CardBox::kCompartments; ++k) {
    const wxRect slot = chartSlot(area, k);
    const int height = heightOf(stats.counts[k], scale, span);
    const int barWidth = std::max(slot.width / 2, 1);
    const wxRect bar(slot.x + (slot.width - barWidth) / 2, baseline - height, barWidth, height);
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(wxBrush(k + 1 == CardBox::kCompartments ? kArchiveBarColour : kBarColour));
    if (height > 0) dc.DrawRectangle(bar);
    dc.SetTextForeground(text);
    const wxString count = wxString::Format("%d", stats.counts[k]);
    const wxSize countSize = dc.GetTextExtent(count);
    dc.DrawText(count, slot.x + (slot.width - countSize.x) / 2, bar.y - countSize.y);
    const wxString name = k < tBoxStats::kLearning ? compartmentName(k + 1) : "Ablage";
    dc.DrawText(name, slot.x + (slot.width - dc.GetTextExtent(name).x) / 2, baseline + 2);
    if (k < tBoxStats::kLearning) {
      const int32_t threshold = stats.thresholds[k];
      drawThreshold(dc, slot, baseline - heightOf(std::min(threshold, scale), scale, span),
                    threshold);
    }
  }
  dc.SetPen(wxPen(text));
  dc.DrawLine(area.x + kMargin, baseline, area.GetRight() - kMargin + 1, baseline);
  dc.DestroyClippingRegion();
}

tBoxChart::tBoxChart(wxWindow* parent, wxWindowID id, const tBoxStats* stats)
    : wxWindow(parent, id, wxDefaultPosition, wxDefaultSize, wxFULL_REPAINT_ON_RESIZE),
      stats_(stats) {
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  Bind(wxEVT_PAINT, &tBoxChart::onPaint, this);
}

void tBoxChart::onPaint(wxPaintEvent&) {
  wxAutoBufferedPaintDC dc(this);
  dc.SetFont(GetFont());
  drawBoxChart(dc, wxRect(GetClientSize()), *stats_);
}
