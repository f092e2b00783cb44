// The program's settings: every option that persists between runs, in the
// user's store (see typed_registry.h), loaded when the object is made.
//
// Use from a front end that saves only on request:
//
//     FormatPrefsSet records;          // the four per-format records; must outlive the store
//     OrvaneRegistry store(records, {.saveOnDestruction = false});
//     if (std::string w = store.LoadWarning(); !w.empty())
//         std::cerr << w << '\n';      // damaged store: say so once, then go on
//     ... read or set store.Orientation, records.PNGprefs, ...
//     store.SaveSettings();            // throws Error when the store cannot be written
//
// StoreFile() is the store's path: $XDG_CONFIG_HOME/Veltrand/Tessolo.reg, or
// ~/.config/Veltrand/Tessolo.reg, unless SettingsStoreOptions::storeFile names
// another. The windowed program makes a TPropertiesModule instead, whose
// store saves itself when destroyed at shutdown.
#pragma once

#include "settings/format_prefs.h"
#include "settings/sheet_options.h"
#include "settings/typed_registry.h"

#include <cstdint>
#include <functional>
#include <string>

namespace tessolo {

inline constexpr std::string_view kSettingsKeyPath = "\\Software\\Veltrand\\Tessolo";

struct SettingsStoreOptions {
    // The store file; empty selects the user's store.
    std::string storeFile{};
    // Whether the destructor saves, as the windowed program's shutdown does.
    bool saveOnDestruction = true;
    // Told the message when the destructor's save fails (a destructor cannot
    // throw); empty writes it to standard error.
    std::function<void(const std::string& message)> reportSaveFailure{};
};

struct StoredValue;

// The fields that builds read come from SheetOptions; the values, their
// kinds, ranges and first-run values are listed in settings/stored_values.h.
class OrvaneRegistry : public OvRegBase, public SheetOptions {
public:
    // Opens the store and loads every value into the fields and `records`.
    // Damaged values keep their defaults and are told in LoadWarning().
    explicit OrvaneRegistry(FormatPrefsSet& records, SettingsStoreOptions options = {});
    // Saves when saveOnDestruction is set; a failure goes to reportSaveFailure.
    ~OrvaneRegistry() override;

    // Reads every stored value into the fields and the four records. A
    // missing number gives the field its first-run value; a missing or empty
    // text leaves its field or record as it is. A value of another type or
    // size, a number outside its range and a record text that is not six
    // whole numbers are told in LoadWarning() and read as missing; a record
    // field outside its range keeps its value while the others are read.
    void LoadSettings();
    // Writes every field and the four records to the store. Throws Error when
    // the store cannot be written; the previous store then stays intact.
    void SaveSettings();

    std::string DefaultPath;      // folder last shown; the home folder at first
    std::int32_t TargetFileType;  // an OutputType (one stored byte)
    std::int32_t ListType;        // CSS line style 0 or 1 (one stored byte)
    std::string SpriteClass;      // class names as delimited text
    // Where the windows were left: "left,top,width,height" (window_box.h),
    // empty at first. The result viewer without a box opens beside the main
    // window.
    std::string ViewerGeometry;
    std::string MainWindowGeometry;
    // The main window's own state.
    std::string RecentFolders;       // delimited text, the latest first
    std::int32_t ShowThumbnails;     // 0/1: the file lists show each image small

private:
    void LoadValue(const StoredValue& row);
    void LoadRecord(const StoredValue& row, const std::string& text);
    void LoadOldViewerBox();

    FormatPrefsSet& records_;
    bool saveOnDestruction_;
    std::function<void(const std::string&)> reportSaveFailure_;
};

}  // namespace tessolo
