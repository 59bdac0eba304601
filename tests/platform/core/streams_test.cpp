// Memory and file streams.
#include "platform/core/Streams.h"
#include "tests/platform/core/test_files.h"

#include <gtest/gtest.h>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

using namespace plat;
using coretest::ReadBytes;
namespace fs = std::filesystem;

namespace {

using FileStreamTest = coretest::TempDirTest;

void Put(TStream &s, const std::string &text) { s.WriteBuffer(text.data(), static_cast<int64_t>(text.size())); }

std::string Get(TStream &s, int64_t n)
{
    std::string out(static_cast<size_t>(n), '\0');
    out.resize(static_cast<size_t>(s.Read(out.data(), n)));
    return out;
}

} // namespace

TEST(MemoryStream, ReadWriteSeekAndSize)
{
    TMemoryStream m;
    Put(m, "abcdef");
    EXPECT_EQ(m.Size(), 6);
    EXPECT_EQ(m.Position(), 6);
    EXPECT_EQ(m.Seek(-2, TSeekOrigin::soEnd), 4);
    EXPECT_EQ(Get(m, 10), "ef"); // a read past the end gives what is there
    EXPECT_EQ(Get(m, 1), "");
    EXPECT_EQ(m.Seek(-100, TSeekOrigin::soCurrent), 0);
    m.SetPosition(8); // past the end: a write fills the gap with zeros
    Put(m, "Z");
    EXPECT_EQ(std::string(reinterpret_cast<const char *>(m.Memory()), 9), std::string("abcdef\0\0Z", 9));
    m.SetSize(3);
    EXPECT_EQ(m.Position(), 3);
    m.SetPosition(1);
    EXPECT_EQ(Get(m, 5), "bc");
    m.Clear();
    EXPECT_EQ(m.Size(), 0);
    EXPECT_EQ(m.Position(), 0);
}

TEST(MemoryStream, ReadBufferRaisesWhenShort)
{
    TMemoryStream m;
    Put(m, "abc");
    m.SetPosition(1);
    char buf[8];
    try {
        m.ReadBuffer(buf, 3);
        FAIL();
    } catch (const EReadError &e) {
        EXPECT_STREQ(e.what(), "Stream read error");
    }
    m.SetPosition(0);
    EXPECT_NO_THROW(m.ReadBuffer(buf, 3));
    EXPECT_THROW(m.ReadBuffer(buf, -1), EReadError);
}

TEST(MemoryStream, LoadFromStreamCopiesFromTheSourcePosition)
{
    TMemoryStream src;
    Put(src, "0123456789");
    src.SetPosition(4);
    TMemoryStream dst;
    Put(dst, "old content that is longer");
    dst.LoadFromStream(src);
    EXPECT_EQ(dst.Size(), 6);
    EXPECT_EQ(dst.Position(), 0);
    EXPECT_EQ(Get(dst, 100), "456789");
    EXPECT_EQ(src.Position(), 10);

    src.SetPosition(10); // nothing left
    dst.LoadFromStream(src);
    EXPECT_EQ(dst.Size(), 0);

    src.SetPosition(7); // from itself
    src.LoadFromStream(src);
    EXPECT_EQ(Get(src, 100), "789");
}

TEST(MemoryStream, CopyFromAndSaveToStream)
{
    TMemoryStream src, dst;
    Put(src, "hello world");
    src.SetPosition(6);
    EXPECT_EQ(dst.CopyFrom(src, 3), 3);
    EXPECT_EQ(std::string(reinterpret_cast<const char *>(dst.Memory()), 3), "wor");
    EXPECT_THROW(dst.CopyFrom(src, 5), EReadError); // only 2 left
    TMemoryStream all;
    EXPECT_EQ(all.CopyFrom(src, 0), 11); // 0 copies the whole source
    TMemoryStream saved;
    all.SaveToStream(saved);
    EXPECT_EQ(saved.Bytes(), all.Bytes());
}

TEST_F(FileStreamTest, CreateTruncatesAndOpenReads)
{
    {
        TFileStream f(P("a.bin"), fmCreate);
        Put(f, "a long first content");
    }
    {
        TFileStream f(P("a.bin"), fmCreate | fmShareDenyWrite);
        Put(f, "new");
        EXPECT_EQ(f.Size(), 3);
    }
    EXPECT_EQ(ReadBytes(dir_ / "a.bin"), "new");
    TFileStream r(P("a.bin"), fmOpenRead | fmShareDenyNone);
    EXPECT_EQ(r.Size(), 3);
    EXPECT_EQ(Get(r, 10), "new");
    r.SetPosition(1);
    EXPECT_EQ(Get(r, 1), "e");
    char c;
    r.SetPosition(3);
    EXPECT_THROW(r.ReadBuffer(&c, 1), EReadError);
    EXPECT_THROW(Put(r, "x"), EWriteError); // opened for reading only
}

TEST_F(FileStreamTest, ReadWriteModeAndSetSize)
{
    {
        TFileStream f(P("b.bin"), fmCreate);
        Put(f, "0123456789");
    }
    TFileStream f(P("b.bin"), fmOpenReadWrite);
    EXPECT_EQ(Get(f, 2), "01");
    Put(f, "ab"); // a write right after a read lands at the position
    f.SetSize(6);
    EXPECT_EQ(f.Position(), 4);
    f.SetPosition(0);
    EXPECT_EQ(Get(f, 100), "01ab45");
    TMemoryStream m;
    f.SetPosition(2);
    m.LoadFromStream(f);
    EXPECT_EQ(m.Size(), 4);
}

TEST_F(FileStreamTest, ErrorsNameTheFile)
{
    fs::create_directories(dir_ / "sub");
    std::ofstream(dir_ / "plain") << "p";
    const std::string noFolder = P("missing") + "\\x.zrp";
    try {
        TFileStream f(noFolder, fmCreate);
        FAIL();
    } catch (const EFCreateError &e) {
        EXPECT_EQ(std::string(e.what()).rfind("Cannot create file \"" + P("missing") + "/x.zrp\". ", 0), 0u)
            << e.what() << ": the file system's path";
    }
    EXPECT_THROW(TFileStream(P("plain") + "/x", fmCreate), EFCreateError);
    EXPECT_THROW(TFileStream(P("sub"), fmCreate), EFCreateError);
    try {
        TFileStream f(dir_.string() + "\\none.bin", fmOpenRead);
        FAIL();
    } catch (const EFOpenError &e) {
        EXPECT_EQ(std::string(e.what()).rfind("Cannot open file \"" + P("none.bin") + "\". ", 0), 0u) << e.what();
    }
    EXPECT_THROW(TFileStream(P("sub"), fmOpenRead), EFOpenError);
    // Memory streams save through a file stream.
    TMemoryStream m;
    Put(m, "saved");
    m.SaveToFile(P("m.bin"));
    EXPECT_EQ(ReadBytes(dir_ / "m.bin"), "saved");
    TMemoryStream back;
    back.LoadFromFile(P("m.bin"));
    EXPECT_EQ(back.Size(), 5);
    EXPECT_THROW(back.LoadFromFile(P("none.bin")), EFOpenError);
}
