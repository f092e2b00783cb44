#include "headless_browser.h"

#include "platform/files.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <unistd.h>

namespace tessolo::test {

namespace {

std::string Quoted(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string TextOf(const std::string& path)
{
    Bytes bytes = ReadFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace

std::string HeadlessBrowser::Find()
{
    if (const char* chosen = std::getenv("TESSOLO_BROWSER"); chosen && *chosen)
        return chosen;
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "/usr/bin";
    for (const char* name : {"chromium", "chromium-browser"}) {
        std::size_t start = 0;
        while (start <= folders.size()) {
            std::size_t end = folders.find(':', start);
            if (end == std::string::npos)
                end = folders.size();
            std::string candidate = folders.substr(start, end - start) + "/" + name;
            if (::access(candidate.c_str(), X_OK) == 0)
                return candidate;
            start = end + 1;
        }
    }
    return "";
}

void HeadlessBrowser::Run(const std::string& arguments, int width, int height,
                          const std::string& output) const
{
    // Software drawing at a fixed number of device pixels per CSS pixel, in
    // sRGB, so that the screenshot holds the sheet's pixels unchanged. A
    // browser run as root refuses its sandbox.
    std::string profile = folder_ + "/browser-profile";
    std::string command =
        "timeout -k 5 60 " + Quoted(program_) +
        " --headless --disable-gpu --hide-scrollbars --force-device-scale-factor=" +
        std::to_string(scale_) + " --force-color-profile=srgb --no-first-run --user-data-dir=" + Quoted(profile) +
        (::geteuid() == 0 ? " --no-sandbox" : "") + " --window-size=" + std::to_string(width) +
        "," + std::to_string(height) + " " + arguments + " >" + Quoted(output) + " 2>" +
        Quoted(output + ".log");
    if (std::system(command.c_str()) != 0)
        throw std::runtime_error("the browser failed: " + command + "\n" + TextOf(output + ".log"));
}

std::string HeadlessBrowser::DumpDom(const std::string& url, int width, int height) const
{
    std::string output = folder_ + "/dom.html";
    Run("--dump-dom " + Quoted(url), width, height, output);
    return TextOf(output);
}

void HeadlessBrowser::Screenshot(const std::string& url, int width, int height,
                                 const std::string& pngPath) const
{
    const std::string output = folder_ + "/screenshot.out";
    Run("--screenshot=" + Quoted(pngPath) + " " + Quoted(url), width, height, output);
    if (!std::filesystem::exists(pngPath))
        throw std::runtime_error("the browser wrote no screenshot: " + TextOf(output + ".log"));
}

}  // namespace tessolo::test
