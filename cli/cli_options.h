// The command line of tessolo-cli, parsed into build inputs and settings.
#pragma once

#include "sprite/build_settings.h"
#include "sprite/sprite_build.h"

#include <stdexcept>
#include <string>
#include <vector>

namespace tessolo::cli {

struct CliRequest {
    bool showHelp = false;
    bool showVersion = false;
    bool showSettings = false;
    bool saveSettings = false;
    bool watch = false;  // rebuild after every change to the folder's images
    std::string storeFile;  // empty: the user's settings store
    std::string folder = ".";
    std::vector<std::string> files;  // empty: every image file of the folder
    BuildInputs inputs;              // all but the folder and file list
    BuildSettings settings;
    bool dataFormatsGiven = false;  // the first --data replaces the stored data formats
};

// Parses argv (without the program name) over the given defaults. Throws
// UsageError for unknown options and bad values.
CliRequest ParseCommandLine(const std::vector<std::string>& args, const CliRequest& defaults);

struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The text of --help.
std::string UsageText();

}  // namespace tessolo::cli
