// Lists of words in messages: "a, b or c".
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tessolo {

// The items separated by ", ", the last one by `lastSeparator` instead.
inline std::string JoinAlternatives(const std::vector<std::string>& items,
                                    std::string_view lastSeparator = ", ")
{
    std::string text;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0)
            text += i + 1 == items.size() ? lastSeparator : ", ";
        text += items[i];
    }
    return text;
}

}  // namespace tessolo
