#pragma once
// A fresh folder for a test's files below the test build's temporary folder, named after the
// running test, removed with everything in it when the object goes; and whole files read and
// written in one call.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <unistd.h>

namespace testsupport {

inline void WriteFile(const std::filesystem::path& inPath, const std::string& inBytes)
{
    std::ofstream file(inPath, std::ios::binary | std::ios::trunc);
    file.write(inBytes.data(), static_cast<std::streamsize>(inBytes.size()));
}

// The whole file, or an empty text when it cannot be read.
inline std::string ReadFile(const std::filesystem::path& inPath)
{
    std::ifstream file(inPath, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

class TestDirectory {
public:
    // inLabel, when given, ends the folder's name.
    explicit TestDirectory(const std::string& inLabel = "")
    {
        static std::atomic<int> counter{0};
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string(info ? info->test_suite_name() : "suite") + "-" + (info ? info->name() : "test");
        // Parameterized tests have "/" in their names.
        std::replace(name.begin(), name.end(), '/', '_');
        name += "-" + std::to_string(getpid()) + "-" + std::to_string(counter++);
        if (!inLabel.empty())
            name += "-" + inLabel;
        mPath = std::filesystem::path(VELLORAN_TEST_TMP) / name;
        std::filesystem::remove_all(mPath);
        std::filesystem::create_directories(mPath);
    }
    ~TestDirectory()
    {
        std::error_code ignored;
        std::filesystem::remove_all(mPath, ignored);
    }

    TestDirectory(const TestDirectory&) = delete;
    TestDirectory& operator=(const TestDirectory&) = delete;

    const std::filesystem::path& Path() const { return mPath; }
    std::filesystem::path operator/(const std::string& inName) const { return mPath / inName; }
    // A path inside the folder, as the UTF-8 text the library takes.
    std::string PathOf(const std::string& inName) const { return (mPath / inName).string(); }
    // Writes a file into the folder; its path.
    std::string Write(const std::string& inName, const std::string& inBytes) const
    {
        std::string path = PathOf(inName);
        WriteFile(path, inBytes);
        return path;
    }

private:
    std::filesystem::path mPath;
};

} // namespace testsupport
