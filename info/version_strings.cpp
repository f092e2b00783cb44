#include "info/version_strings.h"

#include "info/build_config.h"

#include <algorithm>
#include <cctype>

namespace tessolo {

namespace {

bool SameKey(std::string_view a, std::string_view b)
{
    return std::ranges::equal(a, b, [](unsigned char x, unsigned char y) {
        return std::tolower(x) == std::tolower(y);
    });
}

const VersionValue* FindKey(std::span<const VersionValue> resource, std::string_view key)
{
    auto found = std::ranges::find_if(
        resource, [&](const VersionValue& entry) { return SameKey(entry.key, key); });
    return found == resource.end() ? nullptr : &*found;
}

}  // namespace

std::span<const VersionValue> ProgramVersionResource()
{
    return build_config::kVersionResource;
}

void ReadVersionStrings(std::span<const VersionValue> resource, std::vector<std::string>& list)
{
    for (std::string_view key : kVersionKeys)
        if (const VersionValue* found = FindKey(resource, key))
            list.emplace_back(found->value);
}

void ReadVersionStrings(std::vector<std::string>& list)
{
    ReadVersionStrings(ProgramVersionResource(), list);
}

std::string ProgramFileVersion()
{
    return std::string(FindKey(ProgramVersionResource(), "FileVersion")->value);
}

}  // namespace tessolo
