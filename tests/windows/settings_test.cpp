// The data path from the settings file, and the settings file's place, which
// a later change of the current folder must not move.
#include "windows/MainWindow.h"
#include "administration/Settings.h"
#include "platform/core/Files.h"
#include "platform/gui/Forms.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>

using namespace plat;

namespace {

class TempFolder {
public:
    TempFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "zibor-settings-XXXXXX").string();
        path = mkdtemp(pattern.data());
    }
    ~TempFolder() { std::filesystem::remove_all(path); }
    void WriteIni(const std::string &bytes) const
    {
        std::ofstream(path + "/ZIBOR.ini", std::ios::binary) << bytes;
    }
    std::string path;
};

class CurrentFolder {
public:
    CurrentFolder() : saved_(GetCurrentDir()) {}
    ~CurrentFolder() { SetCurrentDir(saved_); }

private:
    std::string saved_;
};

TEST(DataPath, IsTheSettingFollowedByABackslash)
{
    struct Case {
        const char *name;
        std::optional<std::string> ini; // no file when empty
        const char *dataPath;
        const char *mapped; // where a data file of the administration lands
    };
    const Case cases[] = {
        {"no settings file", std::nullopt, "\\", "/Data/a_FW.wda"},
        {"no key", "[Settings]\r\ntrpath=C:\\rapporten\r\n", "\\", "/Data/a_FW.wda"},
        {"key in another section", "[Other]\r\ndatapath=/srv/zibor\r\n", "\\", "/Data/a_FW.wda"},
        {"an empty value", "[Settings]\r\ndatapath=\r\n", "\\", "/Data/a_FW.wda"},
        {"a Windows-style value", "[Settings]\r\ndatapath=C:\\ZIBOR\\gegevens\r\n", "C:\\ZIBOR\\gegevens\\",
         "C:/ZIBOR/gegevens/Data/a_FW.wda"},
        {"a POSIX-style value", "[settings]\r\n DataPath = /home/tl/zibor \r\n", "/home/tl/zibor\\",
         "/home/tl/zibor/Data/a_FW.wda"},
        {"a quoted value with blanks", "[Settings]\r\ndatapath=\"/home/tl/mijn data\"\r\n", "/home/tl/mijn data\\",
         "/home/tl/mijn data/Data/a_FW.wda"},
    };
    TempFolder folder;
    settings::Resolve(folder.path);
    TZIBMAINForm *main = MakeForm<TZIBMAINForm>(nullptr);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(folder.path + "/ZIBOR.ini");
        if (c.ini)
            folder.WriteIni(*c.ini);
        main->ZIBMainInitialize();
        EXPECT_EQ(main->DataPath, c.dataPath);
        EXPECT_EQ(MapPath(main->DataPath + "Data\\a_FW.wda"), c.mapped);
    }
    main->Free();
    settings::Resolve();
}

TEST(Settings, TheFileStaysWhereItWasAtStartUp)
{
    TempFolder start, elsewhere;
    start.WriteIni("[Settings]\r\ndatapath=/srv/zibor\r\ntrpath=/srv/rapporten\r\n");
    elsewhere.WriteIni("[Settings]\r\ndatapath=/wrong\r\n");
    {
        CurrentFolder restore;
        ASSERT_TRUE(SetCurrentDir(start.path));
        settings::Resolve();
        // A file dialog without "do not change the folder" moves the current folder.
        ASSERT_TRUE(SetCurrentDir(elsewhere.path));
        EXPECT_EQ(TZIBMAINForm::ReadDataPath(), "/srv/zibor");
        EXPECT_EQ(settings::Read("trpath", "default"), "/srv/rapporten");
        EXPECT_EQ(settings::Read("missing", "default"), "default");
        EXPECT_EQ(settings::FileName(), IncludeTrailingPathDelimiter(start.path) + "ZIBOR.ini");
    }
    settings::Resolve();
}

} // namespace
