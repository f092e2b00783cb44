#include "app/spriteview.h"

#include "app/window_placement.h"
#include "info/desktop_services.h"
#include "platform/printable_text.h"
#include "platform/text_list.h"
#include "settings/settings_store.h"
#include "sprite/high_density.h"

#include <QApplication>
#include <QButtonGroup>
#include <QClipboard>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <QWindow>

#include <algorithm>
#include <filesystem>

namespace tessolo {

namespace {

struct ZoomChoice {
    int zoom;
    const char* text;  // UTF-8
    const char* tip;
};

// Fit, then the zoom factors, in the order Ctrl++ steps through them.
constexpr ZoomChoice kZoomChoices[] = {
    {0, "&Fit", "Shrink a large sheet to the window (Ctrl+0)"},
    {1, "&1:1", "Actual pixels (Ctrl+1)"},
    {2, "&2\u00d7", "Twice the size (Ctrl++)"},
    {4, "&4\u00d7", "Four times the size (Ctrl++)"},
};

const char* const kPointingHint =
    "Point at an image for its file, class and place; click it to copy its CSS rule.";

QString Printable(const std::string& text) { return QString::fromStdString(PrintableText(text)); }

// The file name of a path, and its folder ("" for a bare name).
std::string FileNameOf(const std::string& path) { return path.substr(path.rfind('/') + 1); }
std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return path.substr(0, std::max<std::size_t>(slash, 1));
}

// "sprite.png" of a build at scale 2 is drawn as "sprite@2x.png".
std::string DenseSheetPath(const std::string& path, int scale)
{
    const std::size_t dot = path.rfind('.');
    return path.substr(0, dot) + ScaleSuffix(scale) + path.substr(dot);
}

QString SizeText(const QSize& size)
{
    return QString("%1 \u00d7 %2").arg(size.width()).arg(size.height());
}

QString Describe(const SheetImage& image)
{
    return QString("%1, class %2, at %3, %4, %5 pixels")
        .arg(image.fileName, image.selector)
        .arg(image.cssBox.x())
        .arg(image.cssBox.y())
        .arg(SizeText(image.cssBox.size()));
}

}  // namespace

TSpriteView::TSpriteView(OrvaneRegistry& settings, DesktopServices& desktop,
                         const QWidget* mainWindow)
    : QWidget(nullptr, Qt::Window), settings_(settings), desktop_(desktop), mainWindow_(mainWindow)
{
    setWindowTitle("Sprite Results (Sized for Viewing)");

    scroll_ = new QScrollArea;
    scroll_->setWidgetResizable(false);
    canvas_ = new SheetCanvas;
    scroll_->setWidget(canvas_);
    scroll_->viewport()->installEventFilter(this);
    canvas_->installEventFilter(this);
    canvas_->hovered = [this](const std::vector<std::size_t>& images) { ShowPointed(images); };
    canvas_->clicked = [this](const std::vector<std::size_t>& images) { CopyRules(images); };

    // The two lines of text may be cut in a narrow window rather than widen it.
    pointed_ = new QLabel(kPointingHint);
    pointed_->setObjectName("pointedImage");
    facts_ = new QLabel;
    facts_->setObjectName("sheetFacts");
    for (QLabel* line : {pointed_, facts_}) {
        line->setTextInteractionFlags(Qt::TextSelectableByMouse);
        line->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    }

    zooms_ = new QButtonGroup(this);
    auto* bar = new QHBoxLayout;
    bar->addWidget(facts_, 1);
    for (const ZoomChoice& choice : kZoomChoices) {
        auto* button = new QToolButton;
        button->setText(QString::fromUtf8(choice.text));
        button->setCheckable(true);
        button->setToolTip(choice.tip);
        button->setObjectName(QString("zoom%1").arg(choice.zoom));
        zooms_->addButton(button, choice.zoom);
        bar->addWidget(button);
    }
    zooms_->button(0)->setChecked(true);
    connect(zooms_, &QButtonGroup::idClicked, this, &TSpriteView::SetZoom);
    openFolder_ = new QPushButton("&Open Folder");
    openFolder_->setObjectName("openFolder");
    openFolder_->setToolTip("Open the folder of the sheet with the desktop's file manager");
    openFolder_->setEnabled(false);
    connect(openFolder_, &QPushButton::clicked, this, &TSpriteView::OpenFolderClick);
    bar->addSpacing(12);
    bar->addWidget(openFolder_);

    auto* column = new QVBoxLayout(this);
    column->addWidget(scroll_, 1);
    column->addWidget(pointed_);
    column->addLayout(bar);

    CreateShortcuts();
    resize(800, 600);
}

void TSpriteView::CreateShortcuts()
{
    auto add = [this](const QList<QKeySequence>& keys, auto action) {
        auto* shortcut = new QShortcut(this);
        shortcut->setKeys(keys);
        connect(shortcut, &QShortcut::activated, this, action);
    };
    auto centre = [this] { return scroll_->viewport()->rect().center(); };
    add({QKeySequence(Qt::CTRL | Qt::Key_0)}, [this] { SetZoom(0); });
    add({QKeySequence(Qt::CTRL | Qt::Key_1)}, [this] { SetZoom(1); });
    // Ctrl+= is Ctrl++ without Shift on keyboards where "+" is shifted "=".
    add(QKeySequence::keyBindings(QKeySequence::ZoomIn) << QKeySequence(Qt::CTRL | Qt::Key_Equal),
        [this, centre] { StepZoom(+1, centre()); });
    add(QKeySequence::keyBindings(QKeySequence::ZoomOut),
        [this, centre] { StepZoom(-1, centre()); });
}

void TSpriteView::ShowSheet(const QImage& sheet, std::vector<SheetImage> images, int scale)
{
    scale_ = scale;
    sheetPath_.clear();
    canvas_->SetSheet(sheet, std::move(images));
    SetZoom(canvas_->CanZoom(Zoom()) ? Zoom() : 0);
    openFolder_->setEnabled(false);
    ShowFacts();
    ShowPointed({});
    const bool wasHidden = !isVisible();
    if (wasHidden)
        Place();
    show();
    raise();
    // A visible viewer leaves the keyboard where the user is typing.
    if (wasHidden)
        activateWindow();
}

void TSpriteView::SetSheetFile(const std::string& path)
{
    sheetPath_ = path;
    openFolder_->setEnabled(true);
    ShowFacts();
}

QRect TSpriteView::SheetRect() const
{
    return canvas_->SheetRect().translated(canvas_->mapTo(this, QPoint(0, 0)));
}

void TSpriteView::SetZoom(int zoom) { ZoomAround(zoom, scroll_->viewport()->rect().center()); }

void TSpriteView::StepZoom(int direction, const QPoint& anchor)
{
    const std::ptrdiff_t count = std::ssize(kZoomChoices);
    std::ptrdiff_t at = std::ranges::find(kZoomChoices, Zoom(), &ZoomChoice::zoom) - kZoomChoices;
    for (at += direction; at >= 0 && at < count; at += direction) {
        if (canvas_->CanZoom(kZoomChoices[at].zoom)) {
            ZoomAround(kZoomChoices[at].zoom, anchor);
            return;
        }
    }
}

void TSpriteView::ZoomAround(int zoom, const QPoint& anchor)
{
    const QRect before = canvas_->SheetRect();
    const QPoint pointed = canvas_->mapFrom(scroll_->viewport(), anchor) - before.topLeft();
    auto share = [](int offset, int length) {
        return length > 0 ? std::clamp(double(offset) / length, 0.0, 1.0) : 0.5;
    };
    const double shareX = share(pointed.x(), before.width());
    const double shareY = share(pointed.y(), before.height());
    canvas_->SetZoom(zoom);
    SizeCanvas();
    const QRect after = canvas_->SheetRect();
    scroll_->horizontalScrollBar()->setValue(after.x() + int(shareX * after.width()) - anchor.x());
    scroll_->verticalScrollBar()->setValue(after.y() + int(shareY * after.height()) - anchor.y());
    if (QAbstractButton* button = zooms_->button(zoom))
        button->setChecked(true);
}

void TSpriteView::SizeCanvas() { canvas_->resize(canvas_->SizeIn(scroll_->viewport()->size())); }

void TSpriteView::Place()
{
    // Until the window manager frames this window, the main window's frame
    // is the best guess of its frame.
    QMargins frame;
    if (mainWindow_ && mainWindow_->windowHandle())
        frame = mainWindow_->windowHandle()->frameMargins();
    if (isVisible() && windowHandle())
        frame = windowHandle()->frameMargins();
    QRect wanted = geometry();
    if (!placed_) {
        const QRect stored = StoredBox(settings_.ViewerGeometry);
        if (!stored.isEmpty())
            wanted = stored;
        else if (mainWindow_ && mainWindow_->isVisible())
            wanted = BesideWindow(mainWindow_->frameGeometry(), size(), frame,
                                  mainWindow_->screen()->availableGeometry());
        placed_ = true;
    }
    wanted.setSize(wanted.size().expandedTo(minimumSizeHint()));
    const QScreen* screen = QGuiApplication::screenAt(wanted.center());
    if (!screen)
        screen = mainWindow_ ? mainWindow_->screen() : QGuiApplication::primaryScreen();
    setGeometry(FitIntoArea(wanted, frame, screen->availableGeometry()));
}

void TSpriteView::StoreGeometry()
{
    if (!isVisible() || isMinimized())
        return;
    settings_.ViewerGeometry = StoredBoxText(*this);
}

void TSpriteView::ShowPointed(const std::vector<std::size_t>& images)
{
    if (images.empty()) {
        pointed_->setText(kPointingHint);
        return;
    }
    QStringList descriptions;
    for (std::size_t index : images)
        descriptions << Describe(Images()[index]);
    pointed_->setText(descriptions.join("; ") + (images.size() == 1
                                                     ? ". Click to copy its CSS rule."
                                                     : ". Click to copy their CSS rules."));
}

void TSpriteView::CopyRules(const std::vector<std::size_t>& images)
{
    if (images.empty())
        return;
    QStringList rules;
    std::vector<std::string> selectors;
    for (std::size_t index : images) {
        rules << Images()[index].rule;
        selectors.push_back(Images()[index].selector.toStdString());
    }
    QApplication::clipboard()->setText(rules.join("\n"));
    pointed_->setText(QString("Copied the CSS %1 of %2 to the clipboard.")
                          .arg(images.size() == 1 ? "rule" : "rules")
                          .arg(QString::fromStdString(JoinAlternatives(selectors, " and "))));
}

void TSpriteView::ShowFacts()
{
    if (Sheet().isNull()) {
        facts_->clear();
        return;
    }
    QString text = SizeText(Sheet().size()) + " pixels";
    if (scale_ == 2)
        text += ", double size";
    else if (scale_ > 2)
        text += QString(", %1 times the size").arg(scale_);
    if (!sheetPath_.empty()) {
        const std::string shown = DenseSheetPath(sheetPath_, scale_);
        std::error_code error;
        const std::uintmax_t bytes = std::filesystem::file_size(shown, error);
        text += " \u00b7 " + Printable(FileNameOf(shown));
        if (!error)
            text += ", " + QLocale().formattedDataSize(qint64(bytes), 1,
                                                       QLocale::DataSizeTraditionalFormat);
    }
    facts_->setText(text);
}

void TSpriteView::OpenFolderClick()
{
    if (!sheetPath_.empty())
        desktop_.OpenFile(FolderOf(sheetPath_));
}

void TSpriteView::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    StoreGeometry();
}

void TSpriteView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    StoreGeometry();
}

bool TSpriteView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == scroll_->viewport() && event->type() == QEvent::Resize) {
        SizeCanvas();
    } else if (watched == canvas_ && event->type() == QEvent::Wheel) {
        auto* wheel = static_cast<QWheelEvent*>(event);
        if (wheel->modifiers() & Qt::ControlModifier) {
            if (int turn = wheel->angleDelta().y(); turn != 0)
                StepZoom(turn > 0 ? +1 : -1,
                         canvas_->mapTo(scroll_->viewport(), wheel->position().toPoint()));
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace tessolo
