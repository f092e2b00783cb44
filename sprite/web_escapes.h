// Text made safe for the languages of a web page: CSS identifiers and
// strings, URLs, HTML and JSON.
#pragma once

#include <string>
#include <string_view>

namespace tessolo {

// `text` with every byte that is not part of a well-formed UTF-8 sequence
// replaced by U+FFFD, so that every output decodes the same way everywhere.
std::string ValidUtf8(std::string_view text);

// `text` with every byte that is not part of a well-formed UTF-8 sequence
// written as "\x" and two hexadecimal digits, so that names which differ
// only in such bytes stay apart in valid UTF-8.
std::string ByteEscapedUtf8(std::string_view text);

// `name` (valid UTF-8) as a CSS identifier that matches exactly `name`: a
// leading digit, a digit after a leading "-", a lone "-" and control
// characters are written as hexadecimal escapes, other ASCII characters
// outside letters, digits, "-" and "_" are preceded by a backslash, and
// non-ASCII characters stay as they are.
std::string CssIdentifier(std::string_view name);

// `name` (valid UTF-8) as an SCSS identifier that denotes `name`: as
// CssIdentifier, with U+FFFD written as an escape, since Dart Sass refuses a
// file that holds that character, taking it for bytes that were not UTF-8.
std::string ScssIdentifier(std::string_view name);

// `name` as a LESS identifier: ASCII letters, digits, "-" and "_" stay, every
// other byte is written as "_" and two hexadecimal digits.
std::string LessIdentifier(std::string_view name);

// `text` in single quotes as a CSS (and SCSS, LESS) string.
std::string CssString(std::string_view text);

// `name` as a relative URL that names the file `name`: every byte outside
// ASCII letters, digits, "-", ".", "_" and "~" is percent-encoded, so "#",
// "?", "%", ":" and blanks keep no meaning of their own.
std::string UrlEncoded(std::string_view name);

// `text` with "&", "<", ">", '"' and "'" written as character references.
std::string HtmlEscaped(std::string_view text);

// `text` as a JSON string in double quotes, as the JSON library writes it
// ('"', "\\" and control characters escaped); bytes that are not UTF-8
// become U+FFFD first.
std::string JsonString(std::string_view text);

}  // namespace tessolo
