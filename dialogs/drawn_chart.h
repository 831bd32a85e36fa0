// tDrawnChart: a window that shows a chart drawn by a function into its whole client
// area, double-buffered and drawn anew at every size, so it grows and shrinks with its
// dialog. The drawing functions start and end their picture with beginChart and
// endChart, so every chart has the same background and baseline.
#ifndef TERMEL_DIALOGS_DRAWN_CHART_H_
#define TERMEL_DIALOGS_DRAWN_CHART_H_

#include <wx/dc.h>
#include <wx/gdicmn.h>
#include <wx/window.h>

#include <functional>

class tDrawnChart : public wxWindow {
 public:
  using tDraw = std::function<void(wxDC& dc, const wxRect& area)>;

  tDrawnChart(wxWindow* parent, wxWindowID id, tDraw draw);

  // What stands in for the picture where it cannot be seen: a screen reader announces
  // the chart by name with figures, its figures as text, which the tooltip shows too.
  void describe(const wxString& name, const wxString& figures);

 private:
  void onPaint(wxPaintEvent& event);

  tDraw draw_;
};

// Clips dc to area and fills it with the window colour.
void beginChart(wxDC& dc, const wxRect& area);
// Draws the baseline at y across area, margin pixels in from both sides, and ends the
// clipping.
void endChart(wxDC& dc, const wxRect& area, int y, int margin);

#endif  // TERMEL_DIALOGS_DRAWN_CHART_H_
