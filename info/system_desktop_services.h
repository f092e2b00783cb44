// The desktop's own handlers for addresses and files.
#pragma once

#include "info/desktop_services.h"

namespace tessolo {

class SystemDesktopServices : public DesktopServices {
public:
    void OpenUrl(const std::string& url) override;
    void OpenFile(const std::string& path) override;
};

}  // namespace tessolo
