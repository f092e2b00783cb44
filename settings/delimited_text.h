// The delimited-text rule: a list of items kept in one line of text, used for
// the class-name list and the stored per-format records.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tessolo {

// Joins the items with commas. An item holding a blank (a character of
// code 0x00-0x20), a double quote or a comma is enclosed in double
// quotes, each quote inside doubled. A list of exactly one empty item is
// written as "" and an empty list as the empty text.
std::string JoinDelimitedText(const std::vector<std::string>& items);

// Splits text written by JoinDelimitedText, and also text typed by a person:
// blanks around items are skipped and unquoted blanks separate items as
// commas do. A quoted item runs to its closing quote (a doubled quote
// stands for one; an unclosed quote runs to the end). A comma that ends the
// text adds one final empty item.
std::vector<std::string> SplitDelimitedText(std::string_view text);

}  // namespace tessolo
