// The preferences dialog driven through its real widgets, keys delivered to
// the focused widget as a real key press is.
#include "platform/error.h"
#include "settings/data_formats.h"
#include "settings/dialog/choice_group_box.h"
#include "settings/dialog/prefs_dialog.h"
#include "support/scratch_home.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <map>
#include <stdexcept>

namespace tessolo {
namespace {

// The program's order of life: dialog first, then the settings that load
// into its records; the settings go first at the end.
struct PrefsWindow {
    TPrefs dialog;
    OrvaneRegistry settings{dialog.Records(), {.saveOnDestruction = false}};
    PrefsWindow() { dialog.BindSettings(settings); }

    template <class T>
    T* Child(const char* name)
    {
        T* child = dialog.findChild<T*>(name);
        if (child == nullptr)
            throw std::runtime_error(std::string("no control ") + name);
        return child;
    }
    QSpinBox* Box(const char* name) { return Child<QSpinBox>(name); }
    QSlider* Slider(const char* name) { return Child<QSlider>(name); }
    int Selection(const char* group) { return Child<ChoiceGroupBox>(group)->Selection(); }
    QRadioButton* Entry(const char* group, int index)
    {
        return Child<ChoiceGroupBox>(group)->findChildren<QRadioButton*>().at(index);
    }
    void Open()
    {
        dialog.ShowPrefs();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
    }
    // Clicks the round mark of a radio button, where a click always lands.
    void Pick(const char* group, int index)
    {
        QRadioButton* button = Entry(group, index);
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
    }
    // Types into a box as a user does who clicked into it and selected its text.
    void Type(const char* box, const QString& text)
    {
        Box(box)->setFocus();
        Box(box)->selectAll();
        QTest::keyClicks(QApplication::focusWidget(), text);
    }
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    }
    void ShowPage(int page) { Child<QTabWidget>(nullptr)->setCurrentIndex(page); }
    void CloseButton() { QTest::mouseClick(Child<QPushButton>("btnClose"), Qt::LeftButton); }
    // The close box: the platform window's close request, as the window manager sends it.
    void CloseBox() { dialog.windowHandle()->close(); }
};

// Whether the keyboard is at `control` (or at the editor inside a spin box).
bool HasFocus(QWidget* control)
{
    QWidget* focus = QApplication::focusWidget();
    return focus != nullptr && (focus == control || control->isAncestorOf(focus));
}

// What a commit stored, by the name of its value.
int Committed(PrefsWindow& w, const QString& value)
{
    const FormatPrefsSet& records = w.dialog.Records();
    const std::map<QString, int> values{
        {"Orientation", w.settings.Orientation},
        {"ResizeMethod", w.settings.ResizeMethod},
        {"SheetBackground", w.settings.SheetBackground},
        {"DedupeImages", w.settings.DedupeImages},
        {"Retina", w.settings.Retina},
        {"BaseRule", w.settings.BaseRule},
        {"DataFormats", w.settings.DataFormats},
        {"HtmlPreview", w.settings.HtmlPreview},
        {"PseudoClasses", w.settings.PseudoClasses},
        {"CssUnits", w.settings.CssUnits},
        {"CacheBust", w.settings.CacheBust},
        {"PngDither", w.settings.PngDither},
        {"AlsoFormats", w.settings.AlsoFormats},
        {"GifQuantizer", w.settings.GifQuantizer},
        {"JPGprefs.Progressive", records.JPGprefs.Progressive},
        {"PNGprefs.Progressive", records.PNGprefs.Progressive},
        {"PNGprefs.Smoothing", records.PNGprefs.Smoothing},
        {"GIFprefs.Quality", records.GIFprefs.Quality},
        {"BMPprefs.PixelFormat", records.BMPprefs.PixelFormat},
    };
    return values.at(value);
}

// The visible controls that take the keyboard: buttons and spin boxes.
QList<QWidget*> VisibleControls(QWidget& window)
{
    QList<QWidget*> controls;
    for (QWidget* widget : window.findChildren<QWidget*>())
        if (widget->isVisible() && (qobject_cast<QAbstractButton*>(widget) ||
                                    qobject_cast<QAbstractSpinBox*>(widget)))
            controls << widget;
    return controls;
}

}  // namespace

class PrefsDialogTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(home_.Enter());
    }

    void firstShowingOnAFirstRun()
    {
        PrefsWindow w;
        QCOMPARE(w.Selection("BMP_PixelFormat"), 2);  // "16 bit" until the first showing
        w.Open();

        QCOMPARE(w.dialog.windowTitle(), QString("Preferences"));
        QVERIFY(!(w.dialog.windowFlags() & Qt::WindowMinMaxButtonsHint));
        QVERIFY(w.dialog.width() >= 434 && w.dialog.height() >= 327);
        auto* pages = w.Child<QTabWidget>(nullptr);
        const QStringList titles{"&General", "&JPEG", "P&NG", "G&IF", "B&MP", "WebP/AVI&F", "We&b"};
        QCOMPARE(pages->count(), titles.size());
        for (int i = 0; i < titles.size(); ++i)
            QCOMPARE(pages->tabText(i), titles[i]);
        QCOMPARE(pages->currentIndex(), 0);
        QCOMPARE(QApplication::focusWidget(), w.Child<QPushButton>("btnClose"));

        QCOMPARE(w.Selection("Orientation"), 0);
        QCOMPARE(w.Selection("gbResize"), 0);
        QVERIFY(!w.Child<QGroupBox>("gbResizeProportionally")->isVisible());
        QVERIFY(!w.Child<QGroupBox>("gbResizeExactly")->isVisible());
        QCOMPARE(w.Box("ebHpad")->value(), 5);
        QCOMPARE(w.Box("ebVpad")->value(), 5);
        QCOMPARE(w.Selection("SheetBackground"), 0);
        QCOMPARE(w.Selection("JPEG_Progressive"), 0);
        QCOMPARE(w.Box("ebJPEGQuality")->value(), 100);
        QCOMPARE(w.Slider("JPEG_Quality")->value(), 100);
        QCOMPARE(w.Selection("PNG_Progressive"), 0);
        QCOMPARE(w.Box("ebPNGQuality")->value(), 9);
        QCOMPARE(w.Slider("PNG_Quality")->value(), 9);
        QCOMPARE(w.Selection("GIF_CompressionType"), 0);
        QCOMPARE(w.Selection("BMP_PixelFormat"), 0);
        QCOMPARE(w.Entry("BMP_PixelFormat", 0)->text(), QString("&4 bit"));
        QVERIFY(!w.Child<QCheckBox>("JPEG_Smoothing")->isVisible());
        QVERIFY(!w.Child<QCheckBox>("cbDedupeImages")->isChecked());
    }

    void resizeGroupBoxesFollowTheResizeChoice()
    {
        PrefsWindow w;
        w.Open();
        auto* proportionally = w.Child<QGroupBox>("gbResizeProportionally");
        auto* exactly = w.Child<QGroupBox>("gbResizeExactly");
        const int paddingTop = w.Box("ebHpad")->mapTo(&w.dialog, QPoint()).y();

        w.Pick("gbResize", 1);
        QVERIFY(proportionally->isVisible());
        QVERIFY(!exactly->isVisible());
        QCOMPARE(w.Box("ebProportionalResize")->value(), 100);

        w.Pick("gbResize", 2);
        QVERIFY(!proportionally->isVisible());
        QVERIFY(exactly->isVisible());
        QCOMPARE(w.Box("ebSetWidth")->value(), 320);
        QCOMPARE(w.Box("ebSetHeight")->value(), 240);
        QCOMPARE(w.Box("ebHpad")->mapTo(&w.dialog, QPoint()).y(), paddingTop);

        w.Pick("gbResize", 0);
        QVERIFY(!proportionally->isVisible());
        QVERIFY(!exactly->isVisible());
        w.CloseButton();
        QCOMPARE(w.settings.ResizeMethod, 0);

        w.settings.ResizeMethod = 1;
        w.dialog.ShowPrefs();
        QVERIFY(proportionally->isVisible());
    }

    void qualityBoxAndSliderShowOneNumber()
    {
        PrefsWindow w;
        w.Open();
        w.ShowPage(1);
        QSlider* slider = w.Slider("JPEG_Quality");
        slider->setSliderPosition(57);  // as a drag does
        QCOMPARE(w.Box("ebJPEGQuality")->value(), 57);

        // The slider follows the box when Enter takes the number, not at each digit.
        w.Type("ebJPEGQuality", "30");
        QCOMPARE(slider->value(), 57);
        w.Key(Qt::Key_Return);
        QCOMPARE(slider->value(), 30);
        QVERIFY(w.dialog.isVisible());  // Enter does not press "&Close"
        w.Key(Qt::Key_Up);
        QCOMPARE(slider->value(), 31);

        // A number typed without Enter is committed as the box shows it.
        w.ShowPage(2);
        w.Type("ebPNGQuality", "7");
        w.CloseButton();
        QCOMPARE(w.dialog.Records().JPGprefs.Quality, 31);
        QCOMPARE(w.dialog.Records().PNGprefs.Quality, 7);
        w.dialog.ShowPrefs();
        QCOMPARE(w.Slider("PNG_Quality")->value(), 7);
    }

    void spinBoxesRefuseTextAndKeepTheStoresRanges_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("resize");  // the resize choice that shows the box
        QTest::addColumn<int>("min");
        QTest::addColumn<int>("max");
        auto add = [](const char* box, int page, int resize, ValueRange range) {
            QTest::newRow(box) << QString(box) << page << resize << range.min << range.max;
        };
        add("ebProportionalResize", 0, 1, StoredValueOf(&SheetOptions::ResizePercentage).range);
        add("ebSetWidth", 0, 2, StoredValueOf(&SheetOptions::ResizeWidth).range);
        add("ebSetHeight", 0, 2, StoredValueOf(&SheetOptions::ResizeHeight).range);
        add("ebHpad", 0, 0, StoredValueOf(&SheetOptions::HorizontalPadding).range);
        add("ebVpad", 0, 0, StoredValueOf(&SheetOptions::VerticalPadding).range);
        add("ebJPEGQuality", 1, 0, RecordFieldRange(kOutputJpeg, &TFormatPrefs::Quality));
        add("ebPNGQuality", 2, 0, RecordFieldRange(kOutputPng, &TFormatPrefs::Quality));
        add("ebWebpQuality", 5, 0, RecordFieldRange(kOutputWebp, &TFormatPrefs::Quality));
        add("ebAvifQuality", 5, 0, RecordFieldRange(kOutputAvif, &TFormatPrefs::Quality));
    }

    void spinBoxesRefuseTextAndKeepTheStoresRanges()
    {
        QFETCH(QString, box);
        QFETCH(int, page);
        QFETCH(int, resize);
        QFETCH(int, min);
        QFETCH(int, max);
        const QByteArray name = box.toUtf8();
        PrefsWindow w;
        w.settings.ResizeMethod = resize;
        w.Open();
        w.ShowPage(page);
        QSpinBox* spin = w.Box(name);
        QCOMPARE(spin->minimum(), min);
        QCOMPARE(spin->maximum(), max);
        const int before = spin->value();

        w.Type(name, "abc");
        w.Key(Qt::Key_Return);
        QCOMPARE(spin->value(), before);
        w.Type(name, QString::number(qint64(max) * 10));
        w.Key(Qt::Key_Return);
        QVERIFY(spin->value() <= max);
        w.Type(name, QString::number(qint64(min) - 1));
        w.Key(Qt::Key_Return);
        QVERIFY(spin->value() >= min);
        w.Type(name, QString::number(max));
        w.CloseButton();
        w.dialog.ShowPrefs();
        QCOMPARE(w.Box(name)->value(), max);
    }

    void pixelFormatEntriesMapToTheirCodes()
    {
        PrefsWindow w;
        const int codes[] = {2, 3, 5, 6, 7};
        for (int entry = 0; entry < 5; ++entry) {
            w.dialog.ShowPrefs();
            w.Pick("BMP_PixelFormat", entry);
            w.CloseButton();
            QCOMPARE(w.dialog.Records().BMPprefs.PixelFormat, codes[entry]);
        }
        w.dialog.Records().BMPprefs.PixelFormat = kBmp8Bits;
        w.dialog.ShowPrefs();
        QCOMPARE(w.Selection("BMP_PixelFormat"), 1);
        w.CloseButton();

        // A code without an entry leaves the selection; the commit stores its code.
        w.dialog.Records().BMPprefs.PixelFormat = 4;
        w.dialog.ShowPrefs();
        QCOMPARE(w.Selection("BMP_PixelFormat"), 1);
        w.CloseButton();
        QCOMPARE(w.dialog.Records().BMPprefs.PixelFormat, 3);
    }

    void closeBoxAndEscapeCommitAsCloseDoes()
    {
        for (int way = 0; way < 3; ++way) {
            PrefsWindow w;
            w.Open();
            w.Pick("Orientation", 1);
            w.Type("ebVpad", "11");
            w.Pick("JPEG_Progressive", 1);
            if (way == 0)
                w.CloseButton();
            else if (way == 1)
                w.CloseBox();
            else
                w.Key(Qt::Key_Escape);
            QVERIFY2(!w.dialog.isVisible(), std::to_string(way).c_str());
            QCOMPARE(w.settings.Orientation, 1);
            QCOMPARE(w.settings.VerticalPadding, 11);
            QCOMPARE(w.dialog.Records().JPGprefs.Progressive, 1);

            w.dialog.ShowPrefs();  // hidden, not destroyed
            QCOMPARE(w.Box("ebVpad")->value(), 11);
        }
    }

    void tabGoesThroughThePageInOrder()
    {
        PrefsWindow w;
        w.Open();
        auto tab = [&w] {
            w.Key(Qt::Key_Tab);
            return QApplication::focusWidget();
        };
        // From "&Close" round to the page tabs, then through the page in order.
        QVERIFY(qobject_cast<QTabBar*>(tab()) != nullptr);
        QCOMPARE(tab(), w.Entry("Orientation", 0));
        w.Key(Qt::Key_Down);
        QCOMPARE(w.Selection("Orientation"), 1);
        QCOMPARE(tab(), w.Entry("gbResize", 0));
        tab();
        QVERIFY(HasFocus(w.Box("ebHpad")));
        tab();
        QVERIFY(HasFocus(w.Box("ebVpad")));
        QCOMPARE(tab(), w.Entry("SheetBackground", 0));
        QCOMPARE(tab(), w.Child<QCheckBox>("cbDedupeImages"));
        QCOMPARE(tab(), w.Child<QCheckBox>("cbRetina"));
        QCOMPARE(tab(), w.Child<QLineEdit>("edMaxSheetSize"));
        QCOMPARE(tab(), w.Child<QPushButton>("btnClose"));
    }

    void mnemonicsReachTheirControls_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("resize");  // the resize choice stored before the showing
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("control");  // a name, or a choice group's name and entry
        QTest::addColumn<QString>("value");    // what the commit then stores, if anything
        QTest::addColumn<int>("stored");
        auto add = [](int page, int resize, Qt::Key key, const char* control,
                      const char* value = "", int stored = 0) {
            QTest::addRow("%s Alt+%s", control, qPrintable(QKeySequence(key).toString()))
                << page << resize << int(key) << QString(control) << QString(value) << stored;
        };
        add(0, 0, Qt::Key_H, "Orientation/0", "Orientation", 0);
        add(0, 0, Qt::Key_V, "Orientation/1", "Orientation", 1);
        add(0, 0, Qt::Key_R, "Orientation/2", "Orientation", 2);
        add(0, 0, Qt::Key_P, "Orientation/3", "Orientation", 3);
        add(0, 1, Qt::Key_D, "gbResize/0", "ResizeMethod", 0);
        add(0, 0, Qt::Key_Y, "gbResize/1", "ResizeMethod", 1);
        add(0, 0, Qt::Key_S, "gbResize/2", "ResizeMethod", 2);
        add(0, 1, Qt::Key_K, "ebProportionalResize");
        add(0, 2, Qt::Key_W, "ebSetWidth");
        add(0, 2, Qt::Key_E, "ebSetHeight");
        add(0, 0, Qt::Key_Z, "ebHpad");
        add(0, 0, Qt::Key_L, "ebVpad");
        add(0, 0, Qt::Key_T, "SheetBackground/0", "SheetBackground", 0);
        add(0, 0, Qt::Key_A, "SheetBackground/1", "SheetBackground", 1);
        add(0, 0, Qt::Key_O, "cbDedupeImages", "DedupeImages", 1);
        add(0, 0, Qt::Key_U, "cbRetina", "Retina", 1);
        add(0, 0, Qt::Key_X, "edMaxSheetSize");
        add(1, 0, Qt::Key_R, "JPEG_Progressive/0", "JPGprefs.Progressive", 0);
        add(1, 0, Qt::Key_P, "JPEG_Progressive/1", "JPGprefs.Progressive", 1);
        add(1, 0, Qt::Key_Q, "ebJPEGQuality");
        add(2, 0, Qt::Key_P, "PNG_Progressive/1", "PNGprefs.Progressive", 1);
        add(2, 0, Qt::Key_Q, "ebPNGQuality");
        add(2, 0, Qt::Key_O, "PNG_Optimize", "PNGprefs.Smoothing", 1);
        add(2, 0, Qt::Key_L, "ebPngColors");
        add(2, 0, Qt::Key_D, "cbPngDither", "PngDither", 1);
        add(3, 0, Qt::Key_L, "GIF_CompressionType/0", "GIFprefs.Quality", 0);
        add(3, 0, Qt::Key_R, "GIF_CompressionType/1", "GIFprefs.Quality", 1);
        add(3, 0, Qt::Key_Q, "cbGifQuantizer", "GifQuantizer", 1);
        add(4, 0, Qt::Key_4, "BMP_PixelFormat/0", "BMPprefs.PixelFormat", 2);
        add(4, 0, Qt::Key_8, "BMP_PixelFormat/1", "BMPprefs.PixelFormat", 3);
        add(4, 0, Qt::Key_1, "BMP_PixelFormat/2", "BMPprefs.PixelFormat", 5);
        add(4, 0, Qt::Key_2, "BMP_PixelFormat/3", "BMPprefs.PixelFormat", 6);
        add(4, 0, Qt::Key_3, "BMP_PixelFormat/4", "BMPprefs.PixelFormat", 7);
        add(5, 0, Qt::Key_Q, "ebWebpQuality");
        add(5, 0, Qt::Key_V, "cbAlsoAvif", "AlsoFormats", 1 << kOutputAvif);
        add(5, 0, Qt::Key_W, "cbAlsoWebp", "AlsoFormats", 1 << kOutputWebp);
        add(5, 0, Qt::Key_P, "cbAlsoPng", "AlsoFormats", 1 << kOutputPng);
        add(5, 0, Qt::Key_E, "cbAlsoJpeg", "AlsoFormats", 1 << kOutputJpeg);
        add(5, 0, Qt::Key_A, "ebAvifQuality");
        add(6, 0, Qt::Key_R, "cbBaseRule", "BaseRule", 1);
        add(6, 0, Qt::Key_T, "cbPseudoClasses", "PseudoClasses", 1);
        add(6, 0, Qt::Key_E, "cbPercentUnits", "CssUnits", 1);
        add(6, 0, Qt::Key_S, "cbScssData", "DataFormats", kDataScss);
        add(6, 0, Qt::Key_L, "cbLessData", "DataFormats", kDataLess);
        add(6, 0, Qt::Key_O, "cbJsonData", "DataFormats", kDataJson);
        add(6, 0, Qt::Key_P, "cbHtmlPreview", "HtmlPreview", 1);
        add(6, 0, Qt::Key_V, "cbCacheBust", "CacheBust", 1);
        add(6, 0, Qt::Key_H, "edSheetFolder");
        add(6, 0, Qt::Key_Y, "edStylesheetFolder");
        add(6, 0, Qt::Key_U, "edSheetUrl");
        add(6, 0, Qt::Key_A, "edTemplates");
        // The page tabs, from another page.
        const std::pair<Qt::Key, int> tabs[] = {{Qt::Key_G, 0}, {Qt::Key_J, 1}, {Qt::Key_N, 2},
                                                {Qt::Key_I, 3}, {Qt::Key_M, 4}, {Qt::Key_F, 5},
                                                {Qt::Key_B, 6}};
        for (auto [key, page] : tabs)
            QTest::addRow("page %d Alt+%s", page, qPrintable(QKeySequence(key).toString()))
                << (page + 1) % 7 << 0 << int(key) << QString("page %1").arg(page) << QString()
                << 0;
    }

    void mnemonicsReachTheirControls()
    {
        QFETCH(int, page);
        QFETCH(int, resize);
        QFETCH(int, key);
        QFETCH(QString, control);
        QFETCH(QString, value);
        QFETCH(int, stored);
        PrefsWindow w;
        w.settings.ResizeMethod = resize;
        w.Open();
        w.ShowPage(page);
        w.Key(Qt::Key(key), Qt::AltModifier);

        auto* pages = w.Child<QTabWidget>(nullptr);
        if (control.startsWith("page ")) {
            QTRY_COMPARE(pages->currentIndex(), control.mid(5).toInt());
            return;
        }
        QWidget* target = nullptr;
        const QStringList parts = control.split('/');
        if (parts.size() == 2)
            target = w.Entry(qPrintable(parts[0]), parts[1].toInt());
        else
            target = w.Child<QWidget>(qPrintable(control));
        QTRY_VERIFY2(HasFocus(target), qPrintable(control));
        QCOMPARE(pages->currentIndex(), page);
        if (value.isEmpty())
            return;
        if (auto* button = qobject_cast<QAbstractButton*>(target))
            QTRY_VERIFY(button->isChecked());
        w.Key(Qt::Key_C, Qt::AltModifier);  // "&Close"
        QTRY_VERIFY(!w.dialog.isVisible());
        QCOMPARE(Committed(w, value), stored);
    }

    // What is typed into the boxes of the Web page is stored as typed, and
    // the next showing shows it.
    void textBoxesAreStoredAsTyped()
    {
        const std::pair<Qt::Key, std::string OrvaneRegistry::*> boxes[] = {
            {Qt::Key_H, &OrvaneRegistry::SheetFolder},
            {Qt::Key_Y, &OrvaneRegistry::StylesheetFolder},
            {Qt::Key_U, &OrvaneRegistry::SheetUrl},
            {Qt::Key_A, &OrvaneRegistry::Templates}};
        PrefsWindow w;
        w.settings.SheetUrl = "old";
        for (auto [key, field] : boxes) {
            w.Open();
            w.ShowPage(6);
            w.Key(key, Qt::AltModifier);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(QApplication::focusWidget(), "../img x");
            w.Key(Qt::Key_C, Qt::AltModifier);
            QTRY_VERIFY(!w.dialog.isVisible());
            QCOMPARE(w.settings.*field, std::string("../img x"));
        }
        w.Open();
        QCOMPARE(w.Child<QLineEdit>("edSheetUrl")->text(), QString("../img x"));
    }

    void everyControlHasAMnemonicOfItsOwn()
    {
        for (int resize : {1, 2}) {
            PrefsWindow w;
            w.settings.ResizeMethod = resize;
            w.Open();
            auto* pages = w.Child<QTabWidget>(nullptr);
            for (int page = 0; page < pages->count(); ++page) {
                w.ShowPage(page);
                QMap<QKeySequence, QString> taken;
                auto take = [&](const QString& text, const QString& what) {
                    const QKeySequence key = QKeySequence::mnemonic(text);
                    QVERIFY2(!key.isEmpty(), qPrintable(what + " has no mnemonic"));
                    QVERIFY2(!taken.contains(key), qPrintable(what + " repeats " + taken[key]));
                    taken[key] = what;
                };
                for (int tab = 0; tab < pages->count(); ++tab)
                    take(pages->tabText(tab), "tab " + pages->tabText(tab));
                const QList<QLabel*> labels = w.dialog.findChildren<QLabel*>();
                for (QWidget* control : VisibleControls(w.dialog)) {
                    if (qobject_cast<QTabBar*>(control->parentWidget()))
                        continue;  // the tab bar's scroll arrows
                    QString text;
                    if (auto* button = qobject_cast<QAbstractButton*>(control))
                        text = button->text();
                    for (QLabel* label : labels)
                        if (label->buddy() == control && label->isVisible())
                            text = label->text();
                    take(text, control->objectName() + " \"" + text + "\"");
                }
            }
        }
    }

    void smoothingFollowsProgressiveDisplay()
    {
        PrefsWindow w;
        w.dialog.Records().JPGprefs.Smoothing = 5;
        w.dialog.ShowPrefs();
        auto* smoothing = w.Child<QCheckBox>("JPEG_Smoothing");
        QVERIFY(smoothing->isChecked());
        QVERIFY(!smoothing->isEnabled());
        w.Pick("JPEG_Progressive", 1);
        QVERIFY(smoothing->isEnabled());
        w.Pick("JPEG_Progressive", 0);
        QVERIFY(!smoothing->isEnabled());
        w.CloseButton();
        QCOMPARE(w.dialog.Records().JPGprefs.Smoothing, 1);
    }

    void showingAgainOnlyBringsToFront()
    {
        PrefsWindow w;
        w.Open();
        w.Type("ebHpad", "17");
        w.Key(Qt::Key_Return);
        w.dialog.ShowPrefs();
        QCOMPARE(w.Box("ebHpad")->value(), 17);
        QCOMPARE(w.settings.HorizontalPadding, 5);  // a build now sees the committed value
    }

    void showingWithoutSettingsIsRefused()
    {
        TPrefs dialog;
        QVERIFY_THROWS_EXCEPTION(Error, dialog.ShowPrefs());
        QVERIFY(!dialog.isVisible());
    }

    void savesAnImageOfEachPage()
    {
        PrefsWindow w;
        w.settings.ResizeMethod = 1;  // so that the General page shows a resize box
        w.settings.DedupeImages = 1;  // and a ticked box
        QTemporaryDir scratch;
        QString folder = qEnvironmentVariable("TESSOLO_SCREENSHOT_DIR", scratch.path());
        const QStringList written = w.dialog.SavePageImages(folder, "-light");
        QCOMPARE(written.size(), 7);
        for (const QString& path : written) {
            QImage image(path);
            QCOMPARE(image.size(), w.dialog.size() * w.dialog.devicePixelRatio());
        }
        QVERIFY(written[0].endsWith("/prefs-general-light.png"));
        QVERIFY(written[5].endsWith("/prefs-webp-avif-light.png"));
        QVERIFY(written[6].endsWith("/prefs-web-light.png"));
    }

private:
    test::ScratchHome home_;
};

}  // namespace tessolo

QTEST_MAIN(tessolo::PrefsDialogTest)
#include "prefs_dialog_test.moc"
