// Version numbers as the update server writes them: dot-separated decimal
// numbers such as "1.1.2" or "1.1.1.20".
#pragma once

#include <compare>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessolo {

class VersionNumber {
public:
    // The version of a text made only of decimal numbers separated by single
    // dots; nullopt for anything else (blanks, letters, empty parts).
    static std::optional<VersionNumber> Parse(std::string_view text);

    // Compares the first three numbers, the ones that name an installer, one
    // by one; missing numbers count as 0 and later ones are not looked at, so
    // "1.1" equals "1.1.0", "1.1.1.21" equals "1.1.1.20" and "1.1.2" is
    // greater than "1.1.1.20". Numbers of any length compare by value.
    std::strong_ordering operator<=>(const VersionNumber& other) const;
    bool operator==(const VersionNumber& other) const
    {
        return (*this <=> other) == std::strong_ordering::equal;
    }

    // The first three numbers without leading zeros, joined by dots; missing
    // ones are 0: "1.1.2" for 1.1.2 and 1.1.2.7, "2.0.0" for 2.
    std::string FirstThree() const;

private:
    std::vector<std::string> numbers_;  // digits only, leading zeros removed
};

}  // namespace tessolo
