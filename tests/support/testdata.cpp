#include "support/testdata.h"

#include <nlohmann/json.hpp>

#include <cstdlib>
#include <fstream>
#include <random>
#include <stdexcept>

namespace tessolo::test {

std::filesystem::path TestDataDir()
{
    namespace fs = std::filesystem;
    if (const char* env = std::getenv("TESSOLO_TESTDATA"); env && *env)
        return fs::is_directory(env) ? fs::path(env) : fs::path();
    fs::path beside = fs::path(TESSOLO_SOURCE_DIR) / ".." / "shared" / "testdata";
    return fs::is_directory(beside) ? fs::canonical(beside) : fs::path();
}

std::vector<int> ExpectedSamples(const std::filesystem::path& jsonFile)
{
    return nlohmann::json::parse(std::ifstream(jsonFile)).get<std::vector<int>>();
}

std::vector<std::string> FolderEntries(const std::filesystem::path& dir)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    return names;
}

TempDir::TempDir()
{
    std::random_device rd;
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto candidate = std::filesystem::temp_directory_path() /
                         ("tessolo-test-" + std::to_string(rd()));
        if (std::filesystem::create_directory(candidate)) {
            path_ = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

}  // namespace tessolo::test
