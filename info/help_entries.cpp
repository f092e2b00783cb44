#include "info/help_entries.h"

#include "info/update_paths.h"

#include <filesystem>

namespace tessolo {

std::string ProgramDataFolder()
{
    namespace fs = std::filesystem;
    fs::path program = fs::read_symlink("/proc/self/exe");
    return (program.parent_path() / ".." / "share" / "tessolo").lexically_normal().string();
}

std::string ChangeLogPath(const std::string& dataFolder)
{
    return (std::filesystem::path(dataFolder) / "ChangeLog.txt").string();
}

std::string UserGuidePath(const std::string& dataFolder)
{
    return (std::filesystem::path(dataFolder) / "help" / "index.html").string();
}

void OpenUserGuide(DesktopServices& desktop, const std::string& dataFolder)
{
    desktop.OpenFile(UserGuidePath(dataFolder));
}

void OpenWebSite(DesktopServices& desktop)
{
    desktop.OpenUrl(WebSiteUrl(UpdateHost()));
}

}  // namespace tessolo
