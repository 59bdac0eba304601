#pragma once
// Image streams: pictures of a page become XObjects of the PDF file.
#include "platform/graphics/Graphics.h"
#include "platform/metafile/EmfRecords.h"
#include "rendering/pdf/PdfObjects.h"

#include <cstdint>
#include <functional>
#include <vector>

// The samples of the part source of a checked bitmap as an image stream
// holds them, one row at a time: palette indices for 1, 4 and 8 bits a
// pixel, red, green and blue for 24 and 32.
void WriteImageSamples(const plat::emf::TDibView &dib, const plat::TRect &source,
                       const std::function<void(const char *, size_t)> &row);
// The part of a blt's bitmap it draws, rows counted from the top and cut to
// the bitmap (fromBottom: the record counts its source rows from the
// bottom); false when nothing of it is inside.
bool BitmapSource(const plat::emf::TEmrBlt &b, bool fromBottom, plat::TRect &source);
// Compresses the pictures of a recorded page on the compression helper
// (CompressAhead), so that exporting the page reuses them instead of
// deflating them then. False when there is no helper.
bool CompressPicturesAhead(std::vector<uint8_t> page);

class TPdfImage : public TPdfXObject {
public:
    // The part source (top row 0, inside the bitmap) of a checked bitmap: 1,
    // 4 and 8 bits a pixel become an indexed image of 256 palette entries
    // (entries past the bitmap's own are black), 24 and 32 bits an RGB image.
    TPdfImage(TPdfDocument &document, bool dontAddToXref, const plat::emf::TDibView &dib, const plat::TRect &source);
    // A JPEG picture keeps its encoding (DCTDecode), at the document's JPEG
    // quality when that is not 0; any other picture is written as RGB.
    TPdfImage(TPdfDocument &document, bool dontAddToXref, const plat::TGraphic &picture);

    int PixelWidth() const { return width_; }
    int PixelHeight() const { return height_; }

private:
    void Begin(int width, int height);
    int width_ = 0, height_ = 0;
};
