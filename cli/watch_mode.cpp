#include "cli/watch_mode.h"

#include "platform/error.h"
#include "platform/files.h"
#include "platform/folder_watch.h"
#include "platform/stop_signals.h"
#include "sprite/source_files.h"

#include <iostream>

namespace tessolo::cli {

namespace {

// Runs one build; what it throws is reported and the watch goes on.
void BuildReporting(const std::function<void(bool rebuild)>& build, bool rebuild)
{
    try {
        build(rebuild);
    } catch (const std::exception& error) {
        std::cerr << "tessolo-cli: " << ErrorReportText(error.what()) << "\n";
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

int WatchFolder(const std::string& folder, const std::string& project,
                const std::function<void(bool rebuild)>& build)
{
    // Both are in place before the first build, so that neither a change nor
    // Ctrl+C during it is lost.
    StopSignals stop;
    FolderWatch watch(folder, [&folder, &project](std::string_view name) {
        return ChangeCallsForRebuild(folder, name, project);
    });

    BuildReporting(build, false);
    std::cerr << "tessolo-cli: watching " << folder << " for changes to its images (Ctrl+C ends)"
              << std::endl;
    for (;;) {
        switch (watch.WaitForChange(stop.Fd())) {
        case FolderWatch::Outcome::Changed:
            BuildReporting(build, true);
            break;
        case FolderWatch::Outcome::Stopped:
            std::cerr << "tessolo-cli: stopped watching " << folder << std::endl;
            return 0;
        case FolderWatch::Outcome::FolderGone:
            std::cerr << "tessolo-cli: " << folder << " was deleted or moved away; watching ends"
                      << std::endl;
            return 1;
        case FolderWatch::Outcome::PathRedirected:
            std::cerr << "tessolo-cli: " << folder
                      << " no longer leads to the watched folder; watching ends" << std::endl;
            return 1;
        }
    }
}

}  // namespace tessolo::cli
