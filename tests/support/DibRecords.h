#pragma once
// Hand-made bitmap records for tests: a record of whole words appended to a
// page, and a STRETCHDIBITS record of any bit count with its palette and
// pixel rows given as words.
#include "platform/core/Types.h"
#include "platform/metafile/EmfRecords.h"

#include <cstdint>
#include <vector>

namespace zibor::test {

inline void Put32(std::vector<uint8_t> &b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + size_t(i)] = uint8_t(v >> (8 * i));
}

inline uint32_t Get32(const std::vector<uint8_t> &b, size_t at)
{
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

// Appends a record of whole words before the page's EMR_EOF.
inline void InsertRecord(std::vector<uint8_t> &page, uint32_t type, const std::vector<int32_t> &params)
{
    std::vector<uint8_t> rec(8 + 4 * params.size());
    Put32(rec, 0, type);
    Put32(rec, 4, uint32_t(rec.size()));
    for (size_t i = 0; i < params.size(); ++i)
        Put32(rec, 8 + 4 * i, uint32_t(params[i]));
    page.insert(page.end() - plat::emf::kEofSize, rec.begin(), rec.end());
    Put32(page, 48, Get32(page, 48) + uint32_t(rec.size()));
    Put32(page, 52, Get32(page, 52) + 1);
}

// A STRETCHDIBITS record of a bottom-up bitmap whose palette and pixel rows
// are given as 32-bit words.
inline void StretchDib(std::vector<uint8_t> &page, int bitCount, int width, int height,
                       const std::vector<int32_t> &palette, const std::vector<int32_t> &bits, plat::TRect source,
                       plat::TRect dest)
{
    const int32_t infoSize = 40 + 4 * int32_t(palette.size()), bitsSize = 4 * int32_t(bits.size());
    std::vector<int32_t> p = {dest.Left, dest.Top, dest.Right, dest.Bottom, dest.Left, dest.Top, source.Left,
                              source.Top, source.Width(), source.Height(), 80, infoSize, 80 + infoSize, bitsSize, 0,
                              int32_t(plat::emf::SRCCOPY), dest.Width(), dest.Height(),
                              40, width, height, 1 | (bitCount << 16), 0, bitsSize, 0, 0, int32_t(palette.size()), 0};
    p.insert(p.end(), palette.begin(), palette.end());
    p.insert(p.end(), bits.begin(), bits.end());
    InsertRecord(page, plat::emf::EMR_STRETCHDIBITS, p);
}

} // namespace zibor::test
