// Appending many small pieces to one text without temporary strings, for
// the outputs that hold one entry per image.
#pragma once

#include <charconv>
#include <concepts>
#include <string>
#include <string_view>

namespace tessolo {

inline void AppendPiece(std::string& out, std::string_view text) { out.append(text); }
inline void AppendPiece(std::string& out, char c) { out.push_back(c); }
inline void AppendPiece(std::string& out, std::integral auto number)
{
    char digits[24];
    auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
    out.append(digits, end);
}

// Room for a text of `entries` entries of up to `bytesPerEntry` bytes each,
// so that it grows without copying.
inline void ReserveFor(std::string& out, std::size_t entries, std::size_t bytesPerEntry)
{
    out.reserve(out.size() + 1024 + entries * bytesPerEntry);
}

// Appends each piece to `out`: texts as they are, whole numbers in decimal.
template <class... Pieces>
void Append(std::string& out, const Pieces&... pieces)
{
    (AppendPiece(out, pieces), ...);
}

}  // namespace tessolo
