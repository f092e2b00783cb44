// The window's build on a thread of its own, so that the window keeps
// painting and answering while the sheet is made. One build at a time: it
// takes copies of its inputs and settings, so nothing it reads changes while
// it runs, and it reports only through its observer.
#pragma once

#include "app/window_build_observer.h"
#include "sprite/sprite_build.h"

#include <QObject>

#include <thread>

namespace tessolo {

class WindowBuild : public QObject {
    Q_OBJECT
public:
    explicit WindowBuild(QObject* parent = nullptr);
    // Stops a running build at its next image and waits for it.
    ~WindowBuild() override;

    // Starts a build; false, with nothing started, while another one runs.
    bool Start(BuildInputs inputs, BuildSettings settings);
    bool Running() const { return running_; }
    // The build stops at its next image or file and keeps every previous output.
    void RequestStop() { observer_.RequestStop(); }
    WindowBuildObserver& Observer() { return observer_; }

signals:
    // On the window's thread, after every signal of the observer, once the
    // build's thread has ended. `result` is a BuildResult.
    void Finished(int result);

private:
    void Join();

    SpriteBuilder builder_;  // its bitmaps are reused by every build
    WindowBuildObserver observer_;
    std::thread thread_;
    bool running_ = false;
};

}  // namespace tessolo
