#include "settings/dialog/prefs_dialog.h"

#include "codecs/bmp/bmp_codec.h"
#include "platform/error.h"
#include "settings/dialog/choice_group_box.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

namespace tessolo {

namespace {

// The window's size as designed, in pixels at the system's font size.
constexpr QSize kDesignSize(434, 327);
// Page titles and the "%" sign are drawn 13/11 the size of the dialog's font.
constexpr double kLargeFontScale = 13.0 / 11.0;

const QStringList kProgressiveEntries{"Non-P&rogressive Display", "&Progressive Display"};

QFont LargerFont(QFont font, bool bold = false)
{
    if (font.pointSizeF() > 0)
        font.setPointSizeF(font.pointSizeF() * kLargeFontScale);
    else
        font.setPixelSize(qRound(font.pixelSize() * kLargeFontScale));
    font.setBold(bold);
    return font;
}

QLabel* MakePageTitle(const QString& text)
{
    auto* title = new QLabel(text);
    title->setAlignment(Qt::AlignCenter);
    title->setFont(LargerFont(title->font()));
    return title;
}

// Keeps a widget at its natural width at the left of a row.
QHBoxLayout* LeftAligned(QWidget* widget)
{
    auto* row = new QHBoxLayout;
    row->addWidget(widget);
    row->addStretch();
    return row;
}

// "&4 bit", "&8 bit", "&16 bit", ...: Alt and the first digit picks each.
QStringList PixelFormatEntries()
{
    QStringList entries;
    for (const BmpPixelCodeInfo& choice : kBmpPixelCodes)
        entries << "&" + QString::number(BitsPerPixel(choice.format)) + " bit";
    return entries;
}

// A caption whose mnemonic moves the focus to `buddy`.
QLabel* Caption(const QString& text, QWidget* buddy)
{
    auto* label = new QLabel(text);
    label->setBuddy(buddy);
    return label;
}

}  // namespace

TPrefs::TPrefs(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setObjectName("Prefs");
    setWindowTitle("Preferences");

    pages_ = new QTabWidget(this);
    // Alt and a tab's letter shows its page; no control on a page takes
    // one of these letters.
    pages_->addTab(MakeGeneralPage(), "&General");
    pages_->addTab(MakeJpegPage(), "&JPEG");
    pages_->addTab(MakePngPage(), "P&NG");
    pages_->addTab(MakeGifPage(), "G&IF");
    pages_->addTab(MakeBmpPage(), "B&MP");
    pages_->addTab(MakeModernFormatsPage(), "WebP/AVI&F");
    pages_->addTab(MakeWebPage(), "We&b");

    btnClose = new QPushButton("&Close", this);
    btnClose->setObjectName("btnClose");
    // Enter belongs to the quality boxes, so no button is pressed by it.
    btnClose->setAutoDefault(false);
    connect(btnClose, &QPushButton::clicked, this, &TPrefs::btnCloseClick);

    auto* closeRow = new QHBoxLayout;
    closeRow->addStretch();
    closeRow->addWidget(btnClose);
    auto* window = new QVBoxLayout(this);
    window->addWidget(pages_, 1);
    window->addLayout(closeRow);

    ShowModel();
    resize(kDesignSize.expandedTo(sizeHint()));
}

QWidget* TPrefs::MakeGeneralPage()
{
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);

    grid->addWidget(MakeChoiceGroup("Orientation", "Sprite Orientation",
                                    {"&Horizontal", "&Vertical", "G&rid", "&Packed"},
                                    model_.Orientation),
                    0, 0);
    grid->addWidget(MakeChoiceGroup("gbResize", "Image Resizing",
                                    {"&Do not resize images",
                                     "Resize images proportionall&y by percentage",
                                     "Resize images to &specific dimensions"},
                                    model_.gbResize, &TPrefs::gbResizeClick),
                    0, 1);

    grid->addWidget(MakeProportionalGroup(), 1, 0);
    grid->addWidget(MakeExactGroup(), 1, 1);
    // The padding group stays in place whichever resize box is shown.
    for (QGroupBox* box : {gbResizeProportionally, gbResizeExactly}) {
        QSizePolicy policy = box->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        box->setSizePolicy(policy);
    }
    grid->addWidget(MakePaddingGroup(), 2, 0, 1, 2);

    // Transparency needs a PNG, GIF, WebP or AVIF sheet; the build tells when it is refused.
    grid->addWidget(MakeChoiceGroup("SheetBackground", "Sheet Background",
                                    {"Whi&te", "Tr&ansparent (PNG, GIF, WebP, AVIF)"},
                                    model_.SheetBackground),
                    3, 0);
    QCheckBox* dedupe = MakeCheckBox("cbDedupeImages", "Place identical images &once",
                                     model_.cbDedupeImages);
    dedupe->setToolTip("Images with the same size and pixels share one place on the sheet; "
                       "each keeps its own CSS rule.");
    grid->addWidget(dedupe, 4, 0, 1, 2);
    QCheckBox* retina = MakeCheckBox(
        "cbRetina", "Sources are do&uble size: also write a half-size sheet (NAME@2x and NAME)",
        model_.cbRetina);
    retina->setToolTip("The sources as they are become NAME@2x; the stylesheet shows the "
                       "half-size sheet and switches high-density screens to the big one.");
    grid->addWidget(retina, 5, 0, 1, 2);
    grid->addLayout(MakeSheetLimitRow(), 6, 0, 1, 2);

    grid->setColumnStretch(1, 1);
    grid->setRowStretch(7, 1);
    return page;
}

QGroupBox* TPrefs::MakeProportionalGroup()
{
    gbResizeProportionally = new QGroupBox("Resize Proportionally");
    gbResizeProportionally->setObjectName("gbResizeProportionally");
    auto* proportional = new QGridLayout(gbResizeProportionally);
    auto* percent = new QLabel("%");
    percent->setFont(LargerFont(percent->font(), true));
    QSpinBox* percentage = MakeNumberBox("ebProportionalResize", model_.ebProportionalResize);
    proportional->addWidget(new QLabel("to"), 0, 0);
    proportional->addWidget(percentage, 0, 1);
    proportional->addWidget(percent, 0, 2);
    proportional->addWidget(Caption("of source image size, aspect ratio &kept", percentage), 1, 0,
                            1, 4);
    proportional->setColumnStretch(3, 1);
    proportional->setRowStretch(2, 1);
    return gbResizeProportionally;
}

QGroupBox* TPrefs::MakeExactGroup()
{
    gbResizeExactly = new QGroupBox("Resize Exactly");
    gbResizeExactly->setObjectName("gbResizeExactly");
    auto* exactly = new QGridLayout(gbResizeExactly);
    QSpinBox* width = MakeNumberBox("ebSetWidth", model_.ebSetWidth);
    QSpinBox* height = MakeNumberBox("ebSetHeight", model_.ebSetHeight);
    exactly->addWidget(Caption("Set source image &width to:", width), 0, 0);
    exactly->addWidget(width, 0, 1);
    exactly->addWidget(Caption("Set source image h&eight to:", height), 1, 0);
    exactly->addWidget(height, 1, 1);
    exactly->setColumnStretch(2, 1);
    exactly->setRowStretch(2, 1);
    return gbResizeExactly;
}

QGroupBox* TPrefs::MakePaddingGroup()
{
    auto* padding = new QGroupBox("Sprite Sheet Image Padding");
    auto* paddingRow = new QHBoxLayout(padding);
    QSpinBox* hpad = MakeNumberBox("ebHpad", model_.ebHpad);
    QSpinBox* vpad = MakeNumberBox("ebVpad", model_.ebVpad);
    paddingRow->addWidget(Caption("Hori&zontal Padding", hpad));
    paddingRow->addWidget(hpad);
    paddingRow->addSpacing(24);
    paddingRow->addWidget(Caption("Vertica&l Padding", vpad));
    paddingRow->addWidget(vpad);
    paddingRow->addStretch();
    return padding;
}

QHBoxLayout* TPrefs::MakeSheetLimitRow()
{
    auto* row = new QHBoxLayout;
    QLineEdit* size = MakeTextBox("edMaxSheetSize", model_.edMaxSheetSize);
    size->setValidator(new QRegularExpressionValidator(QRegularExpression("\\d{0,5}(x\\d{0,5})?"),
                                                       size));
    size->setPlaceholderText("no limit; e.g. 4096x4096");
    size->setToolTip("Images that do not fit one sheet of this size go on numbered sheets, "
                     "NAME-1, NAME-2, ...; many phones cannot draw larger sheets.");
    row->addWidget(Caption("Ma&x sheet size (pixels):", size));
    row->addWidget(size);
    row->addStretch();
    return row;
}

QWidget* TPrefs::MakeJpegPage()
{
    auto* page = new QWidget;
    auto* column = new QVBoxLayout(page);
    column->addWidget(MakePageTitle("Options for JPEG images"));

    column->addLayout(LeftAligned(MakeChoiceGroup("JPEG_Progressive", "JPG Progressive Display",
                                                  kProgressiveEntries, model_.JPEG_Progressive,
                                                  &TPrefs::JPEG_ProgressiveClick)));

    // Carries the record's smoothing flag; the option has no effect on the
    // written file, so the box is never shown.
    JPEG_Smoothing = new QCheckBox("Use Smoothing", page);
    JPEG_Smoothing->setObjectName("JPEG_Smoothing");
    JPEG_Smoothing->hide();

    auto* quality = new QGroupBox("JPEG Quality");
    auto* qualityColumn = new QVBoxLayout(quality);
    AddQualityBox(*qualityColumn, "ebJPEGQuality", model_.JPEG_Quality);
    qualityColumn->addWidget(
        MakeQualitySlider("JPEG_Quality", model_.JPEG_Quality, &TPrefs::JPEG_QualityChange));
    column->addWidget(quality);
    column->addStretch();
    return page;
}

QWidget* TPrefs::MakePngPage()
{
    auto* page = new QWidget;
    auto* column = new QVBoxLayout(page);
    column->addWidget(MakePageTitle("Options for Portable Network Graphic images"));
    column->addLayout(LeftAligned(MakeChoiceGroup("PNG_Progressive", "PNG Progressive Display",
                                                  kProgressiveEntries, model_.PNG_Progressive)));

    auto* level = new QGroupBox("PNG Compression Level 0 - 9");
    auto* levelColumn = new QVBoxLayout(level);
    AddQualityBox(*levelColumn, "ebPNGQuality", model_.PNG_Quality);
    auto* ends = new QHBoxLayout;
    ends->addWidget(new QLabel("Faster"));
    ends->addStretch();
    ends->addWidget(new QLabel("Better Quality"));
    levelColumn->addLayout(ends);
    QSlider* slider =
        MakeQualitySlider("PNG_Quality", model_.PNG_Quality, &TPrefs::PNG_QualityChange);
    slider->setPageStep(1);
    levelColumn->addWidget(slider);
    column->addWidget(level);

    PNG_Optimize = new QCheckBox("&Optimize file size (same pixels, slower to write)");
    PNG_Optimize->setObjectName("PNG_Optimize");
    connect(PNG_Optimize, &QCheckBox::clicked, this, &TPrefs::PNG_OptimizeClick);
    column->addWidget(PNG_Optimize);

    auto* palette = new QHBoxLayout;
    QSpinBox* colors = MakeNumberBox("ebPngColors", model_.ebPngColors);
    palette->addWidget(Caption("&Lossy palette of at most (0: exact colours):", colors));
    palette->addWidget(colors);
    palette->addWidget(new QLabel("colours"));
    palette->addStretch();
    column->addLayout(palette);
    column->addWidget(
        MakeCheckBox("cbPngDither", "&Dither the palette (Floyd-Steinberg)", model_.cbPngDither));
    column->addStretch();
    return page;
}

QWidget* TPrefs::MakeGifPage()
{
    auto* page = new QWidget;
    auto* column = new QVBoxLayout(page);
    column->addWidget(MakePageTitle("Options for Graphics Interchange Format images"));
    column->addLayout(LeftAligned(MakeChoiceGroup("GIF_CompressionType", "GIF Compression Type",
                                                  {"&LZW Compression", "&RLE Compression"},
                                                  model_.GIF_CompressionType)));
    column->addWidget(MakeCheckBox("cbGifQuantizer",
                                   "&Quantizer: the 256 colours that suit the sheet, not the web palette",
                                   model_.cbGifQuantizer));
    column->addStretch();
    return page;
}

QWidget* TPrefs::MakeBmpPage()
{
    auto* page = new QWidget;
    auto* column = new QVBoxLayout(page);
    column->addWidget(MakePageTitle("Options for Bitmap images"));
    column->addLayout(LeftAligned(MakeChoiceGroup("BMP_PixelFormat", "Pixel Format",
                                                  PixelFormatEntries(), model_.BMP_PixelFormat)));
    column->addStretch();
    return page;
}

QWidget* TPrefs::MakeModernFormatsPage()
{
    auto* page = new QWidget;
    auto* column = new QVBoxLayout(page);
    column->addWidget(MakePageTitle("Options for WebP and AVIF images"));
    auto* form = new QGridLayout;
    QSpinBox* webp = MakeNumberBox("ebWebpQuality", model_.ebWebpQuality);
    form->addWidget(Caption("WebP &quality (0: lossless, every pixel exact):", webp), 0, 0);
    form->addWidget(webp, 0, 1);
    QSpinBox* avif = MakeNumberBox("ebAvifQuality", model_.ebAvifQuality);
    form->addWidget(Caption("&AVIF quality (100: lossless colours):", avif), 1, 0);
    form->addWidget(avif, 1, 1);
    form->setColumnStretch(2, 1);
    column->addLayout(form);
    column->addWidget(new QLabel("Both keep the alpha of a transparent sheet exactly."));
    // The rules offer every type through image-set(); browsers take the best they can decode.
    auto* also = new QGroupBox("Also write the sheet as");
    auto* alsoRow = new QHBoxLayout(also);
    alsoRow->addWidget(MakeCheckBox("cbAlsoAvif", "A&VIF", model_.cbAlsoAvif));
    alsoRow->addWidget(MakeCheckBox("cbAlsoWebp", "&WebP", model_.cbAlsoWebp));
    alsoRow->addWidget(MakeCheckBox("cbAlsoPng", "&PNG", model_.cbAlsoPng));
    alsoRow->addWidget(MakeCheckBox("cbAlsoJpeg", "JP&EG", model_.cbAlsoJpeg));
    alsoRow->addStretch();
    column->addWidget(also);
    column->addWidget(new QLabel("The stylesheet offers every type; each browser shows the best it can read."));
    column->addStretch();
    return page;
}

QWidget* TPrefs::MakeWebPage()
{
    auto* page = new QWidget;
    auto* column = new QVBoxLayout(page);
    column->addWidget(MakePageTitle("Options for web pages"));

    auto* stylesheet = new QGroupBox("Stylesheet");
    auto* stylesheetColumn = new QVBoxLayout(stylesheet);
    stylesheetColumn->addWidget(MakeCheckBox(
        "cbBaseRule", "Begin with a base &rule that shows the sheet for the class itself",
        model_.cbBaseRule));
    stylesheetColumn->addWidget(MakeCheckBox(
        "cbPseudoClasses", "S&tate rules: NAME_hover also for NAME:hover, and so on",
        model_.cbPseudoClasses));
    stylesheetColumn->addWidget(MakeCheckBox(
        "cbPercentUnits", "Scalable rules: places and sizes in perc&ent",
        model_.cbPercentUnits));
    column->addWidget(stylesheet);

    auto* data = new QGroupBox("Data files beside the stylesheet");
    auto* dataColumn = new QVBoxLayout(data);
    dataColumn->addWidget(MakeCheckBox("cbScssData", "&SCSS variables and mixins", model_.cbScssData));
    dataColumn->addWidget(MakeCheckBox("cbLessData", "&LESS variables and mixins", model_.cbLessData));
    dataColumn->addWidget(MakeCheckBox("cbJsonData", "JS&ON frame data", model_.cbJsonData));
    column->addWidget(data);

    column->addWidget(MakeCheckBox("cbHtmlPreview",
                                   "HTML &preview page that shows every image by its classes",
                                   model_.cbHtmlPreview));
    column->addWidget(MakePlacesGroup());
    column->addStretch();
    return page;
}

QGroupBox* TPrefs::MakePlacesGroup()
{
    auto* places = new QGroupBox("Where the files go (empty: the image folder)");
    auto* form = new QFormLayout(places);
    QLineEdit* sheets = MakeTextBox("edSheetFolder", model_.edSheetFolder);
    form->addRow(Caption("S&heet folder:", sheets), sheets);
    QLineEdit* styles = MakeTextBox("edStylesheetFolder", model_.edStylesheetFolder);
    styles->setPlaceholderText("the sheet folder");
    form->addRow(Caption("St&ylesheet folder:", styles), styles);
    QLineEdit* url = MakeTextBox("edSheetUrl", model_.edSheetUrl);
    url->setPlaceholderText("the sheet's path from the stylesheet");
    form->addRow(Caption("Sheet &URL:", url), url);
    QLineEdit* templates = MakeTextBox("edTemplates", model_.edTemplates);
    templates->setPlaceholderText("none; e.g. sprite.styl.mustache");
    form->addRow(Caption("Templ&ates:", templates), templates);
    form->addRow(MakeCheckBox("cbCacheBust", "Add the sheet's &version hash to its URL",
                              model_.cbCacheBust));
    return places;
}

QLineEdit* TPrefs::MakeTextBox(const char* name, std::string& field)
{
    auto* box = new QLineEdit;
    box->setObjectName(name);
    connect(box, &QLineEdit::textEdited, this,
            [&field](const QString& text) { field = text.toStdString(); });
    textBoxes_.emplace_back(box, &field);
    return box;
}

QCheckBox* TPrefs::MakeCheckBox(const char* name, const QString& text, bool& field)
{
    auto* box = new QCheckBox(text);
    box->setObjectName(name);
    connect(box, &QCheckBox::toggled, this, [&field](bool checked) { field = checked; });
    checkBoxes_.emplace_back(box, &field);
    return box;
}

QSpinBox* TPrefs::MakeNumberBox(const char* name, NumberSetting& number)
{
    auto* box = new QSpinBox;
    box->setObjectName(name);
    box->setRange(number.Range().min, number.Range().max);
    box->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    // The number is taken by Enter, the arrows or leaving the box, not at
    // each digit; hiding the dialog takes what is typed.
    box->setKeyboardTracking(false);
    connect(box, &QSpinBox::valueChanged, this,
            [this, &number](int value) { NumberChange(number, value); });
    numberBoxes_.emplace_back(box, &number);
    return box;
}

QSpinBox* TPrefs::AddQualityBox(QVBoxLayout& column, const char* name, NumberSetting& quality)
{
    auto* row = new QHBoxLayout;
    QSpinBox* box = MakeNumberBox(name, quality);
    row->addWidget(Caption("&Quality: ", box));
    row->addWidget(box);
    row->addStretch();
    column.addLayout(row);
    return box;
}

QSlider* TPrefs::MakeQualitySlider(const char* name, NumberSetting& quality,
                                  void (TPrefs::*change)(int))
{
    auto* slider = new QSlider(Qt::Horizontal);
    slider->setObjectName(name);
    slider->setRange(quality.Range().min, quality.Range().max);
    slider->setTickInterval(1);
    slider->setTickPosition(QSlider::TicksBelow);
    connect(slider, &QSlider::valueChanged, this, change);
    sliders_.emplace_back(slider, &quality);
    return slider;
}

ChoiceGroupBox* TPrefs::MakeChoiceGroup(const char* name, const QString& title,
                                        const QStringList& entries, ChoiceGroup& group,
                                        void (TPrefs::*click)(ChoiceGroup&, int))
{
    auto* box = new ChoiceGroupBox(title, entries);
    box->setObjectName(name);
    connect(box, &ChoiceGroupBox::Clicked, this,
            [this, &group, click](int index) { (this->*click)(group, index); });
    choiceGroups_.emplace_back(box, &group);
    return box;
}

void TPrefs::ShowPrefs()
{
    if (settings_ == nullptr)
        throw Error("The preferences have no settings to edit");
    if (isVisible()) {
        raise();
        activateWindow();
    } else {
        show();
    }
}

QStringList TPrefs::SavePageImages(const QString& folder, const QString& suffix)
{
    ShowPrefs();
    const int shownPage = pages_->currentIndex();
    QStringList written;
    for (int page = 0; page < pages_->count(); ++page) {
        pages_->setCurrentIndex(page);
        const QString name = pages_->tabText(page).remove('&').replace('/', '-').toLower();
        const QString path = folder + "/prefs-" + name + suffix + ".png";
        if (!grab().save(path))
            throw FileCreateError(path.toStdString(), "the image could not be written");
        written << path;
    }
    pages_->setCurrentIndex(shownPage);
    return written;
}

void TPrefs::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TPrefs::hideEvent(QHideEvent* event)
{
    QDialog::hideEvent(event);
    if (!event->spontaneous())
        FormHide();
}

void TPrefs::FormShow()
{
    if (settings_ != nullptr)
        model_.CopyIn(*settings_, records_);
    ShowModel();
    btnClose->setFocus();
}

void TPrefs::FormHide()
{
    // A number typed without Enter is taken as the box shows it.
    for (auto [box, number] : numberBoxes_)
        box->interpretText();
    if (settings_ != nullptr)
        model_.Commit(*settings_, records_);
}

void TPrefs::btnCloseClick() { hide(); }

void TPrefs::JPEG_QualityChange(int position) { NumberChange(model_.JPEG_Quality, position); }

void TPrefs::PNG_QualityChange(int position) { NumberChange(model_.PNG_Quality, position); }

// Showing the model enables "Use Smoothing" for progressive display only.
void TPrefs::JPEG_ProgressiveClick(ChoiceGroup& group, int index) { ChoiceClick(group, index); }

void TPrefs::PNG_OptimizeClick(bool checked)
{
    model_.PNG_Optimize = checked;
    ShowModel();
}

// Showing the model shows the group box of the chosen way of resizing.
void TPrefs::gbResizeClick(ChoiceGroup& group, int index) { ChoiceClick(group, index); }

void TPrefs::ChoiceClick(ChoiceGroup& group, int index)
{
    group.SetSelection(index);
    ShowModel();
}

void TPrefs::NumberChange(NumberSetting& number, int value)
{
    number.Set(value);
    ShowModel();
}

void TPrefs::ShowModel()
{
    for (auto [box, group] : choiceGroups_)
        box->SetSelection(group->Selection());
    // A box that shows its number already keeps any digits typed since.
    for (auto [box, number] : numberBoxes_)
        if (box->value() != number->Value()) {
            const QSignalBlocker quiet(box);
            box->setValue(number->Value());
        }
    for (auto [slider, quality] : sliders_) {
        const QSignalBlocker quiet(slider);
        slider->setValue(quality->Value());
    }
    for (auto [box, checked] : checkBoxes_) {
        const QSignalBlocker quiet(box);
        box->setChecked(*checked);
    }
    for (auto [box, text] : textBoxes_)
        if (box->text().toStdString() != *text)
            box->setText(QString::fromStdString(*text));
    JPEG_Smoothing->setChecked(model_.JPEG_Smoothing);
    JPEG_Smoothing->setEnabled(model_.JPEG_SmoothingEnabled());
    PNG_Optimize->setChecked(model_.PNG_Optimize);
    gbResizeProportionally->setVisible(model_.gbResizeProportionallyVisible());
    gbResizeExactly->setVisible(model_.gbResizeExactlyVisible());
}

}  // namespace tessolo
