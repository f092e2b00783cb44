// The program's windows and modules for one run. They are made in start-up
// order (main window, preferences dialog, settings module, about window,
// result viewer, then the update check)
// and destroyed in the reverse order, so the settings are saved while the
// preferences dialog, whose records they save, still exists.
#pragma once

#include "info/desktop_services.h"
#include "platform/user_prompts.h"
#include "settings/settings_store.h"

#include <memory>

namespace tessolo {

class TAbout;
class TPrefs;
class TPropertiesModule;
class TSpriteform;
class TSpriteView;
class UpdateCheck;

class TessoloApp {
public:
    // Throws when a window or the settings cannot be made. A damaged store
    // is told through `prompts`, as is a failed save at shutdown. The Help
    // menu and the update check open addresses and files through `desktop`.
    TessoloApp(UserPrompts& prompts, DesktopServices& desktop,
               SettingsStoreOptions storeOptions = {});
    ~TessoloApp();
    TessoloApp(const TessoloApp&) = delete;
    TessoloApp& operator=(const TessoloApp&) = delete;

    // Shows the main window, which then takes its choices from the settings.
    void Show();

    TSpriteform& MainForm() { return *mainForm_; }
    TPrefs& Prefs() { return *prefs_; }
    TSpriteView& Viewer() { return *viewer_; }
    TAbout& About() { return *about_; }
    UpdateCheck& Updates() { return *updateCheck_; }

private:
    std::unique_ptr<TSpriteform> mainForm_;
    std::unique_ptr<TPrefs> prefs_;
    std::unique_ptr<TPropertiesModule> properties_;
    std::unique_ptr<TAbout> about_;
    std::unique_ptr<TSpriteView> viewer_;
    std::unique_ptr<UpdateCheck> updateCheck_;
};

}  // namespace tessolo
