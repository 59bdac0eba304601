#include "rendering/pdf/PdfZip.h"

#include "platform/core/HelperThread.h"

#include <QApplication>
#include <QMessageBox>
#include <algorithm>
#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <list>
#include <mutex>
#include <new>
#include <string_view>
#include <thread>
#include <vector>
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

// deflate's state is some 256 KB in five blocks, asked for and given back for
// every stream. Handing those blocks straight back to the heap lets it shrink
// and grow again each time, which costs more than compressing a page's
// content; so the last blocks given back are kept for the next stream.
class TBlockCache {
public:
    ~TBlockCache()
    {
        for (const TBlock &b : blocks_)
            std::free(b.address);
    }
    void *Take(size_t size)
    {
        for (size_t i = 0; i < count_; ++i)
            if (blocks_[i].size == size) {
                void *address = blocks_[i].address;
                blocks_[i] = blocks_[--count_];
                blocks_[count_] = {};
                return address;
            }
        return std::malloc(size);
    }
    void Give(void *address, size_t size)
    {
        if (count_ == kKept) {
            std::free(address);
            return;
        }
        blocks_[count_++] = {address, size};
    }

private:
    struct TBlock {
        void *address = nullptr;
        size_t size = 0;
    };
    static constexpr size_t kKept = 8;
    std::array<TBlock, kKept> blocks_{};
    size_t count_ = 0;
};

thread_local TBlockCache blockCache;

// deflate needs no cleared memory. Each block carries its size in front, so
// that it can be kept by size when it is freed.
constexpr size_t kHeader = alignof(std::max_align_t);

voidpf ZAlloc(voidpf, uInt items, uInt size)
{
    if (size != 0 && items > (SIZE_MAX - kHeader) / size)
        return nullptr;
    const size_t bytes = static_cast<size_t>(items) * size;
    auto *block = static_cast<unsigned char *>(blockCache.Take(bytes + kHeader));
    if (!block)
        return nullptr;
    std::memcpy(block, &bytes, sizeof bytes);
    return block + kHeader;
}

void ZFree(voidpf, voidpf address)
{
    if (!address)
        return;
    auto *block = static_cast<unsigned char *>(address) - kHeader;
    size_t bytes;
    std::memcpy(&bytes, block, sizeof bytes);
    blockCache.Give(block, bytes + kHeader);
}

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

// Read by the compression helper too.
std::atomic<TDeflateCall> &DeflateCall()
{
    static std::atomic<TDeflateCall> call{ZlibDeflate};
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
    return DeflateCall().exchange(call ? call : ZlibDeflate);
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
        rc = PdfZipCheck(DeflateCall().load()(&strm, Z_FINISH));
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

namespace {

struct TKeptCompression {
    int level = 0;
    uint64_t hash = 0;
    std::vector<uint8_t> source, packed;
};

// A block that is being compressed now, by the helper or by an export.
struct TRunningCompression {
    int level = 0;
    uint64_t hash = 0;
    size_t length = 0;
    bool operator==(const TRunningCompression &) const = default;
};

// The most recently used first. The helper thread is made on the first job
// and ends with the keep, after the job it runs.
struct TCompressionKeep {
    static constexpr size_t kEntries = 8;
    static constexpr size_t kBytes = size_t(64) << 20;  // sources and results together
    std::mutex lock;
    std::condition_variable changed;  // a block finished, a job came or ended
    std::list<TKeptCompression> entries;
    std::vector<TRunningCompression> running;
    size_t bytes = 0;
    uint64_t reused = 0;
    std::list<std::function<void()>> jobs;
    bool helperBusy = false, stopping = false;
    std::function<void()> beforeJob;
    std::thread helper;

    ~TCompressionKeep()
    {
        {
            const std::lock_guard<std::mutex> guard(lock);
            stopping = true;
            jobs.clear();
        }
        changed.notify_all();
        if (helper.joinable())
            helper.join();
    }
    void RunHelper()
    {
        std::unique_lock<std::mutex> guard(lock);
        for (;;) {
            changed.wait(guard, [this] { return stopping || !jobs.empty(); });
            if (stopping)
                return;
            std::function<void()> job = std::move(jobs.front());
            jobs.pop_front();
            const std::function<void()> before = beforeJob;
            helperBusy = true;
            guard.unlock();
            // A helper that fails leaves the work to the export.
            try {
                if (before)
                    before();
                job();
            } catch (...) {
            }
            job = nullptr;
            guard.lock();
            helperBusy = false;
            changed.notify_all();
        }
    }
};

void NoKeepHook(TKeepAllocation) {}

// Read by the compression helper too.
std::atomic<TKeepAllocationHook> &KeepAllocationHook()
{
    static std::atomic<TKeepAllocationHook> hook{NoKeepHook};
    return hook;
}

TCompressionKeep &Keep()
{
    static TCompressionKeep keep;
    return keep;
}

} // namespace

int64_t CompressMemReused(const void *source, int64_t length, plat::TStream &destination, int level,
                          bool *complete)
{
    if (DeflateCall().load() != ZlibDeflate || length <= 0 || !source)
        return CompressMem(source, length, destination, true, level, complete);
    const auto *bytes = static_cast<const uint8_t *>(source);
    const uint64_t hash = std::hash<std::string_view>{}(
        std::string_view(reinterpret_cast<const char *>(bytes), static_cast<size_t>(length)));
    const TRunningCompression mine{level, hash, size_t(length)};
    TCompressionKeep &keep = Keep();
    {
        std::unique_lock<std::mutex> guard(keep.lock);
        for (;;) {
            for (auto it = keep.entries.begin(); it != keep.entries.end(); ++it) {
                if (it->level != level || it->hash != hash || it->source.size() != size_t(length) ||
                    std::memcmp(it->source.data(), bytes, size_t(length)) != 0)
                    continue;
                keep.entries.splice(keep.entries.begin(), keep.entries, it);
                ++keep.reused;
                const std::vector<uint8_t> &packed = keep.entries.front().packed;
                destination.WriteBuffer(packed.data(), int64_t(packed.size()));
                if (complete)
                    *complete = true;
                return int64_t(packed.size());
            }
            // Most likely the same block under way elsewhere: its result
            // comes sooner than one started now. When it does not come (a
            // failure, other bytes of the same hash), it is compressed here.
            if (std::find(keep.running.begin(), keep.running.end(), mine) == keep.running.end())
                break;
            keep.changed.wait(guard, [&] {
                return std::find(keep.running.begin(), keep.running.end(), mine) == keep.running.end();
            });
            if (std::find_if(keep.entries.begin(), keep.entries.end(), [&](const TKeptCompression &e) {
                    return e.level == level && e.hash == hash;
                }) == keep.entries.end())
                break;
        }
        keep.running.push_back(mine);
    }
    struct TDone {
        TCompressionKeep &keep;
        const TRunningCompression &mine;
        ~TDone()
        {
            {
                const std::lock_guard<std::mutex> guard(keep.lock);
                keep.running.erase(std::find(keep.running.begin(), keep.running.end(), mine));
            }
            keep.changed.notify_all();
        }
    } done{keep, mine};
    // What is kept is a hint: without memory for the work buffer the block
    // is compressed straight into the destination, without memory for the
    // copy kept it is only not kept; neither fails the caller.
    plat::TMemoryStream packed;
    bool finished = false;
    int64_t written = 0;
    try {
        KeepAllocationHook().load()(kWorkBuffer);
        written = CompressMem(source, length, packed, true, level, &finished);
    } catch (const std::bad_alloc &) {
        return CompressMem(source, length, destination, true, level, complete);
    }
    destination.WriteBuffer(packed.Memory(), packed.Size());
    if (complete)
        *complete = finished;
    const size_t cost = size_t(length) + size_t(packed.Size());
    if (!finished || cost > TCompressionKeep::kBytes / 2)
        return written;
    try {
        KeepAllocationHook().load()(kKeptCopy);
        std::list<TKeptCompression> kept;
        kept.push_back({level, hash, std::vector<uint8_t>(bytes, bytes + length), packed.Bytes()});
        const std::lock_guard<std::mutex> guard(keep.lock);
        keep.entries.splice(keep.entries.begin(), kept);
        keep.bytes += cost;
        while (keep.entries.size() > TCompressionKeep::kEntries || keep.bytes > TCompressionKeep::kBytes) {
            keep.bytes -= keep.entries.back().source.size() + keep.entries.back().packed.size();
            keep.entries.pop_back();
        }
    } catch (const std::bad_alloc &) {
    }
    return written;
}

void SetKeepAllocationHook(TKeepAllocationHook hook) { KeepAllocationHook() = hook ? hook : NoKeepHook; }

bool CompressAhead(std::function<void()> job)
{
    TCompressionKeep &keep = Keep();
    {
        const std::lock_guard<std::mutex> guard(keep.lock);
        if (keep.stopping)
            return false;
        if (!keep.helper.joinable()) {
            keep.helper = plat::StartHelperThread([&keep] { keep.RunHelper(); });
            if (!keep.helper.joinable())
                return false;
        }
        keep.jobs.push_back(std::move(job));
    }
    keep.changed.notify_all();
    return true;
}

void WaitForCompressionAhead()
{
    TCompressionKeep &keep = Keep();
    std::unique_lock<std::mutex> guard(keep.lock);
    keep.changed.wait(guard, [&] { return keep.jobs.empty() && !keep.helperBusy; });
}

void SetBeforeCompressionAhead(std::function<void()> hook)
{
    TCompressionKeep &keep = Keep();
    const std::lock_guard<std::mutex> guard(keep.lock);
    keep.beforeJob = std::move(hook);
}

void ForgetReusedCompression()
{
    TCompressionKeep &keep = Keep();
    const std::lock_guard<std::mutex> guard(keep.lock);
    keep.entries.clear();
    keep.bytes = 0;
}

uint64_t ReusedCompressions()
{
    TCompressionKeep &keep = Keep();
    const std::lock_guard<std::mutex> guard(keep.lock);
    return keep.reused;
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
