#include "app/screenshots.h"

#include "app/spritemain.h"
#include "app/spriteview.h"
#include "app/tessolo_app.h"
#include "app/thumbnails.h"
#include "info/about.h"
#include "info/change_log.h"
#include "info/help_entries.h"
#include "settings/dialog/prefs_dialog.h"
#include "settings/live_settings.h"
#include "sprite/build_settings.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QListWidget>
#include <QMouseEvent>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>
#include <QTextStream>
#include <QThread>

namespace tessolo {

namespace {

void Settle()
{
    for (int i = 0; i < 20; ++i) {
        QApplication::processEvents();
        QThread::msleep(10);
    }
}

bool Save(QWidget& window, const QString& path)
{
    Settle();
    bool saved = window.grab().save(path);
    QTextStream(stdout) << (saved ? "saved " : "could not save ") << path << "\n";
    return saved;
}

// What a desktop in a dark colour scheme gives the program as its palette.
QPalette DarkDesktopPalette()
{
    const QColor window(53, 53, 53), base(35, 35, 35), text(230, 230, 230);
    const QColor disabledText(128, 128, 128), highlight(42, 130, 218);
    QPalette palette(window);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Base, base);
    palette.setColor(QPalette::AlternateBase, window);
    palette.setColor(QPalette::ToolTipBase, base);
    palette.setColor(QPalette::ToolTipText, text);
    palette.setColor(QPalette::PlaceholderText, disabledText);
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::Button, window);
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::BrightText, Qt::red);
    palette.setColor(QPalette::Link, highlight);
    palette.setColor(QPalette::Highlight, highlight);
    palette.setColor(QPalette::HighlightedText, base);
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, disabledText);
    return palette;
}

// The viewer at 1:1 with the pointer on its third image.
void PointAtAnImage(TSpriteView& viewer)
{
    viewer.resize(560, 240);
    viewer.SetZoom(1);
    Settle();
    auto* canvas = viewer.findChild<QWidget*>("sheetCanvas");
    if (canvas == nullptr || viewer.Images().size() < 3)
        return;
    const QRect box = viewer.Images()[2].sheetBox;
    const QPoint at =
        viewer.SheetRect().topLeft() + box.center() - canvas->mapTo(&viewer, QPoint());
    QMouseEvent move(QEvent::MouseMove, at, canvas->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(canvas, &move);
}

}  // namespace

int TakeScreenshots(TessoloApp& app, UserPrompts& prompts, const QString& folder,
                    const QString& outDir)
{
    QDir().mkpath(outDir);
    TSpriteform& form = app.MainForm();
    Settings->SheetBackground = kBackgroundTransparent;  // so the viewer shows its checkerboard
    app.Show();
    form.FormActivate();
    form.ShowFolder(QDir(folder).canonicalPath());
    Settle();
    form.findChild<QListWidget*>("FileListBox")->selectAll();
    form.findChild<QPushButton*>("InBtn")->click();
    form.findChild<QRadioButton*>("pOutputFileTypePNG")->click();
    form.findChild<QComboBox*>("cbCSSStyle")->setCurrentIndex(1);
    form.Model().SetLineStyle(1);
    form.findChild<QPushButton*>("btnMakeSprite")->click();
    while (form.Building())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    form.Thumbnails().WaitForDone();
    PointAtAnImage(app.Viewer());

    bool saved = true;
    const QPalette desktop = QApplication::palette();
    for (const auto& [scheme, palette] :
         {std::pair{QString("light"), desktop}, std::pair{QString("dark"), DarkDesktopPalette()}}) {
        QApplication::setPalette(palette);
        auto path = [&](const QString& window) {
            return QDir(outDir).filePath(window + "-" + scheme + ".png");
        };
        saved = Save(form, path("main-window")) && saved;
        saved = Save(app.Viewer(), path("viewer")) && saved;

        TPrefs& prefs = app.Prefs();
        Settings->ResizeMethod = kResizeToSize;  // the General page with its size boxes
        try {
            prefs.ShowPrefs();
            Settle();
            for (const QString& page : prefs.SavePageImages(outDir, "-" + scheme))
                QTextStream(stdout) << "saved " << page << "\n";
        } catch (const std::exception& failure) {
            QTextStream(stdout) << failure.what() << "\n";
            saved = false;
        }
        prefs.hide();
        Settings->ResizeMethod = kResizeNone;

        app.About().ShowOrBringToFront();
        saved = Save(app.About(), path("about")) && saved;
        app.About().hide();
        TChangeLog changeLog(ChangeLogPath(ProgramDataFolder()), prompts, &form);
        changeLog.show();
        saved = Save(changeLog, path("change-log")) && saved;
        changeLog.hide();
    }
    form.close();
    return saved ? 0 : 1;
}

}  // namespace tessolo
