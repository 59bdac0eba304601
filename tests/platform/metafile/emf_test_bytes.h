#pragma once
// Byte access to recorded pages for the metafile tests.
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

namespace emftest {

inline uint32_t Get32(const std::vector<uint8_t> &b, size_t at)
{
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

inline void Set32(std::vector<uint8_t> &b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = uint8_t(v >> (8 * i));
}

// Byte offset of the n-th record of a type, walking the sizes.
inline size_t FindRecord(const std::vector<uint8_t> &b, uint32_t type, int n = 0)
{
    for (size_t pos = 0; pos + 8 <= b.size();) {
        const uint32_t size = Get32(b, pos + 4);
        if (Get32(b, pos) == type && n-- == 0)
            return pos;
        if (size < 8)
            break;
        pos += size;
    }
    ADD_FAILURE() << "no record of type " << type;
    return 0;
}

} // namespace emftest
