#include "browser_build.h"

#include "headless_browser.h"
#include "platform/files.h"

#include <algorithm>
#include <regex>
#include <stdexcept>

namespace tessolo::test {

Bitmap Pattern(int width, int height, int seed)
{
    Bitmap image(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.SetPixel(x, y, MakeColor(std::uint8_t(x * 23 + seed * 41), std::uint8_t(y * 31 + seed * 17),
                                           std::uint8_t((x + y) * 13 + seed * 59)));
    return image;
}

BuildInputs PngBuildIn(const TempDir& dir, std::vector<std::string> files, LineStyle lineStyle)
{
    BuildInputs inputs;
    inputs.GraphicFiles = std::move(files);
    inputs.Folder = dir.Path().string();
    inputs.ProjectName = "sprite";
    inputs.SpriteClass = ".sprite";
    inputs.LineStyle = lineStyle;
    inputs.LineStyleText = kLineStyleTexts[lineStyle];
    inputs.OutputFileType = kOutputPng;
    return inputs;
}

BuildSettings GridSettings(int horizontalPadding, int verticalPadding)
{
    BuildSettings settings;
    settings.Orientation = kGrid;
    settings.HorizontalPadding = horizontalPadding;
    settings.VerticalPadding = verticalPadding;
    return settings;
}

Rgba ProbeShot(const std::string& program, const TempDir& dir,
               const std::vector<std::string>& classes, int scale)
{
    const Bytes css = ReadFileBytes(dir / "sprite.css");
    std::string page = "<!DOCTYPE html>\n<html><head><style>\n" + std::string(css.begin(), css.end()) +
                       "</style><style>body { margin: 0 } .probe { position: absolute; left: 4px }"
                       "</style></head><body>\n";
    for (std::size_t i = 0; i < classes.size(); ++i)
        page += "<span class=\"probe " + classes[i] + "\" style=\"top: " + std::to_string(4 + 20 * i) +
                "px\"></span>\n";
    page += "</body></html>\n";
    const std::string pagePath = dir / "probe.html";
    WriteFileReplacing(pagePath, Bytes(page.begin(), page.end()));
    const std::string shotPath = dir / "shot.png";
    // The window is tall enough for the whole page to be drawn.
    HeadlessBrowser(program, dir.Path().string(), scale)
        .Screenshot("file://" + pagePath, 200, std::max(300, 20 * int(classes.size()) + 20), shotPath);
    return ReadPng(ReadFileBytes(shotPath));
}

std::string BuildError(const BuildInputs& inputs, const BuildSettings& settings)
{
    struct : BuildObserver {
        void ValidationFailed(const std::string& m) override { error = m; }
        void CannotOpen(const std::string& m) override { error = m; }
        void ErrorReport(const std::string& m) override { error = m; }
        std::string error = "";
    } observer;
    if (SpriteBuilder().MakeSprites(inputs, settings, observer) != BuildResult::Done &&
        observer.error.empty())
        return "the build failed without a message";
    return observer.error;
}

std::string Attribute(const std::string& dom, const std::string& name)
{
    std::smatch found;
    if (!std::regex_search(dom, found, std::regex(name + "=\"([^\"]*)\"")))
        throw std::runtime_error("the page did not report " + name + ":\n" + dom);
    return found[1];
}

}  // namespace tessolo::test
