// tessolo-cli --watch: a build, then a rebuild after each change to the
// folder's images, until Ctrl+C.
#pragma once

#include <functional>
#include <string>

namespace tessolo::cli {

// How one build of the watch went: a folder that another build held is
// tried again shortly.
enum class WatchBuildOutcome { Finished, FolderBusy };
using WatchBuild = std::function<WatchBuildOutcome(bool rebuild)>;

// Runs `build(false)`, then watches `folder` and runs `build(true)` after
// each settled change to one of its image files; the outputs of `project`
// (NAME.<anything>), the temporary files of a build and the sheets that
// builds wrote do not count. What a build throws is reported and the watch
// goes on; a build refused because another build held the folder is tried
// again for up to ten seconds. SIGINT, SIGTERM and SIGHUP wait for a running build to finish.
// Returns the exit status: 0 when one of them ended the watch, 1 when the
// folder went away or `folder` came to lead elsewhere. Throws Error when the
// folder cannot be watched.
int WatchFolder(const std::string& folder, const std::string& project, const WatchBuild& build);

}  // namespace tessolo::cli
