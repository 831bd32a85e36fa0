// Measuring the box overview's chart: drawn into a bitmap, each bar's height is the
// run of its fill colour down the middle of its slot. Shared by the dialog tests and
// the window tests.
#ifndef TERMEL_TESTS_DIALOGS_CHART_PROBE_H_
#define TERMEL_TESTS_DIALOGS_CHART_PROBE_H_

#include <wx/bitmap.h>
#include <wx/dcmemory.h>
#include <wx/image.h>

#include <vector>

#include "box/box_stats.h"
#include "dialogs/box_chart.h"

inline std::vector<int> barHeights(const tBoxStats& stats, wxSize size) {
  wxBitmap bitmap(size, 24);
  {
    wxMemoryDC dc(bitmap);
    drawBoxChart(dc, wxRect(size), stats);
  }
  const wxImage image = bitmap.ConvertToImage();
  std::vector<int> heights;
  for (int k = 0; k < CardBox::kCompartments; ++k) {
    const wxColour colour = k + 1 == CardBox::kCompartments ? kArchiveBarColour : kBarColour;
    const wxRect slot = chartSlot(wxRect(size), k);
    const int x = slot.x + slot.width / 2;
    int height = 0;
    for (int y = 0; x >= 0 && x < size.x && y < size.y; ++y) {
      if (image.GetRed(x, y) == colour.Red() && image.GetGreen(x, y) == colour.Green() &&
          image.GetBlue(x, y) == colour.Blue()) {
        ++height;
      }
    }
    heights.push_back(height);
  }
  return heights;
}

#endif  // TERMEL_TESTS_DIALOGS_CHART_PROBE_H_
