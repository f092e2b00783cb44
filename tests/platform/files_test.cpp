#include "platform/error.h"
#include "platform/files.h"

#include "support/testdata.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace tessolo {
namespace {

TEST(ErrorReport, FullStopUnlessTheMessageEndsInOneOrBelow)
{
    EXPECT_EQ(ErrorReportText("Bitmap image is not valid"), "Bitmap image is not valid.");
    EXPECT_EQ(ErrorReportText("Done."), "Done.");
    EXPECT_EQ(ErrorReportText("Why?"), "Why?.");  // '?' sorts above '.'
    EXPECT_EQ(ErrorReportText("Stop!"), "Stop!");
    EXPECT_EQ(ErrorReportText("range 1-"), "range 1-");
    EXPECT_EQ(ErrorReportText("trailing "), "trailing ");
    EXPECT_EQ(ErrorReportText("path /"), "path /.");  // '/' sorts just above '.'
    EXPECT_EQ(ErrorReportText("caf\xC3\xA9"), "caf\xC3\xA9.");
    EXPECT_EQ(ErrorReportText(""), ".");
}

std::vector<std::string> FolderEntries(const std::filesystem::path& dir)
{
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir))
        names.push_back(e.path().filename().string());
    return names;
}

// Makes every write beyond `bytes` fail with EFBIG while in scope.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &saved_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, oldHandler_);
    }

private:
    rlimit saved_{};
    void (*oldHandler_)(int);
};

TEST(Files, ReplacingWriteIsAllOrNothing)
{
    test::TempDir dir;
    const std::string path = dir / "sheet.bmp";
    const Bytes first(100, 1), second(5000, 2);
    WriteFileReplacing(path, first);
    EXPECT_EQ(ReadFileBytes(path), first);

    {
        FileSizeLimit limit(1000);
        EXPECT_THROW(WriteFileReplacing(path, second), Error);
    }
    EXPECT_EQ(ReadFileBytes(path), first);
    EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{"sheet.bmp"});

    WriteFileReplacing(path, second);
    EXPECT_EQ(ReadFileBytes(path), second);
    EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{"sheet.bmp"});

    // A folder in the way of the rename: refused, folder intact, no temp file.
    std::filesystem::create_directory(dir / "taken");
    std::filesystem::create_directory(dir / "taken/inner");
    EXPECT_THROW(WriteFileReplacing(dir / "taken", first), Error);
    EXPECT_TRUE(std::filesystem::is_directory(dir / "taken/inner"));
    EXPECT_EQ(FolderEntries(dir.Path()).size(), 2u);
}

TEST(Files, MissingPlacesNameThePath)
{
    test::TempDir dir;
    const std::string missingFolder = dir / "gone/sheet.bmp";
    try {
        WriteFileReplacing(missingFolder, Bytes(3));
        ADD_FAILURE();
    } catch (const FileCreateError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot create file " + missingFolder);
    }
    try {
        ReadFileBytes(dir / "none.png");
        ADD_FAILURE();
    } catch (const FileOpenError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open file " + dir / "none.png");
    }
    EXPECT_THROW(ReadFileBytes(dir.Path().string()), FileOpenError);  // a folder is no file
}

}  // namespace
}  // namespace tessolo
