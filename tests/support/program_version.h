// The version the build gives the program, and versions relative to it.
#pragma once

#include <cstddef>
#include <string>

namespace tessolo::test {

// The project's VERSION, as the program reports it: "1.1.1.20".
std::string ProgramVersion();

// The program's first `count` numbers: "1.1.1" of "1.1.1.20".
std::string ProgramVersionPrefix(std::size_t count);

// The program's version with `delta` added to its number at `position` (0
// for the first), the other numbers kept: (3, 1) gives "1.1.1.21".
std::string ProgramVersionChanged(std::size_t position, int delta);

}  // namespace tessolo::test
