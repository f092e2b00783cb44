// Progress events of the GIF codec. The program sets no OnProgress handler,
// so it does not use them.
#pragma once

#include <functional>
#include <string>

namespace tessolo {

class TGIFImage;

enum TProgressStage { psStarting, psRunning, psEnding };
using TGIFProgress =
    std::function<void(const void* sender, TProgressStage stage, int percent, const std::string& message)>;

// Thrown by a progress handler to cancel rendering; the render leaves no bitmap.
struct TGIFAbort {};

namespace gifmsg {

inline constexpr const char* sProgressLoading = "Loading...";
inline constexpr const char* sProgressSaving = "Saving...";
inline constexpr const char* sProgressConverting = "Converting...";
inline constexpr const char* sProgressRendering = "Rendering...";
inline constexpr const char* sProgressCopying = "Copying...";
inline constexpr const char* sProgressOptimizing = "Optimizing...";

}  // namespace gifmsg

// One task of an image, reported as it runs: psStarting at 0 when the object
// is made, psEnding when it goes, at 100 or, when an exception ends the
// task, at 0.
class GIFProgress {
public:
    GIFProgress(const TGIFImage& image, const char* message);
    ~GIFProgress() noexcept(false);
    GIFProgress(const GIFProgress&) = delete;
    GIFProgress& operator=(const GIFProgress&) = delete;

    void Running(int percent) const;
    // Running at row `y` of `height`, reported every 32 rows.
    void Row(int y, int height) const;

private:
    const TGIFImage& image_;
    const char* message_;
    int exceptions_;
};

}  // namespace tessolo
