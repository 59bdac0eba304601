// Paths, file helpers and the atomic replace of whole files.
#include "platform/core/Files.h"
#include "platform/core/StringList.h"
#include "tests/platform/core/test_files.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace plat;
using coretest::ReadBytes;
using coretest::WriteBytes;
namespace fs = std::filesystem;

namespace {

class FilesTest : public coretest::TempDirTest {
protected:
    // Files in the folder other than the ones named: left-over temporaries.
    std::vector<std::string> Others(const std::vector<std::string> &known) const
    {
        std::vector<std::string> out;
        for (const auto &e : fs::directory_iterator(dir_)) {
            const std::string n = e.path().filename().string();
            if (std::find(known.begin(), known.end(), n) == known.end())
                out.push_back(n);
        }
        return out;
    }
};

// Makes every write to a regular file beyond `bytes` fail with EFBIG for the
// lifetime of the object. Works for root as well, unlike permissions.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lim = old_;
        lim.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &lim);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }

private:
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
};

} // namespace

TEST(Paths, MapPathTurnsEveryBackslashIntoASlash)
{
    struct Case { const char *in, *out; };
    const Case cases[] = {
        {".\\ZIBOR.ini", "./ZIBOR.ini"},
        {"data\\\\Data\\x_FW.wda", "data//Data/x_FW.wda"},
        {"\\\\server\\share\\a", "//server/share/a"},
        {"/already/unix", "/already/unix"},
        {"mixed/and\\back", "mixed/and/back"},
        {"", ""},
    };
    for (const Case &c : cases)
        EXPECT_EQ(MapPath(c.in), c.out) << c.in;
}

TEST(Paths, NameParts)
{
    EXPECT_EQ(ExtractFilePath("C:\\data\\rapport - 01-02-2020.zrp"), "C:\\data\\");
    EXPECT_EQ(ExtractFileName("C:\\data\\rapport - 01-02-2020.zrp"), "rapport - 01-02-2020.zrp");
    EXPECT_EQ(ExtractFileName("/a/b.c"), "b.c");
    EXPECT_EQ(ExtractFileExt("/a.b/c"), "");
    EXPECT_EQ(ExtractFileExt("x.tar.zrp"), ".zrp");
    EXPECT_EQ(ChangeFileExt("dir\\x.zrp", ".pdf"), "dir\\x.pdf");
    EXPECT_EQ(ChangeFileExt("dir.d/x", ".pdf"), "dir.d/x.pdf");
    EXPECT_EQ(IncludeTrailingPathDelimiter("a"), "a/");
    EXPECT_EQ(IncludeTrailingPathDelimiter("a\\"), "a\\");
}

TEST_F(FilesTest, ExistsDeleteAndForceDirectories)
{
    const std::string deep = P("a") + "\\b\\\\c";
    EXPECT_TRUE(ForceDirectories(deep));
    EXPECT_TRUE(DirectoryExists(P("a/b/c")));
    EXPECT_TRUE(ForceDirectories(deep)); // already there
    EXPECT_FALSE(ForceDirectories(""));
    WriteBytes(P("file"), "x");
    EXPECT_FALSE(ForceDirectories(P("file") + "\\sub"));
    EXPECT_TRUE(FileExists(P("a") + "\\..\\file"));
    EXPECT_FALSE(FileExists(P("a")));        // a folder is no file
    EXPECT_FALSE(DeleteFile(P("a/b/c")));    // and is not deleted as one
    EXPECT_TRUE(DirectoryExists(P("a/b/c")));
    EXPECT_TRUE(DeleteFile(P("file")));
    EXPECT_FALSE(FileExists(P("file")));
    EXPECT_FALSE(DeleteFile(P("file")));
}

TEST_F(FilesTest, ProgramFolderAndTempFiles)
{
    const std::string prog = ProgramFolder();
    ASSERT_FALSE(prog.empty());
    EXPECT_EQ(prog.back(), '/');
    EXPECT_TRUE(DirectoryExists(prog));
    EXPECT_TRUE(fs::exists(prog + "platform_tests"));

    const std::string a = CreateTempFile("zibor-t");
    const std::string b = CreateTempFile("zibor-t");
    EXPECT_NE(a, b);
    EXPECT_TRUE(FileExists(a));
    EXPECT_EQ(fs::file_size(a), 0u);
    EXPECT_EQ(ExtractFileName(a).rfind("zibor-t", 0), 0u);
    DeleteFile(a);
    DeleteFile(b);
}

TEST_F(FilesTest, AtomicReplaceWritesAndReplaces)
{
    const std::string target = P("x.zta");
    EXPECT_EQ(AtomicReplaceFile(target, "first"), TWriteResult::Ok);
    EXPECT_EQ(ReadBytes(target), "first");
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_TRUE(AtomicWriteFile(target, std::string("se\0cond", 7)));
    EXPECT_EQ(ReadBytes(target), std::string("se\0cond", 7));
    // The replacement keeps the old file's permissions.
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_TRUE(AtomicWriteFile(target, ""));
    EXPECT_EQ(fs::file_size(target), 0u);
    EXPECT_TRUE(Others({"x.zta"}).empty());
}

TEST_F(FilesTest, OldFileSurvivesAFailedWrite)
{
    const std::string target = P("d_FW.wda");
    WriteBytes(target, "old record\r\n");
    std::string why;
    TWriteResult r;
    {
        FileSizeLimit limit(64);
        r = AtomicReplaceFile(target, std::string(4096, 'n'), &why);
    }
    EXPECT_EQ(r, TWriteResult::WriteFailed);
    EXPECT_FALSE(why.empty());
    EXPECT_EQ(ReadBytes(target), "old record\r\n");
    EXPECT_TRUE(Others({"d_FW.wda"}).empty()) << "temporary file left behind";

    // The string list reports it as a write error, not as a file that
    // could not be created (which would start the backup instead).
    TStringList l;
    l.Add(std::string(4096, 'n'));
    {
        FileSizeLimit limit(64);
        EXPECT_THROW(l.SaveToFile(target), EWriteError);
    }
    EXPECT_EQ(ReadBytes(target), "old record\r\n");
}

TEST_F(FilesTest, CannotCreateIsToldApart)
{
    WriteBytes(P("plain"), "p");
    for (const std::string &path : {P("missing/x"), P("plain/x"), dir_.string()}) {
        std::string why;
        EXPECT_EQ(AtomicReplaceFile(path, "data", &why), TWriteResult::CannotCreate) << path;
        EXPECT_FALSE(why.empty());
    }
    EXPECT_FALSE(AtomicWriteFile(P("missing/x"), "data"));
}

TEST_F(FilesTest, ReadOnlyFolderKeepsTheOldFile)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root ignores folder permissions; covered by the size limit and regular-file cases";
    const std::string target = P("x.zta");
    WriteBytes(target, "old");
    fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_EQ(AtomicReplaceFile(target, "new"), TWriteResult::CannotCreate);
    TStringList l;
    l.Add("new");
    EXPECT_THROW(l.SaveToFile(target), EFCreateError);
    fs::permissions(dir_, fs::perms::owner_all);
    EXPECT_EQ(ReadBytes(target), "old");
}
