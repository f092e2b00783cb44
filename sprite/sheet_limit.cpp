#include "sprite/sheet_limit.h"

#include "sprite/high_density.h"

#include <algorithm>

namespace tessolo {

std::string SheetLimitText(const SheetLimit& limit)
{
    if (!limit.Limits())
        return "none";
    return std::to_string(limit.width) + "x" + std::to_string(limit.height);
}

std::string NumberedSheetName(std::string_view project, std::size_t number)
{
    return std::string(project) + "-" + std::to_string(number);
}

bool IsNumberedSheetName(std::string_view baseName, std::string_view project)
{
    const std::string unscaled = WithoutScaleSuffix(std::string(baseName));
    std::string_view name = unscaled;
    if (name.size() <= project.size() + 1 || !name.starts_with(project) ||
        name[project.size()] != '-')
        return false;
    const std::string_view number = name.substr(project.size() + 1);
    return number[0] != '0' &&
           std::ranges::all_of(number, [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace tessolo
