#pragma once
// Plays a recorded page onto any canvas, its frame stretched into a target
// rectangle. The page may come from outside: only records that passed the
// enumerator's checks are drawn, coordinates are clamped before they reach
// the canvas, and the canvas's own state (objects, clip, mapping, colours) is
// given back as it was.
#include "platform/Canvas.h"
#include "platform/EmfRecords.h"
#include "platform/Metafile.h"

#include <QImage>

namespace plat {

// dest is in the canvas's logical units.
emf::TEmfEnumResult PlayMetafile(TCanvas &canvas, const TMetafile &metafile, const TRect &dest);

// The pixels of a checked DIB, top row first.
QImage DibToImage(const emf::TDibView &dib);

} // namespace plat
