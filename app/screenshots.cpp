#include "app/screenshots.h"

#include "app/spritemain.h"
#include "app/spriteview.h"
#include "app/tessolo_app.h"
#include "app/thumbnails.h"
#include "info/about.h"
#include "info/change_log.h"
#include "info/help_entries.h"
#include "settings/dialog/prefs_dialog.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QListWidget>
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

}  // namespace

int TakeScreenshots(TessoloApp& app, UserPrompts& prompts, const QString& folder,
                    const QString& outDir)
{
    QDir().mkpath(outDir);
    TSpriteform& form = app.MainForm();
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

    bool saved = Save(form, QDir(outDir).filePath("main-window.png"));
    app.Viewer().resize(480, 200);
    saved = Save(app.Viewer(), QDir(outDir).filePath("viewer.png")) && saved;

    TPrefs& prefs = app.Prefs();
    try {
        prefs.ShowPrefs();
        Settle();
        for (const QString& path : prefs.SavePageImages(outDir))
            QTextStream(stdout) << "saved " << path << "\n";
    } catch (const std::exception& failure) {
        QTextStream(stdout) << failure.what() << "\n";
        saved = false;
    }
    prefs.hide();

    app.About().ShowOrBringToFront();
    saved = Save(app.About(), QDir(outDir).filePath("about.png")) && saved;
    app.About().hide();
    TChangeLog changeLog(ChangeLogPath(ProgramDataFolder()), prompts, &form);
    changeLog.show();
    saved = Save(changeLog, QDir(outDir).filePath("change-log.png")) && saved;
    changeLog.hide();
    form.close();
    return saved ? 0 : 1;
}

}  // namespace tessolo
