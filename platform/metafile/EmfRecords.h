#pragma once
// Reading and writing enhanced-metafile records. A page read from outside is
// untrusted: the enumerator hands a handler only records whose sizes, counts,
// offsets and handle indices have been checked, skips a record that fails its
// checks, and ends the page at a record whose size does not fit.
#include "platform/core/Types.h"
#include "platform/metafile/EmfFormat.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace plat::emf {

// One record inside a page. Field reads past the record's end give 0, so a
// reader can never leave the record.
class TEmfRecord {
public:
    TEmfRecord(const uint8_t *data, uint32_t size) : data_(data), size_(size) {}
    uint32_t Type() const { return U32(0); }
    uint32_t Size() const { return size_; }
    const uint8_t *Data() const { return data_; }

    uint8_t U8(uint64_t off) const { return off < size_ ? data_[off] : 0; }
    uint16_t U16(uint64_t off) const;
    uint32_t U32(uint64_t off) const;
    int32_t I32(uint64_t off) const { return static_cast<int32_t>(U32(off)); }
    int16_t I16(uint64_t off) const { return static_cast<int16_t>(U16(off)); }
    float F32(uint64_t off) const;
    TRect RectAt(uint64_t off) const { return {I32(off), I32(off + 4), I32(off + 8), I32(off + 12)}; }
    TPoint PointAt(uint64_t off) const { return {I32(off), I32(off + 4)}; }
    TSize SizeAt(uint64_t off) const { return {I32(off), I32(off + 4)}; }
    // True when [off, off + len) lies inside the record.
    bool Holds(uint64_t off, uint64_t len) const { return off <= size_ && len <= size_ - off; }

private:
    const uint8_t *data_;
    uint32_t size_;
};

struct TEmfHeader {
    TRect Bounds;      // device pixels, inclusive
    TRect Frame;       // 0.01 mm, inclusive
    uint32_t Signature = 0, Version = 0;
    uint32_t Bytes = 0, Records = 0;
    uint16_t Handles = 0;
    uint32_t HeaderSize = 0;
    TSize Device, Millimeters;
};

// Reads and checks the header at the start of a page: type, size, signature,
// and a byte count that covers the header, is word-aligned and within limits.
bool ReadEmfHeader(const uint8_t *data, size_t size, TEmfHeader &header);

// The checks one record must pass before a handler sees it; handles is the
// header's handle count.
bool EmfRecordIsSound(const TEmfRecord &rec, uint32_t handles);

struct TEmfEnumResult {
    uint32_t Handled = 0;  // records given to the handler
    uint32_t Skipped = 0;  // records that failed their checks
    bool Stopped = false;  // the handler asked to stop
    bool Damaged = false;  // the page ended at a record that does not fit, or without EMR_EOF
};

// Return false to stop the walk.
using TEmfRecordHandler = std::function<bool(const TEmfRecord &)>;

// Walks a page: the header first, then each record up to EMR_EOF (given to
// the handler too) or the header's byte count, whichever comes first. A page
// whose header fails its checks yields nothing and is Damaged.
TEmfEnumResult EnumerateEmf(const uint8_t *data, size_t size, const TEmfRecordHandler &handler);

// Decoded records. Each Parse function checks the record and returns false
// when it is unsound; on a record that EnumerateEmf passed, they succeed.
struct TEmrPoly {
    TRect Bounds;
    std::vector<TPoint> Points;
};
bool ParsePoly(const TEmfRecord &rec, TEmrPoly &out); // POLYGON, POLYLINE, POLYGON16, POLYLINE16

struct TEmrCreatePen {
    uint32_t Handle = 0, Style = 0;
    int Width = 0;
    TColor Color = 0;
};
bool ParseCreatePen(const TEmfRecord &rec, TEmrCreatePen &out);

struct TEmrCreateBrush {
    uint32_t Handle = 0, Style = 0, Hatch = 0;
    TColor Color = 0;
};
bool ParseCreateBrush(const TEmfRecord &rec, TEmrCreateBrush &out);

struct TEmrLogFont {
    uint32_t Handle = 0;
    int Height = 0, Width = 0, Escapement = 0, Orientation = 0, Weight = 0;
    uint8_t Italic = 0, Underline = 0, StrikeOut = 0, CharSet = 0, OutPrecision = 0,
            ClipPrecision = 0, Quality = 0, PitchAndFamily = 0;
    std::u16string FaceName;
};
bool ParseLogFont(const TEmfRecord &rec, TEmrLogFont &out);

struct TEmrExtTextOut {
    TRect Bounds;
    int GraphicsMode = GM_COMPATIBLE;
    float XScale = 0, YScale = 0;
    TPoint Reference;
    uint32_t Options = 0;
    TRect Clip;
    std::u16string Text;
    std::vector<int> Dx;  // one advance per character, or empty; with ETO_PDY the x advances only
};
bool ParseExtTextOut(const TEmfRecord &rec, TEmrExtTextOut &out);

// A device-independent bitmap inside a record: BITMAPINFO at Info, pixels at
// Bits; checked so that every row the header declares lies inside Bits.
struct TDibView {
    const uint8_t *Info = nullptr;
    uint32_t InfoSize = 0;
    const uint8_t *Bits = nullptr;
    uint32_t BitsSize = 0;
    int Width = 0, Height = 0;  // Height positive
    bool TopDown = false;
    int BitCount = 0;
    uint32_t Colors = 0;         // palette entries after the 40-byte header
    uint32_t Stride = 0;
    // 0xAARRGGBB of the pixel; (0, 0) is the top-left pixel.
    uint32_t Pixel(int x, int y) const;
};
bool ParseDib(const TEmfRecord &rec, uint32_t offInfo, uint32_t cbInfo, uint32_t offBits,
              uint32_t cbBits, TDibView &out);

// BITBLT, STRETCHBLT and STRETCHDIBITS as one shape.
struct TEmrBlt {
    TRect Bounds;
    int XDest = 0, YDest = 0, CxDest = 0, CyDest = 0;
    int XSrc = 0, YSrc = 0, CxSrc = 0, CySrc = 0;
    uint32_t Rop = 0, Usage = 0;
    bool HasSource = false;
    TDibView Dib;
};
bool ParseBlt(const TEmfRecord &rec, TEmrBlt &out);

// GRADIENTFILL in one of the rectangle modes: each rectangle with the colours
// of its two corner vertices.
struct TEmrGradientRect {
    TRect Box;
    TColor Start = 0, Stop = 0;
};
struct TEmrGradientFill {
    TRect Bounds;
    bool Vertical = false;
    std::vector<TEmrGradientRect> Rects;
};
// False also for the triangle mode, which this program neither writes nor draws.
bool ParseGradientFill(const TEmfRecord &rec, TEmrGradientFill &out);

// Builds a page. The header is reserved first and completed by Finish, which
// also appends EMR_EOF.
class TEmfWriter {
public:
    TEmfWriter();

    // A record of whole 32-bit parameters (most state and drawing records).
    void Record(uint32_t type, std::initializer_list<int32_t> params);
    void Poly(uint32_t type16, const TPoint *points, int count, const TRect &bounds);
    void CreateFont(uint32_t handle, const TEmrLogFont &font);
    void ExtTextOut(const TEmrExtTextOut &text);
    // Fills a rectangle with the selected brush.
    void PatBlt(const TRect &bounds, const TRect &dest);
    // A picture as a 24-bit bottom-up DIB of width x height stretched into
    // dest; fillRow(y, row) writes the pixels of row y (0 the top row) as
    // blue, green, red triples.
    void StretchDIBits24(const TRect &bounds, const TRect &dest, int width, int height,
                         const std::function<void(int, uint8_t *)> &fillRow);

    void GradientFill(const TRect &bounds, const TRect &box, TColor start, TColor stop, bool vertical);

    uint32_t Records() const { return records_; }
    size_t Bytes() const { return buf_.size(); }
    std::vector<uint8_t> Finish(const TRect &bounds, const TRect &frame, uint16_t handles);

private:
    size_t Begin(uint32_t type);
    void End(size_t start);
    void Put32(uint32_t v);
    void PutI32(int32_t v) { Put32(static_cast<uint32_t>(v)); }
    void Put16(uint16_t v);
    void PutRect(const TRect &r);
    void Patch32(size_t at, uint32_t v);

    std::vector<uint8_t> buf_;
    uint32_t records_ = 0;
};

} // namespace plat::emf
