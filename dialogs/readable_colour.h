// Colours that stay readable on whatever background the desktop's theme gives: a text
// meant to be red or green is made lighter on a dark background and darker on a light
// one until it stands out enough to be read.
#ifndef TERMEL_DIALOGS_READABLE_COLOUR_H_
#define TERMEL_DIALOGS_READABLE_COLOUR_H_

#include <wx/colour.h>

// The contrast a text needs against its background to be read comfortably.
constexpr double kReadableContrast = 4.5;

// Relative luminance of colour, 0 for black to 1 for white, as perceived.
double luminance(const wxColour& colour);
// The contrast ratio of two colours, 1 (the same) to 21 (black on white).
double contrastRatio(const wxColour& a, const wxColour& b);
// colour itself when it is readable on background, else the nearest shade of it
// towards white (on a dark background) or black (on a light one) that is.
wxColour readableOn(const wxColour& colour, const wxColour& background);

#endif  // TERMEL_DIALOGS_READABLE_COLOUR_H_
