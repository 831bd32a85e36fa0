// tBoxChart: the bar chart of the box overview, one bar per compartment ("1. Fach" to
// "6. Fach" and "Ablage"), each labelled with its count, the learning compartments'
// thresholds marked by a dashed line. It draws itself to fit whatever size it has, so
// it grows and shrinks with its dialog. drawBoxChart draws the same picture into any
// device context, a bitmap's included.
#ifndef TERMEL_DIALOGS_BOX_CHART_H_
#define TERMEL_DIALOGS_BOX_CHART_H_

#include <wx/colour.h>
#include <wx/dc.h>
#include <wx/gdicmn.h>
#include <wx/window.h>

#include "box/box_stats.h"
#include "dialogs/drawn_chart.h"

// Fill colours of the learning compartments' bars and of the archive's bar.
extern const wxColour kBarColour;
extern const wxColour kArchiveBarColour;

// The horizontal strip of area that the bar of compartment index (0..6, the archive
// last) stands in; its bar is centred in it and half as wide.
wxRect chartSlot(const wxRect& area, int index);
// Where the chart of stats puts its bars and labels in area of dc.
struct tChartLayout {
  int baseline = 0;  // y of the bars' feet
  wxRect bars[CardBox::kCompartments];
  int32_t countValues[CardBox::kCompartments] = {};
  wxRect counts[CardBox::kCompartments];  // the count above each bar
  int32_t thresholds[tBoxStats::kLearning] = {};
  int thresholdYs[tBoxStats::kLearning] = {};    // the dashed lines
  wxRect thresholdLabels[tBoxStats::kLearning];  // their numbers
};
tChartLayout layOutBoxChart(const wxDC& dc, const wxRect& area, const tBoxStats& stats);
// Draws the chart of stats into area of dc.
void drawBoxChart(wxDC& dc, const wxRect& area, const tBoxStats& stats);
// The chart's figures as text: "1. Fach: 12 Karten (Grenze 10), ..., Ablage: 3 Karten".
wxString boxChartText(const tBoxStats& stats);

class tBoxChart : public tDrawnChart {
 public:
  // stats must outlive the chart.
  tBoxChart(wxWindow* parent, wxWindowID id, const tBoxStats* stats);
};

#endif  // TERMEL_DIALOGS_BOX_CHART_H_
