#include "platform/error.h"
#include "platform/files.h"
#include "platform/folder_watch.h"
#include "platform/stop_signals.h"

#include "support/testdata.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <poll.h>
#include <sys/timerfd.h>
#include <thread>
#include <unistd.h>

namespace tessolo {
namespace {

using namespace std::chrono_literals;
using Outcome = FolderWatch::Outcome;

// A descriptor that becomes readable after `delay`: the bound on a wait that
// should see no change.
class StopAfter {
public:
    explicit StopAfter(std::chrono::milliseconds delay)
        : fd_(::timerfd_create(CLOCK_MONOTONIC, TFD_CLOEXEC))
    {
        itimerspec when{};
        when.it_value.tv_sec = delay.count() / 1000;
        when.it_value.tv_nsec = delay.count() % 1000 * 1000000;
        ::timerfd_settime(fd_, 0, &when, nullptr);
    }
    ~StopAfter() { ::close(fd_); }
    int Fd() const { return fd_; }

private:
    int fd_;
};

bool IsPng(std::string_view name) { return name.ends_with(".png"); }

class FolderWatchTest : public ::testing::Test {
protected:
    void Write(const std::string& name) { WriteFileReplacing(dir / name, Bytes{1, 2, 3}); }
    // Waits for a change, or for at most `bound` when none comes.
    Outcome Wait(FolderWatch& watch, std::chrono::milliseconds bound = 10s)
    {
        StopAfter stop(bound);
        return watch.WaitForChange(stop.Fd());
    }

    test::TempDir dir;
    Settling fast{.quiet = 100ms, .longest = 2s};
};

TEST_F(FolderWatchTest, EveryKindOfChangeToACountedFileCounts)
{
    Write("old.png");
    Write("draft.tmp");
    FolderWatch watch(dir.Path().string(), IsPng, fast);

    auto expectChange = [&](const char* step, auto&& change) {
        change();
        EXPECT_EQ(Wait(watch), Outcome::Changed) << step;
    };
    expectChange("created", [&] { Write("new.png"); });
    expectChange("written in place", [&] {
        FILE* file = std::fopen((dir / "old.png").c_str(), "ab");
        std::fputc(7, file);
        std::fclose(file);
    });
    expectChange("renamed to a counted name",
                 [&] { std::filesystem::rename(dir / "draft.tmp", dir / "draft.png"); });
    expectChange("renamed away from a counted name",
                 [&] { std::filesystem::rename(dir / "new.png", dir / "new.txt"); });
    expectChange("deleted", [&] { std::filesystem::remove(dir / "old.png"); });
    expectChange("linked", [&] {
        std::filesystem::create_symlink(dir / "draft.png", dir / "link.png");
    });
}

TEST_F(FolderWatchTest, OnlyCountedNamesStartAChangeAndOneChangeTakesItsEventsTogether)
{
    FolderWatch watch(dir.Path().string(), IsPng, fast);
    Write("notes.txt");
    Write(".hidden");
    std::filesystem::create_directory(dir / "sub.png");
    Write("sub.png/inner.png");  // neither subfolders nor their files count
    EXPECT_EQ(Wait(watch, 600ms), Outcome::Stopped);

    for (const char* name : {"a.png", "b.png", "c.png", "notes.txt"})
        Write(name);
    EXPECT_EQ(Wait(watch), Outcome::Changed);
    EXPECT_EQ(Wait(watch, 600ms), Outcome::Stopped) << "the four writes were one change";
}

TEST_F(FolderWatchTest, AFolderThatNeverStopsChangingStillSettles)
{
    FolderWatch watch(dir.Path().string(), IsPng, {.quiet = 300ms, .longest = 800ms});
    std::atomic<bool> writing = true;
    std::thread writer([&] {
        while (writing) {
            Write("busy.png");
            std::this_thread::sleep_for(20ms);
        }
    });
    Outcome outcome = Wait(watch, 20s);
    writing = false;
    writer.join();
    EXPECT_EQ(outcome, Outcome::Changed);
}

TEST_F(FolderWatchTest, StopWinsOverAPendingChange)
{
    FolderWatch watch(dir.Path().string(), IsPng, fast);
    Write("a.png");
    int stop[2];
    ASSERT_EQ(::pipe(stop), 0);
    ASSERT_EQ(::write(stop[1], "x", 1), 1);
    EXPECT_EQ(watch.WaitForChange(stop[0]), Outcome::Stopped);
    ::close(stop[0]);
    ::close(stop[1]);
    EXPECT_EQ(Wait(watch), Outcome::Changed) << "the change is still there afterwards";
}

TEST_F(FolderWatchTest, TheFolderGoingAwayEndsTheWatch)
{
    for (bool moved : {false, true}) {
        SCOPED_TRACE(moved ? "moved" : "deleted");
        const std::string folder = dir / "watched";
        std::filesystem::create_directory(folder);
        FolderWatch watch(folder, IsPng, fast);
        WriteFileReplacing(folder + "/a.png", Bytes{1});
        if (moved)
            std::filesystem::rename(folder, dir / "elsewhere");
        else
            std::filesystem::remove_all(folder);
        EXPECT_EQ(Wait(watch), Outcome::FolderGone);
        std::filesystem::remove_all(dir / "elsewhere");
    }
}

TEST_F(FolderWatchTest, AFolderThatCannotBeWatchedIsRefusedWithTheReason)
{
    Write("file.png");
    for (const std::string& path : {dir / "missing", dir / "file.png"}) {
        try {
            FolderWatch watch(path, IsPng);
            ADD_FAILURE() << path << " was watched";
        } catch (const Error& error) {
            EXPECT_EQ(std::string(error.what()).rfind("Cannot watch folder " + path + ": ", 0), 0u)
                << error.what();
        }
    }
}

bool Blocked(int signal)
{
    sigset_t mask;
    ::pthread_sigmask(SIG_BLOCK, nullptr, &mask);
    return ::sigismember(&mask, signal) == 1;
}

TEST(StopSignals, SignalsBecomeReadableInsteadOfEndingTheProgramAndActOnlyOnce)
{
    ASSERT_FALSE(Blocked(SIGINT));
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        {
            StopSignals stop;
            EXPECT_TRUE(Blocked(signal));
            pollfd idle{stop.Fd(), POLLIN, 0};
            EXPECT_EQ(::poll(&idle, 1, 0), 0);
            ::raise(signal);  // ends the test program if it was not caught
            pollfd ready{stop.Fd(), POLLIN, 0};
            EXPECT_EQ(::poll(&ready, 1, 1000), 1);
        }
        // The signal was taken with the object, so unblocking it does not
        // end the program now.
        EXPECT_FALSE(Blocked(signal));
    }
}

}  // namespace
}  // namespace tessolo
