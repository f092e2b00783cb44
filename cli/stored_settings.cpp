#include "cli/stored_settings.h"

#include "settings/data_formats.h"
#include "settings/delimited_text.h"
#include "settings/format_prefs_text.h"
#include "settings/stored_values.h"
#include "sprite/high_density.h"
#include "sprite/layout.h"
#include "sprite/sheet_background.h"
#include "sprite/sheet_limit.h"
#include "sprite/stored_build_settings.h"
#include "sprite/stylesheet.h"

#include <algorithm>
#include <map>
#include <filesystem>

namespace tessolo::cli {

namespace {

// The stored ListType of the request's line style; -1, outside the list, for
// none.
std::int32_t ListTypeOf(const BuildInputs& in) { return in.LineStyle ? *in.LineStyle : -1; }

}  // namespace

CliRequest DefaultsFromStore(const OrvaneRegistry& store, const FormatPrefsSet& records)
{
    CliRequest defaults;
    BuildInputs& in = defaults.inputs;
    in.ProjectName = "sprite";  // never stored: every start begins with it
    std::vector<std::string> classes = SplitDelimitedText(store.SpriteClass);
    in.SpriteClass = classes.empty() ? std::string() : classes.front();
    in.LineStyle = LineStyleOf(store.ListType);
    in.LineStyleText = in.LineStyle ? kLineStyleTexts[*in.LineStyle] : "";
    in.OutputFileType = OutputTypeFor(store.TargetFileType).type;

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
    store.ListType = ListTypeOf(in);

    std::vector<std::string> classes = SplitDelimitedText(store.SpriteClass);
    std::erase(classes, in.SpriteClass);
    if (!in.SpriteClass.empty())
        classes.insert(classes.begin(), in.SpriteClass);
    store.SpriteClass = JoinDelimitedText(classes);

    records = StoredRecords(request.settings.Encoding, records);
    static_cast<SheetOptions&>(store) = StoredSheetOptions(request.settings);
}

namespace {

std::string DataText(std::int32_t formats)
{
    std::string data = "css";
    for (const DataFormatInfo& format : kDataFormats)
        if (formats & format.format)
            data += std::string(",") + format.word;
    return data;
}

// The words of the extra sheet types, "none" without any.
std::string AlsoText(std::int32_t formats)
{
    std::string words;
    for (const OutputTypeInfo& type : kOutputTypes)
        if (formats & (1 << type.type))
            words += (words.empty() ? "" : ",") + std::string(type.commandWord);
    return words.empty() ? "none" : words;
}

// A choice by its word, or its number when no row of the table has it.
template <class Info>
std::string WordOrNumber(const Info* row, std::int32_t value)
{
    return row ? std::string(row->commandWord) : "unknown (" + std::to_string(value) + ")";
}

// How --show-settings shows a stored value, as the request has it. The
// store's own values come from the inputs; every other number is a build's.
std::string ShownValue(const StoredValue& row, const CliRequest& request,
                       const FormatPrefsSet& records)
{
    const BuildInputs& in = request.inputs;
    const SheetOptions s = StoredSheetOptions(request.settings);
    if (row.kind == StoredKind::Record)
        return FormatPrefsToText(StoredRecords(request.settings.Encoding, records).*row.record);
    if (row.textField == &OrvaneRegistry::SpriteClass)
        return in.SpriteClass;
    if (row.textField)  // every other text that is listed is a sheet option
        return s.*static_cast<std::string SheetOptions::*>(row.textField);
    if (row.storeField == &OrvaneRegistry::TargetFileType)
        return std::string(OutputTypeFor(in.OutputFileType).commandWord);
    if (row.storeField == &OrvaneRegistry::ListType)
        return std::to_string(ListTypeOf(in));
    const std::int32_t value = s.*row.sheetField;
    if (row.sheetField == &SheetOptions::Orientation)
        return WordOrNumber(FindOrientation(value), value);
    if (row.sheetField == &SheetOptions::SheetBackground)
        return WordOrNumber(FindSheetBackground(value), value);
    if (row.sheetField == &SheetOptions::CssUnits)
        return WordOrNumber(FindStylesheetUnits(value), value);
    if (row.sheetField == &SheetOptions::ResizeMethod)
        return ResizeText(request.settings);
    if (row.sheetField == &SheetOptions::MaxSheetWidth)
        return SheetLimitText(request.settings.MaxSize);
    if (row.sheetField == &SheetOptions::DataFormats)
        return DataText(value);
    if (row.sheetField == &SheetOptions::AlsoFormats)
        return AlsoText(value);
    if (row.sheetField == &SheetOptions::Scales)
        return ScalesText(request.settings);
    if (row.kind == StoredKind::Switch)
        return value ? "yes" : "no";
    return std::to_string(value);
}

// The options that set the fields of each record.
const std::map<std::string_view, std::vector<std::string>> kRecordOptions{
    {"JPGprefs", {"--jpeg-quality", "--jpeg-progressive"}},
    {"PNGprefs", {"--png-level", "--png-interlace", "--png-optimize"}},
    {"GIFprefs", {"--gif-compression"}},
    {"BMPprefs", {"--bmp-bits"}},
    {"WEBPprefs", {"--webp-quality"}},
    {"AVIFprefs", {"--avif-quality"}},
};

// Where the value of a row came from: the command line when any of its
// options was given there, else the project file, else nothing (the store,
// or a first run's value).
std::string OriginOf(const std::string& option, const CliRequest& request)
{
    std::vector<std::string> options{option};
    if (auto record = kRecordOptions.find(option); record != kRecordOptions.end())
        options = record->second;
    std::string origin;
    for (const std::string& name : options)
        if (auto given = request.origins.find(name); given != request.origins.end())
            if (origin.empty() || given->second == "command line")
                origin = given->second;
    return origin;
}

}  // namespace

std::string DescribeSettings(const CliRequest& request, const FormatPrefsSet& records,
                             const std::string& storeFile, const std::string& projectFile)
{
    auto item = [&request](const std::string& option, const std::string& value) {
        std::string name = option;
        name.resize(18, ' ');
        const std::string origin = OriginOf(option, request);
        return "  " + name + value + (origin.empty() ? "" : "  (" + origin + ")") + "\n";
    };
    std::string text = "Settings store: " + storeFile + "\n";
    if (!projectFile.empty())
        text += "Project file: " + projectFile + "\n";
    text += item("--name", request.inputs.ProjectName);
    for (const StoredValue& row : kStoredValues)
        if (!row.commandOption.empty())
            text += item(std::string(row.commandOption), ShownValue(row, request, records));
    return text;
}

}  // namespace tessolo::cli
