#include "settings/settings_store.h"

#include "support/testdata.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tessolo {
namespace {

// Each saver writes its own number into every field it sets and a class list
// long enough that a torn or interleaved file would show.
void SaveRepeatedly(const std::string& file, int saver, int rounds)
{
    FormatPrefsSet records;
    OrvaneRegistry store(records, {.storeFile = file, .saveOnDestruction = false});
    store.ResizeWidth = saver;
    store.ResizeHeight = saver;
    store.SpriteClass = std::string(200000, char('a' + saver));
    records.PNGprefs.Quality = saver;
    for (int i = 0; i < rounds; ++i)
        store.SaveSettings();
}

// A store read while the savers run must be whole: none yet (all
// defaults), or every value of one saver.
void ExpectOneCompleteStore(const std::string& file)
{
    FormatPrefsSet records;
    OrvaneRegistry store(records, {.storeFile = file, .saveOnDestruction = false});
    ASSERT_EQ(store.LoadWarning(), "");
    if (store.ResizeWidth == 320) {
        EXPECT_EQ(store.SpriteClass, ".sprite");
        return;
    }
    int saver = store.ResizeWidth;
    ASSERT_TRUE(saver == 1 || saver == 2) << saver;
    EXPECT_EQ(store.ResizeHeight, saver);
    EXPECT_EQ(store.SpriteClass, std::string(200000, char('a' + saver)));
    EXPECT_EQ(records.PNGprefs.Quality, saver);
}

TEST(ConcurrentSave, TwoProcessesSavingLeaveOneCompleteStore)
{
    test::TempDir dir;
    const std::string file = dir / "Veltrand/Tessolo.reg";
    std::vector<pid_t> savers;
    for (int saver = 1; saver <= 2; ++saver) {
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            try {
                SaveRepeatedly(file, saver, 40);
                ::_exit(0);
            } catch (...) {
                ::_exit(1);
            }
        }
        savers.push_back(child);
    }
    for (pid_t child : savers) {
        int status = 0;
        while (::waitpid(child, &status, WNOHANG) == 0 && !HasFailure())
            ExpectOneCompleteStore(file);
        if (!HasFailure())
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        else
            ::waitpid(child, &status, 0);
    }
    ExpectOneCompleteStore(file);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "Veltrand"), {}), 1)
        << "temporary files left behind";
}

}  // namespace
}  // namespace tessolo
