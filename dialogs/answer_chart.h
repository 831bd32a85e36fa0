// tAnswerChart: the bar chart of "Lernverlauf", one stacked bar per day of the last
// 30 days, answers known at the foot and unknown on top, today at the right; every
// fifth day and today are named below.
// drawAnswerChart draws the same picture into any device context.
#ifndef TERMEL_DIALOGS_ANSWER_CHART_H_
#define TERMEL_DIALOGS_ANSWER_CHART_H_

#include <wx/colour.h>
#include <wx/dc.h>
#include <wx/gdicmn.h>
#include <wx/window.h>

#include "dialogs/drawn_chart.h"
#include "kartei/learning_journal.h"

extern const wxColour kKnownColour;
extern const wxColour kUnknownColour;

// The strip of area that day index (0..29, today last) stands in.
wxRect answerSlot(const wxRect& area, int index);
void drawAnswerChart(wxDC& dc, const wxRect& area, const tLearningFigures& figures);
// The chart's figures as text, the days with answers oldest first:
// "05.03.: 4 gewusst, 1 unbekannt; ...".
wxString answerChartText(const tLearningFigures& figures);

class tAnswerChart : public tDrawnChart {
 public:
  // figures must outlive the chart.
  tAnswerChart(wxWindow* parent, wxWindowID id, const tLearningFigures* figures);
};

#endif  // TERMEL_DIALOGS_ANSWER_CHART_H_
