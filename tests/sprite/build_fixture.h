// A folder of generated BMP sources and a build over it, shared by the build
// tests.
#pragma once

#include "codecs/bmp/bmp_codec.h"
#include "platform/files.h"
#include "sprite/sprite_build.h"
#include "sprite/stylesheet.h"
#include "support/images.h"
#include "support/testdata.h"

#include <gtest/gtest.h>

#include <functional>
#include <regex>
#include <string>
#include <vector>

namespace tessolo::test {

// Keeps every report of a build; `onSheetFinished` runs when the viewer
// would be shown.
struct Recorder : BuildObserver {
    void ValidationFailed(const std::string& m) override { validation = m; }
    void CannotOpen(const std::string& m) override { cannotOpen = m; }
    void ErrorReport(const std::string& m) override { error = m; }
    void ListCleared() override
    {
        lines.clear();
        remarks.clear();
        ++clears;
    }
    void LineWritten(const std::string& line) override { lines.push_back(line); }
    void Remark(const std::string& message) override { remarks.push_back(message); }
    void SourceSkipped(const std::string& path) override { skipped.push_back(path); }
    void SheetFinished(const Bitmap& sheet) override
    {
        viewer = sheet;
        ++finished;
        if (onSheetFinished)
            onSheetFinished();
    }
    void SheetWritten(const std::string& path) override { written = path; }

    std::string validation, cannotOpen, error, written;
    std::vector<std::string> lines, skipped, remarks;
    Bitmap viewer;
    int clears = 0, finished = 0;
    std::function<void()> onSheetFinished;
};

// One rule of a stylesheet of line style 1: the image's name and its
// rectangle on the sheet.
struct Rule {
    std::string name;
    int x, y, width, height;
};

// The rules of a stylesheet of line style 1, in file order.
inline std::vector<Rule> SizedRules(const std::string& css)
{
    static const std::regex line(
        R"(\.sprite-(\S+) \{ background-position: (-?\d+)px (-?\d+)px; width: (\d+)px; height: (\d+)px; \}\r\n)");
    std::vector<Rule> rules;
    for (std::sregex_iterator it(css.begin(), css.end(), line), end; it != end; ++it)
        rules.push_back({(*it)[1], -std::stoi((*it)[2]), -std::stoi((*it)[3]),
                         std::stoi((*it)[4]), std::stoi((*it)[5])});
    return rules;
}

class Build : public ::testing::Test {
protected:
    void SetUp() override
    {
        inputs.Folder = dir.Path().string();
        inputs.ProjectName = "sprite";
        inputs.SpriteClass = ".sprite";
        UseLineStyle(kPositionOnly);
        inputs.OutputFileType = kOutputBmp;
        settings.Encoding.bmp.pixelFormat = kBmp24Bits;  // exact colours
    }

    void UseLineStyle(LineStyle style)
    {
        inputs.LineStyle = style;
        inputs.LineStyleText = kLineStyleTexts[style];
    }

    void AddBmp(const std::string& name, int w, int h, ColorRef color)
    {
        WriteFileReplacing(dir / name, EncodeBmp(Solid(w, h, color), 6));
        inputs.GraphicFiles.push_back(name);
    }

    // Builds a black `a` of 50 x 50 and `b` of the size given, both resized to
    // 1 %, so that `a` shrinks to nothing; the stylesheet written.
    std::string CssOfImagesShrunkToNothing(int bWidth, int bHeight)
    {
        AddBmp("a.bmp", 50, 50, kBlack);
        AddBmp("b.bmp", bWidth, bHeight, kBlack);
        settings.ResizeMethod = kResizeByPercentage;
        settings.ResizePercentage = 1;
        EXPECT_EQ(Run(), BuildResult::Done) << recorder.error;
        return Css();
    }

    BuildResult Run() { return builder.MakeSprites(inputs, settings, recorder); }
    std::string CssPath() { return dir / (inputs.ProjectName + ".css"); }
    std::string Css() { return Text(ReadFileBytes(CssPath())); }
    Bitmap Sheet() { return LoadBmpFile(dir / (inputs.ProjectName + ".bmp")); }

    TempDir dir;
    BuildInputs inputs;
    BuildSettings settings;
    SpriteBuilder builder;
    Recorder recorder;
};

}  // namespace tessolo::test
