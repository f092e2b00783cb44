// How the program hands addresses and files to the desktop: the user's web
// browser, or the default handler of a file's type. Windows use the
// desktop's own; tests record what would have been opened.
#pragma once

#include <string>

namespace tessolo {

class DesktopServices {
public:
    virtual ~DesktopServices() = default;
    // Opens an address (http, https) in the user's web browser.
    virtual void OpenUrl(const std::string& url) = 0;
    // Opens a file with the default handler of its type.
    virtual void OpenFile(const std::string& path) = 0;
};

}  // namespace tessolo
