// The preferences dialog driven through its real widgets.
#include "platform/error.h"
#include "support/recording_seams.h"
#include "settings/dialog/choice_group_box.h"
#include "settings/data_formats.h"
#include "settings/dialog/prefs_dialog.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <stdexcept>

namespace tessolo {
namespace {


using test::RecordingPrompts;

// The program's order of life: dialog first, then the settings that load
// into its records; the settings go first at the end.
struct PrefsWindow {
    RecordingPrompts prompts;
    TPrefs dialog{prompts};
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
    QLineEdit* Box(const char* name) { return Child<QLineEdit>(name); }
    QSlider* Slider(const char* name) { return Child<QSlider>(name); }
    int Selection(const char* group) { return Child<ChoiceGroupBox>(group)->Selection(); }
    QRadioButton* Entry(const char* group, int index)
    {
        return Child<ChoiceGroupBox>(group)->findChildren<QRadioButton*>().at(index);
    }
    // Clicks the round mark of a radio button, where a click always lands.
    void Pick(const char* group, int index)
    {
        QRadioButton* button = Entry(group, index);
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
    }
    void Type(const char* box, const QString& text)
    {
        Box(box)->selectAll();
        QTest::keyClicks(Box(box), text);
    }
    void Enter(const char* box) { QTest::keyClick(Box(box), Qt::Key_Return); }
    void ShowPage(int page) { Child<QTabWidget>(nullptr)->setCurrentIndex(page); }
    void CloseButton() { QTest::mouseClick(Child<QPushButton>("btnClose"), Qt::LeftButton); }
    // The close box: the platform window's close request, as the window manager sends it.
    void CloseBox() { dialog.windowHandle()->close(); }
};

}  // namespace

class PrefsDialogTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(config_.isValid());
        qputenv("XDG_CONFIG_HOME", config_.filePath("config").toUtf8());
        qputenv("HOME", config_.filePath("home").toUtf8());
    }

    void firstShowingOnAFirstRun()
    {
        PrefsWindow w;
        QCOMPARE(w.Selection("BMP_PixelFormat"), 2);  // "16 bit" until the first showing
        w.dialog.ShowPrefs();
        QVERIFY(QTest::qWaitForWindowActive(&w.dialog));

        QCOMPARE(w.dialog.windowTitle(), QString("Preferences"));
        QVERIFY(!(w.dialog.windowFlags() & Qt::WindowMinMaxButtonsHint));
        QVERIFY(w.dialog.width() >= 434 && w.dialog.height() >= 327);
        auto* pages = w.Child<QTabWidget>(nullptr);
        QCOMPARE(pages->count(), 6);
        const QStringList titles{"General", "JPEG", "PNG", "GIF", "BMP", "Web"};
        for (int i = 0; i < 6; ++i)
            QCOMPARE(pages->tabText(i), titles[i]);
        QCOMPARE(pages->currentIndex(), 0);
        QCOMPARE(QApplication::focusWidget(), w.Child<QPushButton>("btnClose"));

        QCOMPARE(w.Selection("Orientation"), 0);
        QCOMPARE(w.Entry("Orientation", 0)->text(), QString("Horizontal"));
        QCOMPARE(w.Selection("gbResize"), 0);
        QVERIFY(!w.Child<QGroupBox>("gbResizeProportionally")->isVisible());
        QVERIFY(!w.Child<QGroupBox>("gbResizeExactly")->isVisible());
        QCOMPARE(w.Box("ebHpad")->text(), QString("5"));
        QCOMPARE(w.Box("ebVpad")->text(), QString("5"));
        QCOMPARE(w.Selection("SheetBackground"), 0);
        QCOMPARE(w.Selection("JPEG_Progressive"), 0);
        QCOMPARE(w.Box("ebJPEGQuality")->text(), QString("100"));
        QCOMPARE(w.Slider("JPEG_Quality")->value(), 100);
        QCOMPARE(w.Selection("PNG_Progressive"), 0);
        QCOMPARE(w.Box("ebPNGQuality")->text(), QString("9"));
        QCOMPARE(w.Slider("PNG_Quality")->value(), 9);
        QCOMPARE(w.Selection("GIF_CompressionType"), 0);
        QCOMPARE(w.Entry("GIF_CompressionType", 1)->text(), QString("RLE Compression"));
        QCOMPARE(w.Selection("BMP_PixelFormat"), 0);
        QCOMPARE(w.Entry("BMP_PixelFormat", 0)->text(), QString("4 bit"));
        QVERIFY(!w.Child<QCheckBox>("JPEG_Smoothing")->isVisible());
        QVERIFY(!w.Child<QCheckBox>("cbDedupeImages")->isChecked());
    }

    void resizeGroupBoxesFollowTheResizeChoice()
    {
        PrefsWindow w;
        w.dialog.ShowPrefs();
        auto* proportionally = w.Child<QGroupBox>("gbResizeProportionally");
        auto* exactly = w.Child<QGroupBox>("gbResizeExactly");
        const int paddingTop = w.Box("ebHpad")->mapTo(&w.dialog, QPoint()).y();

        w.Pick("gbResize", 1);
        QVERIFY(proportionally->isVisible());
        QVERIFY(!exactly->isVisible());
        QCOMPARE(w.Box("ebProportionalResize")->text(), QString("100"));

        w.Pick("gbResize", 2);
        QVERIFY(!proportionally->isVisible());
        QVERIFY(exactly->isVisible());
        QCOMPARE(w.Box("ebSetWidth")->text(), QString("320"));
        QCOMPARE(w.Box("ebSetHeight")->text(), QString("240"));
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

    void sliderAndTextBoxRulesWithEnter()
    {
        PrefsWindow w;
        w.dialog.ShowPrefs();
        w.ShowPage(1);
        QSlider* slider = w.Slider("JPEG_Quality");

        slider->setSliderPosition(57);  // as a drag does
        QCOMPARE(w.Box("ebJPEGQuality")->text(), QString("57"));

        w.Type("ebJPEGQuality", "30");
        w.Enter("ebJPEGQuality");
        QCOMPARE(slider->value(), 30);

        w.Type("ebJPEGQuality", "150");
        w.Enter("ebJPEGQuality");
        QCOMPARE(slider->value(), 100);
        QCOMPARE(w.Box("ebJPEGQuality")->text(), QString("100"));

        // At 100 already: the slider does not move, so the box keeps 150.
        w.Type("ebJPEGQuality", "150");
        w.Enter("ebJPEGQuality");
        QCOMPARE(slider->value(), 100);
        QCOMPARE(w.Box("ebJPEGQuality")->text(), QString("150"));
        QVERIFY(w.dialog.isVisible());  // Enter does not press "&Close"

        w.Type("ebJPEGQuality", "4x");
        w.Enter("ebJPEGQuality");
        QCOMPARE(slider->value(), 100);
        QCOMPARE(w.prompts.prompts.size(), size_t(1));
        QCOMPARE(w.prompts.prompts[0].text, std::string("'4x' is not a valid integer value."));

        w.ShowPage(2);
        w.Type("ebPNGQuality", "3");
        w.Enter("ebPNGQuality");
        QCOMPARE(w.Slider("PNG_Quality")->value(), 3);
        QTest::keyClick(w.Slider("PNG_Quality"), Qt::Key_PageUp);
        QCOMPARE(w.Box("ebPNGQuality")->text(), QString("4"));
    }

    void numbersTypedWithoutEnterAreCommittedAsTyped()
    {
        PrefsWindow w;
        w.dialog.ShowPrefs();
        w.Type("ebJPEGQuality", "150");
        w.Type("ebPNGQuality", "7");
        w.CloseButton();
        QVERIFY(!w.dialog.isVisible());
        QCOMPARE(w.dialog.Records().JPGprefs.Quality, 150);
        QCOMPARE(w.dialog.Records().PNGprefs.Quality, 7);
        QVERIFY(w.prompts.prompts.empty());

        w.dialog.ShowPrefs();
        QCOMPARE(w.Box("ebJPEGQuality")->text(), QString("100"));
        QCOMPARE(w.Slider("JPEG_Quality")->value(), 100);
        QCOMPARE(w.Box("ebPNGQuality")->text(), QString("7"));
        QCOMPARE(w.Slider("PNG_Quality")->value(), 7);
    }

    void badNumberCommitsTheValuesBeforeIt()
    {
        PrefsWindow w;
        w.dialog.ShowPrefs();
        w.Pick("JPEG_Progressive", 1);
        w.Type("ebJPEGQuality", "80");
        w.Pick("PNG_Progressive", 1);
        w.Type("ebPNGQuality", "6");
        w.Pick("GIF_CompressionType", 1);
        w.Pick("Orientation", 2);
        w.Pick("gbResize", 2);
        w.Type("ebSetWidth", "64");
        w.Type("ebSetHeight", "48");
        w.Type("ebHpad", "abc");
        w.Type("ebVpad", "9");
        w.Pick("BMP_PixelFormat", 3);
        w.CloseButton();

        QVERIFY(!w.dialog.isVisible());
        QCOMPARE(w.prompts.prompts.size(), size_t(1));
        QCOMPARE(w.prompts.prompts[0].caption, std::string("Tessolo"));
        QCOMPARE(w.prompts.prompts[0].text, std::string("'abc' is not a valid integer value."));
        QVERIFY(w.prompts.prompts[0].icon == PromptIcon::Error);

        const FormatPrefsSet& records = w.dialog.Records();
        QCOMPARE(records.JPGprefs.Progressive, 1);
        QCOMPARE(records.JPGprefs.Quality, 80);
        QCOMPARE(records.PNGprefs.Progressive, 1);
        QCOMPARE(records.PNGprefs.Quality, 6);
        QCOMPARE(records.GIFprefs.Quality, 1);
        QCOMPARE(w.settings.Orientation, 2);
        QCOMPARE(w.settings.ResizeMethod, 2);
        QCOMPARE(w.settings.ResizePercentage, 100);
        QCOMPARE(w.settings.ResizeWidth, 64);
        QCOMPARE(w.settings.ResizeHeight, 48);
        QCOMPARE(w.settings.HorizontalPadding, 5);
        QCOMPARE(w.settings.VerticalPadding, 5);
        QCOMPARE(records.BMPprefs.PixelFormat, 2);
    }

    void pixelFormatEntriesMapToTheirCodes()
    {
        PrefsWindow w;
        const QStringList captions{"4 bit", "8 bit", "16 bit", "24 bit", "32 bit"};
        const int codes[] = {2, 3, 5, 6, 7};
        for (int entry = 0; entry < 5; ++entry) {
            w.dialog.ShowPrefs();
            QCOMPARE(w.Entry("BMP_PixelFormat", entry)->text(), captions[entry]);
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
            w.dialog.ShowPrefs();
            QVERIFY(QTest::qWaitForWindowActive(&w.dialog));
            w.Pick("Orientation", 1);
            w.Type("ebVpad", "11");
            w.Pick("JPEG_Progressive", 1);
            if (way == 0)
                w.CloseButton();
            else if (way == 1)
                w.CloseBox();
            else
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
            QVERIFY2(!w.dialog.isVisible(), std::to_string(way).c_str());
            QCOMPARE(w.settings.Orientation, 1);
            QCOMPARE(w.settings.VerticalPadding, 11);
            QCOMPARE(w.dialog.Records().JPGprefs.Progressive, 1);

            w.dialog.ShowPrefs();  // hidden, not destroyed
            QCOMPARE(w.Box("ebVpad")->text(), QString("11"));
        }
    }

    void keyboardReachesTheControls()
    {
        PrefsWindow w;
        w.dialog.ShowPrefs();
        QVERIFY(QTest::qWaitForWindowActive(&w.dialog));
        auto tab = [] {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            return QApplication::focusWidget();
        };
        // From "&Close" round to the page tabs, then through the page in order.
        QVERIFY(qobject_cast<QTabBar*>(tab()) != nullptr);
        QCOMPARE(tab(), w.Entry("Orientation", 0));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        QCOMPARE(w.Selection("Orientation"), 1);
        QCOMPARE(tab(), w.Entry("gbResize", 0));
        QCOMPARE(tab(), w.Box("ebHpad"));
        QCOMPARE(tab(), w.Box("ebVpad"));
        QCOMPARE(tab(), w.Entry("SheetBackground", 0));
        QCOMPARE(tab(), w.Child<QCheckBox>("cbDedupeImages"));
        QCOMPARE(tab(), w.Child<QCheckBox>("cbRetina"));
        QCOMPARE(tab(), w.Child<QPushButton>("btnClose"));

        // The mnemonic presses the button the way a click does, shortly after.
        QTest::keyClick(w.dialog.windowHandle(), Qt::Key_C, Qt::AltModifier);
        QTRY_VERIFY(!w.dialog.isVisible());
        QCOMPARE(w.settings.Orientation, 1);
    }

    void packedLayoutIsOfferedAndReachedByItsMnemonic()
    {
        PrefsWindow w;
        w.dialog.ShowPrefs();
        QVERIFY(QTest::qWaitForWindowActive(&w.dialog));
        QRadioButton* packed = w.Entry("Orientation", 3);
        QCOMPARE(packed->text(), QString("&Packed"));
        QVERIFY(packed->isVisible());
        QTest::keyClick(w.dialog.windowHandle(), Qt::Key_P, Qt::AltModifier);
        QTRY_COMPARE(w.Selection("Orientation"), 3);
        QCOMPARE(QApplication::focusWidget(), packed);
        w.CloseButton();
        QCOMPARE(w.settings.Orientation, 3);

        // A stored packed layout is shown as such the next time.
        w.dialog.ShowPrefs();
        QCOMPARE(w.Selection("Orientation"), 3);
        if (qEnvironmentVariableIsSet("TESSOLO_SCREENSHOT_DIR"))
            w.dialog.grab().save(qEnvironmentVariable("TESSOLO_SCREENSHOT_DIR") +
                                 "/prefs-general-packed.png");
        w.CloseButton();
    }

    void sheetBackgroundIsPickedByItsMnemonicsAndStored()
    {
        PrefsWindow w;
        w.dialog.ShowPrefs();
        QVERIFY(QTest::qWaitForWindowActive(&w.dialog));
        QCOMPARE(w.Entry("SheetBackground", 0)->text(), QString("&White"));
        QCOMPARE(w.Entry("SheetBackground", 1)->text(), QString("&Transparent (PNG and GIF)"));
        QTest::keyClick(w.dialog.windowHandle(), Qt::Key_T, Qt::AltModifier);
        QTRY_COMPARE(w.Selection("SheetBackground"), 1);
        w.CloseButton();
        QCOMPARE(w.settings.SheetBackground, 1);

        w.dialog.ShowPrefs();
        QCOMPARE(w.Selection("SheetBackground"), 1);
        QTest::keyClick(w.dialog.windowHandle(), Qt::Key_W, Qt::AltModifier);
        QTRY_COMPARE(w.Selection("SheetBackground"), 0);
        w.CloseButton();
        QCOMPARE(w.settings.SheetBackground, 0);
    }

    void retinaBoxTogglesByMnemonicAndIsCommitted()
    {
        PrefsWindow w;
        w.dialog.ShowPrefs();
        QVERIFY(QTest::qWaitForWindowActive(&w.dialog));
        auto* retina = w.Child<QCheckBox>("cbRetina");
        QVERIFY(retina->isVisible());
        QVERIFY(!retina->isChecked());
        QTest::keyClick(w.dialog.windowHandle(), Qt::Key_D, Qt::AltModifier);
        QTRY_VERIFY(retina->isChecked());
        w.CloseButton();
        QCOMPARE(w.settings.Retina, 1);

        w.dialog.ShowPrefs();
        QVERIFY(retina->isChecked());
        QTest::keyClick(w.dialog.windowHandle(), Qt::Key_D, Qt::AltModifier);
        QTRY_VERIFY(!retina->isChecked());
        w.CloseButton();
        QCOMPARE(w.settings.Retina, 0);
    }

    void dedupeBoxTogglesByClickOrMnemonicAndIsCommitted()
    {
        PrefsWindow w;
        w.dialog.ShowPrefs();
        QVERIFY(QTest::qWaitForWindowActive(&w.dialog));
        auto* dedupe = w.Child<QCheckBox>("cbDedupeImages");
        QVERIFY(dedupe->isVisible());
        QCOMPARE(dedupe->text(), QString("Place &identical images once"));

        QTest::keyClick(w.dialog.windowHandle(), Qt::Key_I, Qt::AltModifier);
        QTRY_VERIFY(dedupe->isChecked());
        QCOMPARE(QApplication::focusWidget(), dedupe);
        w.CloseButton();
        QCOMPARE(w.settings.DedupeImages, 1);

        w.dialog.ShowPrefs();
        QVERIFY(dedupe->isChecked());
        QTest::mouseClick(dedupe, Qt::LeftButton, {}, QPoint(6, dedupe->height() / 2));
        QVERIFY(!dedupe->isChecked());
        w.Type("ebHpad", "bad");  // a bad number does not lose the box's value
        w.CloseButton();
        QCOMPARE(w.prompts.prompts.size(), size_t(1));
        QCOMPARE(w.settings.DedupeImages, 0);
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

    void webOptionsByMnemonicAreStoredAndShownAgain()
    {
        PrefsWindow w;
        w.settings.DataFormats = kDataLess;
        w.dialog.ShowPrefs();
        QVERIFY(QTest::qWaitForWindowActive(&w.dialog));
        w.ShowPage(5);
        QVERIFY(w.Child<QCheckBox>("cbLessData")->isChecked());
        QVERIFY(!w.Child<QCheckBox>("cbBaseRule")->isChecked());
        for (Qt::Key key : {Qt::Key_B, Qt::Key_S, Qt::Key_J, Qt::Key_P, Qt::Key_L})
            QTest::keyClick(w.dialog.windowHandle(), key, Qt::AltModifier);
        QTRY_VERIFY(w.Child<QCheckBox>("cbHtmlPreview")->isChecked());
        QTRY_VERIFY(!w.Child<QCheckBox>("cbLessData")->isChecked());
        w.CloseButton();
        QCOMPARE(w.settings.BaseRule, 1);
        QCOMPARE(w.settings.DataFormats, kDataScss | kDataJson);
        QCOMPARE(w.settings.HtmlPreview, 1);

        w.settings.BaseRule = 0;
        w.dialog.ShowPrefs();
        QVERIFY(!w.Child<QCheckBox>("cbBaseRule")->isChecked());
        QVERIFY(w.Child<QCheckBox>("cbJsonData")->isChecked());
    }

    void pngOptimizeBoxByMouseAndMnemonic()
    {
        PrefsWindow w;
        w.dialog.ShowPrefs();
        QVERIFY(QTest::qWaitForWindowActive(&w.dialog));
        w.ShowPage(2);
        auto* optimize = w.Child<QCheckBox>("PNG_Optimize");
        QVERIFY(optimize->isVisible());
        QVERIFY(!optimize->isChecked());
        QTest::keyClick(w.dialog.windowHandle(), Qt::Key_O, Qt::AltModifier);
        QTRY_VERIFY(optimize->isChecked());
        w.CloseButton();
        QCOMPARE(w.dialog.Records().PNGprefs, (TFormatPrefs{kOutputPng, 0, 1, 9, 9, 0}));

        w.dialog.ShowPrefs();
        QVERIFY(optimize->isChecked());
        QTest::mouseClick(optimize, Qt::LeftButton, {}, QPoint(6, optimize->height() / 2));
        QVERIFY(!optimize->isChecked());
        w.CloseButton();
        QCOMPARE(w.dialog.Records().PNGprefs, kDefaultPNGprefs);
    }

    void showingAgainOnlyBringsToFront()
    {
        PrefsWindow w;
        w.dialog.ShowPrefs();
        w.Type("ebHpad", "17");
        w.dialog.ShowPrefs();
        QCOMPARE(w.Box("ebHpad")->text(), QString("17"));
        QCOMPARE(w.settings.HorizontalPadding, 5);  // a build now sees the committed value
    }

    void showingWithoutSettingsIsRefused()
    {
        RecordingPrompts prompts;
        TPrefs dialog(prompts);
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
        const QStringList written = w.dialog.SavePageImages(folder);
        QCOMPARE(written.size(), 6);
        for (const QString& path : written) {
            QImage image(path);
            QCOMPARE(image.size(), w.dialog.size() * w.dialog.devicePixelRatio());
        }
        QVERIFY(written[0].endsWith("/prefs-general.png"));
    }

private:
    QTemporaryDir config_;
};

}  // namespace tessolo

QTEST_MAIN(tessolo::PrefsDialogTest)
#include "prefs_dialog_test.moc"
