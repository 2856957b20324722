#pragma once

#include <QColor>
#include <QImage>

namespace zamo {

// One colour per species A..H (index 1..8), shared by the curves, the markers, the
// deviation labels and the exported graph.
QColor SpeciesColor(int species);

// The colour of a species in the plot window and its exported pictures: the same colours,
// but lime and aqua, which are faint on white, in darker shades that keep their hue apart
// from green and teal (each at least 3 : 1 in contrast against white).
QColor PlotSpeciesColor(int species);

// The 5 x 5 marker of a species: crosses for A..C, a triangle for D, a diamond for E, an
// upright cross for F, square outlines for G and H. White pixels are part of the image and
// cover what lies below.
const QImage& SpeciesMarker(int species);

// The light grey of the grid lines.
QColor GridColor();

}  // namespace zamo
