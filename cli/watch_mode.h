// tessolo-cli --watch: a build, then a rebuild after each change to the
// folder's images, until Ctrl+C.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace tessolo::cli {

// Whether a change to the file `name` of the folder calls for a new build of
// `project`: an image file by its extension, but neither one of the
// project's own outputs (NAME.<anything>) nor a temporary file of a build.
bool ChangeCallsForRebuild(std::string_view name, const std::string& project);

// Runs `build(false)`, then watches `folder` and runs `build(true)` after
// each settled change that calls for it. What a build throws is reported and
// the watch goes on. SIGINT and SIGTERM wait for a running build to finish.
// Returns the exit status: 0 when SIGINT or SIGTERM ended the watch, 1 when
// the folder went away. Throws Error when the folder cannot be watched.
int WatchFolder(const std::string& folder, const std::string& project,
                const std::function<void(bool rebuild)>& build);

}  // namespace tessolo::cli
