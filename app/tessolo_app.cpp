#include "app/tessolo_app.h"

#include "app/spritemain.h"
#include "app/spriteview.h"
#include "info/about.h"
#include "info/update_check.h"
#include "platform/error.h"
#include "settings/dialog/prefs_dialog.h"
#include "settings/live_settings.h"

namespace tessolo {

TessoloApp::TessoloApp(UserPrompts& prompts, DesktopServices& desktop,
                       SettingsStoreOptions storeOptions)
{
    mainForm_ = std::make_unique<TSpriteform>(prompts);
    // A dialog of the main window stays above it while shown.
    prefs_ = std::make_unique<TPrefs>(mainForm_.get());
    storeOptions.saveOnDestruction = true;
    storeOptions.reportSaveFailure = [&prompts](const std::string& message) {
        prompts.Show("Tessolo", ErrorReportText(message), PromptIcon::Error);
    };
    properties_ = std::make_unique<TPropertiesModule>(prefs_->Records(), std::move(storeOptions));
    if (std::string warning = Settings->LoadWarning(); !warning.empty())
        prompts.Show("Tessolo", ErrorReportText(warning), PromptIcon::Warning);
    prefs_->BindSettings(*Settings);
    about_ = std::make_unique<TAbout>();
    viewer_ = std::make_unique<TSpriteView>(*Settings, desktop, mainForm_.get());
    updateCheck_ = std::make_unique<UpdateCheck>(prompts, desktop, [this] { mainForm_->close(); });
    // Closing the main window ends the program, whatever else is open.
    for (QWidget* window : std::initializer_list<QWidget*>{prefs_.get(), about_.get(), viewer_.get()})
        window->setAttribute(Qt::WA_QuitOnClose, false);
    mainForm_->Attach({*Settings, *prefs_, *about_, *viewer_, *updateCheck_, desktop});
}

// Members go in reverse: update check, viewer, about window, settings (saved
// here), dialog, main window.
TessoloApp::~TessoloApp() = default;

void TessoloApp::Show()
{
    mainForm_->show();
    mainForm_->raise();
    mainForm_->activateWindow();
    // Platforms that do not activate a new window still get the choices shown.
    if (!mainForm_->isActiveWindow())
        mainForm_->FormActivate();
}

}  // namespace tessolo
