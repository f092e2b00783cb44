#include "info/about_text.h"

#include "platform/error.h"

namespace tessolo {

std::vector<std::string> AboutTextLines(const std::vector<std::string>& versionStrings)
{
    if (versionStrings.empty())
        return {};
    if (versionStrings.size() < 5)
        throw Error("The program's version information lacks some of its values");
    const auto& v = versionStrings;
    return {v[3], "Version: " + v[2], "", v[1], "", v[4], ""};
}

}  // namespace tessolo
