// Telling a stylesheet that a build wrote from any other CSS file, by the
// exact form of its lines.
#pragma once

#include <string_view>

namespace tessolo {

// Whether `text`, the first bytes of a file (`whole`: the whole file), is a
// stylesheet as a build writes it: lines ended by CR LF, an optional base
// rule, one or more image rules all in one line style and one of the units
// (each for an image's class, or a state image's class and its state), and
// after a base rule an optional block for high-density screens, each exactly
// as the build writes it. When the file goes on, its last, cut line is not looked at.
bool IsWrittenStylesheet(std::string_view text, bool whole);

}  // namespace tessolo
