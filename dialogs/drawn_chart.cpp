#include "dialogs/drawn_chart.h"

#include <wx/dcbuffer.h>
#include <wx/settings.h>

#include <utility>

#include "dialogs/accessible.h"

tDrawnChart::tDrawnChart(wxWindow* parent, wxWindowID id, tDraw draw)
    : wxWindow(parent, id, wxDefaultPosition, wxDefaultSize, wxFULL_REPAINT_ON_RESIZE),
      draw_(std::move(draw)) {
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  Bind(wxEVT_PAINT, &tDrawnChart::onPaint, this);
}

void tDrawnChart::describe(const wxString& name, const wxString& figures) {
  setAccessibleRole(this, tAccessibleRole::Chart);
  setAccessibleName(this, name);
  setAccessibleDescription(this, figures);
  SetToolTip(figures);
}

void tDrawnChart::onPaint(wxPaintEvent&) {
  wxAutoBufferedPaintDC dc(this);
  dc.SetFont(GetFont());
  draw_(dc, wxRect(GetClientSize()));
}

void beginChart(wxDC& dc, const wxRect& area) {
  dc.SetClippingRegion(area);
  dc.SetBrush(wxBrush(wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW)));
  dc.SetPen(*wxTRANSPARENT_PEN);
  dc.DrawRectangle(area);
}

void endChart(wxDC& dc, const wxRect& area, int y, int margin) {
  dc.SetPen(wxPen(wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOWTEXT)));
  dc.DrawLine(area.x + margin, y, area.GetRight() - margin + 1, y);
  dc.DestroyClippingRegion();
}
