#pragma once
// Plays a recorded page onto any canvas, its frame stretched into a target
// rectangle. The page may come from outside: only records that passed the
// enumerator's checks are drawn, coordinates are clamped before they reach
// the canvas, and the canvas's own state (objects, clip, mapping, colours) is
// given back as it was.
#include "platform/graphics/Canvas.h"
#include "platform/metafile/EmfRecords.h"
#include "platform/metafile/Metafile.h"

#include <QImage>

namespace plat {

// dest is in the canvas's logical units.
emf::TEmfEnumResult PlayMetafile(TCanvas &canvas, const TMetafile &metafile, const TRect &dest);

// The pixels of a checked DIB, top row first: all of them, or only those of
// part (pixels, top row 0; cut to the bitmap), which is all a drawing of a
// part needs to decode.
QImage DibToImage(const emf::TDibView &dib);
QImage DibToImage(const emf::TDibView &dib, const QRect &part);
// The number of DIB pixels decoded so far in the process, so that a test can
// see that a drawing decodes what it draws and no more.
uint64_t DibPixelsDecoded();

} // namespace plat
