// Where the update check and the web-site entry go: the maker's host, the
// addresses on it, and where a downloaded installer is written.
#pragma once

#include "info/version_number.h"

#include <string>

namespace tessolo {

// $TESSOLO_UPDATE_HOST (a host name or host:port) when set and not empty,
// else the host chosen when the program was built.
std::string UpdateHost();

std::string RevisionsFileUrl(const std::string& host);
std::string InstallerUrl(const std::string& host, const std::string& installerFileName);
std::string WebSiteUrl(const std::string& host);

// "Tessolo_Installer_V" + the version's first three numbers + the platform's
// package suffix chosen at build time, e.g. "Tessolo_Installer_V1.1.2.deb".
// Made only of the version's digits and dots, so it never names a folder.
std::string InstallerFileName(const VersionNumber& version);

// The absolute path of the installer in `downloadFolder`. Throws Error when
// the folder is not an absolute path.
std::string InstallerPath(const std::string& downloadFolder, const std::string& installerFileName);

}  // namespace tessolo
