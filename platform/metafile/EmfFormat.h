#pragma once
// Record numbers, fixed record sizes and constants of the enhanced-metafile
// format. Every integer is little-endian; every record is a whole number of
// 32-bit words and starts with its type and its size in bytes.
#include <cstdint>

namespace plat::emf {

// Record types.
enum : uint32_t {
    EMR_HEADER = 1,
    EMR_POLYGON = 3,
    EMR_POLYLINE = 4,
    EMR_SETWINDOWEXTEX = 9,
    EMR_SETWINDOWORGEX = 10,
    EMR_SETVIEWPORTEXTEX = 11,
    EMR_SETVIEWPORTORGEX = 12,
    EMR_EOF = 14,
    EMR_SETPIXELV = 15,
    EMR_SETMAPMODE = 17,
    EMR_SETBKMODE = 18,
    EMR_SETPOLYFILLMODE = 19,
    EMR_SETSTRETCHBLTMODE = 21,
    EMR_SETTEXTALIGN = 22,
    EMR_SETTEXTCOLOR = 24,
    EMR_SETBKCOLOR = 25,
    EMR_MOVETOEX = 27,
    EMR_EXCLUDECLIPRECT = 29,
    EMR_INTERSECTCLIPRECT = 30,
    EMR_SAVEDC = 33,
    EMR_RESTOREDC = 34,
    EMR_SETWORLDTRANSFORM = 35,
    EMR_SELECTOBJECT = 37,
    EMR_CREATEPEN = 38,
    EMR_CREATEBRUSHINDIRECT = 39,
    EMR_DELETEOBJECT = 40,
    EMR_ELLIPSE = 42,
    EMR_RECTANGLE = 43,
    EMR_ROUNDRECT = 44,
    EMR_LINETO = 54,
    EMR_EXTSELECTCLIPRGN = 75,
    EMR_BITBLT = 76,
    EMR_STRETCHBLT = 77,
    EMR_STRETCHDIBITS = 81,
    EMR_EXTCREATEFONTINDIRECTW = 82,
    EMR_EXTTEXTOUTW = 84,
    EMR_POLYGON16 = 86,
    EMR_POLYLINE16 = 87,
    EMR_GRADIENTFILL = 118,
};

// Header.
constexpr uint32_t ENHMETA_SIGNATURE = 0x464D4520; // " EMF"
constexpr uint32_t ENHMETA_VERSION = 0x00010000;
constexpr uint32_t kHeaderMinSize = 88;  // up to szlMillimeters
constexpr uint32_t kHeaderSize = 108;    // with the pixel-format and micrometre extensions
constexpr uint32_t kEofSize = 20;

// Fixed parts of the variable-length records.
constexpr uint32_t kPolyFixed = 28;          // bounds, count
constexpr uint32_t kTextOutFixed = 76;       // bounds, mode, scales, EMRTEXT
constexpr uint32_t kBitBltFixed = 100;
constexpr uint32_t kStretchBltFixed = 108;
constexpr uint32_t kStretchDIBitsFixed = 80;
constexpr uint32_t kGradientFillFixed = 36;   // bounds, counts, mode
constexpr uint32_t kLogFontSize = 92;        // LOGFONTW
constexpr uint32_t kFontRecordSize = 368;    // ENUMLOGFONTEXDV with an empty design vector
constexpr uint32_t kBitmapInfoHeaderSize = 40;
constexpr uint32_t kLfFaceSize = 32;         // UTF-16 units of the face name

// The reference device of every recorded page: 96 pixels per inch exactly.
constexpr int kRefDeviceWidth = 1920, kRefDeviceHeight = 1440;   // pixels
constexpr int kRefMillimetersWidth = 508, kRefMillimetersHeight = 381;
constexpr int kRefPixelsPerInch = 96;

// Limits for pages read from outside.
constexpr uint32_t kMaxPageBytes = 64u * 1024 * 1024;
constexpr int64_t kMaxDibPixels = int64_t(1) << 24;
constexpr int kMaxSavedStates = 64;

// Mapping modes.
constexpr int MM_TEXT = 1, MM_ANISOTROPIC = 8;
// Background modes.
constexpr int TRANSPARENT = 1, OPAQUE = 2;
// Stretch modes.
constexpr int COLORONCOLOR = 3;
// Raster operations.
constexpr uint32_t SRCCOPY = 0x00CC0020, PATCOPY = 0x00F00021;
constexpr uint32_t DIB_RGB_COLORS = 0;
constexpr uint32_t BI_RGB = 0;
// Pen and brush styles.
constexpr uint32_t PS_SOLID = 0, PS_DASH = 1, PS_DOT = 2, PS_DASHDOT = 3, PS_DASHDOTDOT = 4,
                   PS_NULL = 5, PS_INSIDEFRAME = 6, PS_STYLE_MASK = 0x0F;
constexpr uint32_t BS_SOLID = 0, BS_NULL = 1, BS_HATCHED = 2;
// Stock objects, selected with the high bit set.
constexpr uint32_t ENHMETA_STOCK_OBJECT = 0x80000000u;
constexpr uint32_t WHITE_BRUSH = 0, LTGRAY_BRUSH = 1, GRAY_BRUSH = 2, DKGRAY_BRUSH = 3,
                   BLACK_BRUSH = 4, NULL_BRUSH = 5, WHITE_PEN = 6, BLACK_PEN = 7, NULL_PEN = 8,
                   SYSTEM_FONT = 13, DEVICE_DEFAULT_FONT = 14, DEFAULT_GUI_FONT = 17,
                   LAST_STOCK_OBJECT = 19;
// Text output.
constexpr uint32_t ETO_OPAQUE = 0x0002, ETO_CLIPPED = 0x0004, ETO_GLYPH_INDEX = 0x0010,
                   ETO_RTLREADING = 0x0080, ETO_PDY = 0x2000;
constexpr uint32_t TA_NOUPDATECP = 0, TA_UPDATECP = 1, TA_LEFT = 0, TA_RIGHT = 2, TA_CENTER = 6,
                   TA_TOP = 0, TA_BOTTOM = 8, TA_BASELINE = 24;
constexpr int GM_COMPATIBLE = 1;
// Fonts.
constexpr int FW_NORMAL = 400, FW_BOLD = 700;
constexpr uint8_t DEFAULT_CHARSET = 1, OUT_DEFAULT_PRECIS = 0, CLIP_DEFAULT_PRECIS = 0,
                  DEFAULT_QUALITY = 0, DEFAULT_PITCH = 0;
constexpr uint32_t DV_SIGNATURE = 0x08007664;
// Gradient fills.
constexpr uint32_t GRADIENT_FILL_RECT_H = 0, GRADIENT_FILL_RECT_V = 1, GRADIENT_FILL_TRIANGLE = 2;
// Clip regions.
constexpr int RGN_AND = 1, RGN_OR = 2, RGN_XOR = 3, RGN_DIFF = 4, RGN_COPY = 5;

} // namespace plat::emf
