#include "cli/watch_mode.h"

#include "platform/error.h"
#include "platform/files.h"
#include "platform/folder_watch.h"
#include "platform/stop_signals.h"
#include "sprite/base_name.h"
#include "sprite/high_density.h"
#include "sprite/image_formats.h"

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

// Whether a change to the file `name` of the folder calls for a new build of
// `project`: an image file by its extension, but neither one of the
// project's own outputs (NAME.<anything>) nor a temporary file of a build.
bool ChangeCallsForRebuild(std::string_view name, const std::string& project)
{
    const std::string base = BaseName(name);
    return FormatForExtension(ExtensionOf(name)) && !IsTemporaryFileName(name) &&
           base != project && base != project + kDoubleSizeSuffix;
}

}  // namespace

int WatchFolder(const std::string& folder, const std::string& project,
                const std::function<void(bool rebuild)>& build)
{
    // Both are in place before the first build, so that neither a change nor
    // Ctrl+C during it is lost.
    StopSignals stop;
    FolderWatch watch(folder, [&project](std::string_view name) {
        return ChangeCallsForRebuild(name, project);
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
        }
    }
}

}  // namespace tessolo::cli
