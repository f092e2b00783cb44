// Whole numbers typed or stored as text.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace tessolo {

// The value of a decimal integer with an optional sign ("42", "-7", "+3")
// that fits 32 bits; nothing for any other text, the empty text included.
std::optional<std::int32_t> ParseInt32(std::string_view text);

}  // namespace tessolo
