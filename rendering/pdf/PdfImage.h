#pragma once
// Image streams: pictures of a page become XObjects of the PDF file.
#include "platform/EmfRecords.h"
#include "platform/Graphics.h"
#include "rendering/pdf/PdfObjects.h"

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
