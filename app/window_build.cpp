#include "app/window_build.h"

namespace tessolo {

WindowBuild::WindowBuild(QObject* parent) : QObject(parent) {}

WindowBuild::~WindowBuild()
{
    observer_.RequestStop();
    Join();
}

bool WindowBuild::Start(BuildInputs inputs, BuildSettings settings)
{
    if (running_)
        return false;
    Join();
    observer_.Reset();
    running_ = true;
    thread_ = std::thread([this, inputs = std::move(inputs), settings = std::move(settings)] {
        BuildResult result = BuildResult::Failed;
        try {
            result = builder_.MakeSprites(inputs, settings, observer_);
        } catch (const std::exception& error) {
            observer_.ErrorReport(error.what());  // the build reports its own; this is a last guard
        }
        // Queued behind every signal the observer sent, on the window's thread.
        QMetaObject::invokeMethod(
            this,
            [this, result] {
                Join();
                running_ = false;
                emit Finished(int(result));
            },
            Qt::QueuedConnection);
    });
    return true;
}

void WindowBuild::Join()
{
    if (thread_.joinable())
        thread_.join();
}

}  // namespace tessolo
