// The about and change log windows, shown for real on the offscreen
// platform.
#include "info/about.h"
#include "info/change_log.h"
#include "info/help_entries.h"
#include "support/program_version.h"
#include "support/recording_seams.h"
#include "support/testdata.h"

#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <fstream>

using namespace tessolo;

namespace {

const QString kAboutText =
    "Tessolo Sprite Maker\nVersion: " + QString::fromStdString(test::ProgramVersion()) + "\n\n"
    "Creates sprites and CSS files for JPEG, PNG, GIF and BMP graphics\n\n"
    "Copyright (C) 2026 Veltrand Software\n";

void WriteText(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

// Saves what a person would see, for looking at by hand.
void SaveScreenshot(QWidget& window, const QString& name)
{
    QString folder = QDir::temp().filePath("tessolo-screenshots");
    QDir().mkpath(folder);
    window.grab().save(folder + "/" + name + ".png");
}

}  // namespace

class InfoWindowsTest : public QObject {
    Q_OBJECT

private slots:
    void aboutShowsItsLinesAndRebuildsThemAtEveryShowing()
    {
        TAbout about;
        QCOMPARE(about.windowTitle(), QString("About"));
        QCOMPARE(about.size(), QSize(517, 271));
        QVERIFY(about.Memo->toPlainText().isEmpty());

        about.ShowOrBringToFront();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        QCOMPARE(about.Memo->toPlainText(), kAboutText);
        QCOMPARE(about.Memo->blockCount(), 7);
        QCOMPARE(QApplication::focusWidget(), about.BitBtn1);
        SaveScreenshot(about, "about");

        about.Memo->appendPlainText("typed");
        about.ShowOrBringToFront();  // already visible: only comes to the front
        QVERIFY(about.Memo->toPlainText().endsWith("typed"));

        QTest::mouseClick(about.BitBtn1, Qt::LeftButton);
        QVERIFY(!about.isVisible());
        about.ShowOrBringToFront();
        QCOMPARE(about.Memo->toPlainText(), kAboutText);
    }

    void changeLogIsReadAfreshAtEachOpening()
    {
        test::TempDir folder;
        std::string file = folder / "ChangeLog.txt";
        test::RecordingPrompts prompts;
        WriteText(file, "1.0\n  first line\r\nsecond line\n");
        {
            TChangeLog window(file, prompts);
            QCOMPARE(window.windowTitle(), QString("ChangeLog"));
            QTimer::singleShot(0, &window, [&] {
                QCOMPARE(window.mMemo->toPlainText(), QString("1.0\n  first line\nsecond line\n"));
                SaveScreenshot(window, "changelog");
                QTest::mouseClick(window.btnClose, Qt::LeftButton);
            });
            QCOMPARE(window.exec(), int(QDialog::Accepted));
        }
        WriteText(file, "1.1\n");
        TChangeLog window(file, prompts);
        window.show();
        QCOMPARE(window.mMemo->toPlainText(), QString("1.1\n"));
        QVERIFY(prompts.prompts.empty());
    }

    void buildFolderHoldsTheChangeLogAndTheUserGuide()
    {
        test::RecordingPrompts prompts;
        TChangeLog window(ChangeLogPath(TESSOLO_BUILD_DATA_DIR), prompts);
        window.show();
        QVERIFY(prompts.prompts.empty());
        QVERIFY(window.mMemo->toPlainText().startsWith("Tessolo change log\n"));
        QVERIFY(QFile::exists(QString::fromStdString(UserGuidePath(TESSOLO_BUILD_DATA_DIR))));
    }

    void missingChangeLogIsReportedByItsFullPath()
    {
        test::TempDir folder;
        std::string file = (folder.Path() / "my programs" / "ChangeLog.txt").string();
        test::RecordingPrompts prompts;
        TChangeLog window(file, prompts);
        window.show();
        QCOMPARE(prompts.prompts.size(), std::size_t{1});
        QCOMPARE(prompts.prompts[0].caption, std::string("Tessolo"));
        QCOMPARE(prompts.prompts[0].text, "Cannot open file " + file + ": No such file or directory.");
        QCOMPARE(prompts.prompts[0].icon, PromptIcon::Error);
        QVERIFY(window.isVisible());
        QVERIFY(window.mMemo->toPlainText().isEmpty());
    }
};

QTEST_MAIN(InfoWindowsTest)
#include "info_windows_test.moc"
