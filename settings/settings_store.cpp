#include "settings/settings_store.h"

#include "platform/error.h"
#include "settings/format_prefs_text.h"
#include "settings/store_location.h"
#include "settings/stored_values.h"
#include "settings/window_box.h"

#include <iostream>
#include <utility>

namespace tessolo {

namespace {

// The folder shown at first: the home folder, or the root when it is unknown.
std::string FirstFolder()
{
    std::string home = UserHomeFolder();
    return home.empty() ? std::string(1, '/') : home;
}

// What a value that cannot be read should have been.
std::string KindText(StoredKind kind)
{
    switch (kind) {
    case StoredKind::Byte:
    case StoredKind::Switch: return "one byte";
    case StoredKind::Dword: return "a 32-bit integer";
    case StoredKind::String:
    case StoredKind::Record: break;
    }
    return "text";
}

}  // namespace

OrvaneRegistry::OrvaneRegistry(FormatPrefsSet& records, SettingsStoreOptions options)
    : OvRegBase(kSettingsKeyPath, std::move(options.storeFile)),
      records_(records),
      saveOnDestruction_(options.saveOnDestruction),
      reportSaveFailure_(std::move(options.reportSaveFailure))
{
    for (const StoredValue& row : kStoredValues) {
        if (row.storeField)
            this->*row.storeField = row.firstRun;
        if (row.textField)
            this->*row.textField = row.firstRunText;
    }
    DefaultPath = FirstFolder();
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
    for (const StoredValue& row : kStoredValues)
        LoadValue(row);
    LoadOldViewerBox();
}

void OrvaneRegistry::LoadOldViewerBox()
{
    // Earlier versions kept the viewer's box as four 32-bit integers; they
    // are read while no text holds it.
    if (!ViewerGeometry.empty())
        return;
    WindowBox box;
    const std::pair<const char*, int*> sides[] = {{"ViewerLeft", &box.left},
                                                  {"ViewerTop", &box.top},
                                                  {"ViewerWidth", &box.width},
                                                  {"ViewerHeight", &box.height}};
    for (auto [name, side] : sides) {
        std::optional<std::int32_t> value = ReadInteger(name);
        if (!value)
            return;
        *side = *value;
    }
    if (WindowBoxFromText(WindowBoxText(box)))
        ViewerGeometry = WindowBoxText(box);
}

void OrvaneRegistry::LoadValue(const StoredValue& row)
{
    const std::string name(row.name);
    if (row.IsNumber()) {
        std::int32_t& field = row.NumberIn(*this);
        field = row.firstRun;
        if (!HasValue(name))
            return;
        std::optional<std::int32_t> value;
        if (row.kind == StoredKind::Dword)
            value = ReadInteger(name);
        else
            value = ReadByte(name);
        if (!value)
            ReportLoadProblem(name + " is not stored as " + KindText(row.kind));
        else if (!row.range.Holds(*value))
            ReportLoadProblem(name + " " + std::to_string(*value) + " is not " +
                              RangeText(row.range));
        else
            field = *value;
        return;
    }
    // A missing or empty text leaves the field as it is.
    if (!HasValue(name))
        return;
    std::optional<std::string> text = ReadString(name);
    if (!text)
        ReportLoadProblem(name + " is not stored as " + KindText(row.kind));
    else if (text->empty())
        return;
    else if (row.kind == StoredKind::Record)
        LoadRecord(row, *text);
    else
        this->*row.textField = *text;
}

void OrvaneRegistry::LoadRecord(const StoredValue& row, const std::string& text)
{
    const std::string name(row.name);
    std::optional<TFormatPrefs> read = FormatPrefsFromText(text);
    if (!read) {
        ReportLoadProblem(name + " does not hold six whole numbers");
        return;
    }
    TFormatPrefs& record = records_.*row.record;
    for (std::size_t i = 0; i < kFormatPrefsFields.size(); ++i) {
        const FormatPrefsField& field = kFormatPrefsFields[i];
        const std::int32_t value = *read.*field.member;
        if (row.fieldRanges[i].Holds(value))
            record.*field.member = value;
        else
            ReportLoadProblem(name + " " + std::string(field.name) + " " + std::to_string(value) +
                              " is not " + RangeText(row.fieldRanges[i]));
    }
}

void OrvaneRegistry::SaveSettings()
{
    for (const StoredValue& row : kStoredValues) {
        switch (row.kind) {
        case StoredKind::String: WriteStringValue(row.name, this->*row.textField); break;
        case StoredKind::Byte:
        case StoredKind::Switch: WriteByteValue(row.name, std::uint8_t(row.NumberIn(*this))); break;
        case StoredKind::Dword: WriteIntegerValue(row.name, row.NumberIn(*this)); break;
        case StoredKind::Record:
            WriteStringValue(row.name, FormatPrefsToText(records_.*row.record));
            break;
        }
    }
    Flush();
}

}  // namespace tessolo
