#include "settings/store_location.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace tessolo {

std::string UserHomeFolder()
{
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0')
        return home;
    std::vector<char> buffer(16384);
    passwd entry {};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
        found->pw_dir != nullptr)
        return found->pw_dir;
    return {};
}

std::string UserConfigFolder()
{
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && *config == '/')
        return config;
    std::string home = UserHomeFolder();
    return home.empty() ? home : home + "/.config";
}

std::string StoreFileForKey(std::string_view keyPath)
{
    std::string file = UserConfigFolder();
    if (file.empty())
        return file;
    constexpr std::string_view kSoftware = "\\Software\\";
    if (keyPath.starts_with(kSoftware))
        keyPath.remove_prefix(kSoftware.size() - 1);
    for (char c : keyPath)
        file += c == '\\' ? '/' : c;
    return file + ".reg";
}

}  // namespace tessolo
