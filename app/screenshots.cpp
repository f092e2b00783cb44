#include "app/screenshots.h"

#include "app/spritemain.h"
#include "app/spriteview.h"
#include "app/tessolo_app.h"
#include "settings/dialog/prefs_dialog.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTabWidget>
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

QString PageFileName(const QString& tabText)
{
    QString name = tabText.toLower().remove('&');
    name.replace(QRegularExpression("[^a-z0-9]+"), "-");
    return "prefs-" + name + ".png";
}

}  // namespace

int TakeScreenshots(TessoloApp& app, const QString& folder, const QString& outDir)
{
    QDir().mkpath(outDir);
    TSpriteform& form = app.MainForm();
    app.Show();
    form.FormActivate();
    form.ShowFolder(QDir(folder).canonicalPath());
    Settle();
    form.FileListBox->selectAll();
    form.InBtn->click();
    form.pOutputFileType->findChildren<QRadioButton*>().at(1)->click();
    form.cbCSSStyle->setCurrentIndex(1);
    form.Model().SetLineStyle(1);
    form.btnMakeSprite->click();

    bool saved = Save(form, QDir(outDir).filePath("main-window.png"));
    app.Viewer().resize(480, 200);
    saved = Save(app.Viewer(), QDir(outDir).filePath("viewer.png")) && saved;

    TPrefs& prefs = app.Prefs();
    prefs.ShowPrefs();
    if (auto* pages = prefs.findChild<QTabWidget*>()) {
        for (int i = 0; i < pages->count(); ++i) {
            pages->setCurrentIndex(i);
            saved = Save(prefs, QDir(outDir).filePath(PageFileName(pages->tabText(i)))) && saved;
        }
    } else {
        saved = Save(prefs, QDir(outDir).filePath("prefs.png")) && saved;
    }
    prefs.hide();
    form.close();
    return saved ? 0 : 1;
}

}  // namespace tessolo
