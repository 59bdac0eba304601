#include "PdfTestSupport.h"

#include <gtest/gtest.h>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <new>
#include <optional>
#include <random>
#include <string>
#include <vector>

using pdftest::Bytes;
using pdftest::Inflate;
using pdftest::TDeflateGuard;
using pdftest::TReporterGuard;
using pdftest::FailingDeflate;
using pdftest::THelperGate;

namespace {

std::string RandomBlock(size_t size, unsigned seed)
{
    std::mt19937 gen(seed);
    std::string s(size, '\0');
    for (auto &c : s)
        c = static_cast<char>(gen() & 0xFF);
    return s;
}

// Records each write, to see how the output was cut up.
class TRecordingStream : public plat::TMemoryStream {
public:
    int64_t Write(const void *buffer, int64_t count) override
    {
        writes.push_back(count);
        return plat::TMemoryStream::Write(buffer, count);
    }
    std::vector<int64_t> writes;
};

} // namespace

TEST(PdfChecksums, PublishedCheckValues)
{
    const char text[] = "123456789";
    EXPECT_EQ(Crc32(0, text, 9), 0xCBF43926u);
    EXPECT_EQ(Adler32(1, text, 9), 0x091E01DEu);
}

TEST(PdfChecksums, MissingBufferAndEmptyLength)
{
    EXPECT_EQ(Adler32(12345, nullptr, 10), 1u);
    EXPECT_EQ(Adler32(12345, "x", 0), 12345u);
    EXPECT_EQ(Crc32(12345, nullptr, 10), 12345u);
    EXPECT_EQ(Crc32(12345, "x", 0), 12345u);
}

// The eight-byte steps and the 5552-byte blocks must not change the result:
// every start alignment and lengths around the block and step boundaries,
// against zlib's own routines, and in running pieces.
TEST(PdfChecksums, AgreeWithZlibAcrossAlignmentsAndBlockEdges)
{
    const std::string data = RandomBlock(3 * 5552 + 64, 7);
    const auto *bytes = reinterpret_cast<const Bytef *>(data.data());
    for (size_t offset = 0; offset < 8; ++offset)
        for (const size_t len : {1, 3, 7, 8, 9, 15, 16, 17, 5551, 5552, 5553, 11104, 3 * 5552 + 7}) {
            SCOPED_TRACE(testing::Message() << "offset " << offset << " length " << len);
            EXPECT_EQ(Crc32(0, bytes + offset, len), crc32(0, bytes + offset, static_cast<uInt>(len)));
            EXPECT_EQ(Adler32(1, bytes + offset, len), adler32(1, bytes + offset, static_cast<uInt>(len)));
        }
    // Adler-32 of all 0xFF bytes is the case that overflows when the sums are
    // reduced too late.
    const std::string ones(20000, '\xFF');
    EXPECT_EQ(Adler32(1, ones.data(), ones.size()),
              adler32(1, reinterpret_cast<const Bytef *>(ones.data()), static_cast<uInt>(ones.size())));
    const uint32_t crcWhole = Crc32(0, data.data(), 1000);
    EXPECT_EQ(Crc32(Crc32(0, data.data(), 333), data.data() + 333, 667), crcWhole);
    const uint32_t adlerWhole = Adler32(1, data.data(), 1000);
    EXPECT_EQ(Adler32(Adler32(1, data.data(), 333), data.data() + 333, 667), adlerWhole);
}

TEST(PdfCompressMem, EmptyBlockIsTheEightByteEmptyZlibStream)
{
    THeapMemoryStream out;
    bool complete = false;
    const int64_t n = CompressMem("", 0, out, true, 7, &complete);
    EXPECT_TRUE(complete);
    ASSERT_EQ(n, 8);
    EXPECT_EQ(Bytes(out), std::string("\x78\xDA\x03\x00\x00\x00\x00\x01", 8));
}

TEST(PdfCompressMem, RandomBlockOf200KBInflatesBackAndIsWrittenInOrderedChunks)
{
    const std::string data = RandomBlock(200 * 1024, 42);
    TRecordingStream out;
    bool complete = false;
    const int64_t n = CompressMem(data.data(), static_cast<int64_t>(data.size()), out, true, 7, &complete);
    EXPECT_TRUE(complete);
    ASSERT_EQ(n, out.Size());
    const std::string packed(reinterpret_cast<const char *>(out.Memory()), static_cast<size_t>(out.Size()));
    // Level 7 in zlib format: deflate, 32 KB window, "maximum" level flag.
    EXPECT_EQ(static_cast<uint8_t>(packed[0]), 0x78);
    EXPECT_EQ(static_cast<uint8_t>(packed[1]), 0xDA);
    EXPECT_EQ(Inflate(packed), data);
    // Random data does not shrink, so the 64 KB buffer had to be emptied
    // several times; every full chunk is exactly one buffer.
    ASSERT_GE(out.writes.size(), 4u);
    for (size_t i = 0; i + 1 < out.writes.size(); ++i)
        EXPECT_EQ(out.writes[i], 65536);
}

TEST(PdfCompressMem, RawDeflateHasNoHeaderAndInflatesBack)
{
    const std::string data(5000, 'a');
    THeapMemoryStream out;
    CompressMem(data.data(), 5000, out, false, 7);
    z_stream s{};
    inflateInit2(&s, -MAX_WBITS);
    std::string back(6000, '\0');
    s.next_in = out.Memory();
    s.avail_in = static_cast<uInt>(out.Size());
    s.next_out = reinterpret_cast<Bytef *>(back.data());
    s.avail_out = static_cast<uInt>(back.size());
    EXPECT_EQ(inflate(&s, Z_FINISH), Z_STREAM_END);
    back.resize(s.total_out);
    inflateEnd(&s);
    EXPECT_EQ(back, data);
}

TEST(PdfCompressMem, FailedInitialisationWritesNothing)
{
    THeapMemoryStream out;
    bool complete = true;
    EXPECT_EQ(CompressMem("abc", 3, out, true, 42, &complete), 0);
    EXPECT_FALSE(complete);
    EXPECT_EQ(out.Size(), 0);
}

TEST(PdfZipCheck, AcceptedResultsPassSilentlyOthersAreReported)
{
    TReporterGuard guard;
    for (const int ok : {Z_OK, Z_STREAM_END, Z_BUF_ERROR})
        EXPECT_EQ(PdfZipCheck(ok), ok);
    EXPECT_TRUE(guard.reports.empty());
    EXPECT_EQ(PdfZipCheck(Z_DATA_ERROR), Z_DATA_ERROR);
    EXPECT_EQ(PdfZipCheck(Z_STREAM_ERROR), Z_STREAM_ERROR);
    EXPECT_EQ(guard.reports, (std::vector<std::string>{"PdfZip: -3", "PdfZip: -2"}));
    EXPECT_THROW(PdfZipCheck(Z_MEM_ERROR), plat::EOutOfMemory);
}

TEST(PdfCompressMem, FailureHalfWayIsReportedAndNotComplete)
{
    TReporterGuard reports;
    TDeflateGuard failing(FailingDeflate);
    const std::string data = RandomBlock(10000, 3);
    THeapMemoryStream out;
    bool complete = true;
    CompressMem(data.data(), 10000, out, true, 7, &complete);
    EXPECT_FALSE(complete);
    EXPECT_EQ(reports.reports, std::vector<std::string>{"PdfZip: -3"});
}

TEST(PdfCompressMemReused, TheSameBytesGiveTheKeptResultAndOtherBytesTheirOwn)
{
    ForgetReusedCompression();
    const std::string a = RandomBlock(50000, 11);
    std::string b = a;
    b[49999] = static_cast<char>(b[49999] ^ 1);  // same length, one byte apart
    auto compress = [](const std::string &data, int level) {
        THeapMemoryStream out;
        bool complete = false;
        CompressMemReused(data.data(), int64_t(data.size()), out, level, &complete);
        EXPECT_TRUE(complete);
        return std::string(reinterpret_cast<const char *>(out.Memory()), size_t(out.Size()));
    };
    auto plain = [](const std::string &data, int level) {
        THeapMemoryStream out;
        CompressMem(data.data(), int64_t(data.size()), out, true, level);
        return std::string(reinterpret_cast<const char *>(out.Memory()), size_t(out.Size()));
    };
    const uint64_t start = ReusedCompressions();
    EXPECT_EQ(compress(a, 7), plain(a, 7));
    EXPECT_EQ(ReusedCompressions(), start);
    EXPECT_EQ(compress(a, 7), plain(a, 7));
    EXPECT_EQ(ReusedCompressions(), start + 1);
    // Another block of the same length, and the same block at another level,
    // are compressed afresh.
    EXPECT_EQ(compress(b, 7), plain(b, 7));
    EXPECT_EQ(compress(a, 1), plain(a, 1));
    EXPECT_EQ(ReusedCompressions(), start + 1);
    EXPECT_EQ(Inflate(compress(b, 7)), b);
    EXPECT_EQ(ReusedCompressions(), start + 2);
}

TEST(PdfCompressMemReused, ASimulatedDeflateAlwaysRuns)
{
    ForgetReusedCompression();
    const std::string data = RandomBlock(10000, 5);
    THeapMemoryStream first;
    CompressMemReused(data.data(), 10000, first, 7);
    TReporterGuard reports;
    TDeflateGuard failing(FailingDeflate);
    THeapMemoryStream out;
    bool complete = true;
    CompressMemReused(data.data(), 10000, out, 7, &complete);
    EXPECT_FALSE(complete);
    EXPECT_EQ(reports.reports, std::vector<std::string>{"PdfZip: -3"});
}

namespace {

std::string Packed(const std::string &data, bool reused)
{
    THeapMemoryStream out;
    bool complete = false;
    if (reused)
        CompressMemReused(data.data(), int64_t(data.size()), out, 7, &complete);
    else
        complete = CompressMem(data.data(), int64_t(data.size()), out, true, 7) >= 0;
    EXPECT_TRUE(complete);
    return std::string(reinterpret_cast<const char *>(out.Memory()), size_t(out.Size()));
}

std::function<void()> CompressJob(const std::string &data)
{
    return [data] {
        THeapMemoryStream sink;
        CompressMemReused(data.data(), int64_t(data.size()), sink, 7);
    };
}

} // namespace

TEST(PdfCompressAhead, ABlockCompressedAheadIsReusedWithTheSameBytes)
{
    ForgetReusedCompression();
    const std::string data = RandomBlock(300000, 21);
    const std::string plain = Packed(data, false);
    ASSERT_TRUE(CompressAhead(CompressJob(data)));
    WaitForCompressionAhead();
    const uint64_t start = ReusedCompressions();
    EXPECT_EQ(Packed(data, true), plain);
    EXPECT_EQ(ReusedCompressions(), start + 1);
}

// Not started (slow) or failed: the block is compressed where it is asked
// for, with the same result, and a later job still runs.
TEST(PdfCompressAhead, ASlowOrFailedHelperLeavesTheBlockToTheCaller)
{
    const std::string data = RandomBlock(200000, 22);
    const std::string plain = Packed(data, false);
    for (const bool fails : {false, true}) {
        SCOPED_TRACE(fails ? "failed" : "slow");
        ForgetReusedCompression();
        if (fails)
            SetBeforeCompressionAhead([] { throw std::bad_alloc(); });
        std::optional<THelperGate> gate;
        if (!fails)
            gate.emplace();
        ASSERT_TRUE(CompressAhead(CompressJob(data)));
        if (fails)
            WaitForCompressionAhead();
        else
            gate->WaitReached();
        const uint64_t start = ReusedCompressions();
        EXPECT_EQ(Packed(data, true), plain);
        EXPECT_EQ(ReusedCompressions(), start);
        gate.reset();
        SetBeforeCompressionAhead(nullptr);
        // The helper compresses the next job.
        ForgetReusedCompression();
        const uint64_t later = ReusedCompressions();
        ASSERT_TRUE(CompressAhead(CompressJob(data)));
        WaitForCompressionAhead();
        EXPECT_EQ(Packed(data, true), plain);
        EXPECT_EQ(ReusedCompressions(), later + 1);
    }
}

// The helper and the caller ask for the same block at once: whichever comes
// second waits for the first and reuses its result, so the block is
// compressed once.
TEST(PdfCompressAhead, ABlockUnderWayIsWaitedForAndCompressedOnce)
{
    ForgetReusedCompression();
    const std::string data = RandomBlock(2000000, 23);
    const std::string plain = Packed(data, false);
    const uint64_t start = ReusedCompressions();
    {
        THelperGate gate;
        ASSERT_TRUE(CompressAhead(CompressJob(data)));
        gate.WaitReached();
        gate.Open();
        EXPECT_EQ(Packed(data, true), plain);
    }
    EXPECT_EQ(ReusedCompressions(), start + 1);
}

// The keep's memory runs out, for the buffer a block is compressed into or
// for the copy kept: the caller gets the block compressed all the same, and
// only what could not be kept is not reused.
TEST(PdfCompressMemReused, NoMemoryForTheKeepStillGivesTheBlock)
{
    const std::string data = RandomBlock(300000, 24);
    const std::string plain = Packed(data, false);
    static TKeepAllocation failing;
    for (const TKeepAllocation step : {kWorkBuffer, kKeptCopy}) {
        SCOPED_TRACE(step == kWorkBuffer ? "work buffer" : "kept copy");
        ForgetReusedCompression();
        failing = step;
        SetKeepAllocationHook([](TKeepAllocation at) {
            if (at == failing)
                throw std::bad_alloc();
        });
        std::string first;
        EXPECT_NO_THROW(first = Packed(data, true));
        SetKeepAllocationHook(nullptr);
        EXPECT_EQ(first, plain);
        const uint64_t start = ReusedCompressions();
        EXPECT_EQ(Packed(data, true), plain);
        EXPECT_EQ(ReusedCompressions(), start) << "nothing was kept";
    }
}
