#include "settings/live_settings.h"

#include "platform/error.h"

namespace tessolo {

OrvaneRegistry* Settings = nullptr;

TPropertiesModule::TPropertiesModule(FormatPrefsSet& records, SettingsStoreOptions options)
{
    if (Settings != nullptr)
        throw Error("The settings are already open");
    store_ = std::make_unique<OrvaneRegistry>(records, std::move(options));
    Settings = store_.get();
}

TPropertiesModule::~TPropertiesModule()
{
    store_.reset();
    Settings = nullptr;
}

}  // namespace tessolo
