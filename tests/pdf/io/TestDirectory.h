#pragma once
// A fresh folder for one test's files, removed with everything in it when the test ends.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

class TestDirectory {
public:
    TestDirectory()
    {
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string(info->test_suite_name()) + "-" + info->name() + "-" + std::to_string(getpid());
        mPath = std::filesystem::path(VELLORAN_TEST_TMP) / name;
        std::filesystem::remove_all(mPath);
        std::filesystem::create_directories(mPath);
    }
    ~TestDirectory()
    {
        std::error_code ignored;
        std::filesystem::remove_all(mPath, ignored);
    }

    // A path inside the folder, as the UTF-8 text the library takes.
    std::string PathOf(const std::string& inName) const { return (mPath / inName).string(); }
    const std::filesystem::path& Path() const { return mPath; }

    static void WriteFile(const std::string& inPath, const std::string& inContents)
    {
        std::ofstream file(inPath, std::ios::binary | std::ios::trunc);
        file.write(inContents.data(), static_cast<std::streamsize>(inContents.size()));
    }
    static std::string ReadFile(const std::string& inPath)
    {
        std::ifstream file(inPath, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }

private:
    std::filesystem::path mPath;
};
