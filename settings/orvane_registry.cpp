#include "settings/orvane_registry.h"

#include "platform/error.h"
#include "settings/format_prefs_text.h"
#include "settings/store_location.h"

#include <iostream>

namespace tessolo {

namespace {

// The folder shown at first: the home folder, or the root when it is unknown.
std::string FirstFolder()
{
    std::string home = UserHomeFolder();
    return home.empty() ? std::string(1, '/') : home;
}

}  // namespace

OrvaneRegistry::OrvaneRegistry(FormatPrefsSet& records, SettingsStoreOptions options)
    : OvRegBase(kSettingsKeyPath, std::move(options.storeFile)),
      DefaultPath(FirstFolder()),
      records_(records),
      saveOnDestruction_(options.saveOnDestruction),
      reportSaveFailure_(std::move(options.reportSaveFailure))
{
    LoadSettings();
}

OrvaneRegistry::~OrvaneRegistry()
{
    if (!saveOnDestruction_)
        return;
    try {
        SaveSettings();
    } catch (const std::exception& failure) {
        try {
            if (reportSaveFailure_)
                reportSaveFailure_(failure.what());
            else
                std::cerr << "Tessolo: " << ErrorReportText(failure.what()) << '\n';
        } catch (...) {
            // Nothing more can be done while shutting down.
        }
    }
}

void OrvaneRegistry::LoadSettings()
{
    DefaultPath = ReadStringDef("DefaultPath", DefaultPath);
    TargetFileType = ReadByteDef("TargetFileType", 0);
    SpriteClass = ReadStringDef("SpriteClass", SpriteClass);
    ListType = ReadByteDef("ListType", 0);
    Orientation = ReadByteDef("Orientation", 0);
    ResizeMethod = ReadByteDef("ResizeMethod", 0);
    ResizePercentage = ReadIntegerDef("ResizePercentage", kDefaultResizePercentage);
    ResizeWidth = ReadIntegerDef("ResizeWidth", kDefaultResizeWidth);
    ResizeHeight = ReadIntegerDef("ResizeHeight", kDefaultResizeHeight);
    HorizontalPadding = ReadIntegerDef("HorizontalPadding", kDefaultPadding);
    VerticalPadding = ReadIntegerDef("VerticalPadding", kDefaultPadding);
    SheetBackground = ReadByteDef("SheetBackground", 0);
    DedupeImages = ReadByteDef("DedupeImages", 0);
    Retina = ReadByteDef("Retina", 0);
    for (const OutputTypeInfo& type : kOutputTypes) {
        std::string text = ReadStringDef(type.prefsValueName, "");
        if (text.empty())
            continue;
        if (std::optional<TFormatPrefs> record = FormatPrefsFromText(text))
            records_.*type.prefs = *record;
        else
            ReportLoadProblem(std::string(type.prefsValueName) + " does not hold six whole numbers");
    }
    BaseRule = ReadByteDef("BaseRule", 0);
    DataFormats = ReadByteDef("DataFormats", 0);
    HtmlPreview = ReadByteDef("HtmlPreview", 0);
}

void OrvaneRegistry::SaveSettings()
{
    WriteStringValue("DefaultPath", DefaultPath);
    WriteByteValue("TargetFileType", std::uint8_t(TargetFileType));
    WriteStringValue("SpriteClass", SpriteClass);
    WriteByteValue("ListType", std::uint8_t(ListType));
    WriteByteValue("Orientation", std::uint8_t(Orientation));
    WriteByteValue("ResizeMethod", std::uint8_t(ResizeMethod));
    WriteIntegerValue("ResizePercentage", ResizePercentage);
    WriteIntegerValue("ResizeWidth", ResizeWidth);
    WriteIntegerValue("ResizeHeight", ResizeHeight);
    WriteIntegerValue("HorizontalPadding", HorizontalPadding);
    WriteIntegerValue("VerticalPadding", VerticalPadding);
    WriteByteValue("SheetBackground", std::uint8_t(SheetBackground));
    WriteByteValue("DedupeImages", std::uint8_t(DedupeImages));
    WriteByteValue("Retina", std::uint8_t(Retina));
    for (const OutputTypeInfo& type : kOutputTypes)
        WriteStringValue(type.prefsValueName, FormatPrefsToText(records_.*type.prefs));
    WriteByteValue("BaseRule", std::uint8_t(BaseRule));
    WriteByteValue("DataFormats", std::uint8_t(DataFormats));
    WriteByteValue("HtmlPreview", std::uint8_t(HtmlPreview));
    Flush();
}

}  // namespace tessolo
