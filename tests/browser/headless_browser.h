// A browser of the system run without a window from its command line: the
// page's document after its scripts ran, and a screenshot of the page.
#pragma once

#include <string>

namespace tessolo::test {

class HeadlessBrowser {
public:
    // The browser named by $TESSOLO_BROWSER, else chromium or
    // chromium-browser on the PATH; empty when there is none.
    static std::string Find();

    // The browser keeps its profile and messages in `workFolder`; it draws
    // `scale` device pixels per CSS pixel, as a high-density screen does.
    HeadlessBrowser(std::string program, std::string workFolder, int scale = 1)
        : program_(std::move(program)), folder_(std::move(workFolder)), scale_(scale) {}

    // The document of `url` after its scripts ran, in a window of the given
    // size. Throws std::runtime_error with the browser's messages on failure.
    std::string DumpDom(const std::string& url, int width, int height) const;
    // Writes a PNG screenshot of `url` in a window of the given size (in CSS
    // pixels; the screenshot has `scale` times as many).
    void Screenshot(const std::string& url, int width, int height, const std::string& pngPath) const;

private:
    // Runs the browser with `arguments`; its standard output goes to `output`.
    // Each run is stopped after a minute.
    void Run(const std::string& arguments, int width, int height, const std::string& output) const;

    std::string program_;
    std::string folder_;
    int scale_;
};

}  // namespace tessolo::test
