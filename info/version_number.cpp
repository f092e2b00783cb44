#include "info/version_number.h"

#include <algorithm>

namespace tessolo {

namespace {

// How many leading numbers name an installer and take part in comparisons.
constexpr std::size_t kCountedNumbers = 3;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Compares two numbers written without leading zeros ("" is 0).
std::strong_ordering CompareNumbers(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return a.size() <=> b.size();
    return a.compare(b) <=> 0;
}

}  // namespace

std::optional<VersionNumber> VersionNumber::Parse(std::string_view text)
{
    VersionNumber version;
    std::size_t start = 0;
    for (;;) {
        std::size_t end = std::min(text.find('.', start), text.size());
        std::string_view number = text.substr(start, end - start);
        if (number.empty() || !std::ranges::all_of(number, IsDigit))
            return std::nullopt;
        number.remove_prefix(std::min(number.find_first_not_of('0'), number.size()));
        version.numbers_.emplace_back(number);
        if (end == text.size())
            return version;
        start = end + 1;
    }
}

std::strong_ordering VersionNumber::operator<=>(const VersionNumber& other) const
{
    static const std::string kZero;
    for (std::size_t i = 0; i < kCountedNumbers; ++i) {
        const std::string& mine = i < numbers_.size() ? numbers_[i] : kZero;
        const std::string& theirs = i < other.numbers_.size() ? other.numbers_[i] : kZero;
        if (auto order = CompareNumbers(mine, theirs); order != 0)
            return order;
    }
    return std::strong_ordering::equal;
}

std::string VersionNumber::FirstThree() const
{
    std::string text;
    for (std::size_t i = 0; i < kCountedNumbers; ++i) {
        if (i > 0)
            text += '.';
        text += i < numbers_.size() && !numbers_[i].empty() ? numbers_[i] : "0";
    }
    return text;
}

}  // namespace tessolo
