// The desktop program driven through its real widgets on the offscreen
// platform, each test with its own settings folder and image folders.
#include "app/spritemain.h"
#include "app/bitmap_image.h"
#include "app/qt_user_prompts.h"
#include "app/spriteview.h"
#include "app/tessolo_app.h"
#include "app/window_build_observer.h"
#include "platform/error.h"
#include "info/about.h"
#include "info/change_log.h"
#include "info/help_entries.h"
#include "support/recording_seams.h"
#include "../gui_info/test_http_server.h"
#include "platform/files.h"
#include "settings/dialog/prefs_dialog.h"
#include "settings/live_settings.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QThread>
#include <QTreeView>

#include <memory>

namespace tessolo {
namespace {

// Counts the paint events of one widget.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget& widget) { widget.installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override
    {
        paints += event->type() == QEvent::Paint;
        return false;
    }
    int paints = 0;
};

using test::RecordingPrompts;

QStringList Texts(const QListWidget& list)
{
    QStringList texts;
    for (int i = 0; i < list.count(); ++i)
        texts << list.item(i)->text();
    return texts;
}

void Select(QListWidget& list, const QStringList& texts)
{
    list.clearSelection();
    for (const QString& text : texts) {
        QList<QListWidgetItem*> found = list.findItems(text, Qt::MatchExactly);
        QVERIFY2(!found.isEmpty(), qPrintable(text));
        found.front()->setSelected(true);
    }
}

QByteArray FileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> temp_;
    RecordingPrompts prompts_;
    test::RecordingDesktop desktop_;
    // The update host of every run: nothing leaves this machine.
    std::unique_ptr<test::TestHttpServer> server_;
    std::unique_ptr<TessoloApp> app_;

    TSpriteform& Form() { return app_->MainForm(); }
    QString Folder(const QString& name)
    {
        QString path = QDir(temp_->path()).filePath(name);
        QDir().mkpath(path);
        return QDir(path).canonicalPath();
    }
    // A folder holding copies of the given sample icons.
    QString SampleFolder(const QString& name, const QStringList& files)
    {
        QString folder = Folder(name);
        for (const QString& file : files)
            QFile::copy(QString(TESSOLO_SOURCE_DIR "/examples/") + file, folder + "/" + file);
        return folder;
    }
    void Start()
    {
        app_ = std::make_unique<TessoloApp>(prompts_, desktop_);
        app_->Show();
        QVERIFY(QTest::qWaitForWindowExposed(&Form()));
        QApplication::setActiveWindow(&Form());
    }
    // Closes the main window and ends the run, which saves the settings.
    void Stop()
    {
        Form().close();
        app_.reset();
    }
    void Activate(QWidget& window) { QApplication::setActiveWindow(&window); }
    QAbstractButton* OutputType(int index)
    {
        return Form().pOutputFileType->findChildren<QRadioButton*>().at(index);
    }
    // Clicks a radio button on its indicator.
    void Pick(QAbstractButton* button)
    {
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
        QVERIFY(button->isChecked());
    }
    void Open(const QString& folder)
    {
        Form().ShowFolder(folder);
        QCOMPARE(Form().plOutputDir->text(), folder);
    }

private slots:
    void init()
    {
        temp_ = std::make_unique<QTemporaryDir>();
        qputenv("XDG_CONFIG_HOME", Folder("config").toUtf8());
        prompts_ = {};
        desktop_ = {};
        server_ = std::make_unique<test::TestHttpServer>();
        qputenv("TESSOLO_UPDATE_HOST", server_->Host().toUtf8());
        Start();
    }

    void cleanup()
    {
        if (app_)
            Stop();
        server_.reset();
        temp_.reset();
    }

    void theStartUpCheckAsksOnlyOnceTheWindowIsShown()
    {
        // The first run found no revisions file and said nothing.
        QTRY_COMPARE(server_->requests.size(), qsizetype(1));
        QVERIFY(prompts_.prompts.empty());

        Stop();
        server_->Serve("/sites/default/files/softwarerevs/revisions.txt",
                       "[revisions]\r\nTessolo.exe,9.0\r\n");
        Start();
        QVERIFY(Form().isVisible());
        QTRY_COMPARE(prompts_.prompts.size(), std::size_t(1));
        QVERIFY(prompts_.prompts[0].question);
        QCOMPARE(prompts_.prompts[0].caption, std::string("Tessolo - New Version Available"));
        // Declined: nothing downloaded, nothing opened, the window stays.
        QCOMPARE(server_->requests.size(), qsizetype(2));
        QVERIFY(desktop_.files.empty());
        QVERIFY(Form().isVisible());
    }

    void helpMenuEntriesOpenTheGuideTheSiteAndTheAboutWindow()
    {
        Form().Help2->trigger();
        QCOMPARE(desktop_.files.size(), std::size_t(1));
        QVERIFY(QString::fromStdString(desktop_.files[0]).endsWith("/share/tessolo/help/index.html"));

        Form().VeltrandSoftwareontheWeb1->trigger();
        QCOMPARE(desktop_.urls, std::vector<std::string>{"http://" + server_->Host().toStdString() + "/"});

        QVERIFY(!app_->About().isVisible());
        Form().About1->trigger();
        QTRY_VERIFY(app_->About().isVisible());
        QVERIFY(!app_->About().Memo->toPlainText().isEmpty());
    }

    void checkForUpdatesReportsTheLatestVersion()
    {
        server_->Serve("/sites/default/files/softwarerevs/revisions.txt",
                       "[revisions]\r\nTessolo.exe,1.0\r\n");
        Form().CheckforUpdates1->trigger();
        QTRY_COMPARE(prompts_.prompts.size(), std::size_t(1));
        QCOMPARE(prompts_.prompts[0].caption, std::string("Tessolo Version Check"));
        QVERIFY(!prompts_.prompts[0].question);
    }

    void acceptedOfferOpensTheDownloadedInstallerAndClosesTheWindow()
    {
        Stop();
        // The installer goes into $HOME/Downloads: a home of the test's own.
        auto restoreHome = qScopeGuard([home = qgetenv("HOME")] { qputenv("HOME", home); });
        qputenv("HOME", Folder("home").toUtf8());
        server_->Serve("/sites/default/files/softwarerevs/revisions.txt",
                       "[revisions]\r\nTessolo.exe,9.0\r\n");
        server_->Serve("/sites/default/files/Tessolo_Installer_V9.0.0.deb", QByteArray("pkg\0data", 8));
        prompts_.answers = {true};
        Start();
        QTRY_COMPARE(desktop_.files.size(), std::size_t(1));
        QString installer = Folder("home") + "/Downloads/Tessolo_Installer_V9.0.0.deb";
        QCOMPARE(QString::fromStdString(desktop_.files[0]), installer);
        QFile written(installer);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(), QByteArray("pkg\0data", 8));
        QTRY_VERIFY(!Form().isVisible());
    }

    void changeLogOpensAFreshModalWindowAtEachShowing()
    {
        std::string file = ChangeLogPath(ProgramDataFolder());
        bool present = QFile::exists(QString::fromStdString(file));
        for (int showing = 1; showing <= 2; ++showing) {
            QPointer<TChangeLog> window;
            QTimer::singleShot(0, this, [&] {
                window = qobject_cast<TChangeLog*>(QApplication::activeModalWidget());
                QVERIFY(window);
                QCOMPARE(window->windowTitle(), QString("ChangeLog"));
                window->btnClose->click();
            });
            Form().ChangeLog1->trigger();
            QVERIFY(window.isNull());  // destroyed after its showing
            // This test program does not lie beside share/tessolo; the
            // window then names the file it looked for.
            QCOMPARE(prompts_.prompts.size(), std::size_t(present ? 0 : showing));
            if (!present)
                QCOMPARE(prompts_.prompts.back().text,
                         "Cannot open file " + file + ": No such file or directory.");
        }
    }

    void opensWithItsCaptionAndTheFirstControlFocused()
    {
        QCOMPARE(Form().windowTitle(), QString("Tessolo Sprite Generator"));
        QCOMPARE(QApplication::focusWidget(), Form().pdcbDirectory);
        QVERIFY(Settings != nullptr);
        QCOMPARE(Form().pedSpriteName->text(), QString("sprite"));
        QCOMPARE(Form().cbSpriteClass->currentText(), QString(".sprite"));
        QVERIFY(OutputType(0)->isChecked());
        QCOMPARE(Form().cbCSSStyle->currentIndex(), 0);
    }

    void aFailureDuringStartUpIsThrownWithNothingLeftBehind()
    {
        // A second run in the same process cannot open the settings again.
        OrvaneRegistry* first = Settings;
        qsizetype windows = QApplication::topLevelWidgets().size();
        QVERIFY_THROWS_EXCEPTION(Error, TessoloApp second(prompts_, desktop_));
        QCOMPARE(Settings, first);
        QCOMPARE(QApplication::topLevelWidgets().size(), windows);
    }

    void tabFollowsTheControlTable()
    {
        QList<QWidget*> expected{Form().pDirListBox, Form().FileListBox,   Form().GraphicFiles,
                                 Form().OutBtn,      Form().InBtn,         Form().btnMakeSprite,
                                 OutputType(0),      Form().pedSpriteName, Form().ClearProcs,
                                 Form().SpriteListBox, Form().cbSpriteClass, Form().cbCSSStyle,
                                 Form().pdcbDirectory};
        for (QWidget* next : expected) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QWidget* focused = QApplication::focusWidget();
            if (focused && focused->focusProxy() == nullptr && next->focusProxy() == focused)
                focused = next;
            if (Form().cbSpriteClass->lineEdit() == focused)
                focused = Form().cbSpriteClass;
            QCOMPARE(focused, next);
        }
    }

    void menusCarryTheirCaptions()
    {
        QStringList titles;
        for (QAction* menu : Form().menuBar()->actions())
            titles << menu->text();
        QCOMPARE(titles, (QStringList{"&File", "&Options", "&Run", "&Help"}));
        QStringList help;
        for (QAction* entry : Form().menuBar()->actions().back()->menu()->actions())
            help << entry->text();
        QCOMPARE(help, (QStringList{"&Help", "Veltrand Software on the &Web", "Check for &Updates",
                                    "Change &Log", QString(43, '-'), "&About"}));
        QCOMPARE(Form().Exit1->text(), QString("E&xit"));
        QCOMPARE(Form().Preferences1->text(), QString("&Preferences"));
        QCOMPARE(Form().MakeSprites1->text(), QString("Make &Sprites"));
    }

    void theLocationSelectorMovesTheFolderTree()
    {
        QComboBox* places = Form().pdcbDirectory;
        QCOMPARE(places->itemData(0).toString(), QString("/"));
        QCOMPARE(places->itemData(1).toString(), QDir::homePath());
        places->setCurrentIndex(0);
        emit places->activated(0);
        QCOMPARE(Form().plOutputDir->text(), QString("/"));
        QCOMPARE(Settings->DefaultPath, std::string("/"));
        auto treeRoot = [this] {
            auto* folders = static_cast<QFileSystemModel*>(Form().pDirListBox->model());
            return folders->filePath(Form().pDirListBox->rootIndex());
        };
        QCOMPARE(treeRoot(), QString("/"));
        QString home = QDir(QDir::homePath()).canonicalPath();
        Open(home);
        QCOMPARE(places->currentIndex(), 1);
        QCOMPARE(treeRoot(), home);
    }

    void menuEntriesWorkByTheirMnemonics()
    {
        auto pick = [this](Qt::Key menu, Qt::Key entry) {
            QTest::keyClick(&Form(), menu, Qt::AltModifier);
            QMenu* open = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            QVERIFY(open != nullptr);
            QTest::keyClick(open, entry);
        };
        pick(Qt::Key_O, Qt::Key_P);
        QTRY_VERIFY(app_->Prefs().isVisible());
        app_->Prefs().hide();
        Activate(Form());
        pick(Qt::Key_F, Qt::Key_X);
        QTRY_VERIFY(!Form().isVisible());
    }

    void refusesFilesNamedLikeTheProject()
    {
        Open(SampleFolder("same", {"star.png", "sun.png", "home.bmp"}));
        QFile::copy(Folder("same") + "/star.png", Folder("same") + "/sprite.png");
        QFile::copy(Folder("same") + "/sun.png", Folder("same") + "/Sprite.gif");
        Open(Folder("same"));
        Select(*Form().FileListBox, {"sprite.png", "Sprite.gif", "home.bmp"});
        QTest::mouseClick(Form().InBtn, Qt::LeftButton);
        QCOMPARE(Texts(*Form().GraphicFiles), QStringList{"home.bmp"});
        QCOMPARE(Texts(*Form().SpriteListBox),
                 (QStringList{
                     "Did not add the file'Sprite.gif' to list.  Same name as output CSS file.",
                     "Did not add the file'sprite.png' to list.  Same name as output CSS file."}));
        QCOMPARE(Texts(*Form().FileListBox), (QStringList{"star.png", "sun.png"}));

        Form().pedSpriteName->setText("star.small");
        Select(*Form().FileListBox, {"star.png"});
        QTest::mouseClick(Form().InBtn, Qt::LeftButton);
        QCOMPARE(Texts(*Form().GraphicFiles), QStringList{"home.bmp"});
        QCOMPARE(Form().SpriteListBox->count(), 3);
    }

    void anUnreadableEntryIsLeftOutWithAWarningInTheOutputList()
    {
        QString folder = SampleFolder("loop", {"star.png"});
        QFile::link("loop.png", folder + "/loop.png");
        Open(folder);
        QCOMPARE(Texts(*Form().FileListBox), QStringList{"star.png"});
        QCOMPARE(Texts(*Form().SpriteListBox),
                 QStringList{"warning: skipped " + folder +
                             "/loop.png: Too many levels of symbolic links"});
    }

    void movesFilesByKeyboardAndRemovesThemAll()
    {
        Open(SampleFolder("keys", {"star.png", "sun.png", "home.bmp"}));
        Form().FileListBox->setFocus();
        QTest::keyClick(Form().FileListBox, Qt::Key_A, Qt::ControlModifier);
        Form().InBtn->setFocus();
        QTest::keyClick(Form().InBtn, Qt::Key_Space);
        QCOMPARE(Texts(*Form().GraphicFiles), (QStringList{"home.bmp", "star.png", "sun.png"}));
        QCOMPARE(Form().FileListBox->count(), 0);

        Select(*Form().GraphicFiles, {"star.png"});
        QTest::mouseClick(Form().OutBtn, Qt::LeftButton);
        QCOMPARE(Texts(*Form().FileListBox), QStringList{"star.png"});
        QTest::keyClick(&Form(), Qt::Key_A, Qt::AltModifier);  // "Remove &All"
        QTRY_COMPARE(Form().GraphicFiles->count(), 0);
        QCOMPARE(Texts(*Form().FileListBox), (QStringList{"home.bmp", "star.png", "sun.png"}));
    }

    void keepsEachFileOnceAndWithItsOwnFolder()
    {
        QString one = SampleFolder("one", {"star.png", "sun.png"});
        QString two = SampleFolder("two", {"home.bmp"});
        Open(one);
        Select(*Form().FileListBox, {"star.png"});
        Form().InBtnClick();
        Open(two);
        QCOMPARE(Texts(*Form().GraphicFiles), QStringList{"star.png  (in " + one + ")"});
        Open(one);
        Select(*Form().FileListBox, {"star.png"});
        Form().InBtnClick();
        QCOMPARE(Texts(*Form().GraphicFiles), QStringList{"star.png"});
        QCOMPARE(Texts(*Form().FileListBox), QStringList{"sun.png"});
    }

    void enterInTheClassBoxAddsTheNameWithItsDot()
    {
        QComboBox* box = Form().cbSpriteClass;
        box->setFocus();
        box->lineEdit()->clear();
        QTest::keyClicks(box->lineEdit(), "icons");
        QTest::keyClick(box->lineEdit(), Qt::Key_Return);
        QCOMPARE(box->currentText(), QString(".icons"));
        QTest::keyClick(box->lineEdit(), Qt::Key_Enter);
        QCOMPARE(box->count(), 3);
        QCOMPARE(box->itemText(2), QString(".icons"));
        QCOMPARE(Settings->SpriteClass, std::string(".sprite,.icons,.icons"));
    }

    void choicesSurviveOtherWindowsAndCloseStoresThem()
    {
        QString folder = SampleFolder("kept", {"star.png"});
        Open(folder);
        Pick(OutputType(1));
        Form().cbCSSStyle->setFocus();
        QTest::keyClick(Form().cbCSSStyle, Qt::Key_Down);
        QCOMPARE(Form().cbCSSStyle->currentIndex(), 1);
        QTest::keyClicks(Form().cbSpriteClass->lineEdit(), "x");
        QTest::keyClick(Form().cbSpriteClass->lineEdit(), Qt::Key_Return);

        app_->Prefs().ShowPrefs();
        Activate(app_->Prefs());
        app_->Prefs().hide();
        Activate(Form());
        QVERIFY(OutputType(1)->isChecked());
        QCOMPARE(Form().cbCSSStyle->currentIndex(), 1);
        QCOMPARE(Form().cbSpriteClass->currentText(), QString(".spritex"));
        QCOMPARE(Form().plOutputDir->text(), folder);

        Stop();
        Start();
        QVERIFY(OutputType(1)->isChecked());
        QCOMPARE(Form().cbCSSStyle->currentIndex(), 1);
        QCOMPARE(Form().cbSpriteClass->count(), 2);
        QCOMPARE(Form().cbSpriteClass->currentText(), QString(".sprite"));
        QCOMPARE(Form().plOutputDir->text(), folder);
    }

    void anEmptyStoredClassListEndsInTheMissingClassMessage()
    {
        Stop();
        {
            FormatPrefsSet records;
            OrvaneRegistry store(records);
            store.SpriteClass = "\"\"";  // one empty name: an empty text would load the default
        }
        Start();
        QCOMPARE(Form().cbSpriteClass->currentText(), QString());
        Open(SampleFolder("noclass", {"star.png"}));
        Form().FileListBox->selectAll();
        Form().InBtnClick();
        QTest::mouseClick(Form().btnMakeSprite, Qt::LeftButton);
        QCOMPARE(prompts_.prompts.size(), std::size_t(1));
        QCOMPARE(prompts_.prompts[0].caption, std::string("Can't Make Sprites"));
        QCOMPARE(prompts_.prompts[0].text, std::string("The following errors were found:\n\r\n\r"
                                                     "No sprite classname selected or entered\n\r"));
    }

    void reportsEveryFailedCheckInOneBox()
    {
        Form().pedSpriteName->clear();
        QTest::keyClick(&Form(), Qt::Key_M, Qt::AltModifier);  // "&Make Sprites"
        QTRY_COMPARE(prompts_.prompts.size(), std::size_t(1));
        QCOMPARE(prompts_.prompts[0].caption, std::string("Can't Make Sprites"));
        QVERIFY(prompts_.prompts[0].icon == PromptIcon::None);
        QCOMPARE(prompts_.prompts[0].text,
                 std::string("The following errors were found:\n\r\n\r"
                             "No images files selected\n\r"
                             "No sprite project name (output sprite filename) entered\n\r"));
        QVERIFY(!app_->Viewer().isVisible());
    }

    void buildsTheSameFilesAsTheCommandLine()
    {
        const QStringList icons{"arrow.bmp", "check.png", "heart.bmp", "home.bmp", "star.png", "sun.png"};
        QString window = SampleFolder("window", icons);
        QString cli = SampleFolder("cli", icons);
        Open(window);
        Form().FileListBox->selectAll();
        Form().InBtnClick();
        Pick(OutputType(1));
        Form().cbCSSStyle->setCurrentIndex(1);
        emit Form().cbCSSStyle->activated(1);
        // Run > Make Sprites by its mnemonics.
        QTest::keyClick(&Form(), Qt::Key_R, Qt::AltModifier);
        QMenu* run = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QVERIFY(run != nullptr);
        QTest::keyClick(run, Qt::Key_S);
        QTRY_VERIFY(app_->Viewer().isVisible());

        QProcess tool;
        tool.start(TESSOLO_CLI, QStringList{"--settings", Folder("config") + "/cli.reg", "--type",
                                            "png", "--style", "1", cli} + icons);
        QVERIFY(tool.waitForFinished(60000));
        QCOMPARE(tool.exitCode(), 0);
        QCOMPARE(FileBytes(window + "/sprite.png"), FileBytes(cli + "/sprite.png"));
        QCOMPARE(FileBytes(window + "/sprite.css"), FileBytes(cli + "/sprite.css"));
        QVERIFY(!FileBytes(window + "/sprite.png").isEmpty());

        QCOMPARE(Form().SpriteListBox->count(), icons.size());
        QCOMPARE(Form().BuildProgress->value(), int(icons.size()));
        QVERIFY(app_->Viewer().isVisible());
        QCOMPARE(app_->Viewer().Sheet().size(), QSize(6 * 32 + 5 * 5, 32));
        QCOMPARE(app_->Viewer().Sheet().pixelColor(0, 0), QColor(Qt::white));
        QVERIFY(prompts_.prompts.empty());

        // Closing the viewer only hides it; the next build shows it again.
        app_->Viewer().close();
        QVERIFY(!app_->Viewer().isVisible());
        Form().btnMakeSpriteClick();
        QVERIFY(app_->Viewer().isVisible());
    }

    void aLongBuildRepaintsTheWindowAsItGoes()
    {
        QListWidget& lines = *Form().SpriteListBox;
        PaintCounter painted(*lines.viewport());
        WindowBuildObserver observer(lines, *Form().BuildProgress, app_->Viewer(), prompts_, 3);
        observer.ListCleared();
        int before = painted.paints;
        for (int i = 0; i < 3; ++i) {
            QThread::msleep(60);
            observer.LineWritten(".sprite-" + std::to_string(i) + " { }");
        }
        QVERIFY(painted.paints > before);
        QCOMPARE(Form().BuildProgress->value(), 3);
        QCOMPARE(lines.count(), 3);
    }

    void buildMessagesShowControlCharactersEscaped()
    {
        WindowBuildObserver observer(*Form().SpriteListBox, *Form().BuildProgress, app_->Viewer(),
                                     prompts_, 1);
        observer.ListCleared();
        observer.Remark("warning: \x1b[2J.png gets the class");
        observer.ErrorReport("Cannot open file \x1b]0;owned\x07.png");
        QCOMPARE(Form().SpriteListBox->item(0)->text(),
                 QString("warning: \\x1b[2J.png gets the class"));
        QCOMPARE(prompts_.prompts.size(), std::size_t(1));
        QCOMPARE(prompts_.prompts[0].text, std::string("Cannot open file \\x1b]0;owned\\x07.png."));
    }

    void aCodecErrorIsReportedAndTheWindowStaysUsable()
    {
        QString folder = SampleFolder("broken", {"star.png"});
        WriteFileReplacing((folder + "/bad.png").toStdString(), Bytes{0x89, 'P', 'N', 'G', 1, 2, 3});
        Open(folder);
        Form().FileListBox->selectAll();
        Form().InBtnClick();
        Form().btnMakeSpriteClick();
        QCOMPARE(prompts_.prompts.size(), std::size_t(1));
        QCOMPARE(prompts_.prompts[0].caption, std::string("Tessolo"));
        QVERIFY(prompts_.prompts[0].icon == PromptIcon::Error);
        QVERIFY(!prompts_.prompts[0].text.empty());
        QCOMPARE(prompts_.prompts[0].text.back(), '.');
        QVERIFY(!app_->Viewer().isVisible());
        QVERIFY(!QFile::exists(folder + "/sprite.jpg"));

        Select(*Form().GraphicFiles, {"bad.png"});
        Form().OutBtnClick();
        Form().btnMakeSpriteClick();
        QCOMPARE(prompts_.prompts.size(), std::size_t(1));
        QVERIFY(app_->Viewer().isVisible());
        QVERIFY(QFile::exists(folder + "/sprite.jpg"));
    }

    void savesTheStoreOnlyAtShutdown()
    {
        QString store = Folder("config") + "/Veltrand/Tessolo.reg";
        QString folder = SampleFolder("saved", {"star.png"});
        Open(folder);
        QVERIFY(!FileBytes(store).contains(folder.toUtf8()));
        Stop();
        QVERIFY(FileBytes(store).contains(("\"DefaultPath\"=\"" + folder + "\"").toUtf8()));
    }

    void aFailedSaveAtShutdownIsReported()
    {
        Stop();
        QVERIFY(QDir(Folder("config") + "/Veltrand").removeRecursively());
        WriteFileReplacing((Folder("config") + "/Veltrand").toStdString(), Bytes{'x'});
        Start();
        Stop();
        QCOMPARE(prompts_.prompts.size(), std::size_t(1));
        QCOMPARE(prompts_.prompts[0].caption, std::string("Tessolo"));
        QVERIFY(prompts_.prompts[0].icon == PromptIcon::Error);
    }

    void messageBoxesShowTheTextLineByLine()
    {
        QtUserPrompts boxes;
        boxes.SetParent(&Form());
        QString text, title;
        QMessageBox::Icon icon = QMessageBox::Critical;
        QTimer::singleShot(0, this, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box != nullptr);
            text = box->text();
            title = box->windowTitle();
            icon = box->icon();
            box->accept();
        });
        boxes.Show("Can't Make Sprites",
                   "The following errors were found:\n\r\n\rNo images files selected\n\r",
                   PromptIcon::None);
        QCOMPARE(title, QString("Can't Make Sprites"));
        QCOMPARE(text, QString("The following errors were found:\n\nNo images files selected\n"));
        QCOMPARE(icon, QMessageBox::NoIcon);
    }

    void sheetsBecomeImagesWithTheirColoursAndRows()
    {
        // Three pixels a row: 9 bytes padded to 12, so row padding shows if misread.
        Bitmap sheet(3, 2);
        sheet.SetPixel(0, 0, MakeColor(255, 0, 0));
        sheet.SetPixel(2, 0, MakeColor(0, 0, 255));
        sheet.SetPixel(1, 1, MakeColor(10, 200, 30));
        QImage image = ToQImage(sheet);
        QCOMPARE(image.size(), QSize(3, 2));
        QCOMPARE(image.pixelColor(0, 0), QColor(255, 0, 0));
        QCOMPARE(image.pixelColor(2, 0), QColor(0, 0, 255));
        QCOMPARE(image.pixelColor(0, 1), QColor(Qt::white));
        QCOMPARE(image.pixelColor(1, 1), QColor(10, 200, 30));

        Bitmap withAlpha(2, 1, PixelFormat::Bits32);
        withAlpha.HasAlpha = true;
        withAlpha.SetPixel(0, 0, MakeColor(10, 20, 30));
        withAlpha.ScanLine(0)[7] = 0;
        withAlpha.ScanLine(0)[3] = 99;
        QImage straight = ToQImage(withAlpha);
        QVERIFY(straight.hasAlphaChannel());
        QCOMPARE(straight.pixelColor(0, 0), QColor(10, 20, 30, 99));
        QCOMPARE(straight.pixelColor(1, 0).alpha(), 0);

        QImage fromPalette = ToQImage(sheet.ConvertTo(PixelFormat::Bits8));
        QCOMPARE(fromPalette.pixelColor(0, 0), QColor(255, 0, 0));
        QVERIFY(ToQImage(Bitmap()).isNull());
    }

    void aTransparentSheetIsShownOverACheckerboard()
    {
        const QStringList icons{"check.png", "heart.bmp", "star.png", "sun.png"};
        QString folder = SampleFolder("transparent", icons);
        Open(folder);
        app_->Prefs().ShowPrefs();
        auto* background = app_->Prefs().findChild<QGroupBox*>("SheetBackground");
        QVERIFY(background != nullptr);
        Pick(background->findChildren<QRadioButton*>().at(1));
        app_->Prefs().hide();
        Form().FileListBox->selectAll();
        Form().InBtnClick();
        Pick(OutputType(1));
        Form().btnMakeSpriteClick();
        QTRY_VERIFY(app_->Viewer().isVisible());
        QVERIFY(prompts_.prompts.empty());

        TSpriteView& viewer = app_->Viewer();
        const QImage& sheet = viewer.Sheet();
        QVERIFY(sheet.hasAlphaChannel());
        QCOMPARE(sheet.pixelColor(34, 0).alpha(), 0);  // padding after the first icon
        viewer.resize(500, 200);
        QVERIFY(QTest::qWaitForWindowExposed(&viewer));
        QImage shown = viewer.grab().toImage();
        if (QString dir = qEnvironmentVariable("TESSOLO_SCREENSHOT_DIR"); !dir.isEmpty())
            shown.save(dir + "/viewer-transparent.png");
        // The padding between the icons shows the checkerboard's two colours.
        QRect area = viewer.SheetRect();
        QSet<QRgb> behind;
        for (int y = area.top(); y < area.bottom(); ++y)
            behind.insert(shown.pixel(area.left() + area.width() * 33 / sheet.width(), y));
        auto [light, dark] = CheckerColors(viewer.palette());
        QVERIFY(behind.contains(light.rgb()));
        QVERIFY(behind.contains(dark.rgb()));
    }
};

}  // namespace tessolo

QTEST_MAIN(tessolo::MainWindowTest)
#include "main_window_test.moc"
