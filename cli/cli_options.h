// The command line of tessolo-cli, parsed into build inputs and settings.
#pragma once

#include "platform/error.h"
#include "sprite/build_settings.h"
#include "sprite/sprite_build.h"

#include <map>
#include <string>
#include <vector>

namespace tessolo::cli {

struct CliRequest {
    bool showHelp = false;
    bool showVersion = false;
    bool showSettings = false;
    bool saveSettings = false;
    bool watch = false;  // rebuild after every change to the folder's images
    bool init = false;   // write the folder's project file from the options, then stop
    bool quiet = false;  // on success, nothing but warnings
    std::string storeFile;  // empty: the user's settings store
    std::string folder = ".";
    std::vector<std::string> files;  // empty: every image file of the folder
    BuildInputs inputs;              // all but the folder and file list
    BuildSettings settings;
    bool dataFormatsGiven = false;  // the first --data replaces the stored data formats
    bool alsoFormatsGiven = false;  // the first --also replaces the stored extra formats
    bool templatesGiven = false;    // the first --template replaces the stored templates
    // Where each option given came from ("tessolo.toml", "command line"), by
    // its name: "--layout", "--png-optimize" also for "--no-png-optimize".
    std::map<std::string, std::string> origins;
};

// Parses argv (without the program name) over the given defaults, noting
// `origin` for each option given. Throws UsageError for unknown options and
// bad values.
CliRequest ParseCommandLine(const std::vector<std::string>& args, const CliRequest& defaults,
                            const std::string& origin = "command line");

// The defaults with the project file at `path` applied over them: its keys
// are the long options that a build reads, its paths are taken from its
// folder, and files = [...] lists the images. Throws UsageError
// "<path>, line N: <key>: <what>" for an unknown key, a wrong type or a bad
// value, and FileError when it cannot be read.
CliRequest ApplyProjectFile(const std::string& path, const CliRequest& defaults);

// The text of a project file in `folder` that holds the options of
// `request`, every key of the project file with its value.
std::string ProjectFileOf(const CliRequest& request, const std::string& folder);

// --resize's text of the settings: "none", "50%" or "32x32".
std::string ResizeText(const BuildSettings& settings);

// A command line that asks for something tessolo-cli does not do.
class UsageError : public Error {
public:
    using Error::Error;
};

// The text of --help.
std::string UsageText();

}  // namespace tessolo::cli
