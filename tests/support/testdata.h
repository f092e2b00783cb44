// The public conformance images, their expected pixels, and scratch folders
// for tests.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tessolo::test {

// Bytes read from a file, as text.
inline std::string Text(const std::vector<std::uint8_t>& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

// The conformance image folder: $TESSOLO_TESTDATA, or ../shared/testdata
// beside the source tree. Empty when neither exists.
std::filesystem::path TestDataDir();

// The samples of one of the conformance set's expected-pixel files, which
// hold a JSON array of integers.
std::vector<int> ExpectedSamples(const std::filesystem::path& jsonFile);

// The names of a folder's entries, in the order the system lists them.
std::vector<std::string> FolderEntries(const std::filesystem::path& dir);

// A fresh empty folder below the system's temporary folder, removed when
// the object goes out of scope.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

}  // namespace tessolo::test

// Skips the current test, with a clear message, when the conformance images
// are absent; otherwise binds `var` to their folder.
#define TESSOLO_REQUIRE_TESTDATA(var)                                                  \
    const std::filesystem::path var = ::tessolo::test::TestDataDir();                 \
    if (var.empty())                                                                  \
        GTEST_SKIP() << "conformance images not found: set TESSOLO_TESTDATA or place " \
                        "them at ../shared/testdata"
