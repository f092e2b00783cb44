// The settings module of the windowed program: it makes the one settings
// object at start-up and publishes it through `Settings`; destroying the
// module destroys the object, which saves it (a failed save goes to the
// options' reportSaveFailure, as a destructor cannot throw).
#pragma once

#include "settings/settings_store.h"

#include <memory>

namespace tessolo {

// The live settings while a TPropertiesModule exists, null otherwise.
extern OrvaneRegistry* Settings;

class TPropertiesModule {
public:
    // `records` must outlive the module. Throws Error when a module exists.
    explicit TPropertiesModule(FormatPrefsSet& records, SettingsStoreOptions options = {});
    ~TPropertiesModule();
    TPropertiesModule(const TPropertiesModule&) = delete;
    TPropertiesModule& operator=(const TPropertiesModule&) = delete;

private:
    std::unique_ptr<OrvaneRegistry> store_;
};

}  // namespace tessolo
