#include "app/window_build_observer.h"

#include "app/bitmap_image.h"
#include "app/spriteview.h"
#include "platform/error.h"
#include "platform/printable_text.h"

#include <QCoreApplication>
#include <QListWidget>
#include <QProgressBar>

namespace tessolo {

namespace {

constexpr qint64 kRepaintIntervalMs = 50;

}  // namespace

WindowBuildObserver::WindowBuildObserver(QListWidget& outputList, QProgressBar& progress,
                                         TSpriteView& viewer, UserPrompts& prompts, int imageCount)
    : outputList_(outputList), progress_(progress), viewer_(viewer), prompts_(prompts)
{
    progress_.setRange(0, imageCount);
    progress_.setValue(0);
    sinceRepaint_.start();
}

void WindowBuildObserver::ValidationFailed(const std::string& message)
{
    prompts_.Show(kBuildMessageCaption, PrintableText(message), PromptIcon::None);
}

void WindowBuildObserver::CannotOpen(const std::string& message)
{
    prompts_.Show(kBuildMessageCaption, PrintableText(message), PromptIcon::None);
}

void WindowBuildObserver::ErrorReport(const std::string& message)
{
    RepaintNow(true);
    prompts_.Show("Tessolo", PrintableText(ErrorReportText(message)), PromptIcon::Error);
}

void WindowBuildObserver::ListCleared()
{
    outputList_.clear();
    RepaintNow(true);
}

void WindowBuildObserver::LineWritten(const std::string& line)
{
    outputList_.addItem(QString::fromStdString(PrintableText(line)));
    CountImage();
}

void WindowBuildObserver::Remark(const std::string& message)
{
    outputList_.addItem(QString::fromStdString(PrintableText(message)));
    RepaintNow(false);
}

void WindowBuildObserver::SourceSkipped(const std::string&) { CountImage(); }

void WindowBuildObserver::ImagePlaced(const PlacedImage& image, const std::string& rule,
                                      int scale)
{
    const QRect box(image.x, image.y, image.width, image.height);
    placed_.push_back({QString::fromStdString(PrintableText(image.fileName)),
                       QString::fromStdString(PrintableText(image.className.selector)),
                       QString::fromStdString(rule), box,
                       QRect(box.topLeft() * scale, box.size() * scale)});
    sheetScale_ = scale;
}

void WindowBuildObserver::SheetFinished(const Bitmap& sheet)
{
    RepaintNow(true);
    viewer_.ShowSheet(ToQImage(sheet), std::move(placed_), sheetScale_);
}

void WindowBuildObserver::SheetWritten(const std::string& path) { viewer_.SetSheetFile(path); }

void WindowBuildObserver::CountImage()
{
    ++imagesDone_;
    RepaintNow(false);
}

void WindowBuildObserver::RepaintNow(bool force)
{
    if (!force && sinceRepaint_.elapsed() < kRepaintIntervalMs)
        return;
    // The bar repaints itself at once on every new value, so it only gets one here.
    progress_.setValue(imagesDone_);
    outputList_.scrollToBottom();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    sinceRepaint_.restart();
}

}  // namespace tessolo
