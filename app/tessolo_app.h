// The program's windows and modules for one run. They are made in start-up
// order (main window, preferences dialog, settings module, result viewer)
// and destroyed in the reverse order, so the settings are saved while the
// preferences dialog, whose records they save, still exists.
#pragma once

#include "platform/user_prompts.h"
#include "settings/orvane_registry.h"

#include <memory>

namespace tessolo {

class TPrefs;
class TPropertiesModule;
class TSpriteform;
class TSpriteView;

class TessoloApp {
public:
    // Throws when a window or the settings cannot be made. A damaged store
    // is told through `prompts`, as is a failed save at shutdown.
    explicit TessoloApp(UserPrompts& prompts, SettingsStoreOptions storeOptions = {});
    ~TessoloApp();
    TessoloApp(const TessoloApp&) = delete;
    TessoloApp& operator=(const TessoloApp&) = delete;

    // Shows the main window, which then takes its choices from the settings.
    void Show();

    TSpriteform& MainForm() { return *mainForm_; }
    TPrefs& Prefs() { return *prefs_; }
    TSpriteView& Viewer() { return *viewer_; }

private:
    std::unique_ptr<TSpriteform> mainForm_;
    std::unique_ptr<TPrefs> prefs_;
    std::unique_ptr<TPropertiesModule> properties_;
    std::unique_ptr<TSpriteView> viewer_;
};

}  // namespace tessolo
