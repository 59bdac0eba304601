#pragma once
// Segment clipping shared by the canvas and the metafile player, so that wild
// coordinates from a damaged page never turn into pixel-by-pixel work.

namespace plat {

// Cuts the segment (x0,y0)-(x1,y1) to the box (Liang-Barsky). An end that is
// inside keeps its exact value. False when nothing of the segment is left.
bool ClipSegment(double &x0, double &y0, double &x1, double &y1,
                 double left, double top, double right, double bottom);

} // namespace plat
