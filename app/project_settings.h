// The folder's project file (tessolo.toml) as the window uses it: a build
// takes its values over the stored settings, and the window's own choices
// (project name, class, line style, sheet type and the files to pack) over
// both, as the command line's options come over it.
#pragma once

#include "sprite/build_settings.h"
#include "sprite/sprite_build.h"

#include <string>

namespace tessolo {

// The path of the project file of `folder`, or "" when it holds none.
std::string ProjectFileIn(const std::string& folder);

// `settings` with the project file at `path` applied over them. Throws
// Error "<path>, line N: <key>: <what>" for a bad file.
BuildSettings WithProjectFile(const std::string& path, const BuildInputs& inputs,
                              const BuildSettings& settings);

// Writes the project file of the inputs' folder with the options of a build
// over the stored `settings`: those of the project file already there, the
// window's choices over them. Returns its path; throws Error.
std::string SaveProjectFile(const BuildInputs& inputs, const BuildSettings& settings);

// "Project file: tessolo.toml".
std::string ProjectFileNotice();

}  // namespace tessolo
