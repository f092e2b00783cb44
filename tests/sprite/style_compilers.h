// Running the style compilers that check the data files: Dart Sass as
// tests/CMakeLists.txt installs it into the build folder, and the warnings
// a run printed.
#pragma once

#include "support/testdata.h"

#include <cstdlib>
#include <iterator>
#include <regex>
#include <string>

namespace tessolo::test {

// Dart Sass, with no source map beside the CSS.
inline const std::string kDartSass = std::string("'") + TESSOLO_DART_SASS + "' --no-source-map";
inline constexpr const char* kNoDartSass =
    "Dart Sass is not installed (scripts/install-sass.sh puts it into the build folder)";

// True when `command --version` succeeds.
inline bool Runs(const std::string& command)
{
    return std::system((command + " --version >/dev/null 2>&1").c_str()) == 0;
}

// Runs `command` in the scratch folder, its output going to compiler.out;
// true when it ended with status 0.
inline bool RunIn(const TempDir& dir, const std::string& command)
{
    std::string line = "cd '" + dir.Path().string() + "' && timeout 60 " + command +
                       " >compiler.out 2>&1";
    return std::system(line.c_str()) == 0;
}

// How often `messages` says "warning", in any case.
inline long WarningCount(const std::string& messages)
{
    const std::regex warning("warning", std::regex::icase);
    return long(std::distance(std::sregex_iterator(messages.begin(), messages.end(), warning),
                              std::sregex_iterator()));
}

}  // namespace tessolo::test
