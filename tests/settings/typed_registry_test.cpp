#include "settings/typed_registry.h"

#include "platform/error.h"
#include "settings_test_env.h"
#include "support/testdata.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace tessolo {
namespace {

using test::ReadText;
using test::WriteText;

constexpr std::string_view kPath = "\\Software\\Veltrand\\Tessolo";
const std::string kSection = "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Veltrand\\Tessolo]\n";

class ExtRegistryTest : public ::testing::Test {
protected:
    test::TempDir dir;
    std::string file = dir / "Veltrand/Tessolo.reg";

    void Store(std::string_view lines)
    {
        std::filesystem::create_directories(dir / "Veltrand");
        WriteText(file, kSection + std::string(lines));
    }
};

TEST_F(ExtRegistryTest, ReadsFallBackToTheDefaultUnlessTypeAndSizeFit)
{
    Store("\"Orientation\"=dword:00000002\n"
          "\"Byte\"=hex:ff\n"
          "\"TwoBytes\"=hex:01,02\n"
          "\"NoBytes\"=hex:\n"
          "\"Unknown\"=hex(7):09\n"
          "\"SpriteClass\"=\"\"\n"
          "\"ResizeWidth\"=\"500\"\n"
          "\"Expand\"=hex(2):24,48,4f,4d,45\n"
          "\"Zero\"=hex(1):61,00,62\n"
          "\"ZeroFirst\"=hex(1):00,62\n"
          "\"ShortInt\"=hex(4):01,02\n"
          "\"Negative\"=dword:fffffffe\n");
    OvRegBase key(kPath, file);
    EXPECT_EQ(key.ReadByteDef("Orientation", 0), 0);
    EXPECT_EQ(key.ReadByteDef("Byte", 0), 255);
    EXPECT_EQ(key.ReadByteDef("TwoBytes", 7), 7);
    EXPECT_EQ(key.ReadByteDef("NoBytes", 7), 7);
    EXPECT_EQ(key.ReadByteDef("Unknown", 7), 9);
    EXPECT_EQ(key.ReadByteDef("SpriteClass", 7), 7);
    EXPECT_EQ(key.ReadByteDef("Missing", 7), 7);
    EXPECT_EQ(key.ReadStringDef("SpriteClass", ".sprite"), ".sprite");
    EXPECT_EQ(key.ReadStringDef("Expand", "d"), "$HOME");
    EXPECT_EQ(key.ReadStringDef("Zero", "d"), "a");
    EXPECT_EQ(key.ReadStringDef("ZeroFirst", "d"), "d");
    EXPECT_EQ(key.ReadStringDef("Byte", "d"), "d");
    EXPECT_EQ(key.ReadStringDef("Orientation", "d"), "d");
    EXPECT_EQ(key.ReadIntegerDef("ResizeWidth", 320), 320);
    EXPECT_EQ(key.ReadIntegerDef("ShortInt", 320), 320);
    EXPECT_EQ(key.ReadIntegerDef("Byte", 320), 320);
    EXPECT_EQ(key.ReadIntegerDef("Orientation", 320), 2);
    EXPECT_EQ(key.ReadIntegerDef("orientation", 320), 2);
    EXPECT_EQ(key.ReadIntegerDef("Negative", 320), -2);
    EXPECT_EQ(key.LoadWarning(), "");
}

TEST_F(ExtRegistryTest, OpeningAMissingStoreWritesNothingUntilFlush)
{
    {
        OvRegBase key(kPath, file);
        EXPECT_EQ(key.LoadWarning(), "");
        key.WriteIntegerValue("Width", 1);
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "Veltrand"));
    OvRegBase key(kPath, file);
    key.WriteIntegerValue("Width", 1);
    key.Flush();
    EXPECT_EQ(ReadText(file), kSection + "\"Width\"=dword:00000001\n\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "Veltrand"), {}), 1);
}

TEST_F(ExtRegistryTest, FlushedValuesReadBackAndOthersInTheKeyStay)
{
    Store("\"Kept\"=hex(b):01,00,00,00,00,00,00,00\n\"Width\"=\"old\"\n");
    {
        OvRegBase key(kPath, file);
        key.WriteIntegerValue("Width", -7);
        key.WriteStringValue("Path", "/a \"b\"\\c\nnext");
        key.WriteStringValue("Cut", std::string_view("abc\0def", 7));
        key.WriteByteValue("Code", 200);
        key.Flush();
    }
    OvRegBase key(kPath, file);
    EXPECT_EQ(key.ReadIntegerDef("Width", 0), -7);
    EXPECT_EQ(key.ReadStringDef("Path", ""), "/a \"b\"\\c\nnext");
    EXPECT_EQ(key.ReadStringDef("Cut", ""), "abc");
    EXPECT_EQ(key.ReadByteDef("Code", 0), 200);
    EXPECT_NE(ReadText(file).find("\"Kept\"=hex(b):01,00,00,00,00,00,00,00\n\"Width\"=dword:fffffff9\n"),
              std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(file + ".bad"));
}

TEST_F(ExtRegistryTest, DamagedFileIsToldOnceAndKeptBesideTheNextSave)
{
    const std::string damaged = kSection + "\"Good\"=dword:00000003\n\"Bad\"=dword:xyz\n";
    Store(damaged.substr(kSection.size()));
    OvRegBase key(kPath, file);
    EXPECT_EQ(key.ReadIntegerDef("Good", 0), 3);
    EXPECT_EQ(key.LoadWarning(),
              "Settings file " + file + ": line 5 cannot be used. The affected settings have their "
              "default values; the file will be kept as " + file + ".bad when the settings are next saved.");
    EXPECT_FALSE(std::filesystem::exists(file + ".bad"));
    key.Flush();
    EXPECT_EQ(ReadText(file + ".bad"), damaged);
    EXPECT_EQ(ReadText(file), kSection + "\"Good\"=dword:00000003\n\n");
    key.WriteByteValue("Later", 1);
    key.Flush();
    EXPECT_EQ(ReadText(file + ".bad"), damaged);
}

TEST_F(ExtRegistryTest, OversizedFileIsNotRead)
{
    Store("\"Good\"=dword:00000003\n" + std::string(1 << 20, ';'));
    OvRegBase key(kPath, file);
    EXPECT_EQ(key.ReadIntegerDef("Good", 0), 0);
    EXPECT_NE(key.LoadWarning().find("the file is larger than 1 MiB"), std::string::npos);
}

TEST_F(ExtRegistryTest, SaveIsRefusedWhenTheNextStartCouldNotReadIt)
{
    // "Big"="..." on its own line, then the closing empty line.
    const std::size_t fits = (1 << 20) - kSection.size() - std::string("\"Big\"=\"\"\n\n").size();
    {
        OvRegBase key(kPath, file);
        key.WriteStringValue("Big", std::string(fits, 'x'));
        key.Flush();
    }
    ASSERT_EQ(std::filesystem::file_size(file), 1u << 20);
    OvRegBase key(kPath, file);
    EXPECT_EQ(key.ReadStringDef("Big", "").size(), fits);
    EXPECT_EQ(key.LoadWarning(), "");

    key.WriteStringValue("Big", std::string(fits + 1, 'y'));
    try {
        key.Flush();
        ADD_FAILURE() << "a store larger than 1 MiB was saved";
    } catch (const Error& failure) {
        EXPECT_EQ(std::string(failure.what()),
                  "Cannot save the settings: they take 1048577 bytes, more than the 1 MiB that a "
                  "settings file may hold");
    }
    EXPECT_EQ(ReadText(file), kSection + "\"Big\"=\"" + std::string(fits, 'x') + "\"\n\n");
}

TEST_F(ExtRegistryTest, UnwritableFolderGivesDefaultsAndAFailedFlush)
{
    WriteText(dir / "plain-file", "not a folder");
    const std::string unreachable = dir / "plain-file/Veltrand/Tessolo.reg";
    OvRegBase key(kPath, unreachable);
    EXPECT_EQ(key.ReadIntegerDef("Width", 320), 320);
    EXPECT_EQ(key.LoadWarning(), "");
    key.WriteIntegerValue("Width", 1);
    EXPECT_THROW(key.Flush(), Error);
    EXPECT_EQ(ReadText(dir / "plain-file"), "not a folder");
}

TEST_F(ExtRegistryTest, StoreNamedWithoutAFolderLivesInTheWorkingFolder)
{
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path());
    try {
        OvRegBase key(kPath, "here.reg");
        key.WriteByteValue("Code", 1);
        key.Flush();
    } catch (const Error& failure) {
        ADD_FAILURE() << failure.what();
    }
    std::filesystem::current_path(before);
    EXPECT_EQ(ReadText(dir / "here.reg"), kSection + "\"Code\"=hex:01\n\n");
}

TEST_F(ExtRegistryTest, StoreThatIsNotAFileIsNeverReadNorReplaced)
{
    std::filesystem::create_directories(file);
    WriteText(file + "/inside", "mine");
    OvRegBase key(kPath, file);
    EXPECT_EQ(key.LoadWarning(), "Settings file " + file + " is a folder, not a file. The settings "
                                 "have their default values and cannot be saved there.");
    key.WriteByteValue("Code", 1);
    try {
        key.Flush();
        ADD_FAILURE() << "a folder was replaced by the store";
    } catch (const Error& failure) {
        EXPECT_EQ(std::string(failure.what()), "Cannot save the settings: " + file + " is a folder, not a file");
    }
    EXPECT_EQ(ReadText(file + "/inside"), "mine");
    EXPECT_FALSE(std::filesystem::exists(file + ".bad"));

    // A named pipe is neither opened (which would wait for a writer) nor replaced.
    const std::string pipe = dir / "pipe.reg";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    OvRegBase piped(kPath, pipe);
    EXPECT_NE(piped.LoadWarning().find(pipe + " is not a regular file."), std::string::npos);
    EXPECT_THROW(piped.Flush(), Error);
    EXPECT_TRUE(std::filesystem::is_fifo(pipe));
}

// A store kept elsewhere, as people do to share their settings, and reached
// through a relative link from the usual place.
class LinkedStoreTest : public ExtRegistryTest {
protected:
    std::string target = dir / "shared/tessolo.reg";

    void SetUp() override
    {
        std::filesystem::create_directories(dir / "Veltrand");
        std::filesystem::create_directories(dir / "shared");
        std::filesystem::create_symlink("../shared/tessolo.reg", file);
    }

    void ExpectLinkKept()
    {
        EXPECT_TRUE(std::filesystem::is_symlink(file));
        EXPECT_EQ(std::filesystem::read_symlink(file), "../shared/tessolo.reg");
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "Veltrand"), {}), 1);
    }
};

TEST_F(LinkedStoreTest, SaveReplacesTheTargetAndKeepsTheLink)
{
    WriteText(target, kSection + "\"Width\"=dword:00000002\n");
    {
        OvRegBase key(kPath, file);
        EXPECT_EQ(key.ReadIntegerDef("Width", 0), 2);
        key.WriteIntegerValue("Width", 3);
        key.Flush();
    }
    ExpectLinkKept();
    EXPECT_EQ(ReadText(target), kSection + "\"Width\"=dword:00000003\n\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "shared"), {}), 1);

    // A damaged target is kept beside itself, where the warning says.
    WriteText(target, kSection + "junk\n");
    OvRegBase key(kPath, file);
    const std::string kept = (std::filesystem::canonical(dir / "shared") / "tessolo.reg.bad").string();
    EXPECT_NE(key.LoadWarning().find("kept as " + kept + " when"), std::string::npos) << key.LoadWarning();
    key.Flush();
    ExpectLinkKept();
    EXPECT_EQ(ReadText(target + ".bad"), kSection + "junk\n");
    EXPECT_EQ(ReadText(target), kSection + "\n");
}

TEST_F(LinkedStoreTest, DanglingLinkGetsItsTargetAndALoopIsRefused)
{
    {
        OvRegBase key(kPath, file);
        key.WriteByteValue("Code", 7);
        key.Flush();
    }
    ExpectLinkKept();
    EXPECT_EQ(ReadText(target), kSection + "\"Code\"=hex:07\n\n");

    std::filesystem::remove(target);
    std::filesystem::create_symlink("../Veltrand/Tessolo.reg", target);
    OvRegBase key(kPath, file);
    EXPECT_THROW(key.Flush(), Error);
    ExpectLinkKept();
    EXPECT_TRUE(std::filesystem::is_symlink(target));
}

}  // namespace
}  // namespace tessolo
