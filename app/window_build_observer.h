// How a build shows itself in the main window: CSS lines in the output list
// as each image is placed, a progress bar counting images, the finished
// sheet with its placed images in the result viewer, and the build's
// messages in message boxes, every text with its control characters shown
// escaped (PrintableText).
#pragma once

#include "app/sheet_canvas.h"
#include "platform/user_prompts.h"
#include "sprite/sprite_build.h"

#include <QElapsedTimer>

class QListWidget;
class QProgressBar;

namespace tessolo {

class TSpriteView;

class WindowBuildObserver : public BuildObserver {
public:
    WindowBuildObserver(QListWidget& outputList, QProgressBar& progress, TSpriteView& viewer,
                        UserPrompts& prompts, int imageCount);

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

private:
    void CountImage();
    // Lets the window repaint during a long build, at most every 50 ms;
    // user input waits until the build is over.
    void RepaintNow(bool force);

    QListWidget& outputList_;
    QProgressBar& progress_;
    TSpriteView& viewer_;
    UserPrompts& prompts_;
    QElapsedTimer sinceRepaint_;
    std::vector<SheetImage> placed_;  // for the viewer, with the sheet
    int sheetScale_ = 1;
    int imagesDone_ = 0;
};

}  // namespace tessolo
