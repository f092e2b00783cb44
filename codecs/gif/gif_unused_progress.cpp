// Progress events of the GIF codec. The program sets no OnProgress handler,
// so it does not use them.
#include "codecs/gif/gif_unused_progress.h"

#include "codecs/gif/GIFImage.h"

#include <exception>

namespace tessolo {

void TGIFImage::Progress(TProgressStage stage, int percent, const char* message) const
{
    if (OnProgress)
        OnProgress(this, stage, percent, message);
}

GIFProgress::GIFProgress(const TGIFImage& image, const char* message)
    : image_(image), message_(message), exceptions_(std::uncaught_exceptions())
{
    image_.Progress(psStarting, 0, message_);
}

GIFProgress::~GIFProgress() noexcept(false)
{
    if (std::uncaught_exceptions() == exceptions_) {
        image_.Progress(psEnding, 100, message_);
        return;
    }
    // The task's own exception goes on, whatever the handler throws.
    try {
        image_.Progress(psEnding, 0, message_);
    } catch (...) {
    }
}

void GIFProgress::Running(int percent) const { image_.Progress(psRunning, percent, message_); }

void GIFProgress::Row(int y, int height) const
{
    if (y % 32 == 0)
        Running(y * 100 / height);
}

}  // namespace tessolo
