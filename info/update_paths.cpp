#include "info/update_paths.h"

#include "info/build_config.h"
#include "platform/error.h"

#include <cstdlib>
#include <filesystem>

namespace tessolo {

std::string UpdateHost()
{
    if (const char* host = std::getenv("TESSOLO_UPDATE_HOST"); host != nullptr && *host != '\0')
        return host;
    return build_config::kUpdateHost;
}

std::string RevisionsFileUrl(const std::string& host)
{
    return "http://" + host + "/sites/default/files/softwarerevs/revisions.txt";
}

std::string InstallerUrl(const std::string& host, const std::string& installerFileName)
{
    return "http://" + host + "/sites/default/files/" + installerFileName;
}

std::string WebSiteUrl(const std::string& host)
{
    return "http://" + host + "/";
}

std::string InstallerFileName(const VersionNumber& version)
{
    return "Tessolo_Installer_V" + version.FirstThree() + build_config::kInstallerSuffix;
}

std::string InstallerPath(const std::string& downloadFolder, const std::string& installerFileName)
{
    std::filesystem::path folder(downloadFolder);
    if (!folder.is_absolute())
        throw Error("The download folder \"" + downloadFolder + "\" is not an absolute path");
    return (folder / installerFileName).lexically_normal().string();
}

}  // namespace tessolo
