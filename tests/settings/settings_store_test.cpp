#include "settings/settings_store.h"

#include "codecs/bmp/bmp_codec.h"
#include "platform/error.h"
#include "settings/delimited_text.h"
#include "settings/live_settings.h"
#include "settings_test_env.h"
#include "support/testdata.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tessolo {
namespace {

using test::ReadText;
using test::WriteText;

const std::string kSection = "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Veltrand\\Tessolo]\n";

// Points the user's home and configuration folders into a temporary folder.
class SettingsTest : public ::testing::Test {
protected:
    test::TempDir dir;
    test::ScopedEnv home{"HOME", dir / "home"};
    test::ScopedEnv config{"XDG_CONFIG_HOME", dir / "config"};
    std::string file = dir / "config/Veltrand/Tessolo.reg";
    FormatPrefsSet records;

    void Store(std::string_view lines)
    {
        std::filesystem::create_directories(dir / "config/Veltrand");
        WriteText(file, kSection + std::string(lines));
    }
};

TEST_F(SettingsTest, FirstRunStartsWithoutAStoreAndSavesEveryDefault)
{
    OrvaneRegistry store(records, {.saveOnDestruction = false});
    EXPECT_EQ(store.StoreFile(), file);
    EXPECT_FALSE(std::filesystem::exists(dir / "config"));
    EXPECT_EQ(store.LoadWarning(), "");
    EXPECT_EQ(store.DefaultPath, dir / "home");
    EXPECT_EQ(records.JPGprefs, kDefaultJPGprefs);
    EXPECT_EQ(records.BMPprefs, kDefaultBMPprefs);
    store.SaveSettings();
    EXPECT_EQ(ReadText(file), kSection + "\"DefaultPath\"=\"" + (dir / "home") + "\"\n"
                                         "\"TargetFileType\"=hex:00\n"
                                         "\"SpriteClass\"=\".sprite\"\n"
                                         "\"ListType\"=hex:00\n"
                                         "\"Orientation\"=hex:00\n"
                                         "\"ResizeMethod\"=hex:00\n"
                                         "\"ResizePercentage\"=dword:00000064\n"
                                         "\"ResizeWidth\"=dword:00000140\n"
                                         "\"ResizeHeight\"=dword:000000f0\n"
                                         "\"HorizontalPadding\"=dword:00000005\n"
                                         "\"VerticalPadding\"=dword:00000005\n"
                                         "\"SheetBackground\"=hex:00\n"
                                         "\"DedupeImages\"=hex:00\n"
                                         "\"Retina\"=hex:00\n"
                                         "\"JPGprefs\"=\"0,0,0,100,0,0\"\n"
                                         "\"PNGprefs\"=\"1,0,0,9,9,0\"\n"
                                         "\"GIFprefs\"=\"2,0,0,0,9,0\"\n"
                                         "\"BMPprefs\"=\"3,0,0,0,0,2\"\n"
                                         "\"WEBPprefs\"=\"4,0,0,0,0,0\"\n"
                                         "\"AVIFprefs\"=\"5,0,0,80,0,0\"\n"
                                         "\"BaseRule\"=hex:00\n"
                                         "\"DataFormats\"=hex:00\n"
                                         "\"HtmlPreview\"=hex:00\n"
                                         "\"PseudoClasses\"=hex:00\n"
                                         "\"CssUnits\"=hex:00\n"
                                         "\"PngColors\"=dword:00000000\n"
                                         "\"PngDither\"=hex:00\n"
                                         "\"SheetFolder\"=\"\"\n"
                                         "\"StylesheetFolder\"=\"\"\n"
                                         "\"SheetUrl\"=\"\"\n"
                                         "\"CacheBust\"=hex:00\n"
                                         "\"Templates\"=\"\"\n"
                                         "\"ViewerGeometry\"=\"\"\n"
                                         "\"MainWindowGeometry\"=\"\"\n"
                                         "\"RecentFolders\"=\"\"\n"
                                         "\"ShowThumbnails\"=hex:01\n"
                                         "\"MaxSheetWidth\"=dword:00000000\n"
                                         "\"MaxSheetHeight\"=dword:00000000\n"
                                         "\"AlsoFormats\"=dword:00000000\n"
                                         "\"GifQuantizer\"=hex:00\n"
                                         "\"SvgSize\"=dword:00000000\n"
                                         "\"Scales\"=dword:00000000\n"
                                         "\n");
}

TEST_F(SettingsTest, StoreLivesInTheUsersConfigurationFolder)
{
    {
        test::ScopedEnv unset{"XDG_CONFIG_HOME", std::nullopt};
        EXPECT_EQ(OrvaneRegistry(records, {.saveOnDestruction = false}).StoreFile(),
                  dir / "home/.config/Veltrand/Tessolo.reg");
    }
    {
        test::ScopedEnv relative{"XDG_CONFIG_HOME", "relative/config"};
        EXPECT_EQ(OrvaneRegistry(records, {.saveOnDestruction = false}).StoreFile(),
                  dir / "home/.config/Veltrand/Tessolo.reg");
    }
    const std::string chosen = dir / "elsewhere/my.reg";
    EXPECT_EQ(OrvaneRegistry(records, {.storeFile = chosen, .saveOnDestruction = false}).StoreFile(), chosen);
}

TEST_F(SettingsTest, EveryFieldAndRecordSurvivesASaveAndLoad)
{
    {
        OrvaneRegistry store(records);
        store.DefaultPath = dir / "my sprites";
        store.TargetFileType = 259;  // one-byte fields keep their low byte
        store.ListType = 1;
        store.Orientation = 3;
        store.ResizeMethod = 258;
        store.ResizePercentage = 50;
        store.ResizeWidth = 0;  // the ends of the stored ranges
        store.ResizeHeight = 65535;
        store.HorizontalPadding = 0;
        store.VerticalPadding = -65535;
        store.BaseRule = 1;
        store.DataFormats = 5;  // SCSS and JSON
        store.HtmlPreview = 1;
        store.SheetBackground = 1;
        store.DedupeImages = 1;
        store.SpriteClass = JoinDelimitedText({".a", "my class", "say \"hi\""});
        records.JPGprefs = {0, 1, 1, 80, -5, 0};
        records.PNGprefs = {1, 1, 0, 6, 9, 0};
        records.GIFprefs = {2, 0, 0, 1, 9, 0};
        records.BMPprefs = {3, 0, 0, 0, 0, 7};
    }
    FormatPrefsSet loaded;
    OrvaneRegistry store(loaded, {.saveOnDestruction = false});
    EXPECT_EQ(store.DefaultPath, dir / "my sprites");
    EXPECT_EQ(store.TargetFileType, 3);
    EXPECT_EQ(store.ListType, 1);
    EXPECT_EQ(store.Orientation, 3);
    EXPECT_EQ(store.ResizeMethod, 2);
    EXPECT_EQ(store.ResizePercentage, 50);
    EXPECT_EQ(store.ResizeWidth, 0);
    EXPECT_EQ(store.ResizeHeight, 65535);
    EXPECT_EQ(store.HorizontalPadding, 0);
    EXPECT_EQ(store.VerticalPadding, -65535);
    EXPECT_EQ(store.BaseRule, 1);
    EXPECT_EQ(store.DataFormats, 5);
    EXPECT_EQ(store.HtmlPreview, 1);
    EXPECT_EQ(store.SheetBackground, 1);
    EXPECT_EQ(store.DedupeImages, 1);
    EXPECT_EQ(SplitDelimitedText(store.SpriteClass),
              (std::vector<std::string>{".a", "my class", "say \"hi\""}));
    EXPECT_NE(ReadText(file).find("\"SpriteClass\"=\".a,\\\"my class\\\",\\\"say \\\"\\\"hi\\\"\\\"\\\"\"\n"),
              std::string::npos);
    EXPECT_EQ(loaded.JPGprefs, records.JPGprefs);
    EXPECT_EQ(loaded.PNGprefs, records.PNGprefs);
    EXPECT_EQ(loaded.GIFprefs, records.GIFprefs);
    EXPECT_EQ(loaded.BMPprefs, records.BMPprefs);
}

TEST_F(SettingsTest, StoredTextsLoadByTheirRulesAndMistypedOrOutOfRangeNumbersAreReported)
{
    Store("\"Orientation\"=dword:00000002\n"
          "\"ListType\"=hex:01\n"
          "\"ResizeMethod\"=hex:09\n"
          "\"SpriteClass\"=\".a .b\"\n"
          "\"DefaultPath\"=\"\"\n"
          "\"JPGprefs\"=\"0,1,0,80,0,0,7\"\n"
          "\"PNGprefs\"=\"1 1 0 6 9 0\"\n"
          "\"GIFprefs\"=\"2,0,0,1,9,0\"\n"
          "\"BMPprefs\"=\"\"\n"
          // The viewer's box as earlier versions kept it.
          "\"ViewerLeft\"=dword:fffffff6\n"
          "\"ViewerTop\"=dword:00000014\n"
          "\"ViewerWidth\"=dword:0000012c\n"
          "\"ViewerHeight\"=dword:000000c8\n");
    OrvaneRegistry store(records, {.saveOnDestruction = false});
    EXPECT_EQ(store.ViewerGeometry, "-10,20,300,200");
    EXPECT_EQ(store.Orientation, 0);
    EXPECT_EQ(store.ListType, 1);
    EXPECT_EQ(store.ResizeMethod, 0);
    EXPECT_EQ(store.DedupeImages, 0);  // a store from before the option
    EXPECT_EQ(SplitDelimitedText(store.SpriteClass), (std::vector<std::string>{".a", ".b"}));
    EXPECT_EQ(store.DefaultPath, dir / "home");
    EXPECT_EQ(records.JPGprefs, (TFormatPrefs{0, 1, 0, 80, 0, 0}));
    EXPECT_EQ(records.PNGprefs, (TFormatPrefs{1, 1, 0, 6, 9, 0}));
    EXPECT_EQ(records.GIFprefs, (TFormatPrefs{2, 0, 0, 1, 9, 0}));
    EXPECT_EQ(records.BMPprefs, kDefaultBMPprefs);
    EXPECT_EQ(store.LoadWarning(),
              "Settings file " + file + ": Orientation is not stored as one byte; ResizeMethod 9 is "
              "not from 0 to 2. The affected settings have their default values; the file will be "
              "kept as " + file + ".bad when the settings are next saved.");
}

TEST_F(SettingsTest, DamagedRecordKeepsItsDefaultsWhileTheRestLoads)
{
    const std::string stored = "\"JPGprefs\"=\"0,1,0,80\"\n"
                               "\"PNGprefs\"=\"1,1,0,six,9,0\"\n"
                               "\"GIFprefs\"=\"2,0,0,1,9,0\"\n"
                               "\"ResizeWidth\"=dword:00000064\n";
    Store(stored);
    OrvaneRegistry store(records, {.saveOnDestruction = false});
    EXPECT_EQ(records.JPGprefs, kDefaultJPGprefs);
    EXPECT_EQ(records.PNGprefs, kDefaultPNGprefs);
    EXPECT_EQ(records.GIFprefs, (TFormatPrefs{2, 0, 0, 1, 9, 0}));
    EXPECT_EQ(store.ResizeWidth, 100);
    EXPECT_EQ(store.LoadWarning(),
              "Settings file " + file + ": JPGprefs does not hold six whole numbers; PNGprefs does not "
              "hold six whole numbers. The affected settings have their default values; the file will "
              "be kept as " + file + ".bad when the settings are next saved.");
    store.SaveSettings();
    EXPECT_EQ(ReadText(file + ".bad"), kSection + stored);
    EXPECT_NE(ReadText(file).find("\"JPGprefs\"=\"0,0,0,100,0,0\""), std::string::npos);
}

TEST_F(SettingsTest, UnreadableStoreGivesDefaultsAndAWarningNotAnError)
{
    std::filesystem::create_directories(dir / "config/Veltrand");
    WriteText(file, "\x89PNG\r\n\x1a\n garbage \"ResizeWidth\"=dword:00000001\n");
    const std::string damaged = ReadText(file);
    OrvaneRegistry store(records, {.saveOnDestruction = false});
    EXPECT_EQ(store.ResizeWidth, 320);
    EXPECT_EQ(store.SpriteClass, ".sprite");
    EXPECT_NE(store.LoadWarning().find("the file does not begin with REGEDIT4"), std::string::npos);
    store.SaveSettings();
    EXPECT_EQ(ReadText(file + ".bad"), damaged);
    FormatPrefsSet reloaded;
    EXPECT_EQ(OrvaneRegistry(reloaded, {.saveOnDestruction = false}).LoadWarning(), "");
}

TEST_F(SettingsTest, FailedSaveIsReportedAndNeverThrownFromTheDestructor)
{
    WriteText(dir / "plain-file", "x");
    test::ScopedEnv unwritable{"XDG_CONFIG_HOME", dir / "plain-file"};
    const std::string unreachable = dir / "plain-file/Veltrand/Tessolo.reg";
    std::vector<std::string> reported;
    {
        OrvaneRegistry store(records, {.reportSaveFailure = [&](const std::string& m) { reported.push_back(m); }});
        EXPECT_EQ(store.ResizeWidth, 320);
        EXPECT_EQ(store.LoadWarning(), "");
        try {
            store.SaveSettings();
            ADD_FAILURE() << "a save into an unwritable folder succeeded";
        } catch (const Error& failure) {
            EXPECT_NE(std::string(failure.what()).find(unreachable), std::string::npos);
        }
    }
    ASSERT_EQ(reported.size(), 1u);
    EXPECT_NE(reported[0].find("Cannot create the folder of " + unreachable), std::string::npos);
}

TEST_F(SettingsTest, OnlyASaveWritesTheStore)
{
    {
        OrvaneRegistry store(records, {.saveOnDestruction = false});
        store.Orientation = 2;
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "config"));

    // Changes lost by an abnormal end are not in the store at the next start.
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        FormatPrefsSet childRecords;
        OrvaneRegistry store(childRecords);
        store.Orientation = 2;
        childRecords.PNGprefs.Quality = 1;
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_FALSE(std::filesystem::exists(dir / "config"));
}

TEST_F(SettingsTest, ModulePublishesTheStoreAndSavesAtShutdown)
{
    EXPECT_EQ(Settings, nullptr);
    {
        TPropertiesModule module(records);
        ASSERT_NE(Settings, nullptr);
        EXPECT_THROW(TPropertiesModule second(records), Error);
        EXPECT_NE(Settings, nullptr);
        Settings->HorizontalPadding = 12;
        records.BMPprefs.PixelFormat = kBmp24Bits;
    }
    EXPECT_EQ(Settings, nullptr);
    FormatPrefsSet loaded;
    OrvaneRegistry store(loaded, {.saveOnDestruction = false});
    EXPECT_EQ(store.HorizontalPadding, 12);
    EXPECT_EQ(loaded.BMPprefs.PixelFormat, 6);
}

}  // namespace
}  // namespace tessolo
