// Drawing the answers per day. The scale runs from 0 to the most answers on one day,
// so a few answers still fill the height; the legend sits at the top left.
#include "dialogs/answer_chart.h"

#include <wx/settings.h>

#include <algorithm>

const wxColour kKnownColour(80, 150, 80);
const wxColour kUnknownColour(200, 70, 60);

namespace {

constexpr int kMargin = 6;
constexpr int kDays = tLearningFigures::kDays;

int32_t mostAnswers(const tLearningFigures& figures) {
  int32_t most = 1;
  for (const auto& day : figures.days) most = std::max(most, day.known + day.unknown);
  return most;
}

void drawLegend(wxDC& dc, const wxRect& area) {
  const int line = dc.GetCharHeight();
  int x = area.x + kMargin;
  for (const auto& [colour, text] :
       {std::make_pair(kKnownColour, "gewusst"), std::make_pair(kUnknownColour, "unbekannt")}) {
    dc.SetBrush(wxBrush(colour));
    dc.DrawRectangle(x, area.y + kMargin + line / 4, line / 2, line / 2);
    dc.DrawText(text, x + line, area.y + kMargin);
    x += line + dc.GetTextExtent(text).x + line;
  }
}

void drawDay(wxDC& dc, const wxRect& slot, const tLearningFigures::Day& day, int baseline, int span,
             int32_t most) {
  const int width = std::max(slot.width * 2 / 3, 1);
  const int x = slot.x + (slot.width - width) / 2;
  const int total = static_cast<int>(static_cast<int64_t>(span) * (day.known + day.unknown) / most);
  const int known = static_cast<int>(static_cast<int64_t>(span) * day.known / most);
  dc.SetPen(*wxTRANSPARENT_PEN);
  if (known > 0) {
    dc.SetBrush(wxBrush(kKnownColour));
    dc.DrawRectangle(x, baseline - known, width, known);
  }
  if (total > known) {
    dc.SetBrush(wxBrush(kUnknownColour));
    dc.DrawRectangle(x, baseline - total, width, total - known);
  }
}

}  // namespace

wxRect answerSlot(const wxRect& area, int index) {
  const int margin = std::min(kMargin, area.width / 4);
  const int inner = area.width - 2 * margin;
  const int left = area.x + margin + inner * index / kDays;
  const int right = area.x + margin + inner * (index + 1) / kDays;
  return wxRect(left, area.y, right - left, area.height);
}

void drawAnswerChart(wxDC& dc, const wxRect& area, const tLearningFigures& figures) {
  beginChart(dc, area);
  dc.SetTextForeground(wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOWTEXT));
  const int line = dc.GetCharHeight();
  // Room for the legend and the most answers above the bars, the dates below.
  const int barTop = area.y + 2 * kMargin + 2 * line;
  const int baseline = area.GetBottom() - kMargin - line;
  const int span = std::max(baseline - barTop, 0);
  const int32_t most = mostAnswers(figures);
  for (int i = 0; i < kDays; ++i) {
    const wxRect slot = answerSlot(area, i);
    drawDay(dc, slot, figures.days[i], baseline, span, most);
    if (i % 5 == 4 || i == kDays - 1) {
      const wxString date = figures.days[i].date;
      const int right = slot.GetRight() + 1;
      dc.DrawText(date, right - dc.GetTextExtent(date).x, baseline + 2);
    }
  }
  drawLegend(dc, area);
  const wxString top = wxString::Format("%d", most);
  dc.DrawText(top, area.GetRight() - kMargin - dc.GetTextExtent(top).x, barTop - line);
  endChart(dc, area, baseline, kMargin);
}

wxString answerChartText(const tLearningFigures& figures) {
  wxString text;
  for (const tLearningFigures::Day& day : figures.days) {
    if (day.known == 0 && day.unknown == 0) continue;
    if (!text.empty()) text += "; ";
    text += wxString::Format("%s: %d gewusst, %d unbekannt", day.date, day.known, day.unknown);
  }
  return text.empty() ? wxString("Keine Antworten in den letzten 30 Tagen") : text;
}

tAnswerChart::tAnswerChart(wxWindow* parent, wxWindowID id, const tLearningFigures* figures)
    : tDrawnChart(parent, id, [figures](wxDC& dc, const wxRect& area) {
        drawAnswerChart(dc, area, *figures);
      }) {
  describe("Antworten der letzten 30 Tage", answerChartText(*figures));
}
