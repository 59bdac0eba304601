#pragma once
// File helpers for the platform tests: raw bytes in and out, and a fresh
// folder per test that is removed afterwards (also when a test left it
// read-only).
#include <gtest/gtest.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace coretest {

inline std::string ReadBytes(const std::filesystem::path &path)
{
    std::ifstream f(path, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

inline void WriteBytes(const std::filesystem::path &path, const std::string &bytes)
{
    std::ofstream f(path, std::ios::binary);
    f << bytes;
}

class TempDirTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto *info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = std::filesystem::temp_directory_path() /
               ("zibor-" + std::string(info->test_suite_name()) + "-" + info->name() + "-" +
                std::to_string(::getpid()));
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override
    {
        std::error_code ec;
        std::filesystem::permissions(dir_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(dir_, ec);
    }
    std::string P(const std::string &name) const { return (dir_ / name).string(); }
    std::filesystem::path dir_;
};

} // namespace coretest
