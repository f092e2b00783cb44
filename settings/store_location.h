// Where per-user settings live.
#pragma once

#include <string>
#include <string_view>

namespace tessolo {

// The user's home folder: $HOME, else the password database entry. Empty
// when neither is known.
std::string UserHomeFolder();

// $XDG_CONFIG_HOME when it is an absolute path, else the home folder's
// ".config". Empty when the home folder is unknown.
std::string UserConfigFolder();

// The store file that holds a key of the current user: the key path's
// components below "\Software" become folders in the configuration folder
// and the last one names the file, so "\Software\Veltrand\Tessolo" is kept
// in <config>/Veltrand/Tessolo.reg. Empty when the home folder is unknown.
std::string StoreFileForKey(std::string_view keyPath);

}  // namespace tessolo
