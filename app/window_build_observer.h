// How a build on the window's worker thread shows itself. Every callback
// runs on the build's thread and only hands its news over, so this is the
// one object of the window that crosses threads: CSS lines, notes and the
// count of images are collected under a lock and fetched by the window
// (ProgressReady says there is news), messages and the finished sheet go as
// queued signals; the placed images travel with the sheet. Every text has its control characters shown escaped
// (PrintableText).
#pragma once

#include "app/sheet_canvas.h"
#include "sprite/sprite_build.h"

#include <QImage>
#include <QObject>
#include <QStringList>

#include <atomic>
#include <mutex>

namespace tessolo {

class WindowBuildObserver : public QObject, public BuildObserver {
    Q_OBJECT
public:
    // What arrived since the last fetch.
    struct Progress {
        bool listCleared = false;  // the output list is to be emptied first
        QStringList lines;         // for the output list, in order
        int imagesDone = 0;        // images placed or skipped so far
    };

    // Before a build starts, on the window's thread.
    void Reset();
    // From the window's thread; the build stops at its next image, file
    // or piece of a sheet's encoding.
    void RequestStop() { stop_ = true; }
    bool StopWasRequested() const { return stop_; }
    // Fetches the news and lets the next line signal again.
    Progress TakeProgress();
    // The finished sheet's images and their scale, once SheetReady arrived.
    std::vector<SheetImage> TakeSheetImages(int& scale);

    void ValidationFailed(const std::string& message) override;
    void CannotOpen(const std::string& message) override;
    void ErrorReport(const std::string& message) override;
    void ListCleared() override;
    void LineWritten(const std::string& line) override;
    void Remark(const std::string& message) override;
    void SourceSkipped(const std::string& path) override;
    void ImagePlaced(const PlacedImage& image, const std::string& rule, int scale) override;
    void SheetFinished(const Bitmap& sheet) override;
    void SheetWritten(const std::string& path) override;
    bool StopRequested() override { return stop_; }

signals:
    void ProgressReady();
    // A message box: caption, text and a PromptIcon.
    void MessageReady(const QString& caption, const QString& text, int icon);
    // A line for the status bar (a stop the user asked for).
    void StatusReady(const QString& text);
    void SheetReady(const QImage& sheet);
    void SheetPlaced(const QString& path);

private:
    // Adds a line (when not empty) and counts an image when `counts`.
    void Append(const std::string& line, bool counts);

    std::mutex mutex_;
    Progress pending_;
    bool signalled_ = false;  // a ProgressReady is on its way
    std::vector<SheetImage> placed_;    // on the build's thread, until the sheet is finished
    std::vector<SheetImage> finished_;  // handed over with SheetReady
    int sheetScale_ = 1;
    std::atomic<bool> stop_ = false;
};

}  // namespace tessolo
