#include "dialogs/readable_colour.h"

#include <algorithm>
#include <cmath>

namespace {

double linear(unsigned char channel) {
  const double c = channel / 255.0;
  return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

unsigned char mix(unsigned char from, unsigned char to, double share) {
  return static_cast<unsigned char>(std::lround(from + (to - from) * share));
}

}  // namespace

double luminance(const wxColour& colour) {
  return 0.2126 * linear(colour.Red()) + 0.7152 * linear(colour.Green()) +
         0.0722 * linear(colour.Blue());
}

double contrastRatio(const wxColour& a, const wxColour& b) {
  const double la = luminance(a);
  const double lb = luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

wxColour readableOn(const wxColour& colour, const wxColour& background) {
  const unsigned char end = luminance(background) < 0.18 ? 255 : 0;
  wxColour shade = colour;
  // Twenty steps reach the end colour, whose contrast with any background that is
  // not itself mid-grey is enough.
  for (int step = 1; step <= 20 && contrastRatio(shade, background) < kReadableContrast; ++step) {
    const double share = step / 20.0;
    shade = wxColour(mix(colour.Red(), end, share), mix(colour.Green(), end, share),
                     mix(colour.Blue(), end, share));
  }
  return shade;
}
