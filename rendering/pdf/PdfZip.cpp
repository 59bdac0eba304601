#include "rendering/pdf/PdfZip.h"

#include <QApplication>
#include <QMessageBox>
#include <array>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <zlib.h>

namespace {

// ---- CRC-32, eight bytes per step --------------------------------------

using TCrcTables = std::array<std::array<uint32_t, 256>, 8>;

constexpr TCrcTables MakeCrcTables()
{
    TCrcTables t{};
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        t[0][n] = c;
    }
    for (int k = 1; k < 8; ++k)
        for (uint32_t n = 0; n < 256; ++n)
            t[k][n] = t[0][t[k - 1][n] & 0xFF] ^ (t[k - 1][n] >> 8);
    return t;
}

constexpr TCrcTables kCrc = MakeCrcTables();

// ---- zlib glue -----------------------------------------------------------

voidpf ZAlloc(voidpf, uInt items, uInt size)
{
    // deflate needs no cleared memory; clearing its 256 KB of state for every
    // small content stream would cost more than compressing it.
    if (size != 0 && items > SIZE_MAX / size)
        return nullptr;
    return std::malloc(static_cast<size_t>(items) * size);
}

void ZFree(voidpf, voidpf address) { std::free(address); }

TPdfZipReporter &Reporter()
{
    static TPdfZipReporter reporter;
    return reporter;
}

void DefaultReport(const std::string &caption, const std::string &text)
{
    if (qobject_cast<QApplication *>(QCoreApplication::instance()) && !std::getenv("ZIBOR_TEST"))
        QMessageBox::critical(nullptr, QString::fromStdString(caption), QString::fromStdString(text));
    else
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
}

int ZlibDeflate(void *strm, int flush) { return ::deflate(static_cast<z_streamp>(strm), flush); }

TDeflateCall &DeflateCall()
{
    static TDeflateCall call = ZlibDeflate;
    return call;
}

// Ends deflate however the compression loop is left.
struct TDeflateEnd {
    z_stream *strm;
    ~TDeflateEnd() { deflateEnd(strm); }
};

constexpr int kChunk = 65536;

} // namespace

TPdfZipReporter SetPdfZipReporter(TPdfZipReporter reporter)
{
    TPdfZipReporter old = std::move(Reporter());
    Reporter() = std::move(reporter);
    return old;
}

TDeflateCall SetDeflateCall(TDeflateCall call)
{
    const TDeflateCall old = DeflateCall();
    DeflateCall() = call ? call : ZlibDeflate;
    return old;
}

int PdfZipCheck(int result)
{
    if (result == Z_OK || result == Z_STREAM_END || result == Z_BUF_ERROR)
        return result;
    if (result == Z_MEM_ERROR)
        throw plat::EOutOfMemory("Out of memory");
    const std::string text = std::to_string(result);
    if (Reporter())
        Reporter()("PdfZip", text);
    else
        DefaultReport("PdfZip", text);
    return result;
}

int64_t CompressMem(const void *source, int64_t length, plat::TStream &destination,
                    bool zlibFormat, int level, bool *complete)
{
    if (complete)
        *complete = false;
    if (length < 0 || static_cast<uint64_t>(length) > std::numeric_limits<uInt>::max())
        return 0;
    unsigned char out[kChunk];
    z_stream strm;
    std::memset(&strm, 0, sizeof strm);
    strm.zalloc = ZAlloc;
    strm.zfree = ZFree;
    strm.next_in = static_cast<Bytef *>(const_cast<void *>(source));
    strm.avail_in = static_cast<uInt>(length);
    strm.next_out = out;
    strm.avail_out = kChunk;
    if (deflateInit2(&strm, level, Z_DEFLATED, zlibFormat ? MAX_WBITS : -MAX_WBITS, 8,
                     Z_DEFAULT_STRATEGY) < 0)
        return 0;
    const TDeflateEnd end{&strm};
    int rc;
    for (;;) {
        const uLong outBefore = strm.total_out;
        const uInt inBefore = strm.avail_in;
        rc = PdfZipCheck(DeflateCall()(&strm, Z_FINISH));
        destination.WriteBuffer(out, kChunk - strm.avail_out);
        strm.next_out = out;
        strm.avail_out = kChunk;
        if (rc != Z_OK && rc != Z_BUF_ERROR)
            break;
        // A buffer error that moved nothing would repeat for ever.
        if (rc == Z_BUF_ERROR && strm.total_out == outBefore && strm.avail_in == inBefore)
            break;
    }
    if (complete)
        *complete = rc == Z_STREAM_END;
    return static_cast<int64_t>(strm.total_out);
}

uint32_t Adler32(uint32_t adler, const void *buffer, int64_t length)
{
    if (!buffer)
        return 1;
    constexpr uint32_t kBase = 65521;
    constexpr int64_t kBlock = 5552;  // largest n with 255n(n+1)/2 + (n+1)(BASE-1) < 2^32
    const auto *p = static_cast<const uint8_t *>(buffer);
    uint32_t s1 = adler & 0xFFFF, s2 = adler >> 16;
    while (length > 0) {
        int64_t n = std::min(length, kBlock);
        length -= n;
        for (; n >= 16; n -= 16, p += 16)
            for (int i = 0; i < 16; ++i) {
                s1 += p[i];
                s2 += s1;
            }
        for (; n > 0; --n) {
            s1 += *p++;
            s2 += s1;
        }
        s1 %= kBase;
        s2 %= kBase;
    }
    return (s2 << 16) | s1;
}

uint32_t Crc32(uint32_t crc, const void *buffer, int64_t length)
{
    if (!buffer || length <= 0)
        return crc;
    const auto *p = static_cast<const uint8_t *>(buffer);
    uint32_t c = ~crc;
    while (length > 0 && reinterpret_cast<uintptr_t>(p) % 4 != 0) {
        c = kCrc[0][(c ^ *p++) & 0xFF] ^ (c >> 8);
        --length;
    }
    for (; length >= 8; length -= 8, p += 8) {
        const uint32_t lo = c ^ (uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 |
                                 uint32_t(p[3]) << 24);
        c = kCrc[7][lo & 0xFF] ^ kCrc[6][(lo >> 8) & 0xFF] ^ kCrc[5][(lo >> 16) & 0xFF] ^
            kCrc[4][lo >> 24] ^ kCrc[3][p[4]] ^ kCrc[2][p[5]] ^ kCrc[1][p[6]] ^ kCrc[0][p[7]];
    }
    for (; length > 0; --length)
        c = kCrc[0][(c ^ *p++) & 0xFF] ^ (c >> 8);
    return ~c;
}
