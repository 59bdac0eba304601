// Line lists: editing, text, and the Windows-1252/CRLF files.
#include "platform/core/Files.h"
#include "platform/core/StringList.h"
#include "tests/platform/core/test_files.h"

#include <gtest/gtest.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

using namespace plat;
using coretest::ReadBytes;
using coretest::WriteBytes;

namespace {

using StringListFiles = coretest::TempDirTest;

std::vector<String> LinesOf(const TStrings &l)
{
    std::vector<String> v;
    for (int i = 0; i < l.Count(); ++i)
        v.push_back(l.Strings(i));
    return v;
}

} // namespace

TEST(StringList, EditingAndModifiedFlag)
{
    TStringList l;
    EXPECT_FALSE(l.Modified());
    EXPECT_EQ(l.Add("a"), 0);
    EXPECT_EQ(l.Add("c"), 1);
    l.Insert(1, "b");
    EXPECT_TRUE(l.Modified());
    EXPECT_EQ(LinesOf(l), (std::vector<String>{"a", "b", "c"}));
    l.SetModified(false);
    l.Delete(0);
    EXPECT_TRUE(l.Modified());
    EXPECT_EQ(l.IndexOf("C"), 1);
    EXPECT_EQ(l.IndexOf("x"), -1);
    EXPECT_THROW(l.Strings(2), EListError);
    EXPECT_THROW(l.Delete(5), EListError);
    EXPECT_THROW(l.Insert(4, "x"), EListError);
    EXPECT_THROW(l.SetStrings(-1, "x"), EListError);
    try {
        l.Strings(7);
    } catch (const EListError &e) {
        EXPECT_STREQ(e.what(), "List index out of bounds (7)");
    }
    l.Clear();
    EXPECT_EQ(l.Count(), 0);
}

TEST(StringList, AssigningBeyondTheEndExtendsTheList)
{
    // The incomplete-administration list gets its lines 1 and 2 while empty.
    TStringList l;
    l.SetStrings(1, "0");
    l.SetStrings(0, "code_01-02-2020");
    EXPECT_EQ(LinesOf(l), (std::vector<String>{"code_01-02-2020", "0"}));
    l.SetStrings(4, "x");
    EXPECT_EQ(LinesOf(l), (std::vector<String>{"code_01-02-2020", "0", "", "", "x"}));
}

TEST(StringList, TextJoinsWithCrlfAndSplitsAnyLineEnd)
{
    TStringList l;
    l.SetText("a\r\nb\nc\rd");
    EXPECT_EQ(LinesOf(l), (std::vector<String>{"a", "b", "c", "d"}));
    EXPECT_EQ(l.Text(), "a\r\nb\r\nc\r\nd\r\n");
    struct Case { const char *text; std::vector<String> lines; };
    const Case cases[] = {
        {"", {}},
        {"x", {"x"}},
        {"x\r\n", {"x"}},
        {"\r\n", {""}},
        {"x\r\n\r\ny", {"x", "", "y"}},
        {"x\n\n", {"x", ""}},
        {"x\r\r\n", {"x", ""}},
        {"a;b;;c", {"a;b;;c"}},
    };
    for (const Case &c : cases) {
        l.SetText(c.text);
        EXPECT_EQ(LinesOf(l), c.lines) << c.text;
    }
}

TEST_F(StringListFiles, RoundTripIsWindows1252WithCrlf)
{
    TStringList l;
    l.Add("Ren\xC3\xA9;FWR;meisje");
    l.Add("");
    l.Add("\xE2\x82\xAC 5");
    const std::string path = P("a_FW.wda");
    l.SaveToFile(path);
    EXPECT_EQ(ReadBytes(path), "Ren\xE9;FWR;meisje\r\n\r\n\x80 5\r\n");

    TStringList back;
    back.Add("old");
    back.LoadFromFile(path);
    EXPECT_EQ(LinesOf(back), LinesOf(l));
    EXPECT_FALSE(back.Modified());
}

TEST_F(StringListFiles, LoadAcceptsLfAndAByteOrderMark)
{
    WriteBytes(P("lf.txt"), "\xE9\xE9n\ntwee\n");
    TStringList l;
    l.LoadFromFile(P("lf.txt"));
    EXPECT_EQ(LinesOf(l), (std::vector<String>{"\xC3\xA9\xC3\xA9n", "twee"}));
    WriteBytes(P("bom.txt"), "\xEF\xBB\xBF\xC3\xA9\r\n");
    l.LoadFromFile(P("bom.txt"));
    EXPECT_EQ(LinesOf(l), (std::vector<String>{"\xC3\xA9"}));
    EXPECT_THROW(l.LoadFromFile(P("missing.txt")), EFOpenError);
}

TEST_F(StringListFiles, SaveRaisesTheCreateErrorOnlyWhenTheFileCannotBeCreated)
{
    TStringList l;
    l.Add("x");
    // Missing folder; a folder that is a regular file (works as root too);
    // the target itself a folder. Paths use "\" as the program builds them.
    WriteBytes(P("plain"), "p");
    std::filesystem::create_directories(dir_ / "isdir");
    for (const std::string &target : {P("nodir") + "\\Data\\x_FW.wda", P("plain") + "\\x.zta", P("isdir")}) {
        try {
            l.SaveToFile(target);
            ADD_FAILURE() << "saved " << target;
        } catch (const EFCreateError &e) {
            EXPECT_EQ(std::string(e.what()).rfind("Cannot create file \"" + target + "\"", 0), 0u) << e.what();
        } catch (const std::exception &e) {
            ADD_FAILURE() << "wrong error " << e.what();
        }
    }
    EXPECT_EQ(ReadBytes(P("plain")), "p");
    // A doubled separator after the data path still lands in the folder.
    std::filesystem::create_directories(dir_ / "Data");
    l.SaveToFile(dir_.string() + "\\" + "\\Data\\y_FV.vda");
    EXPECT_EQ(ReadBytes(P("Data/y_FV.vda")), "x\r\n");
}
