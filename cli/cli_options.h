// The command line of tessolo-cli, parsed into build inputs and settings.
#pragma once

#include "platform/error.h"
#include "sprite/build_settings.h"
#include "sprite/sprite_build.h"

#include <string>
#include <vector>

namespace tessolo::cli {

struct CliRequest {
    bool showHelp = false;
    bool showVersion = false;
    bool showSettings = false;
    bool saveSettings = false;
    bool watch = false;  // rebuild after every change to the folder's images
    bool quiet = false;  // on success, nothing but warnings
    std::string storeFile;  // empty: the user's settings store
    std::string folder = ".";
    std::vector<std::string> files;  // empty: every image file of the folder
    BuildInputs inputs;              // all but the folder and file list
    BuildSettings settings;
    bool dataFormatsGiven = false;  // the first --data replaces the stored data formats
    bool templatesGiven = false;    // the first --template replaces the stored templates
};

// Parses argv (without the program name) over the given defaults. Throws
// UsageError for unknown options and bad values.
CliRequest ParseCommandLine(const std::vector<std::string>& args, const CliRequest& defaults);

// A command line that asks for something tessolo-cli does not do.
class UsageError : public Error {
public:
    using Error::Error;
};

// The text of --help.
std::string UsageText();

}  // namespace tessolo::cli
