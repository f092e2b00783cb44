#include "cli/stored_settings.h"

#include "settings/data_formats.h"
#include "settings/delimited_text.h"
#include "settings/format_prefs_text.h"
#include "sprite/layout.h"
#include "sprite/sheet_background.h"
#include "sprite/stored_build_settings.h"
#include "sprite/stylesheet.h"

#include <algorithm>
#include <filesystem>

namespace tessolo::cli {

CliRequest DefaultsFromStore(const OrvaneRegistry& store, const FormatPrefsSet& records)
{
    CliRequest defaults;
    BuildInputs& in = defaults.inputs;
    in.ProjectName = "sprite";  // never stored: every start begins with it
    std::vector<std::string> classes = SplitDelimitedText(store.SpriteClass);
    in.SpriteClass = classes.empty() ? std::string() : classes.front();
    // A stored style outside the list leaves no style selected.
    in.LineStyleIndex = store.ListType == 0 || store.ListType == 1 ? store.ListType : -1;
    in.LineStyleText = in.LineStyleIndex < 0 ? "" : kLineStyleTexts[in.LineStyleIndex];
    in.OutputFileType = store.TargetFileType;

    defaults.settings = StoredBuildSettings(store, records);
    return defaults;
}

void RememberRequest(const CliRequest& request, OrvaneRegistry& store, FormatPrefsSet& records)
{
    const BuildInputs& in = request.inputs;
    std::error_code missing;
    std::filesystem::path folder = std::filesystem::canonical(request.folder, missing);
    store.DefaultPath = missing ? request.folder : folder.string();
    store.TargetFileType = in.OutputFileType;
    store.ListType = in.LineStyleIndex;

    std::vector<std::string> classes = SplitDelimitedText(store.SpriteClass);
    std::erase(classes, in.SpriteClass);
    if (!in.SpriteClass.empty())
        classes.insert(classes.begin(), in.SpriteClass);
    store.SpriteClass = JoinDelimitedText(classes);

    const BuildSettings& s = request.settings;
    records = s;
    for (auto [stored, built] : kSharedFields)
        store.*stored = s.*built;
}

std::string DescribeSettings(const CliRequest& request, const std::string& storeFile)
{
    const BuildInputs& in = request.inputs;
    const BuildSettings& s = request.settings;
    auto item = [](std::string name, const std::string& value) {
        name.resize(18, ' ');
        return "  " + name + value + "\n";
    };
    std::string resize = s.ResizeMethod == kResizeByPercentage
                             ? std::to_string(s.ResizePercentage) + "%"
                         : s.ResizeMethod == kResizeToSize
                             ? std::to_string(s.ResizeWidth) + "x" + std::to_string(s.ResizeHeight)
                             : "none";
    const OrientationInfo* layout = FindOrientation(s.Orientation);
    std::string text = "Settings store: " + storeFile + "\n";
    text += item("--name", in.ProjectName);
    text += item("--class", in.SpriteClass);
    text += item("--style", std::to_string(in.LineStyleIndex));
    text += item("--type", std::string(OutputTypeFor(in.OutputFileType).commandWord));
    text += item("--layout", layout ? std::string(layout->commandWord)
                                    : "unknown (" + std::to_string(s.Orientation) + ")");
    text += item("--resize", resize);
    text += item("--hpad", std::to_string(s.HorizontalPadding));
    text += item("--vpad", std::to_string(s.VerticalPadding));
    const SheetBackgroundInfo* background = FindSheetBackground(s.SheetBackground);
    text += item("--background", background ? std::string(background->commandWord)
                                            : "unknown (" + std::to_string(s.SheetBackground) + ")");
    text += item("--dedupe", s.DedupeImages ? "yes" : "no");
    text += item("--retina", s.Retina ? "yes" : "no");
    for (const OutputTypeInfo& type : kOutputTypes)
        text += item(std::string(type.prefsValueName), FormatPrefsToText(s.*type.prefs));
    std::string data = "css";
    for (const DataFormatInfo& format : kDataFormats)
        if (s.DataFormats & format.format)
            data += std::string(",") + format.word;
    text += item("--base-rule", s.BaseRule ? "yes" : "no");
    text += item("--data", data);
    text += item("--html", s.HtmlPreview ? "yes" : "no");
    return text;
}

}  // namespace tessolo::cli
