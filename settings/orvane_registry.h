// The program's settings: every option that persists between runs, in the
// user's store (see ext_registry.h), loaded when the object is made.
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

#include "settings/ext_registry.h"
#include "settings/format_prefs.h"

#include <cstdint>
#include <functional>
#include <string>

namespace tessolo {

inline constexpr std::string_view kSettingsKeyPath = "\\Software\\Veltrand\\Tessolo";

inline constexpr std::int32_t kDefaultResizePercentage = 100;
inline constexpr std::int32_t kDefaultResizeWidth = 320;
inline constexpr std::int32_t kDefaultResizeHeight = 240;
inline constexpr std::int32_t kDefaultPadding = 5;
inline constexpr std::string_view kDefaultSpriteClass = ".sprite";

struct SettingsStoreOptions {
    // The store file; empty selects the user's store.
    std::string storeFile{};
    // Whether the destructor saves, as the windowed program's shutdown does.
    bool saveOnDestruction = true;
    // Told the message when the destructor's save fails (a destructor cannot
    // throw); empty writes it to standard error.
    std::function<void(const std::string& message)> reportSaveFailure{};
};

class OrvaneRegistry : public OvRegBase {
public:
    // Opens the store and loads every value into the fields and `records`.
    // Damaged values keep their defaults and are told in LoadWarning().
    explicit OrvaneRegistry(FormatPrefsSet& records, SettingsStoreOptions options = {});
    // Saves when saveOnDestruction is set; a failure goes to reportSaveFailure.
    ~OrvaneRegistry() override;

    // Reads every stored value into the fields and the four records. A
    // missing, empty or mistyped value gives the field's default silently;
    // a record text that is not six whole numbers leaves that record as it
    // was and is told in LoadWarning(). No range checks are made.
    void LoadSettings();
    // Writes every field and the four records to the store. Throws Error when
    // the store cannot be written; the previous store then stays intact.
    void SaveSettings();

    std::string DefaultPath;                 // folder last shown; the home folder at first
    std::int32_t TargetFileType = kOutputJpeg;  // an OutputType (one stored byte)
    std::int32_t ListType = 0;               // CSS line style 0 or 1 (one stored byte)
    std::int32_t Orientation = 0;            // the layout's Orientation (one stored byte)
    std::int32_t ResizeMethod = 0;           // the build's ResizeMode (one stored byte)
    std::int32_t ResizePercentage = kDefaultResizePercentage;
    std::int32_t ResizeWidth = kDefaultResizeWidth;
    std::int32_t ResizeHeight = kDefaultResizeHeight;
    std::int32_t HorizontalPadding = kDefaultPadding;
    std::int32_t VerticalPadding = kDefaultPadding;
    std::int32_t SheetBackground = 0;        // 0 white, 1 transparent (one stored byte)
    std::int32_t DedupeImages = 0;           // identical images placed once: 0 or 1 (one stored byte)
    std::int32_t Retina = 0;                 // a double-size sheet as well: 0 or 1 (one stored byte)
    std::string SpriteClass{kDefaultSpriteClass};  // class names as delimited text
    std::int32_t BaseRule = 0;     // 1: the stylesheet opens with a rule for the class (one stored byte)
    std::int32_t DataFormats = 0;  // DataFormat bits: 1 SCSS, 2 LESS, 4 JSON (one stored byte)
    std::int32_t HtmlPreview = 0;  // 1: a preview page beside the stylesheet (one stored byte)

private:
    FormatPrefsSet& records_;
    bool saveOnDestruction_;
    std::function<void(const std::string&)> reportSaveFailure_;
};

}  // namespace tessolo
