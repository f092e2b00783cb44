// The command line's ties to the settings store: stored values are the
// defaults of every option, and --save-settings stores the effective ones.
#pragma once

#include "cli/cli_options.h"
#include "settings/settings_store.h"

#include <string>

namespace tessolo::cli {

// The request that running without options would make.
CliRequest DefaultsFromStore(const OrvaneRegistry& store, const FormatPrefsSet& records);

// Copies the effective options into the store and records, as the window
// does when it closes. The chosen class moves to the front of the class list.
void RememberRequest(const CliRequest& request, OrvaneRegistry& store, FormatPrefsSet& records);

// A readable listing of the effective options over the store's `records`,
// for --show-settings: the store's path, the project file's when one was
// read, and each option with where it came from when not from the store.
std::string DescribeSettings(const CliRequest& request, const FormatPrefsSet& records,
                             const std::string& storeFile, const std::string& projectFile);

}  // namespace tessolo::cli
