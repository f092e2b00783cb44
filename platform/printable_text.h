// Text that is safe to show on a terminal or in a window: what a file name
// brings into a message must not move the cursor, retitle the terminal or
// clear the screen.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tessolo {

// The length of the well-formed UTF-8 sequence at the start of `text` (no
// overlong forms, no surrogates, nothing above U+10FFFF), or 0 when `text`
// is empty or does not start with one.
std::size_t Utf8SequenceLength(std::string_view text);

// `text` as it may be shown: valid UTF-8 printable text stays as it is;
// control characters (C0, DEL and C1) and bytes that are not UTF-8 become
// "\xNN" with two lower-case hex digits, one per byte. Line feeds stay, and
// so does a carriage return beside a line feed (the line ends of message
// boxes), since messages are made of lines.
std::string PrintableText(std::string_view text);

}  // namespace tessolo
