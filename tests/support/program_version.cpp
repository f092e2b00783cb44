#include "support/program_version.h"

#include <vector>

namespace tessolo::test {

namespace {

std::vector<int> Numbers()
{
    std::vector<int> numbers{0};
    for (char c : std::string(TESSOLO_VERSION)) {
        if (c == '.')
            numbers.push_back(0);
        else
            numbers.back() = numbers.back() * 10 + (c - '0');
    }
    return numbers;
}

std::string Joined(const std::vector<int>& numbers, std::size_t count)
{
    std::string text;
    for (std::size_t i = 0; i < count && i < numbers.size(); ++i)
        text += (i ? "." : "") + std::to_string(numbers[i]);
    return text;
}

}  // namespace

std::string ProgramVersion() { return TESSOLO_VERSION; }

std::string ProgramVersionPrefix(std::size_t count) { return Joined(Numbers(), count); }

std::string ProgramVersionChanged(std::size_t position, int delta)
{
    std::vector<int> numbers = Numbers();
    numbers.at(position) += delta;
    return Joined(numbers, numbers.size());
}

}  // namespace tessolo::test
