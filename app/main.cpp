// tessolo: the desktop program. Start-up makes the windows and the settings,
// shows the main window and runs the event loop; leaving it destroys them in
// reverse order, which saves the settings.
#include "app/qt_user_prompts.h"
#include "app/screenshots.h"
#include "app/spritemain.h"
#include "app/tessolo_app.h"
#include "info/system_desktop_services.h"
#include "info/version_strings.h"
#include "platform/error.h"

#include <QApplication>
#include <QIcon>

#include <cstring>
#include <iostream>
#include <memory>

int main(int argc, char** argv)
{
    // Answered before any window or display is needed.
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::cout << "tessolo " << tessolo::ProgramFileVersion() << "\n";
        return 0;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName("Tessolo");
    QApplication::setWindowIcon(QIcon(":/icons/tessolo.png"));

    tessolo::QtUserPrompts prompts;
    tessolo::SystemDesktopServices desktop;
    std::unique_ptr<tessolo::TessoloApp> app;
    try {
        app = std::make_unique<tessolo::TessoloApp>(prompts, desktop);
    } catch (const std::exception& error) {
        prompts.Show("Tessolo", tessolo::ErrorReportText(error.what()), tessolo::PromptIcon::Error);
        return 1;
    }

    prompts.SetParent(&app->MainForm());

    QStringList args = QApplication::arguments();
    if (args.size() == 4 && args[1] == "--screenshots")
        return tessolo::TakeScreenshots(*app, prompts, args[3], args[2]);

    app->Show();
    return application.exec();
}
