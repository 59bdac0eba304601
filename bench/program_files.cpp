// Drives the program's own windows headless along whole administrations, on
// a fixed clock and with scripted dialogs, and prints every file that each
// road wrote with its SHA-256: a change that must keep the data files, the
// report files and their PDF copies byte for byte the same is run before and
// after and the outputs compared with diff.
//  - DeletionAlone: the deletion subtest, "Nee", the end window's report;
//  - DeletionThenSubstitution: the deletion subtest, "Ja" and the report so
//    far, the substitution subtest, the end window's report;
//  - Correction: the second road, then its report opened in the report
//    viewer and corrected (deletion item 1 turned wrong, another school).
// Each road runs in a fresh folder of its name under the folder given; the
// lines, "road/path  sha256", come sorted on standard output, failures on
// standard error (and a non-zero exit).
// Run by hand: bench_program_files [folder]   (an empty or new folder;
// default: a temporary one, removed afterwards). Test framework options
// such as --gtest_filter=*Correction* pass through.
#include "windows/CorrectionWindow.h"
#include "windows/ReportViewerWindow.h"
#include "tests/support/TestProgram.h"
#include "tests/windows/AdministrationRoad.h"

#include <QComboBox>
#include <QCryptographicHash>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

fs::path &Root()
{
    static fs::path root;
    return root;
}

std::vector<std::string> &Lines()
{
    static std::vector<std::string> lines;
    return lines;
}

// Only failures are told, on standard error: standard output is the lines.
class FailuresOnly : public ::testing::EmptyTestEventListener {
    void OnTestPartResult(const ::testing::TestPartResult &r) override
    {
        if (r.failed())
            std::fprintf(stderr, "%s:%d: %s\n", r.file_name() ? r.file_name() : "?", r.line_number(), r.message());
    }
    void OnTestEnd(const ::testing::TestInfo &info) override
    {
        if (info.result()->Failed())
            std::fprintf(stderr, "road %s FAILED\n", info.name());
    }
};

class ProgramFiles : public zibor::test::AdministrationRoad {
protected:
    void SetUp() override
    {
        road_ = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        SetUpIn(Root() / road_);
        before_ = Snapshot();
    }
    // Every file that the road wrote anew or changed.
    void TearDown() override
    {
        for (const auto &[path, bytes] : Snapshot()) {
            const auto was = before_.find(path);
            if (was != before_.end() && was->second == bytes)
                continue;
            const QByteArray hash =
                QCryptographicHash::hash(QByteArray::fromStdString(bytes), QCryptographicHash::Sha256).toHex();
            Lines().push_back(road_ + "/" + path + "  " + hash.toStdString());
        }
        AdministrationRoad::TearDown();
    }

    std::string road_;
    std::map<std::string, std::string> before_;
};

TEST_F(ProgramFiles, DeletionAlone)
{
    DeletionAloneToTheEndWindow();
}

TEST_F(ProgramFiles, DeletionThenSubstitution)
{
    DeletionThenSubstitutionWithTheReportBetween();
}

TEST_F(ProgramFiles, Correction)
{
    DeletionThenSubstitutionWithTheReportBetween();
    auto &d = drv.Dialogs();
    d.Choose(plat::TDialogKind::OpenFile, (dir_ / "Rapporten" / "Lotte - 05-03-2024.zrp").string());
    drv.Then([&] {
        drv.Then([&] {
            ASSERT_TRUE(correct->Modal());
            emit static_cast<QComboBox *>(correct->FWitemAcc[0]->Widget())->activated(0);
            correct->Eschool->SetText("De Linde");
            d.Answer(plat::mrOk, "Doorgaan?");
            EXPECT_TRUE(drv.Click(*correct, "CORRbtn"));
        });
        EXPECT_TRUE(drv.Click(*TRO, "CORRbtn"));
        EXPECT_TRUE(drv.Click(*TRO, "ButtonExit"));
    });
    TRO->ShowModal();
    d.VerifyAllUsed();
    EXPECT_EQ(drv.PendingSteps(), 0u);
    EXPECT_TRUE(fs::exists(dir_ / "Rapporten" / "Lotte - 05-03-2024_gecorrigeerd.zrp"));
}

} // namespace

int main(int argc, char **argv)
{
    // The roads play through a scripted device; nothing else may reach a sound card.
    setenv("ZIBOR_AUDIO", "null", 0);
    bool temporary = false;
    const int rc = zibor::test::RunTestProgram(argc, argv, [&](int left, char **args) {
        auto &listeners = ::testing::UnitTest::GetInstance()->listeners();
        delete listeners.Release(listeners.default_result_printer());
        listeners.Append(new FailuresOnly);
        if (left > 1) {
            Root() = fs::absolute(args[1]);
            std::error_code ec;
            if (fs::exists(Root()) && !fs::is_empty(Root(), ec)) {
                std::fprintf(stderr, "%s is not empty: each road wants a fresh folder\n", args[1]);
                std::exit(2);
            }
        } else {
            std::string pattern = (fs::temp_directory_path() / "zibor-program-files-XXXXXX").string();
            if (!mkdtemp(pattern.data())) {
                std::perror("mkdtemp");
                std::exit(2);
            }
            Root() = pattern;
            temporary = true;
        }
    });
    std::sort(Lines().begin(), Lines().end());
    for (const std::string &line : Lines())
        std::printf("%s\n", line.c_str());
    if (temporary)
        fs::remove_all(Root());
    return rc;
}
