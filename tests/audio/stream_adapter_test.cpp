// The adapter's reading side (what the player uses) and its whole-wave edits.
#include "audio/WaveStreamAdapter.h"
#include "tests/audio/WavBuilder.h"

#include <gtest/gtest.h>

using namespace wavtest;

namespace {

const plat::WAVEFORMATEX kMono8 = Pcm(1, 1000, 8); // 1 byte per ms

std::unique_ptr<plat::TMemoryStream> Stream(const std::vector<uint8_t> &bytes)
{
    auto s = std::make_unique<plat::TMemoryStream>();
    if (!bytes.empty())
        s->WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    s->SetPosition(0);
    return s;
}

std::vector<uint8_t> Samples(TWaveStreamAdapter &a)
{
    std::vector<uint8_t> out(a.DataSize());
    void *p = nullptr;
    if (a.LockData(p, true)) {
        std::memcpy(out.data(), p, out.size());
        a.UnlockData(p, false);
    }
    return out;
}

std::vector<uint8_t> Seq(int from, int to)
{
    std::vector<uint8_t> v;
    for (int i = from; i < to; ++i)
        v.push_back(static_cast<uint8_t>(i));
    return v;
}

} // namespace

TEST(StreamAdapter, ReadsOnlyTheDataChunkAndOnlyWhileReading)
{
    auto s = Stream(Riff({FmtChunk(kMono8), DataChunk(Seq(0, 10)), Chunk{"LIST", Seq(100, 120)}}));
    TWaveStreamAdapter a(s.get());
    uint8_t buf[64];
    EXPECT_EQ(a.Read(buf, 4), -1) << "idle";
    a.Seek(5); // idle: nothing
    ASSERT_TRUE(a.BeginRead());
    EXPECT_FALSE(a.BeginRead()) << "already reading";
    a.Seek(6);
    ASSERT_EQ(a.Read(buf, 64), 4);
    EXPECT_EQ(buf[0], 6);
    EXPECT_EQ(a.Read(buf, 64), 0) << "the LIST chunk after the data is not sound";
    EXPECT_TRUE(a.EndRead());
    EXPECT_EQ(a.Read(buf, 4), -1);
    EXPECT_EQ(a.Length(), 10u);

    auto junk = Stream(std::vector<uint8_t>(50, 'j'));
    TWaveStreamAdapter b(junk.get());
    EXPECT_FALSE(b.BeginRead());
    EXPECT_EQ(b.WaveFormat(), nullptr);
    EXPECT_EQ(b.DataOffset(), 0u);
}

TEST(StreamAdapter, LockDataPointsIntoMemoryStreams)
{
    auto s = Stream(Wav(kMono8, 8));
    TWaveStreamAdapter a(s.get());
    void *p = nullptr;
    ASSERT_TRUE(a.LockData(p, false));
    EXPECT_EQ(p, s->Memory() + a.DataOffset());
    static_cast<uint8_t *>(p)[0] = 0x42;
    EXPECT_TRUE(a.UnlockData(p, true));
    EXPECT_EQ(s->Memory()[a.DataOffset()], 0x42);

    ASSERT_TRUE(a.LockData(p, true));
    EXPECT_NE(p, s->Memory() + a.DataOffset());
    static_cast<uint8_t *>(p)[1] = 0x43;
    EXPECT_TRUE(a.UnlockData(p, true)) << "a copy is written back when modified";
    EXPECT_EQ(s->Memory()[a.DataOffset() + 1], 0x43);
}

TEST(StreamAdapter, LoadFromStreamTakesTheRestOfTheSource)
{
    const auto wav = Wav(kMono8, 20);
    std::vector<uint8_t> prefixed(7, 'p');
    prefixed.insert(prefixed.end(), wav.begin(), wav.end());
    auto source = Stream(prefixed);
    source->SetPosition(7);
    auto own = Stream({});
    TWaveStreamAdapter a(own.get());
    int changes = 0;
    a.OnChange = [&](plat::TObject *) { ++changes; };
    a.LoadFromStream(*source);
    EXPECT_EQ(own->Size(), static_cast<int64_t>(wav.size()));
    EXPECT_TRUE(a.Valid());
    EXPECT_EQ(a.DataSize(), 20u);
    EXPECT_GE(changes, 1);

    source->SetPosition(source->Size());
    a.LoadFromStream(*source);
    EXPECT_EQ(own->Size(), 0);
    EXPECT_FALSE(a.Valid());
}

TEST(StreamAdapter, OwnershipDecidesWhoFreesTheStream)
{
    auto kept = Stream(Wav(kMono8, 4));
    delete new TWaveStreamAdapter(kept.get(), soReference);
    EXPECT_EQ(kept->Size(), 48) << "still open and usable";

    struct Counted : plat::TMemoryStream {
        explicit Counted(int &n) : n_(n) {}
        ~Counted() override { ++n_; }
        int &n_;
    };
    int freed = 0;
    delete new TWaveStreamAdapter(new Counted(freed), soOwned);
    EXPECT_EQ(freed, 1);
}

TEST(StreamAdapter, EditsInMilliseconds)
{
    struct Case {
        const char *name;
        std::function<bool(TWaveStreamAdapter &)> edit;
        std::vector<uint8_t> want;
    };
    const std::vector<Case> cases = {
        {"crop", [](auto &a) { return a.Crop(2, 3); }, Seq(12, 15)},
        {"crop clipped at the end", [](auto &a) { return a.Crop(8, 50); }, Seq(18, 20)},
        {"delete", [](auto &a) { return a.Delete(1, 8); }, {10, 19}},
        {"delete start", [](auto &a) { return a.DeleteStart(7); }, Seq(17, 20)},
        {"delete end", [](auto &a) { return a.DeleteEnd(4); }, Seq(10, 16)},
        {"delete end beyond the length empties", [](auto &a) { return a.DeleteEnd(500); }, {}},
        {"insert silence", [](auto &a) { return a.InsertSilence(2, 2); }, {10, 11, 128, 128, 12, 13, 14, 15, 16, 17, 18, 19}},
        {"invert", [](auto &a) { return a.Invert(); }, {19, 18, 17, 16, 15, 14, 13, 12, 11, 10}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        auto s = Stream(Riff({FmtChunk(kMono8), DataChunk(Seq(10, 20))}));
        TWaveStreamAdapter a(s.get());
        ASSERT_TRUE(c.edit(a));
        EXPECT_TRUE(a.Valid());
        EXPECT_EQ(Samples(a), c.want);
        // Rewritten with an 18-byte "fmt " chunk; nothing of the old data is left.
        EXPECT_EQ(s->Size(), static_cast<int64_t>(46 + c.want.size() + c.want.size() % 2));
    }
}

TEST(StreamAdapter, CombiningWaves)
{
    auto s1 = Stream(Riff({FmtChunk(kMono8), DataChunk({100, 110})}));
    auto s2 = Stream(Riff({FmtChunk(kMono8), DataChunk({140, 150, 160})}));
    auto s3 = Stream(Riff({FmtChunk(Pcm(1, 1000, 16)), DataChunk({0, 0})}));
    TWaveStreamAdapter a(s1.get()), b(s2.get()), other(s3.get());

    auto out = Stream({});
    TWaveStreamAdapter target(out.get());
    ASSERT_TRUE(target.Concat({&a, &b}, 1));
    EXPECT_EQ(Samples(target), (std::vector<uint8_t>{100, 110, 128, 140, 150, 160}));
    ASSERT_TRUE(target.Mix({&a, &b}));
    EXPECT_EQ(Samples(target), (std::vector<uint8_t>{120, 130, 144})); // 160 with silence
    EXPECT_FALSE(target.Mix({&a, &other})) << "formats differ";
    EXPECT_FALSE(target.Insert(0, &other));

    ASSERT_TRUE(a.Insert(1, &b));
    EXPECT_EQ(Samples(a), (std::vector<uint8_t>{100, 140, 150, 160, 110}));
    ASSERT_TRUE(target.CopyFrom(&a, 1, 2));
    EXPECT_EQ(Samples(target), (std::vector<uint8_t>{140, 150}));
    auto copy = Stream({});
    TWaveStreamAdapter same(copy.get());
    same.Assign(&target);
    EXPECT_TRUE(same.Equals(&target));
}

// A small file whose format claims a byte rate of gigabytes a second: edits
// that make silence refuse it instead of allocating it.
TEST(StreamAdapter, ForgedByteRateMakesNoSilence)
{
    plat::WAVEFORMATEX forged = kMono8;
    forged.nAvgBytesPerSec = 0xFFFFFFF0u;
    const auto bytes = Riff({FmtChunk(forged), DataChunk({100, 110, 120})});
    auto s = Stream(bytes);
    TWaveStreamAdapter a(s.get());
    ASSERT_TRUE(a.Valid());
    EXPECT_FALSE(a.InsertSilence(0, 1000));
    EXPECT_FALSE(a.Concat({&a, &a}, 1000));
    EXPECT_EQ(Samples(a), (std::vector<uint8_t>{100, 110, 120})) << "left as it was";
    EXPECT_EQ(s->Size(), static_cast<int64_t>(bytes.size()));

    // A sound format makes its silence, an empty one too.
    auto good = Stream(Riff({FmtChunk(kMono8), DataChunk({100, 110})}));
    TWaveStreamAdapter b(good.get());
    ASSERT_TRUE(b.InsertSilence(1, 0));
    ASSERT_TRUE(b.InsertSilence(1, 2));
    EXPECT_EQ(Samples(b), (std::vector<uint8_t>{100, 128, 128, 110}));
}

TEST(StreamAdapter, ConvertToAnotherPcmFormat)
{
    auto s = Stream(Riff({FmtChunk(kMono8), DataChunk({128, 255})}));
    TWaveStreamAdapter a(s.get());
    const plat::WAVEFORMATEX stereo16 = Pcm(2, 1000, 16);
    ASSERT_TRUE(a.ConvertTo(stereo16));
    ASSERT_TRUE(a.SameFormat(&stereo16));
    EXPECT_EQ(a.DataSize(), 8u);
    EXPECT_TRUE(a.ConvertTo(stereo16)) << "already that format";
}
