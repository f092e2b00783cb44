#include "info/version_strings.h"
#include "support/program_version.h"

#include <gtest/gtest.h>

namespace tessolo {
namespace {

std::vector<std::string> Read(std::span<const VersionValue> resource)
{
    std::vector<std::string> list;
    ReadVersionStrings(resource, list);
    return list;
}

TEST(VersionStrings, ProgramHasAllTenValuesInKeyOrder)
{
    std::vector<std::string> list;
    ReadVersionStrings(list);
    ASSERT_EQ(list.size(), 10u);
    EXPECT_EQ(list[0], "Veltrand Software");
    EXPECT_EQ(list[1], "Creates sprites and CSS files for JPEG, PNG, GIF and BMP graphics");
    EXPECT_EQ(list[kFileVersionItem], test::ProgramVersion());
    EXPECT_EQ(list[3], "Tessolo Sprite Maker");
    EXPECT_EQ(list[5], "");
    EXPECT_EQ(list[kOriginalFileNameItem], "Tessolo.exe");
    EXPECT_EQ(list[7], "Tessolo");
    EXPECT_EQ(list[8], "1.0.0.0");
    EXPECT_EQ(list[9], "");
    EXPECT_EQ(ProgramFileVersion(), test::ProgramVersion());
}

TEST(VersionStrings, KeysMatchWithoutRegardToCaseAndInKeyOrder)
{
    const VersionValue resource[] = {
        {"originalfilename", "x.exe"}, {"FILEVERSION", "2.0"}, {"comments", "c"}};
    EXPECT_EQ(Read(resource), (std::vector<std::string>{"2.0", "x.exe", "c"}));
}

TEST(VersionStrings, MissingKeysMoveLaterValuesUpAndEmptyValuesCount)
{
    const VersionValue resource[] = {{"FileDescription", "d"}, {"FileVersion", "1.2"},
                                     {"LegalCopyright", ""},   {"OriginalFilename", "t.exe"},
                                     {"Unknown", "never"}};
    std::vector<std::string> list = Read(resource);
    EXPECT_EQ(list, (std::vector<std::string>{"d", "1.2", "", "t.exe"}));
    std::vector<std::string> appended{"kept"};
    ReadVersionStrings(std::span<const VersionValue>(), appended);
    EXPECT_EQ(appended, std::vector<std::string>{"kept"});
}

}  // namespace
}  // namespace tessolo
