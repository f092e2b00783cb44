// The Help menu entries that hand something to the desktop: the user guide
// and the maker's web site. Neither result is checked; the desktop reports
// its own failures.
#pragma once

#include "info/desktop_services.h"

#include <string>

namespace tessolo {

// The folder of the change log and the user guide: share/tessolo beside the
// folder of the running program (bin/../share/tessolo), which the build
// folder copies as well.
std::string ProgramDataFolder();

std::string ChangeLogPath(const std::string& dataFolder);
std::string UserGuidePath(const std::string& dataFolder);

// "&Help": opens the user guide of `dataFolder` in the browser.
void OpenUserGuide(DesktopServices& desktop, const std::string& dataFolder);

// "Veltrand Software on the &Web": opens the update host's web site.
void OpenWebSite(DesktopServices& desktop);

}  // namespace tessolo
