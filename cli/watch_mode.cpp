#include "cli/watch_mode.h"

#include "platform/error.h"
#include "platform/files.h"
#include "platform/folder_watch.h"
#include "platform/printable_text.h"
#include "platform/stop_signals.h"
#include "sprite/source_files.h"

#include <iostream>
#include <poll.h>

namespace tessolo::cli {

namespace {

// A line on standard error, with file names made harmless to the terminal.
void Say(const std::string& message)
{
    std::cerr << "tessolo-cli: " << PrintableText(message) << std::endl;
}

// Runs one build; what it throws is reported and the watch goes on. A build
// refused because the folder was busy (another watch building after the same
// change, say) is tried again for a while, so its outputs do not stay out of
// date until the next change.
void BuildReporting(const WatchBuild& build, bool rebuild, int stopFd)
{
    constexpr int kTries = 40;
    constexpr int kPauseMs = 250;
    try {
        for (int attempt = 1; build(rebuild) == WatchBuildOutcome::FolderBusy; ++attempt) {
            pollfd stop{stopFd, POLLIN, 0};
            if (attempt == kTries || ::poll(&stop, 1, kPauseMs) != 0)
                return;
        }
    } catch (const std::exception& error) {
        Say(ErrorReportText(error.what()));
    }
}

// Whether a change to the file `name` of `folder` calls for a new build of
// `project`: an image file by its extension, but not one of the project's
// own outputs (NAME.<anything>), a temporary file of a build or a sheet that
// a build (of any project) wrote.
bool ChangeCallsForRebuild(const std::string& folder, std::string_view name,
                           const std::string& project)
{
    return IsImageFileName(name) && !IsTemporaryFileName(name) &&
           !IsOutputOfProject(name, project) && !IsWrittenSheet(folder, name);
}

}  // namespace

int WatchFolder(const std::string& folder, const std::string& project, const WatchBuild& build)
{
    // Both are in place before the first build, so that neither a change nor
    // Ctrl+C during it is lost.
    StopSignals stop;
    FolderWatch watch(folder, [&folder, &project](std::string_view name) {
        return ChangeCallsForRebuild(folder, name, project);
    });

    BuildReporting(build, false, stop.Fd());
    Say("watching " + folder + " for changes to its images (Ctrl+C ends)");
    for (;;) {
        switch (watch.WaitForChange(stop.Fd())) {
        case FolderWatch::Outcome::Changed:
            BuildReporting(build, true, stop.Fd());
            break;
        case FolderWatch::Outcome::Stopped:
            Say("stopped watching " + folder);
            return 0;
        case FolderWatch::Outcome::FolderGone:
            Say(folder + " was deleted or moved away; watching ends");
            return 1;
        case FolderWatch::Outcome::PathRedirected:
            Say(folder + " no longer leads to the watched folder; watching ends");
            return 1;
        }
    }
}

}  // namespace tessolo::cli
