// The desktop program driven through its real widgets on the offscreen
// platform, each test with its own settings folder and image folders.
#include "app/spritemain.h"
#include "app/bitmap_image.h"
#include "app/qt_user_prompts.h"
#include "app/spriteview.h"
#include "app/tessolo_app.h"
#include "app/file_list.h"
#include "app/thumbnails.h"
#include "app/window_build_observer.h"
#include "codecs/bmp/bmp_codec.h"
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
#include <QDragEnterEvent>
#include <QMimeData>
#include <QScreen>
#include <QSignalSpy>
#include <QStatusBar>
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

using test::RecordingPrompts;

// The entries of a file list as the list names them, without the pixel
// size a thumbnail adds under each.
QStringList Texts(const QListWidget& list)
{
    QStringList texts;
    for (int i = 0; i < list.count(); ++i)
        texts << list.item(i)->data(Qt::UserRole).toString();
    return texts;
}

QStringList Lines(const QListWidget& list)
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
        const int row = int(Texts(list).indexOf(text));
        QVERIFY2(row >= 0, qPrintable(text));
        list.item(row)->setSelected(true);
    }
}

// Keys go where a real key press goes: to an open menu, else to the focused widget.
void Press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QWidget* focused = QApplication::activePopupWidget();
    if (focused == nullptr)
        focused = QApplication::focusWidget();
    if (focused == nullptr)
        focused = QApplication::activeWindow();
    QVERIFY(focused != nullptr);
    QTest::keyClick(focused, Qt::Key(key), modifiers);
}

void Type(const QString& text)
{
    QWidget* focused = QApplication::focusWidget();
    QVERIFY(focused != nullptr);
    QTest::keyClicks(focused, text);
}

// A widget gets the press of a double click before the double click itself.
void DoubleClick(QListWidget& list, int row)
{
    QPoint at = list.visualItemRect(list.item(row)).center();
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, at);
}

// A dropped drag as a list's viewport gets it from the platform.
void Drop(QListWidget& list, QMimeData* data, int row)
{
    QPoint at = row < list.count() ? list.visualItemRect(list.item(row)).topLeft() + QPoint(4, 1)
                                   : QPoint(4, list.viewport()->height() - 2);
    QDragEnterEvent enter(at, Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list.viewport(), &enter);
    QDropEvent drop(at, Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list.viewport(), &drop);
    QVERIFY(drop.isAccepted());
    delete data;
}

QMimeData* FilesFromAFileManager(const QStringList& paths)
{
    auto* data = new QMimeData;
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls << QUrl::fromLocalFile(path);
    data->setUrls(urls);
    return data;
}

QMimeData* EntriesOf(const QString& list, const QList<int>& rows)
{
    QStringList texts;
    for (int row : rows)
        texts << QString::number(row);
    auto* data = new QMimeData;
    data->setData(FileList::kEntriesFormat, (list + ":" + texts.join(',')).toUtf8());
    return data;
}

// A noisy image: it compresses slowly, so a sheet of a few takes a while to write.
void WriteNoise(const QString& path, int side, unsigned seed)
{
    Bitmap image(side, side);
    for (int y = 0; y < side; ++y)
        for (auto* p = image.ScanLine(y), *end = p + 3 * side; p != end; ++p)
            *p = std::uint8_t((seed = seed * 1103515245u + 12345u) >> 16);
    WriteFileReplacing(path.toStdString(), EncodeBmp(image, 6));
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
    // A control of the main window by its design name.
    template <typename Widget = QWidget> Widget* Control(const char* name)
    {
        Widget* control = Form().findChild<Widget*>(name);
        if (control == nullptr)
            qFatal("no control %s", name);
        return control;
    }
    FileList& Available() { return *Control<FileList>("FileListBox"); }
    FileList& ToProcess() { return *Control<FileList>("GraphicFiles"); }
    QListWidget& CssOutput() { return *Control<QListWidget>("SpriteListBox"); }
    QComboBox& ClassBox() { return *Control<QComboBox>("cbSpriteClass"); }
    QComboBox& LineStyle() { return *Control<QComboBox>("cbCSSStyle"); }
    QLineEdit& ProjectName() { return *Control<QLineEdit>("pedSpriteName"); }
    QString Shown() { return Control<QLabel>("plOutputDir")->text(); }
    QAction* MenuEntry(const QString& text)
    {
        for (QAction* menu : Form().menuBar()->actions())
            for (QAction* entry : menu->menu()->actions())
                if (entry->text() == text)
                    return entry;
        qFatal("no menu entry %s", qPrintable(text));
    }
    void WaitForBuild() { QTRY_VERIFY_WITH_TIMEOUT(!Form().Building(), 120000); }
    void Build()
    {
        QVERIFY(Form().MakeSprites());
        WaitForBuild();
    }
    void PickAll()
    {
        Available().selectAll();
        Form().InBtnClick();
    }
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
        return Control<QGroupBox>("pOutputFileType")->findChildren<QRadioButton*>().at(index);
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
        QCOMPARE(Shown(), folder);
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
        MenuEntry("&Help")->trigger();
        QCOMPARE(desktop_.files.size(), std::size_t(1));
        QVERIFY(QString::fromStdString(desktop_.files[0]).endsWith("/share/tessolo/help/index.html"));

        MenuEntry("Veltrand Software on the &Web")->trigger();
        QCOMPARE(desktop_.urls, std::vector<std::string>{"http://" + server_->Host().toStdString() + "/"});

        QVERIFY(!app_->About().isVisible());
        MenuEntry("&About")->trigger();
        QTRY_VERIFY(app_->About().isVisible());
        QVERIFY(!app_->About().Memo->toPlainText().isEmpty());
    }

    void checkForUpdatesReportsTheLatestVersion()
    {
        server_->Serve("/sites/default/files/softwarerevs/revisions.txt",
                       "[revisions]\r\nTessolo.exe,1.0\r\n");
        MenuEntry("Check for &Updates")->trigger();
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
            MenuEntry("Change &Log")->trigger();
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
        QCOMPARE(QApplication::focusWidget(), Control<QComboBox>("pdcbDirectory"));
        QVERIFY(Settings != nullptr);
        QCOMPARE(ProjectName().text(), QString("sprite"));
        QCOMPARE(ClassBox().currentText(), QString(".sprite"));
        QVERIFY(OutputType(0)->isChecked());
        QCOMPARE(LineStyle().currentIndex(), 0);
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
        QList<QWidget*> expected{Control<QTreeView>("pDirListBox"), &Available(),   &ToProcess(),
                                 Control<QPushButton>("OutBtn"),      Control<QPushButton>("InBtn"),         Control<QPushButton>("btnMakeSprite"),
                                 OutputType(0),      &ProjectName(), Control<QPushButton>("ClearProcs"),
                                 &CssOutput(), &ClassBox(), &LineStyle(),
                                 Control<QComboBox>("pdcbDirectory")};
        for (QWidget* next : expected) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QWidget* focused = QApplication::focusWidget();
            if (focused && focused->focusProxy() == nullptr && next->focusProxy() == focused)
                focused = next;
            if (ClassBox().lineEdit() == focused)
                focused = &ClassBox();
            QCOMPARE(focused, next);
        }
    }

    void menusCarryTheirCaptions()
    {
        QStringList titles;
        for (QAction* menu : Form().menuBar()->actions())
            titles << menu->text();
        QCOMPARE(titles, (QStringList{"&File", "&Options", "&Run", "&Help"}));
        auto entries = [this](int menu) {
            QStringList texts;
            for (QAction* entry : Form().menuBar()->actions().at(menu)->menu()->actions())
                texts << entry->text();
            return texts;
        };
        QCOMPARE(entries(0), (QStringList{"&Open Folder…", "&Recent Folders",
                                          "Save &Project Settings", "", "E&xit"}));
        QCOMPARE(entries(1), (QStringList{"&Preferences", "Show &Thumbnails"}));
        QCOMPARE(entries(2), QStringList{"Make &Sprites"});
        QCOMPARE(entries(3), (QStringList{"&Help", "Veltrand Software on the &Web",
                                          "Check for &Updates", "Change &Log", QString(43, '-'),
                                          "&About"}));
    }

    void theLocationSelectorMovesTheFolderTree()
    {
        QComboBox* places = Control<QComboBox>("pdcbDirectory");
        QCOMPARE(places->itemData(0).toString(), QString("/"));
        QCOMPARE(places->itemData(1).toString(), QDir::homePath());
        places->setCurrentIndex(0);
        emit places->activated(0);
        QCOMPARE(Shown(), QString("/"));
        QCOMPARE(Settings->DefaultPath, std::string("/"));
        auto treeRoot = [this] {
            auto* folders = static_cast<QFileSystemModel*>(Control<QTreeView>("pDirListBox")->model());
            return folders->filePath(Control<QTreeView>("pDirListBox")->rootIndex());
        };
        QCOMPARE(treeRoot(), QString("/"));
        QString home = QDir(QDir::homePath()).canonicalPath();
        Open(home);
        QCOMPARE(places->currentIndex(), 1);
        QCOMPARE(treeRoot(), home);
    }

    void menuEntriesWorkByTheirMnemonics()
    {
        auto pick = [](Qt::Key menu, Qt::Key entry) {
            Press(menu, Qt::AltModifier);
            QVERIFY(qobject_cast<QMenu*>(QApplication::activePopupWidget()) != nullptr);
            Press(entry);
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
        Select(Available(), {"sprite.png", "Sprite.gif", "home.bmp"});
        QTest::mouseClick(Control<QPushButton>("InBtn"), Qt::LeftButton);
        QCOMPARE(Texts(ToProcess()), QStringList{"home.bmp"});
        QCOMPARE(Lines(CssOutput()),
                 (QStringList{
                     "Did not add the file'Sprite.gif' to list.  Same name as output CSS file.",
                     "Did not add the file'sprite.png' to list.  Same name as output CSS file."}));
        QCOMPARE(Texts(Available()), (QStringList{"star.png", "sun.png"}));

        ProjectName().setText("star.small");
        Select(Available(), {"star.png"});
        QTest::mouseClick(Control<QPushButton>("InBtn"), Qt::LeftButton);
        QCOMPARE(Texts(ToProcess()), QStringList{"home.bmp"});
        QCOMPARE(CssOutput().count(), 3);
    }

    void anUnreadableEntryIsLeftOutWithAWarningInTheOutputList()
    {
        QString folder = SampleFolder("loop", {"star.png"});
        QFile::link("loop.png", folder + "/loop.png");
        Open(folder);
        QCOMPARE(Texts(Available()), QStringList{"star.png"});
        QCOMPARE(Lines(CssOutput()),
                 QStringList{"warning: skipped " + folder +
                             "/loop.png: Too many levels of symbolic links"});
    }

    void movesFilesByKeysAndDoubleClicksAndRemovesThemAll()
    {
        Open(SampleFolder("keys", {"star.png", "sun.png", "home.bmp"}));
        Available().setFocus();
        Press(Qt::Key_A, Qt::ControlModifier);
        Press(Qt::Key_Right, Qt::ControlModifier);  // ">>"
        QCOMPARE(Texts(ToProcess()), (QStringList{"home.bmp", "star.png", "sun.png"}));
        QCOMPARE(Available().count(), 0);

        ToProcess().setFocus();
        Select(ToProcess(), {"star.png"});
        Press(Qt::Key_Left, Qt::ControlModifier);  // "<<"
        QCOMPARE(Texts(Available()), QStringList{"star.png"});
        DoubleClick(Available(), 0);
        QCOMPARE(Texts(ToProcess()), (QStringList{"home.bmp", "sun.png", "star.png"}));
        DoubleClick(ToProcess(), 0);
        QCOMPARE(Texts(Available()), QStringList{"home.bmp"});
        Press(Qt::Key_A, Qt::AltModifier);  // "Remove &All"
        QTRY_COMPARE(ToProcess().count(), 0);
        QCOMPARE(Texts(Available()), (QStringList{"home.bmp", "star.png", "sun.png"}));
    }

    void keepsEachFileOnceAndWithItsOwnFolder()
    {
        QString one = SampleFolder("one", {"star.png", "sun.png"});
        QString two = SampleFolder("two", {"home.bmp"});
        Open(one);
        Select(Available(), {"star.png"});
        Form().InBtnClick();
        Open(two);
        QCOMPARE(Texts(ToProcess()), QStringList{"star.png  (in " + one + ")"});
        Open(one);
        QCOMPARE(Texts(ToProcess()), QStringList{"star.png"});
        QCOMPARE(Texts(Available()), QStringList{"sun.png"});
    }

    void enterInTheClassBoxAddsTheNameWithItsDot_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::newRow("Enter") << int(Qt::Key_Return) << int(Qt::NoModifier);
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << int(Qt::KeypadModifier);
    }

    void enterInTheClassBoxAddsTheNameWithItsDot()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        ClassBox().setFocus();
        QCOMPARE(QApplication::focusWidget(), &ClassBox());  // where a real key press goes
        Press(Qt::Key_A, Qt::ControlModifier);
        Type("icons");
        Press(key, Qt::KeyboardModifiers(modifiers));
        QCOMPARE(ClassBox().currentText(), QString(".icons"));
        Press(key, Qt::KeyboardModifiers(modifiers));
        QCOMPARE(ClassBox().count(), 3);
        QCOMPARE(ClassBox().itemText(2), QString(".icons"));
        QCOMPARE(Settings->SpriteClass, std::string(".sprite,.icons,.icons"));
    }

    void mnemonicsReachTheirControls_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("control");
        QTest::newRow("project name") << int(Qt::Key_T) << "pedSpriteName";
        QTest::newRow("class name") << int(Qt::Key_L) << "cbSpriteClass";
        QTest::newRow("line style") << int(Qt::Key_Y) << "cbCSSStyle";
        QTest::newRow("available files") << int(Qt::Key_E) << "FileListBox";
        QTest::newRow("files to process") << int(Qt::Key_P) << "GraphicFiles";
        QTest::newRow("CSS output") << int(Qt::Key_U) << "SpriteListBox";
    }

    void mnemonicsReachTheirControls()
    {
        QFETCH(int, key);
        QFETCH(QString, control);
        Press(key, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), Control(qPrintable(control)));
    }

    void choicesSurviveOtherWindowsAndCloseStoresThem()
    {
        QString folder = SampleFolder("kept", {"star.png"});
        Open(folder);
        Pick(OutputType(1));
        LineStyle().setFocus();
        Press(Qt::Key_Down);
        QCOMPARE(LineStyle().currentIndex(), 1);
        ClassBox().setFocus();
        Press(Qt::Key_End);
        Type("x");
        Press(Qt::Key_Return);
        Type("y");  // typed, not entered: kept all the same

        // A sheet folder set in the preferences shows in the destination
        // line once they close.
        app_->Prefs().ShowPrefs();
        Activate(app_->Prefs());
        app_->Prefs().findChild<QLineEdit*>("edSheetFolder")->setFocus();
        Type("img");
        app_->Prefs().hide();
        Activate(Form());
        QVERIFY(OutputType(1)->isChecked());
        QCOMPARE(LineStyle().currentIndex(), 1);
        QCOMPARE(ClassBox().currentText(), QString(".spritexy"));
        QTRY_COMPARE(Shown(), folder + "/img");  // the stylesheet goes with the sheet
        app_->Prefs().ShowPrefs();
        Activate(app_->Prefs());
        app_->Prefs().findChild<QLineEdit*>("edSheetFolder")->setFocus();
        Press(Qt::Key_A, Qt::ControlModifier);
        Press(Qt::Key_Backspace);
        app_->Prefs().hide();
        QTRY_COMPARE(Shown(), folder);

        Stop();
        Start();
        QVERIFY(OutputType(1)->isChecked());
        QCOMPARE(LineStyle().currentIndex(), 1);
        QCOMPARE(ClassBox().count(), 2);
        QCOMPARE(ClassBox().currentText(), QString(".sprite"));
        QCOMPARE(Shown(), folder);
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
        QCOMPARE(ClassBox().currentText(), QString());
        Open(SampleFolder("noclass", {"star.png"}));
        Available().selectAll();
        Form().InBtnClick();
        QTest::mouseClick(Control<QPushButton>("btnMakeSprite"), Qt::LeftButton);
        WaitForBuild();
        QCOMPARE(prompts_.prompts.size(), std::size_t(1));
        QCOMPARE(prompts_.prompts[0].caption, std::string("Can't Make Sprites"));
        QCOMPARE(prompts_.prompts[0].text, std::string("The following errors were found:\n\r\n\r"
                                                     "No sprite classname selected or entered\n\r"));
        QVERIFY(!Control<QProgressBar>("BuildProgress")->isVisible());
    }

    void reportsEveryFailedCheckInOneBox()
    {
        ProjectName().clear();
        QVERIFY(!Control<QProgressBar>("BuildProgress")->isVisible());
        Press(Qt::Key_M, Qt::AltModifier);  // "&Make Sprites"
        WaitForBuild();
        QTRY_COMPARE(prompts_.prompts.size(), std::size_t(1));
        QCOMPARE(prompts_.prompts[0].caption, std::string("Can't Make Sprites"));
        QVERIFY(prompts_.prompts[0].icon == PromptIcon::None);
        QCOMPARE(prompts_.prompts[0].text,
                 std::string("The following errors were found:\n\r\n\r"
                             "No images files selected\n\r"
                             "No sprite project name (output sprite filename) entered\n\r"));
        QVERIFY(!app_->Viewer().isVisible());
        QVERIFY(!Control<QProgressBar>("BuildProgress")->isVisible());
    }

    void buildsTheSameFilesAsTheCommandLine()
    {
        const QStringList icons{"arrow.bmp", "check.png", "heart.bmp", "home.bmp", "star.png", "sun.png"};
        QString window = SampleFolder("window", icons);
        QString cli = SampleFolder("cli", icons);
        Open(window);
        Available().selectAll();
        Form().InBtnClick();
        Pick(OutputType(1));
        LineStyle().setCurrentIndex(1);
        emit LineStyle().activated(1);
        // Run > Make Sprites by its mnemonics.
        Press(Qt::Key_R, Qt::AltModifier);
        QVERIFY(qobject_cast<QMenu*>(QApplication::activePopupWidget()) != nullptr);
        Press(Qt::Key_S);
        QTRY_VERIFY(app_->Viewer().isVisible());
        WaitForBuild();

        QProcess tool;
        tool.start(TESSOLO_CLI, QStringList{"--settings", Folder("config") + "/cli.reg", "--type",
                                            "png", "--style", "1", cli} + icons);
        QVERIFY(tool.waitForFinished(60000));
        QCOMPARE(tool.exitCode(), 0);
        QCOMPARE(FileBytes(window + "/sprite.png"), FileBytes(cli + "/sprite.png"));
        QCOMPARE(FileBytes(window + "/sprite.css"), FileBytes(cli + "/sprite.css"));
        QVERIFY(!FileBytes(window + "/sprite.png").isEmpty());

        QCOMPARE(CssOutput().count(), icons.size());
        QCOMPARE(Form().statusBar()->currentMessage(), "Wrote " + window + "/sprite.png");
        QVERIFY(app_->Viewer().isVisible());
        QCOMPARE(app_->Viewer().Sheet().size(), QSize(6 * 32 + 5 * 5, 32));
        QCOMPARE(app_->Viewer().Sheet().pixelColor(0, 0), QColor(Qt::white));
        QVERIFY(prompts_.prompts.empty());

        // Closing the viewer only hides it; the next build shows it again.
        app_->Viewer().close();
        QVERIFY(!app_->Viewer().isVisible());
        Build();
        QVERIFY(app_->Viewer().isVisible());
    }

    // The folder's project file shapes its builds under the window's own
    // choices, is named in the status bar, and File > Save Project Settings
    // writes it; a bad one is reported and nothing is built.
    void aProjectFileShapesTheBuildAndIsSavedFromTheMenu()
    {
        QString folder = SampleFolder("project", {"check.png", "star.png"});
        auto write = [&](const QByteArray& text) {
            QFile file(folder + "/tessolo.toml");
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(text);
        };
        write("layout = \"vertical\"\nvpad = 0\nclass = \".ignored\"\n");
        Open(folder);
        QCOMPARE(Form().statusBar()->currentMessage(), "Project file: tessolo.toml");
        PickAll();
        Build();
        QCOMPARE(app_->Viewer().Sheet().size(), QSize(32, 64));
        QVERIFY(FileBytes(folder + "/sprite.css").contains(".sprite-star"));

        Activate(Form());
        Press(Qt::Key_F, Qt::AltModifier);
        QVERIFY(qobject_cast<QMenu*>(QApplication::activePopupWidget()) != nullptr);
        Press(Qt::Key_P);
        const QByteArray saved = FileBytes(folder + "/tessolo.toml");
        for (const char* line : {"layout = 'vertical'\n", "vpad = 0\n", "class = '.sprite'\n",
                                 "files = ['check.png', 'star.png']\n"})
            QVERIFY2(saved.contains(line), saved.constData());

        write("\nvpad = \"none\"\n");
        QFile::remove(folder + "/sprite.css");
        QVERIFY(!Form().MakeSprites());
        QCOMPARE(prompts_.prompts.size(), 1u);
        QVERIFY2(prompts_.prompts[0].text.find("tessolo.toml, line 2: vpad: needs a whole number") !=
                     std::string::npos,
                 prompts_.prompts[0].text.c_str());
        QVERIFY(!QFile::exists(folder + "/sprite.css"));
    }

    void theWindowRunsWhileABuildMakesALargeSheet()
    {
        QString folder = Folder("large");
        for (int i = 0; i < 4; ++i)
            WriteNoise(folder + QString("/noise%1.bmp").arg(i), 1000, i + 1);
        Open(folder);
        PickAll();
        Pick(OutputType(1));
        int ticksWhileBuilding = 0;
        bool barShowedTheCount = false;
        QTimer ticks;
        connect(&ticks, &QTimer::timeout, this, [&] {
            if (!Form().Building())
                return;
            ++ticksWhileBuilding;
            auto* bar = Control<QProgressBar>("BuildProgress");
            barShowedTheCount |= bar->isVisible() && bar->maximum() == 4;
        });
        ticks.start(5);
        QVERIFY(Form().MakeSprites());
        QVERIFY(!Form().MakeSprites());  // a second request is refused, not queued
        QVERIFY(!Control("btnMakeSprite")->isEnabled());
        QVERIFY(!Control("FileListBox")->isEnabled());
        QVERIFY(Control("btnCancel")->isVisible());
        WaitForBuild();
        QVERIFY2(ticksWhileBuilding >= 2, qPrintable(QString::number(ticksWhileBuilding)));
        QVERIFY(barShowedTheCount);
        QCOMPARE(CssOutput().count(), 4);  // one build, not two
        QVERIFY(!Form().Building());
        QVERIFY(Control("btnMakeSprite")->isEnabled());
        QVERIFY(!Control("btnCancel")->isVisible());
        QVERIFY(!Control("BuildProgress")->isVisible());
        QVERIFY(prompts_.prompts.empty());
    }

    void cancelLeavesThePreviousOutputsAsTheyWere()
    {
        // Large enough that the stop, asked for at once, comes long before the end.
        QString folder = SampleFolder("cancel", {"star.png", "sun.png"});
        for (int i = 0; i < 3; ++i)
            WriteNoise(folder + QString("/noise%1.bmp").arg(i), 600, i + 1);
        Open(folder);
        PickAll();
        Build();
        const QByteArray sheet = FileBytes(folder + "/sprite.jpg");
        const QByteArray css = FileBytes(folder + "/sprite.css");
        QVERIFY(!sheet.isEmpty());

        Activate(Form());  // back from the viewer
        Pick(OutputType(0));
        ToProcess().setFocus();
        Press(Qt::Key_Down, Qt::ControlModifier);  // another order: another stylesheet
        QVERIFY(Form().MakeSprites());
        Press(Qt::Key_Escape);  // "Cancel"
        WaitForBuild();
        QCOMPARE(FileBytes(folder + "/sprite.jpg"), sheet);
        QCOMPARE(FileBytes(folder + "/sprite.css"), css);
        QVERIFY(prompts_.prompts.empty());  // a stop asked for is no error
        QVERIFY2(Form().statusBar()->currentMessage().startsWith("The build was stopped"),
                 qPrintable(Form().statusBar()->currentMessage()));
        // Nothing left behind: the five sources and the two outputs.
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), qsizetype(7));
    }

    void closingDuringABuildAsksWhetherToStopIt()
    {
        Open(SampleFolder("closing", {"star.png", "sun.png"}));
        PickAll();
        prompts_.answers = {false, true};
        QVERIFY(Form().MakeSprites());
        Form().close();
        QVERIFY(Form().isVisible());
        QCOMPARE(prompts_.prompts.size(), std::size_t(1));
        QVERIFY(prompts_.prompts[0].question);
        QVERIFY(Form().Building() || !Form().isVisible());
        WaitForBuild();
        QVERIFY(Form().isVisible());

        QVERIFY(Form().MakeSprites());
        Form().close();  // answered Yes: stops, then closes
        QTRY_VERIFY(!Form().isVisible());
        QVERIFY(!Form().Building());
    }

    void dropsAndMovesDecideTheStylesheetOrder()
    {
        QString folder = SampleFolder("drops", {"arrow.bmp", "check.png", "heart.bmp"});
        QString elsewhere = SampleFolder("elsewhere", {"star.png", "sun.png"});
        QFile::copy(folder + "/arrow.bmp", elsewhere + "/sprite.bmp");  // named like the project
        WriteFileReplacing((elsewhere + "/notes.txt").toStdString(), Bytes{'x'});
        Open(folder);
        // From a file manager: a file of the shown folder, then a whole folder.
        Drop(ToProcess(), FilesFromAFileManager({folder + "/heart.bmp", elsewhere}), 0);
        const QString in = "  (in " + elsewhere + ")";
        QCOMPARE(Texts(ToProcess()), (QStringList{"heart.bmp", "star.png" + in, "sun.png" + in}));
        QCOMPARE(Texts(Available()), (QStringList{"arrow.bmp", "check.png"}));
        QCOMPARE(Lines(CssOutput()), QStringList{SameNameNotice("sprite.bmp").c_str()});
        // Between the lists, and within the process list.
        Drop(ToProcess(), EntriesOf("FileListBox", {1}), 1);
        QCOMPARE(Texts(ToProcess()).at(1), QString("check.png"));
        Drop(ToProcess(), EntriesOf("GraphicFiles", {2, 3}), 0);
        Drop(Available(), EntriesOf("GraphicFiles", {3}), 0);
        ToProcess().setFocus();
        Select(ToProcess(), {"heart.bmp"});
        Press(Qt::Key_Up, Qt::ControlModifier);
        QCOMPARE(Texts(ToProcess()), (QStringList{"star.png" + in, "heart.bmp", "sun.png" + in}));
        QCOMPARE(Texts(Available()), (QStringList{"arrow.bmp", "check.png"}));

        Build();
        QByteArray css = FileBytes(folder + "/sprite.css");
        QStringList classes;
        for (const QByteArray& line : css.split('\n'))
            if (!line.isEmpty())
                classes << QString(line.left(line.indexOf(' ')));
        QCOMPARE(classes, (QStringList{".sprite-star", ".sprite-heart", ".sprite-sun"}));
    }

    void foldersOpenByDialogByTypingAndFromTheRecentList()
    {
        QString picked = SampleFolder("picked", {"star.png"});
        QString typed = SampleFolder("typed", {"sun.png"});
        QString start;
        Form().SetFolderPicker([&](QWidget*, const QString& from) {
            start = from;
            return picked;
        });
        QString before = Shown();
        Press(Qt::Key_O, Qt::ControlModifier);  // File > Open Folder…
        QCOMPARE(start, before);
        QCOMPARE(Shown(), picked);

        auto* places = Control<QComboBox>("pdcbDirectory");
        places->setFocus();
        Press(Qt::Key_A, Qt::ControlModifier);
        Type(typed);
        Press(Qt::Key_Return);
        QCOMPARE(Shown(), typed);
        QCOMPARE(Texts(Available()), QStringList{"sun.png"});
        Press(Qt::Key_A, Qt::ControlModifier);
        Type(typed + "/nowhere");
        Press(Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(Shown(), typed);
        QCOMPARE(prompts_.prompts.size(), std::size_t(1));
        QCOMPARE(prompts_.prompts[0].text,
                 "The location \"" + typed.toStdString() + "/nowhere\" is not a folder that can be shown.");

        Stop();
        Start();
        QMenu* recent = Control<QMenu>("RecentFolders");
        emit recent->aboutToShow();
        QStringList listed;
        for (QAction* entry : recent->actions())
            listed << entry->text();
        QCOMPARE(listed, (QStringList{typed, picked}));
        recent->actions().at(1)->trigger();
        QCOMPARE(Shown(), picked);
    }

    void thumbnailsShowEachImageWithItsSizeAndTheChoiceIsKept()
    {
        QString folder = SampleFolder("thumbs", {"star.png", "home.bmp"});
        WriteFileReplacing((folder + "/broken.png").toStdString(), Bytes{0x89, 'P', 'N', 'G'});
        Open(folder);
        QAction* toggle = MenuEntry("Show &Thumbnails");
        QVERIFY(toggle->isChecked());  // on at the first run
        Form().Thumbnails().WaitForDone();
        QCOMPARE(Lines(Available()),
                 (QStringList{"broken.png\ncannot be read", "home.bmp\n32 × 32", "star.png\n32 × 32"}));
        QVERIFY(Available().item(0)->icon().isNull());
        QCOMPARE(Available().item(2)->icon().actualSize(QSize(64, 64)), QSize(32, 32));

        toggle->trigger();
        QCOMPARE(Lines(Available()), (QStringList{"broken.png", "home.bmp", "star.png"}));
        Stop();
        Start();
        QVERIFY(!MenuEntry("Show &Thumbnails")->isChecked());
    }

    void theWindowOpensWholeOnTheScreenWhereverItWasLeft()
    {
        const QRect area = Form().screen()->availableGeometry();
        Form().setGeometry(area.left() + 10, area.top() + 10, 700, 600);
        Stop();
        Start();
        QCOMPARE(Form().geometry(), QRect(area.left() + 10, area.top() + 10, 700, 600));
        // Left far off the screen, and larger than it.
        Form().setGeometry(area.right() + 500, area.bottom() + 500, area.width() * 2, area.height() * 2);
        Stop();
        Start();
        QVERIFY2(area.contains(Form().frameGeometry()), qPrintable(QString("%1,%2 %3x%4 in %5x%6")
                     .arg(Form().x()).arg(Form().y()).arg(Form().width()).arg(Form().height())
                     .arg(area.width()).arg(area.height())));
    }

    void theSmallestWindowKeepsEveryNameReadable()
    {
        const QString name = "a-rather-long-icon-name-for-a-toolbar-button.png";
        QString folder = SampleFolder("names", {"star.png"});
        QFile::copy(folder + "/star.png", folder + "/" + name);
        Open(folder);
        Form().resize(1, 1);
        QApplication::processEvents();
        const int needed = Available().fontMetrics().horizontalAdvance(name) +
                           Available().iconSize().width();
        QVERIFY2(Available().viewport()->width() >= needed,
                 qPrintable(QString("%1 < %2").arg(Available().viewport()->width()).arg(needed)));
    }

    void buildMessagesShowControlCharactersEscaped()
    {
        WindowBuildObserver observer;
        QSignalSpy messages(&observer, &WindowBuildObserver::MessageReady);
        observer.ListCleared();
        observer.Remark("warning: \x1b[2J.png gets the class");
        observer.ErrorReport("Cannot open file \x1b]0;owned\x07.png");
        QCOMPARE(observer.TakeProgress().lines, QStringList{"warning: \\x1b[2J.png gets the class"});
        QCOMPARE(messages.size(), 1);
        QCOMPARE(messages[0][1].toString(), QString("Cannot open file \\x1b]0;owned\\x07.png."));
    }

    void aCodecErrorIsReportedAndTheWindowStaysUsable()
    {
        QString folder = SampleFolder("broken", {"star.png"});
        WriteFileReplacing((folder + "/bad.png").toStdString(), Bytes{0x89, 'P', 'N', 'G', 1, 2, 3});
        Open(folder);
        PickAll();
        Build();
        QCOMPARE(prompts_.prompts.size(), std::size_t(1));
        QCOMPARE(prompts_.prompts[0].caption, std::string("Tessolo"));
        QVERIFY(prompts_.prompts[0].icon == PromptIcon::Error);
        QVERIFY(!prompts_.prompts[0].text.empty());
        QCOMPARE(prompts_.prompts[0].text.back(), '.');
        QVERIFY(!app_->Viewer().isVisible());
        QVERIFY(!QFile::exists(folder + "/sprite.jpg"));

        Select(ToProcess(), {"bad.png"});
        Form().OutBtnClick();
        Build();
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
        Available().selectAll();
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
