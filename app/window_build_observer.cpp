#include "app/window_build_observer.h"

#include "app/bitmap_image.h"
#include "platform/error.h"
#include "platform/printable_text.h"
#include "platform/user_prompts.h"

namespace tessolo {

namespace {

QString Shown(const std::string& text) { return QString::fromStdString(PrintableText(text)); }

}  // namespace

void WindowBuildObserver::Reset()
{
    std::lock_guard lock(mutex_);
    pending_ = {};
    signalled_ = false;
    stop_ = false;
    placed_.clear();
    finished_.clear();
}

std::vector<SheetImage> WindowBuildObserver::TakeSheetImages(int& scale)
{
    std::lock_guard lock(mutex_);
    scale = sheetScale_;
    return std::exchange(finished_, {});
}

WindowBuildObserver::Progress WindowBuildObserver::TakeProgress()
{
    std::lock_guard lock(mutex_);
    Progress taken = std::move(pending_);
    pending_ = {};
    pending_.imagesDone = taken.imagesDone;
    signalled_ = false;
    return taken;
}

void WindowBuildObserver::ValidationFailed(const std::string& message)
{
    emit MessageReady(kBuildMessageCaption, Shown(message), int(PromptIcon::None));
}

void WindowBuildObserver::CannotOpen(const std::string& message)
{
    emit MessageReady(kBuildMessageCaption, Shown(message), int(PromptIcon::None));
}

void WindowBuildObserver::ErrorReport(const std::string& message)
{
    // A stop the user asked for is no error: the status bar says it.
    if (stop_)
        emit StatusReady(Shown(ErrorReportText(message)));
    else
        emit MessageReady(kErrorReportCaption, Shown(ErrorReportText(message)),
                          int(PromptIcon::Error));
}

void WindowBuildObserver::ListCleared()
{
    {
        std::lock_guard lock(mutex_);
        pending_ = {};
        pending_.listCleared = true;
    }
    Append({}, false);
}

void WindowBuildObserver::LineWritten(const std::string& line) { Append(line, true); }

void WindowBuildObserver::Remark(const std::string& message) { Append(message, false); }

void WindowBuildObserver::SourceSkipped(const std::string&) { Append({}, true); }

void WindowBuildObserver::ImagePlaced(const PlacedImage& image, const std::string& rule,
                                      int scale)
{
    const QRect box(image.x, image.y, image.width, image.height);
    placed_.push_back({Shown(image.fileName), Shown(image.className.selector),
                       QString::fromStdString(rule), box,
                       QRect(box.topLeft() * scale, box.size() * scale)});
    sheetScale_ = scale;
}

void WindowBuildObserver::SheetFinished(const Bitmap& sheet)
{
    {
        std::lock_guard lock(mutex_);
        finished_ = std::exchange(placed_, {});
    }
    emit SheetReady(ToQImage(sheet));
}

void WindowBuildObserver::SheetWritten(const std::string& path)
{
    emit SheetPlaced(QString::fromStdString(path));
}

void WindowBuildObserver::Append(const std::string& line, bool counts)
{
    bool signal = false;
    {
        std::lock_guard lock(mutex_);
        if (!line.empty())
            pending_.lines << Shown(line);
        pending_.imagesDone += counts;
        signal = !std::exchange(signalled_, true);
    }
    if (signal)
        emit ProgressReady();
}

}  // namespace tessolo
