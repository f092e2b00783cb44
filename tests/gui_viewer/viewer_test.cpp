// The result viewer driven through its real widgets: what it shows, its zoom
// keys, pointing and clicking at images, and where it goes on the screen.
// CTest runs these cases a second time at a device pixel ratio of 2.
#include "app/spritemain.h"
#include "app/spriteview.h"
#include "app/tessolo_app.h"
#include "app/window_placement.h"
#include "settings/dialog/prefs_dialog.h"
#include "settings/live_settings.h"
#include "support/recording_seams.h"
#include "support/scratch_home.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace tessolo {
namespace {

constexpr int kIcon = 32;
constexpr int kGap = 5;

// Three icons in a strip, each of its own colour, and a fourth image that
// shares the first one's place, as identical images do when merged.
struct Strip {
    QImage sheet{3 * kIcon + 2 * kGap, kIcon, QImage::Format_RGB32};
    std::vector<SheetImage> images;

    explicit Strip(int scale = 1)
    {
        sheet = QImage(sheet.size() * scale, QImage::Format_RGB32);
        sheet.fill(Qt::white);
        const QColor colours[] = {Qt::red, Qt::green, Qt::blue};
        const char* const names[] = {"home", "star", "sun"};
        for (int i = 0; i < 3; ++i) {
            const QRect css(i * (kIcon + kGap), 0, kIcon, kIcon);
            const QRect drawn(css.topLeft() * scale, css.size() * scale);
            QPainter(&sheet).fillRect(drawn, colours[i]);
            const QString selector = QString(".sprite-") + names[i];
            const QString rule = QString(" { background-position: -%1px 0px; }").arg(css.x());
            images.push_back({QString(names[i]) + ".png", selector, selector + rule, css, drawn});
        }
        SheetImage copy = images[0];
        copy.fileName = "home-copy.png";
        copy.selector = ".sprite-home-copy";
        copy.rule = ".sprite-home-copy { background-position: 0px 0px; }";
        images.push_back(copy);
    }
};

// A viewer of its own beside a stand-in for the main window.
struct ViewerWindow {
    FormatPrefsSet records;
    OrvaneRegistry settings{records, {.saveOnDestruction = false}};
    test::RecordingDesktop desktop;
    QWidget mainWindow;
    TSpriteView view{settings, desktop, &mainWindow};

    ViewerWindow() { mainWindow.setWindowTitle("main window"); }

    QWidget* Canvas() { return view.findChild<QWidget*>("sheetCanvas"); }
    QString Text(const char* label) { return view.findChild<QLabel*>(label)->text(); }
    // Where the sheet is drawn, in the canvas.
    QRect Shown() { return view.SheetRect().translated(-Canvas()->mapTo(&view, QPoint())); }
    // The canvas point over sheet pixel `pixel`.
    QPoint OnCanvas(const QPoint& pixel)
    {
        const QRect shown = Shown();
        return shown.topLeft() + QPoint(pixel.x() * shown.width() / view.Sheet().width(),
                                        pixel.y() * shown.height() / view.Sheet().height());
    }
    void Show(const QImage& sheet, std::vector<SheetImage> images = {}, int scale = 1)
    {
        view.ShowSheet(sheet, std::move(images), scale);
        QVERIFY(QTest::qWaitForWindowActive(&view));
    }
};

QRect Available() { return QGuiApplication::primaryScreen()->availableGeometry(); }

// A rectangle given in shares of the available area, so that the cases hold
// at any screen size and device pixel ratio.
QRect InShares(const QRectF& shares)
{
    const QRect area = Available();
    return QRect(area.x() + int(shares.x() * area.width()),
                 area.y() + int(shares.y() * area.height()), int(shares.width() * area.width()),
                 int(shares.height() * area.height()));
}

void SendKeys(const QKeySequence& keys)
{
    for (int i = 0; i < keys.count(); ++i)
        QTest::keyClick(QApplication::focusWidget(), keys[i].key(), keys[i].keyboardModifiers());
}

}  // namespace

class ViewerTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(home_.Enter());
        qputenv("TESSOLO_UPDATE_HOST", "127.0.0.1:9");
    }

    void aLongStripIsShownAtLeastOnePixelHighAndScrollsAtOneToOne()
    {
        // 1 998 icons of 16 x 16 with a gap of 2 make a 35 962 x 16 sheet.
        ViewerWindow w;
        QImage strip(35962, 16, QImage::Format_RGB32);
        strip.fill(Qt::red);
        w.Show(strip);
        QRect shown = w.view.SheetRect();
        QVERIFY(shown.height() >= 1 && shown.width() > 100);
        QCOMPARE(w.view.grab().toImage().pixelColor(shown.center() * w.view.devicePixelRatio()),
                 QColor(Qt::red));

        w.view.SetZoom(1);
        QCOMPARE(w.view.SheetRect().size(), strip.size());
        QVERIFY(w.view.findChild<QScrollArea*>()->horizontalScrollBar()->maximum() > 0);
    }

    void aTransparentSheetShowsItsCheckerboardInLightAndDarkPalettes_data()
    {
        QTest::addColumn<QPalette>("palette");
        QTest::newRow("light") << QApplication::palette();
        QPalette dark(QColor(53, 53, 53));
        dark.setColor(QPalette::Base, QColor(35, 35, 35));
        dark.setColor(QPalette::Text, QColor(230, 230, 230));
        QTest::newRow("dark") << dark;
    }

    void aTransparentSheetShowsItsCheckerboardInLightAndDarkPalettes()
    {
        QFETCH(QPalette, palette);
        ViewerWindow w;
        w.view.setPalette(palette);
        QImage clear(64, 16, QImage::Format_ARGB32);
        clear.fill(Qt::transparent);
        w.Show(clear);
        const QImage shown = w.view.grab().toImage();
        const QRect area = w.view.SheetRect();
        const qreal ratio = w.view.devicePixelRatio();
        const QColor light = shown.pixelColor(area.topLeft() * ratio + QPoint(1, 1) +
                                              QPoint(kCheckerSquare, 0) * ratio);
        const QColor dark = shown.pixelColor(area.topLeft() * ratio + QPoint(1, 1));
        QCOMPARE(std::pair(light, dark), CheckerColors(palette));
        // Both squares stand out from the window around the sheet.
        const QColor window = palette.color(QPalette::Window);
        QVERIFY(light != window && dark != window && light != dark);
        QCOMPARE(shown.pixelColor((area.topLeft() - QPoint(2, 2)) * ratio), window);
    }

    void zoomKeysGiveTheirScale_data()
    {
        QTest::addColumn<QKeySequence>("keys");
        QTest::addColumn<int>("zoom");
        QTest::newRow("Ctrl+1") << QKeySequence("Ctrl+1") << 1;
        QTest::newRow("Ctrl++ from fit") << QKeySequence("Ctrl++") << 1;
        QTest::newRow("Ctrl+= as Ctrl++") << QKeySequence("Ctrl+1, Ctrl+=") << 2;
        QTest::newRow("Ctrl++ twice") << QKeySequence("Ctrl++, Ctrl++") << 2;
        QTest::newRow("Ctrl++ up to 4x") << QKeySequence("Ctrl++, Ctrl++, Ctrl++, Ctrl++") << 4;
        QTest::newRow("Ctrl+- from 2x") << QKeySequence("Ctrl++, Ctrl++, Ctrl+-") << 1;
        QTest::newRow("Ctrl+- from 1:1") << QKeySequence("Ctrl+1, Ctrl+-, Ctrl+-") << 0;
        QTest::newRow("Ctrl+0") << QKeySequence("Ctrl++, Ctrl++, Ctrl+0") << 0;
    }

    void zoomKeysGiveTheirScale()
    {
        QFETCH(QKeySequence, keys);
        QFETCH(int, zoom);
        ViewerWindow w;
        QImage sheet(1600, 300, QImage::Format_RGB32);
        sheet.fill(Qt::red);
        w.Show(sheet);
        SendKeys(keys);
        QCOMPARE(w.view.Zoom(), zoom);
        QVERIFY(w.view.findChild<QAbstractButton*>(QString("zoom%1").arg(zoom))->isChecked());
        const QSize viewport = w.view.findChild<QScrollArea*>()->viewport()->size();
        const QRect shown = w.view.SheetRect();
        if (zoom == 0)  // shrunk until it touches two sides of the window
            QVERIFY(shown.width() <= viewport.width() && shown.height() <= viewport.height() &&
                    (shown.width() == viewport.width() || shown.height() == viewport.height()));
        else
            QCOMPARE(shown.size(), sheet.size() * zoom);
    }

    void ctrlWheelZoomsAroundThePointer()
    {
        ViewerWindow w;
        w.view.resize(300, 250);
        Strip strip(4);  // wider than the window at every zoom, so the window scrolls
        w.Show(strip.sheet, strip.images);
        // The pointer stays where it is in the window while the sheet grows under it.
        const QRect sun = strip.images[2].sheetBox;
        const QPoint pointer = w.Canvas()->mapTo(&w.view, w.OnCanvas(sun.center()));
        for (int zoom : {1, 2, 4}) {
            const QPoint at = w.Canvas()->mapFrom(&w.view, pointer);
            QWheelEvent up(at, w.Canvas()->mapToGlobal(at), {}, QPoint(0, 120), Qt::NoButton,
                           Qt::ControlModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(w.Canvas(), &up);
            QCOMPARE(w.view.Zoom(), zoom);
            // The sun stays under the pointer.
            const QPoint now = w.Canvas()->mapFrom(&w.view, pointer);
            const QRect shown = w.Shown();
            const int pixel = (now.x() - shown.x()) * w.view.Sheet().width() / shown.width();
            QVERIFY2(sun.left() <= pixel && pixel <= sun.right(),
                     qPrintable(QString::number(pixel)));
        }
    }

    void pointingTellsAndClickingCopiesTheRule_data()
    {
        QTest::addColumn<int>("zoom");
        QTest::addColumn<int>("scale");
        QTest::addColumn<int>("image");
        QTest::addColumn<QString>("told");
        QTest::addColumn<QString>("copied");
        QTest::newRow("fit") << 0 << 1 << 1
                             << "star.png, class .sprite-star, at 37, 0, 32 \u00d7 32"
                             << ".sprite-star { background-position: -37px 0px; }";
        QTest::newRow("4x") << 4 << 1 << 2 << "sun.png, class .sprite-sun, at 74, 0"
                            << ".sprite-sun { background-position: -74px 0px; }";
        QTest::newRow("double-size sheet")
            << 1 << 2 << 2 << "sun.png, class .sprite-sun, at 74, 0, 32"
            << ".sprite-sun { background-position: -74px 0px; }";
        QTest::newRow("merged images share a place")
            << 1 << 1 << 0 << "home-copy.png, class .sprite-home-copy"
            << ".sprite-home { background-position: -0px 0px; }\n"
               ".sprite-home-copy { background-position: 0px 0px; }";
    }

    void pointingTellsAndClickingCopiesTheRule()
    {
        QFETCH(int, zoom);
        QFETCH(int, scale);
        QFETCH(int, image);
        QFETCH(QString, told);
        QFETCH(QString, copied);
        ViewerWindow w;
        w.view.resize(600, 300);
        Strip strip(scale);
        w.Show(strip.sheet, strip.images, scale);
        w.view.SetZoom(zoom);
        const QPoint at = w.OnCanvas(strip.images[image].sheetBox.center());
        QTest::mouseMove(w.Canvas(), at);
        QTRY_VERIFY2(w.Text("pointedImage").contains(told), qPrintable(w.Text("pointedImage")));
        QTest::mouseClick(w.Canvas(), Qt::LeftButton, {}, at);
        QCOMPARE(QApplication::clipboard()->text(), copied);
        QVERIFY(w.Text("pointedImage").startsWith("Copied the CSS rule"));

        // Between two images there is nothing to tell or copy.
        QApplication::clipboard()->clear();
        const QPoint gap = w.OnCanvas(QPoint(kIcon * scale + 2, 1));
        QTest::mouseMove(w.Canvas(), gap);
        QTRY_VERIFY(w.Text("pointedImage").startsWith("Point at an image"));
        QTest::mouseClick(w.Canvas(), Qt::LeftButton, {}, gap);
        QCOMPARE(QApplication::clipboard()->text(), QString());
    }

    void theLineUnderTheSheetTellsItsSizeAndOpensItsFolder_data()
    {
        QTest::addColumn<int>("scale");
        QTest::addColumn<QString>("shownFile");
        QTest::newRow("sheet") << 1 << "sprite.png";
        QTest::newRow("double-size sheet") << 2 << "sprite@2x.png";
    }

    void theLineUnderTheSheetTellsItsSizeAndOpensItsFolder()
    {
        QFETCH(int, scale);
        QFETCH(QString, shownFile);
        QTemporaryDir folder;
        QFile file(folder.filePath(shownFile));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(3000, 'x'));
        file.close();
        ViewerWindow w;
        Strip strip(scale);
        w.Show(strip.sheet, strip.images, scale);
        const QString size = QString("%1 \u00d7 %2 pixels").arg(106 * scale).arg(32 * scale);
        QCOMPARE(w.Text("sheetFacts"), size + (scale == 2 ? ", double size" : ""));
        auto* open = w.view.findChild<QAbstractButton*>("openFolder");
        QVERIFY(!open->isEnabled());  // until the sheet is written

        w.view.SetSheetFile(folder.filePath("sprite.png").toStdString());
        QVERIFY2(w.Text("sheetFacts").contains(shownFile + ", 2.9 "),
                 qPrintable(w.Text("sheetFacts")));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_O, Qt::AltModifier);
        QTRY_COMPARE(w.desktop.files, std::vector<std::string>{folder.path().toStdString()});
    }

    void theWindowStaysWithinTheAvailableArea_data()
    {
        QTest::addColumn<QRectF>("mainWindow");
        QTest::addColumn<QRectF>("stored");
        QTest::addColumn<int>("side");  // where it must be: 1 right of, -1 left of the main window
        QTest::newRow("beside, room on the right") << QRectF(0, 0, 0.4, 0.5) << QRectF() << 1;
        QTest::newRow("beside, room on the left") << QRectF(0.6, 0.1, 0.4, 0.5) << QRectF() << -1;
        QTest::newRow("where it was left")
            << QRectF(0, 0, 0.4, 0.5) << QRectF(0.1, 0.2, 0.6, 0.6) << 0;
        QTest::newRow("left larger than the screen")
            << QRectF(0, 0, 0.4, 0.5) << QRectF(-3, -3, 9, 9) << 0;
        QTest::newRow("left off the screen")
            << QRectF(0, 0, 0.4, 0.5) << QRectF(1.5, 2, 0.5, 0.5) << 0;
    }

    void theWindowStaysWithinTheAvailableArea()
    {
        QFETCH(QRectF, mainWindow);
        QFETCH(QRectF, stored);
        QFETCH(int, side);
        ViewerWindow w;
        const QRect wanted = InShares(stored);
        w.settings.ViewerGeometry = wanted.isEmpty() ? std::string() : StoredBoxText(wanted);
        w.mainWindow.setGeometry(InShares(mainWindow));
        w.mainWindow.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w.mainWindow));
        Strip strip;
        w.Show(strip.sheet, strip.images);

        const QRect placed = w.view.frameGeometry();
        QVERIFY2(Available().contains(placed), qPrintable(QString("%1,%2 %3x%4").arg(placed.x())
                                                           .arg(placed.y()).arg(placed.width())
                                                           .arg(placed.height())));
        const QRect owner = w.mainWindow.frameGeometry();
        if (side == 1)
            QVERIFY(placed.left() > owner.right());
        else if (side == -1)
            QVERIFY(placed.right() < owner.left());
        else if (Available().contains(wanted))
            QCOMPARE(w.view.geometry(), wanted);

        // Where the user leaves it is kept for the next run.
        w.view.move(Available().topLeft() + QPoint(3, 4));
        QTRY_COMPARE(w.settings.ViewerGeometry, StoredBoxText(w.view.geometry()));
    }

    void thePreferencesStayAboveTheMainWindowAndTheViewerBesideIt()
    {
        test::RecordingPrompts prompts;
        test::RecordingDesktop desktop;
        TessoloApp app(prompts, desktop);
        app.MainForm().setGeometry(InShares(QRectF(0, 0, 0.45, 0.6)));
        app.Show();
        QVERIFY(QTest::qWaitForWindowExposed(&app.MainForm()));

        TPrefs& prefs = app.Prefs();
        prefs.ShowPrefs();
        QVERIFY(QTest::qWaitForWindowExposed(&prefs));
        QCOMPARE(prefs.parentWidget(), &app.MainForm());
        QVERIFY(prefs.isWindow());
        QCOMPARE(prefs.windowHandle()->transientParent(), app.MainForm().windowHandle());
        QCOMPARE(prefs.windowModality(), Qt::NonModal);  // the main window keeps working
        QCOMPARE(prefs.windowType(), Qt::Dialog);
        QVERIFY(!(prefs.windowFlags() & Qt::WindowStaysOnTopHint));  // above its owner only
        QApplication::setActiveWindow(&app.MainForm());
        QVERIFY(prefs.isVisible());
        prefs.hide();

        Strip strip;
        app.Viewer().ShowSheet(strip.sheet, strip.images);
        QVERIFY(QTest::qWaitForWindowExposed(&app.Viewer()));
        QVERIFY(!app.Viewer().frameGeometry().intersects(app.MainForm().frameGeometry()));
        QVERIFY(Available().contains(app.Viewer().frameGeometry()));
        app.MainForm().close();
    }

private:
    test::ScratchHome home_;
};

}  // namespace tessolo

QTEST_MAIN(tessolo::ViewerTest)
#include "viewer_test.moc"
