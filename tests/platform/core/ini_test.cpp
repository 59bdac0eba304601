// The settings reader with the platform's private-profile rules.
#include "platform/core/Files.h"
#include "platform/core/IniFile.h"
#include "tests/platform/core/test_files.h"

#include <gtest/gtest.h>
#include <filesystem>
#include <fstream>
#include <unistd.h>

using namespace plat;
namespace fs = std::filesystem;

namespace {

class IniTest : public coretest::TempDirTest {
protected:
    void SetUp() override
    {
        TempDirTest::SetUp();
        path_ = P("ZIBOR.ini");
    }
    void Write(const std::string &bytes) { coretest::WriteBytes(path_, bytes); }
    std::string path_;
};

} // namespace

TEST_F(IniTest, ValuesAreTakenVerbatim)
{
    Write("; settings of the program\r\n"
          "[Other]\r\n"
          "datapath=wrong\r\n"
          "[ settings ]\r\n"
          ";datapath=commented\r\n"
          "  DataPath =  C:\\data\\zib\\  \r\n"
          "trpath=\"D:\\rapporten met spatie\"\r\n"
          "single='x'\r\n"
          "half=\"open\r\n"
          "inner=a \"b\" c\r\n"
          "empty=\r\n"
          "eq=a=b\r\n"
          "count= 42\r\n"
          "hex=0x1F\r\n"
          "notnum=12a\r\n"
          "accent=caf\xE9\r\n"
          "datapath=second\r\n"
          "[Settings]\r\n"
          "late=1\r\n");
    TIniFile ini(path_);
    struct Case { const char *section, *key, *expected; };
    const Case cases[] = {
        {"Settings", "datapath", "C:\\data\\zib\\"},  // backslashes kept, trimmed
        {"SETTINGS", "DATAPATH", "C:\\data\\zib\\"},  // names ignore case
        {"Settings", "trpath", "D:\\rapporten met spatie"},
        {"Settings", "single", "x"},
        {"Settings", "half", "\"open"},
        {"Settings", "inner", "a \"b\" c"},
        {"Settings", "empty", ""},                    // present but empty: not the default
        {"Settings", "eq", "a=b"},
        {"Settings", "accent", "caf\xC3\xA9"},        // read as Windows-1252
        {"Settings", "late", "default"},              // only the first section counts
        {"Settings", "missing", "default"},
        {"Nosection", "datapath", "default"},
        {"Other", "datapath", "wrong"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ini.ReadString(c.section, c.key, "default"), c.expected) << c.section << "/" << c.key;
    EXPECT_EQ(ini.ReadInteger("Settings", "count", -1), 42);
    EXPECT_EQ(ini.ReadInteger("Settings", "hex", -1), 31);
    EXPECT_EQ(ini.ReadInteger("Settings", "notnum", -1), -1);
    EXPECT_EQ(ini.ReadInteger("Settings", "nokey", 7), 7);
}

TEST_F(IniTest, MissingFileGivesTheDefaults)
{
    TIniFile ini((dir_ / "none.ini").string());
    EXPECT_EQ(ini.ReadString("Settings", "datapath", ""), "");
    EXPECT_EQ(ini.ReadString("Settings", "trpath", "default"), "default");
    EXPECT_EQ(ini.ReadInteger("Settings", "x", 3), 3);
}

TEST_F(IniTest, RelativeWindowsPathAndLfLinesAndChangesOnDisk)
{
    Write("[Settings]\ndatapath=/srv/zib\n");
    const std::string cwd = GetCurrentDir();
    ASSERT_TRUE(SetCurrentDir(dir_.string()));
    TIniFile ini(".\\ZIBOR.ini");
    EXPECT_EQ(ini.ReadString("Settings", "datapath", ""), "/srv/zib");
    // Read again on every call.
    Write("\xEF\xBB\xBF[Settings]\ndatapath=/srv/nieuw\xC3\xA9\n");
    EXPECT_EQ(ini.ReadString("Settings", "datapath", ""), "/srv/nieuw\xC3\xA9");
    SetCurrentDir(cwd);
}
