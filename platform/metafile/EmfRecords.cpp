#include "platform/metafile/EmfRecords.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace plat::emf {

uint16_t TEmfRecord::U16(uint64_t off) const
{
    if (!Holds(off, 2))
        return 0;
    return static_cast<uint16_t>(data_[off] | (data_[off + 1] << 8));
}

uint32_t TEmfRecord::U32(uint64_t off) const
{
    if (!Holds(off, 4))
        return 0;
    return static_cast<uint32_t>(data_[off]) | (static_cast<uint32_t>(data_[off + 1]) << 8) |
           (static_cast<uint32_t>(data_[off + 2]) << 16) | (static_cast<uint32_t>(data_[off + 3]) << 24);
}

float TEmfRecord::F32(uint64_t off) const
{
    const uint32_t bits = U32(off);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

bool ReadEmfHeader(const uint8_t *data, size_t size, TEmfHeader &h)
{
    if (!data || size < kHeaderMinSize)
        return false;
    const TEmfRecord rec(data, static_cast<uint32_t>(std::min<size_t>(size, kHeaderSize)));
    const uint32_t recSize = TEmfRecord(data, 8).U32(4);
    h.HeaderSize = recSize;
    h.Bounds = rec.RectAt(8);
    h.Frame = rec.RectAt(24);
    h.Signature = rec.U32(40);
    h.Version = rec.U32(44);
    h.Bytes = rec.U32(48);
    h.Records = rec.U32(52);
    h.Handles = rec.U16(56);
    h.Device = rec.SizeAt(72);
    h.Millimeters = rec.SizeAt(80);
    return rec.Type() == EMR_HEADER && h.Signature == ENHMETA_SIGNATURE && recSize >= kHeaderMinSize &&
           recSize % 4 == 0 && h.Bytes >= recSize && h.Bytes % 4 == 0 && h.Bytes <= kMaxPageBytes &&
           h.Bytes <= size;
}

namespace {

bool ValidObjectHandle(uint32_t index, uint32_t handles) { return index >= 1 && index < handles; }

// Poly records: bounds, count, then count points of 16 or 32 bits a coordinate.
bool PolyShape(uint32_t type, uint32_t &pointSize)
{
    switch (type) {
    case EMR_POLYGON16: case EMR_POLYLINE16: pointSize = 4; return true;
    case EMR_POLYGON: case EMR_POLYLINE: pointSize = 8; return true;
    default: return false;
    }
}

bool PolyIsSound(const TEmfRecord &rec)
{
    uint32_t pointSize = 0;
    if (!PolyShape(rec.Type(), pointSize) || rec.Size() < kPolyFixed)
        return false;
    const uint64_t count = rec.U32(24);
    return rec.Holds(kPolyFixed, count * pointSize);
}

bool TextOutIsSound(const TEmfRecord &rec)
{
    if (rec.Size() < kTextOutFixed)
        return false;
    const uint64_t chars = rec.U32(44);
    const uint32_t offString = rec.U32(48), options = rec.U32(52), offDx = rec.U32(72);
    if (chars == 0)
        return true;
    if (offString < kTextOutFixed || !rec.Holds(offString, chars * 2))
        return false;
    if (offDx == 0)
        return true;
    const uint64_t dxBytes = chars * 4 * ((options & ETO_PDY) ? 2 : 1);
    return offDx >= kTextOutFixed && rec.Holds(offDx, dxBytes);
}

bool GradientIsSound(const TEmfRecord &rec)
{
    if (rec.Size() < kGradientFillFixed)
        return false;
    const uint64_t vertices = rec.U32(24), shapes = rec.U32(28);
    const uint32_t mode = rec.U32(32);
    if (mode > GRADIENT_FILL_TRIANGLE)
        return false;
    return rec.Holds(kGradientFillFixed, vertices * 16 + shapes * (mode == GRADIENT_FILL_TRIANGLE ? 12 : 8));
}

bool SimpleIsSound(const TEmfRecord &rec, uint32_t handles)
{
    const uint32_t size = rec.Size();
    switch (rec.Type()) {
    case EMR_EOF:
        return size >= kEofSize;
    case EMR_SAVEDC:
        return true;
    case EMR_SETMAPMODE: case EMR_SETBKMODE: case EMR_SETPOLYFILLMODE: case EMR_SETSTRETCHBLTMODE:
    case EMR_SETTEXTALIGN: case EMR_SETTEXTCOLOR: case EMR_SETBKCOLOR: case EMR_RESTOREDC:
        return size >= 12;
    case EMR_SETWINDOWEXTEX: case EMR_SETWINDOWORGEX: case EMR_SETVIEWPORTEXTEX:
    case EMR_SETVIEWPORTORGEX: case EMR_MOVETOEX: case EMR_LINETO:
        return size >= 16;
    case EMR_SETPIXELV:
        return size >= 20;
    case EMR_EXCLUDECLIPRECT: case EMR_INTERSECTCLIPRECT: case EMR_ELLIPSE: case EMR_RECTANGLE:
        return size >= 24;
    case EMR_ROUNDRECT: case EMR_SETWORLDTRANSFORM:
        return size >= 32;
    case EMR_EXTSELECTCLIPRGN:
        return size >= 16 && rec.Holds(16, rec.U32(8));
    case EMR_SELECTOBJECT: {
        if (size < 12)
            return false;
        const uint32_t index = rec.U32(8);
        if (index & ENHMETA_STOCK_OBJECT)
            return (index & ~ENHMETA_STOCK_OBJECT) <= LAST_STOCK_OBJECT;
        return ValidObjectHandle(index, handles);
    }
    case EMR_DELETEOBJECT:
        return size >= 12 && ValidObjectHandle(rec.U32(8), handles);
    case EMR_CREATEPEN:
        return size >= 28 && ValidObjectHandle(rec.U32(8), handles);
    case EMR_CREATEBRUSHINDIRECT:
        return size >= 24 && ValidObjectHandle(rec.U32(8), handles);
    case EMR_EXTCREATEFONTINDIRECTW:
        return size >= 12 + kLogFontSize && ValidObjectHandle(rec.U32(8), handles);
    default:
        // Records this program neither writes nor plays pass unread.
        return true;
    }
}

} // namespace

bool EmfRecordIsSound(const TEmfRecord &rec, uint32_t handles)
{
    switch (rec.Type()) {
    case EMR_POLYGON: case EMR_POLYLINE: case EMR_POLYGON16: case EMR_POLYLINE16:
        return PolyIsSound(rec);
    case EMR_EXTTEXTOUTW:
        return TextOutIsSound(rec);
    case EMR_GRADIENTFILL:
        return GradientIsSound(rec);
    case EMR_BITBLT: case EMR_STRETCHBLT: case EMR_STRETCHDIBITS: {
        TEmrBlt blt;
        return ParseBlt(rec, blt);
    }
    default:
        return SimpleIsSound(rec, handles);
    }
}

TEmfEnumResult EnumerateEmf(const uint8_t *data, size_t size, const TEmfRecordHandler &handler)
{
    TEmfEnumResult result;
    TEmfHeader header;
    if (!ReadEmfHeader(data, size, header)) {
        result.Damaged = true;
        return result;
    }
    ++result.Handled;
    if (!handler(TEmfRecord(data, header.HeaderSize))) {
        result.Stopped = true;
        return result;
    }
    const uint32_t end = header.Bytes;
    uint32_t pos = header.HeaderSize;
    bool sawEof = false;
    while (pos < end) {
        if (end - pos < 8) {
            break;
        }
        const uint32_t recSize = TEmfRecord(data + pos, 8).U32(4);
        if (recSize < 8 || recSize % 4 != 0 || recSize > end - pos)
            break;
        const TEmfRecord rec(data + pos, recSize);
        pos += recSize;
        if (rec.Type() == EMR_HEADER || !EmfRecordIsSound(rec, header.Handles)) {
            ++result.Skipped;
            continue;
        }
        ++result.Handled;
        if (!handler(rec)) {
            result.Stopped = true;
            return result;
        }
        if (rec.Type() == EMR_EOF) {
            sawEof = true;
            break;
        }
    }
    result.Damaged = !sawEof;
    return result;
}

bool ParsePoly(const TEmfRecord &rec, TEmrPoly &out)
{
    if (!PolyIsSound(rec))
        return false;
    uint32_t pointSize = 0;
    PolyShape(rec.Type(), pointSize);
    out.Bounds = rec.RectAt(8);
    const uint32_t count = rec.U32(24);
    out.Points.resize(count);
    uint64_t off = kPolyFixed;
    for (uint32_t i = 0; i < count; ++i, off += pointSize) {
        if (pointSize == 4)
            out.Points[i] = {rec.I16(off), rec.I16(off + 2)};
        else
            out.Points[i] = rec.PointAt(off);
    }
    return true;
}

bool ParseCreatePen(const TEmfRecord &rec, TEmrCreatePen &out)
{
    if (rec.Type() != EMR_CREATEPEN || rec.Size() < 28)
        return false;
    out.Handle = rec.U32(8);
    out.Style = rec.U32(12);
    out.Width = rec.I32(16);
    out.Color = static_cast<TColor>(rec.U32(24) & 0x00FFFFFF);
    return true;
}

bool ParseCreateBrush(const TEmfRecord &rec, TEmrCreateBrush &out)
{
    if (rec.Type() != EMR_CREATEBRUSHINDIRECT || rec.Size() < 24)
        return false;
    out.Handle = rec.U32(8);
    out.Style = rec.U32(12);
    out.Color = static_cast<TColor>(rec.U32(16) & 0x00FFFFFF);
    out.Hatch = rec.U32(20);
    return true;
}

bool ParseLogFont(const TEmfRecord &rec, TEmrLogFont &out)
{
    if (rec.Type() != EMR_EXTCREATEFONTINDIRECTW || rec.Size() < 12 + kLogFontSize)
        return false;
    out.Handle = rec.U32(8);
    out.Height = rec.I32(12);
    out.Width = rec.I32(16);
    out.Escapement = rec.I32(20);
    out.Orientation = rec.I32(24);
    out.Weight = rec.I32(28);
    out.Italic = rec.U8(32);
    out.Underline = rec.U8(33);
    out.StrikeOut = rec.U8(34);
    out.CharSet = rec.U8(35);
    out.OutPrecision = rec.U8(36);
    out.ClipPrecision = rec.U8(37);
    out.Quality = rec.U8(38);
    out.PitchAndFamily = rec.U8(39);
    out.FaceName.clear();
    for (uint32_t i = 0; i < kLfFaceSize; ++i) {
        const char16_t c = rec.U16(40 + 2 * i);
        if (c == 0)
            break;
        out.FaceName.push_back(c);
    }
    return true;
}

bool ParseExtTextOut(const TEmfRecord &rec, TEmrExtTextOut &out)
{
    if (rec.Type() != EMR_EXTTEXTOUTW || !TextOutIsSound(rec))
        return false;
    out.Bounds = rec.RectAt(8);
    out.GraphicsMode = rec.I32(24);
    out.XScale = rec.F32(28);
    out.YScale = rec.F32(32);
    out.Reference = rec.PointAt(36);
    const uint32_t chars = rec.U32(44), offString = rec.U32(48), offDx = rec.U32(72);
    out.Options = rec.U32(52);
    out.Clip = rec.RectAt(56);
    out.Text.resize(chars);
    for (uint32_t i = 0; i < chars; ++i)
        out.Text[i] = rec.U16(uint64_t(offString) + 2 * i);
    out.Dx.clear();
    if (chars > 0 && offDx != 0) {
        const uint32_t step = (out.Options & ETO_PDY) ? 8 : 4;
        out.Dx.resize(chars);
        for (uint32_t i = 0; i < chars; ++i)
            out.Dx[i] = rec.I32(uint64_t(offDx) + uint64_t(step) * i);
    }
    return true;
}

bool ParseGradientFill(const TEmfRecord &rec, TEmrGradientFill &out)
{
    if (rec.Type() != EMR_GRADIENTFILL || !GradientIsSound(rec) || rec.U32(32) == GRADIENT_FILL_TRIANGLE)
        return false;
    out.Bounds = rec.RectAt(8);
    out.Vertical = rec.U32(32) == GRADIENT_FILL_RECT_V;
    const uint32_t vertices = rec.U32(24), shapes = rec.U32(28);
    auto colour = [&rec](uint64_t at) {
        return RGB(rec.U16(at) >> 8, rec.U16(at + 2) >> 8, rec.U16(at + 4) >> 8);
    };
    out.Rects.clear();
    const uint64_t rects = kGradientFillFixed + uint64_t(vertices) * 16;
    for (uint32_t i = 0; i < shapes; ++i) {
        const uint32_t a = rec.U32(rects + 8 * i), b = rec.U32(rects + 8 * i + 4);
        if (a >= vertices || b >= vertices)
            continue;
        const uint64_t va = kGradientFillFixed + 16ull * a, vb = kGradientFillFixed + 16ull * b;
        out.Rects.push_back({{rec.I32(va), rec.I32(va + 4), rec.I32(vb), rec.I32(vb + 4)}, colour(va + 8), colour(vb + 8)});
    }
    return true;
}

uint32_t TDibView::Pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= Width || y >= Height)
        return 0xFF000000u;
    const uint64_t row = TopDown ? uint64_t(y) : uint64_t(Height - 1 - y);
    const uint8_t *p = Bits + row * Stride;
    auto palette = [this](uint32_t index) -> uint32_t {
        if (index >= Colors)
            return 0xFF000000u;
        const uint8_t *q = Info + kBitmapInfoHeaderSize + 4 * index;
        return 0xFF000000u | (uint32_t(q[2]) << 16) | (uint32_t(q[1]) << 8) | q[0];
    };
    switch (BitCount) {
    case 1: return palette((p[x >> 3] >> (7 - (x & 7))) & 1);
    case 4: return palette((p[x >> 1] >> ((x & 1) ? 0 : 4)) & 0x0F);
    case 8: return palette(p[x]);
    case 24: p += 3 * x; return 0xFF000000u | (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0];
    default: p += 4 * x; return 0xFF000000u | (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0];
    }
}

bool ParseDib(const TEmfRecord &rec, uint32_t offInfo, uint32_t cbInfo, uint32_t offBits, uint32_t cbBits,
              TDibView &out)
{
    if (offInfo < 8 || offBits < 8 || cbInfo < kBitmapInfoHeaderSize || !rec.Holds(offInfo, cbInfo) ||
        !rec.Holds(offBits, cbBits))
        return false;
    const uint32_t biSize = rec.U32(offInfo);
    const int32_t width = rec.I32(offInfo + 4), height = rec.I32(offInfo + 8);
    const uint16_t planes = rec.U16(offInfo + 12), bitCount = rec.U16(offInfo + 14);
    const uint32_t compression = rec.U32(offInfo + 16), clrUsed = rec.U32(offInfo + 32);
    if (biSize != kBitmapInfoHeaderSize || width <= 0 || height == 0 || height == INT_MIN || planes != 1 ||
        compression != BI_RGB)
        return false;
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24 && bitCount != 32)
        return false;
    const int64_t h = height < 0 ? -int64_t(height) : int64_t(height);
    if (int64_t(width) * h > kMaxDibPixels)
        return false;
    uint32_t colors = 0;
    if (bitCount <= 8) {
        const uint32_t most = 1u << bitCount;
        colors = clrUsed == 0 ? most : clrUsed;
        if (colors > most || uint64_t(kBitmapInfoHeaderSize) + 4ull * colors > cbInfo)
            return false;
    }
    const uint64_t stride = ((uint64_t(width) * bitCount + 31) / 32) * 4;
    if (stride * uint64_t(h) > cbBits)
        return false;
    out.Info = rec.Data() + offInfo;
    out.InfoSize = cbInfo;
    out.Bits = rec.Data() + offBits;
    out.BitsSize = cbBits;
    out.Width = width;
    out.Height = static_cast<int>(h);
    out.TopDown = height < 0;
    out.BitCount = bitCount;
    out.Colors = colors;
    out.Stride = static_cast<uint32_t>(stride);
    return true;
}

bool ParseBlt(const TEmfRecord &rec, TEmrBlt &out)
{
    out = TEmrBlt{};
    out.Bounds = rec.RectAt(8);
    out.XDest = rec.I32(24);
    out.YDest = rec.I32(28);
    uint32_t offBmi = 0, cbBmi = 0, offBits = 0, cbBits = 0;
    switch (rec.Type()) {
    case EMR_BITBLT:
    case EMR_STRETCHBLT: {
        const uint32_t fixed = rec.Type() == EMR_BITBLT ? kBitBltFixed : kStretchBltFixed;
        if (rec.Size() < fixed)
            return false;
        out.CxDest = rec.I32(32);
        out.CyDest = rec.I32(36);
        out.Rop = rec.U32(40);
        out.XSrc = rec.I32(44);
        out.YSrc = rec.I32(48);
        out.Usage = rec.U32(80);
        offBmi = rec.U32(84);
        cbBmi = rec.U32(88);
        offBits = rec.U32(92);
        cbBits = rec.U32(96);
        if (rec.Type() == EMR_BITBLT) {
            out.CxSrc = out.CxDest;
            out.CySrc = out.CyDest;
        } else {
            out.CxSrc = rec.I32(100);
            out.CySrc = rec.I32(104);
        }
        if (cbBmi == 0)
            return true;
        if (offBmi < fixed || offBits < fixed)
            return false;
        break;
    }
    case EMR_STRETCHDIBITS:
        if (rec.Size() < kStretchDIBitsFixed)
            return false;
        out.XSrc = rec.I32(32);
        out.YSrc = rec.I32(36);
        out.CxSrc = rec.I32(40);
        out.CySrc = rec.I32(44);
        offBmi = rec.U32(48);
        cbBmi = rec.U32(52);
        offBits = rec.U32(56);
        cbBits = rec.U32(60);
        out.Usage = rec.U32(64);
        out.Rop = rec.U32(68);
        out.CxDest = rec.I32(72);
        out.CyDest = rec.I32(76);
        if (offBmi < kStretchDIBitsFixed || offBits < kStretchDIBitsFixed)
            return false;
        break;
    default:
        return false;
    }
    if (out.Usage != DIB_RGB_COLORS || !ParseDib(rec, offBmi, cbBmi, offBits, cbBits, out.Dib))
        return false;
    out.HasSource = true;
    return true;
}

// ---------------------------------------------------------------------------

TEmfWriter::TEmfWriter()
{
    buf_.reserve(16 * 1024);
    Begin(EMR_HEADER);
    buf_.resize(kHeaderSize, 0);
    End(0);
}

size_t TEmfWriter::Begin(uint32_t type)
{
    const size_t start = buf_.size();
    Put32(type);
    Put32(0);
    return start;
}

void TEmfWriter::End(size_t start)
{
    while (buf_.size() % 4 != 0)
        buf_.push_back(0);
    Patch32(start + 4, static_cast<uint32_t>(buf_.size() - start));
    ++records_;
}

void TEmfWriter::Put32(uint32_t v)
{
    const uint8_t b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
    buf_.insert(buf_.end(), b, b + 4);
}

void TEmfWriter::Put16(uint16_t v)
{
    buf_.push_back(uint8_t(v));
    buf_.push_back(uint8_t(v >> 8));
}

void TEmfWriter::PutRect(const TRect &r)
{
    PutI32(r.Left);
    PutI32(r.Top);
    PutI32(r.Right);
    PutI32(r.Bottom);
}

void TEmfWriter::Patch32(size_t at, uint32_t v)
{
    buf_[at] = uint8_t(v);
    buf_[at + 1] = uint8_t(v >> 8);
    buf_[at + 2] = uint8_t(v >> 16);
    buf_[at + 3] = uint8_t(v >> 24);
}

void TEmfWriter::Record(uint32_t type, std::initializer_list<int32_t> params)
{
    const size_t start = Begin(type);
    for (int32_t p : params)
        PutI32(p);
    End(start);
}

void TEmfWriter::Poly(uint32_t type16, const TPoint *points, int count, const TRect &bounds)
{
    bool small = true;
    for (int i = 0; i < count; ++i)
        small = small && points[i].X >= INT16_MIN && points[i].X <= INT16_MAX && points[i].Y >= INT16_MIN &&
                points[i].Y <= INT16_MAX;
    const uint32_t type = small ? type16 : (type16 == EMR_POLYGON16 ? EMR_POLYGON : EMR_POLYLINE);
    const size_t start = Begin(type);
    PutRect(bounds);
    Put32(static_cast<uint32_t>(count));
    for (int i = 0; i < count; ++i) {
        if (small) {
            Put16(static_cast<uint16_t>(points[i].X));
            Put16(static_cast<uint16_t>(points[i].Y));
        } else {
            PutI32(points[i].X);
            PutI32(points[i].Y);
        }
    }
    End(start);
}

void TEmfWriter::CreateFont(uint32_t handle, const TEmrLogFont &f)
{
    const size_t start = Begin(EMR_EXTCREATEFONTINDIRECTW);
    Put32(handle);
    PutI32(f.Height);
    PutI32(f.Width);
    PutI32(f.Escapement);
    PutI32(f.Orientation);
    PutI32(f.Weight);
    for (uint8_t b : {f.Italic, f.Underline, f.StrikeOut, f.CharSet, f.OutPrecision, f.ClipPrecision,
                      f.Quality, f.PitchAndFamily})
        buf_.push_back(b);
    // Face name, then the full name (the face name again), style and script.
    auto putName = [this, &f](uint32_t units) {
        for (uint32_t i = 0; i < units; ++i)
            Put16(i + 1 < units && i < f.FaceName.size() && i + 1 < kLfFaceSize ? f.FaceName[i] : 0);
    };
    putName(kLfFaceSize);
    putName(64);
    buf_.resize(buf_.size() + 64 + 64, 0);
    Put32(DV_SIGNATURE);
    Put32(0);
    End(start);
}

void TEmfWriter::ExtTextOut(const TEmrExtTextOut &t)
{
    const size_t start = Begin(EMR_EXTTEXTOUTW);
    const uint32_t chars = static_cast<uint32_t>(t.Text.size());
    const uint32_t offDx = kTextOutFixed + ((chars * 2 + 3) & ~3u);
    PutRect(t.Bounds);
    PutI32(t.GraphicsMode);
    uint32_t bits;
    std::memcpy(&bits, &t.XScale, 4);
    Put32(bits);
    std::memcpy(&bits, &t.YScale, 4);
    Put32(bits);
    PutI32(t.Reference.X);
    PutI32(t.Reference.Y);
    Put32(chars);
    Put32(kTextOutFixed);
    Put32(t.Options);
    PutRect(t.Clip);
    Put32(t.Dx.empty() ? 0 : offDx);
    for (char16_t c : t.Text)
        Put16(c);
    while (buf_.size() % 4 != 0)
        buf_.push_back(0);
    for (size_t i = 0; i < t.Dx.size() && i < chars; ++i)
        PutI32(t.Dx[i]);
    for (size_t i = t.Dx.size(); !t.Dx.empty() && i < chars; ++i)
        PutI32(0);
    End(start);
}

void TEmfWriter::PatBlt(const TRect &bounds, const TRect &dest)
{
    const size_t start = Begin(EMR_BITBLT);
    PutRect(bounds);
    PutI32(dest.Left);
    PutI32(dest.Top);
    PutI32(dest.Width());
    PutI32(dest.Height());
    Put32(PATCOPY);
    PutI32(0);
    PutI32(0);
    const float identity[6] = {1, 0, 0, 1, 0, 0};
    for (float f : identity) {
        uint32_t bits;
        std::memcpy(&bits, &f, 4);
        Put32(bits);
    }
    for (int i = 0; i < 6; ++i) // background colour, usage, no source bitmap
        Put32(0);
    End(start);
}

void TEmfWriter::GradientFill(const TRect &bounds, const TRect &box, TColor start, TColor stop, bool vertical)
{
    const size_t begin = Begin(EMR_GRADIENTFILL);
    PutRect(bounds);
    Put32(2);
    Put32(1);
    Put32(vertical ? GRADIENT_FILL_RECT_V : GRADIENT_FILL_RECT_H);
    auto vertex = [this](int x, int y, TColor c) {
        PutI32(x);
        PutI32(y);
        Put16(uint16_t(GetRValue(c) << 8));
        Put16(uint16_t(GetGValue(c) << 8));
        Put16(uint16_t(GetBValue(c) << 8));
        Put16(0);
    };
    vertex(box.Left, box.Top, start);
    vertex(box.Right, box.Bottom, stop);
    Put32(0);
    Put32(1);
    End(begin);
}

void TEmfWriter::StretchDIBits24(const TRect &bounds, const TRect &dest, int width, int height,
                                 const std::function<void(int, uint8_t *)> &fillRow)
{
    const uint32_t stride = ((uint32_t(width) * 24 + 31) / 32) * 4;
    const uint32_t bits = stride * uint32_t(height);
    // Grow once for a large picture, with room for the records that follow,
    // and at least by half again, so that a page of many pictures is not
    // copied once per picture.
    const size_t need = buf_.size() + kStretchDIBitsFixed + kBitmapInfoHeaderSize + bits;
    if (need > buf_.capacity())
        buf_.reserve(std::max(need + 64 * 1024, buf_.capacity() + buf_.capacity() / 2));
    const size_t start = Begin(EMR_STRETCHDIBITS);
    PutRect(bounds);
    PutI32(dest.Left);
    PutI32(dest.Top);
    PutI32(0);
    PutI32(0);
    PutI32(width);
    PutI32(height);
    Put32(kStretchDIBitsFixed);
    Put32(kBitmapInfoHeaderSize);
    Put32(kStretchDIBitsFixed + kBitmapInfoHeaderSize); // no palette in 24 bits
    Put32(bits);
    Put32(DIB_RGB_COLORS);
    Put32(SRCCOPY);
    PutI32(dest.Width());
    PutI32(dest.Height());
    // BITMAPINFOHEADER
    Put32(kBitmapInfoHeaderSize);
    PutI32(width);
    PutI32(height); // bottom-up
    Put16(1);
    Put16(24);
    Put32(BI_RGB);
    Put32(bits);
    Put32(3780); // 96 pixels per inch, in pixels per metre
    Put32(3780);
    Put32(0);
    Put32(0);
    // Bottom-up: the last row first. Each row is made in a small buffer and
    // appended, so the bits are written once instead of zeroed first; the
    // row's padding stays zero.
    std::vector<uint8_t> row(stride, 0);
    for (int y = height - 1; y >= 0; --y) {
        fillRow(y, row.data());
        buf_.insert(buf_.end(), row.begin(), row.end());
    }
    End(start);
}

std::vector<uint8_t> TEmfWriter::Finish(const TRect &bounds, const TRect &frame, uint16_t handles)
{
    const size_t eof = Begin(EMR_EOF);
    Put32(0);  // no palette
    Put32(16); // where a palette would start
    Put32(kEofSize);
    End(eof);

    Patch32(8, uint32_t(bounds.Left));
    Patch32(12, uint32_t(bounds.Top));
    Patch32(16, uint32_t(bounds.Right));
    Patch32(20, uint32_t(bounds.Bottom));
    Patch32(24, uint32_t(frame.Left));
    Patch32(28, uint32_t(frame.Top));
    Patch32(32, uint32_t(frame.Right));
    Patch32(36, uint32_t(frame.Bottom));
    Patch32(40, ENHMETA_SIGNATURE);
    Patch32(44, ENHMETA_VERSION);
    Patch32(48, static_cast<uint32_t>(buf_.size()));
    Patch32(52, records_);
    Patch32(56, handles); // with the reserved 16 bits 0
    Patch32(72, kRefDeviceWidth);
    Patch32(76, kRefDeviceHeight);
    Patch32(80, kRefMillimetersWidth);
    Patch32(84, kRefMillimetersHeight);
    Patch32(100, kRefMillimetersWidth * 1000);
    Patch32(104, kRefMillimetersHeight * 1000);
    std::vector<uint8_t> out;
    out.swap(buf_);
    return out;
}

} // namespace plat::emf
