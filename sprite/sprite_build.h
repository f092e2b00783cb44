// The build of a sprite sheet and its stylesheet from the files of one
// folder. The main window and the command line both drive this component.
#pragma once

#include "platform/bitmap.h"
#include "settings/format_prefs.h"
#include "sprite/build_settings.h"
#include "sprite/stylesheet.h"
#include "sprite/web_outputs.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tessolo {

// Caption of the build's own message boxes.
extern const char* const kBuildMessageCaption;  // "Can't Make Sprites"

// What the main window supplies to a build.
struct BuildInputs {
    std::vector<std::string> GraphicFiles;  // bare file names, in list order
    std::string Folder;                     // where sources are read and results written
    std::string ProjectName;                // sheet and stylesheet name, as typed
    std::string SpriteClass;                // class selector text, starting with "."
    std::string LineStyleText;              // text of the chosen line style
    std::optional<tessolo::LineStyle> LineStyle = kPositionOnly;  // none when none is selected
    OutputType OutputFileType = kOutputJpeg;
};

// How a build reports back. Message boxes of the window map onto these.
class BuildObserver {
public:
    virtual ~BuildObserver() = default;
    // The inputs failed validation; `message` is the whole box text.
    virtual void ValidationFailed(const std::string& message) = 0;
    // The stylesheet could not be opened, or another build holds the folder:
    // "Cannot open <path> for write: <reason>".
    virtual void CannotOpen(const std::string& message) = 0;
    // A failure that ends the build (the standard error report). Every
    // previous output is kept as it was.
    virtual void ErrorReport(const std::string& message) = 0;
    // The output list was emptied at the start of a build.
    virtual void ListCleared() {}
    // A stylesheet line was written; called once per placed image, as it is
    // placed (with rules in percent, which need the sheet's size, once every
    // image is placed). The stylesheet replaces the previous one when the
    // build ends well.
    virtual void LineWritten(const std::string& line) { (void)line; }
    // Follows LineWritten: the image as its rule describes it, and `scale`,
    // the sheet's pixels per pixel of the rule (2 on a double-size sheet),
    // so the result viewer can find each image on the sheet it shows.
    virtual void ImagePlaced(const PlacedImage& image, const std::string& rule, int scale)
    {
        (void)image, (void)rule, (void)scale;
    }
    // A note that does not stop the build (a warning or a count); the window
    // adds it to the output list, the command line prints it on stderr.
    virtual void Remark(const std::string& message) { (void)message; }
    // A count of what the build did ("merged 3 images ..."): a note, not a
    // warning, so a quiet command line leaves it out.
    virtual void Summary(const std::string& message) { Remark(message); }
    // A listed file was skipped because no codec reads its type.
    virtual void SourceSkipped(const std::string& path) { (void)path; }
    // The finished sheet, before it is written (for the result viewer).
    virtual void SheetFinished(const Bitmap& sheet) { (void)sheet; }
    // Every output was put in place; `path` is the sheet's.
    virtual void SheetWritten(const std::string& path) { (void)path; }
    // Asked before each image and each output file: true stops the build
    // (a signal, a Cancel button). The temporary files are removed, the
    // previous outputs stay as they were, ErrorReport says so and the build
    // returns BuildResult::Stopped. Called on the thread that runs the build.
    virtual bool StopRequested() { return false; }
};

// FolderBusy: another build held the folder (reported as CannotOpen).
enum class BuildResult { Done, InvalidInputs, CannotOpen, FolderBusy, Failed, Stopped };

class SpriteBuilder {
public:
    // Checks the inputs, then builds the sheet, the stylesheet and the files
    // beside them, telling `observer` as it goes. Each build starts afresh:
    // only the sheet is kept from it.
    BuildResult MakeSprites(const BuildInputs& inputs, const BuildSettings& settings,
                            BuildObserver& observer);

    // The sheet of the last build, as far as it got; empty when it placed
    // nothing.
    const Bitmap& SheetBitmap() const { return sheet_; }

private:
    Bitmap sheet_;
};

// The validation lines of a build's inputs, each ended by LF CR; empty when
// the inputs are complete.
std::string ValidateInputs(const BuildInputs& inputs, const BuildSettings& settings);

// The size of one side after proportional resizing: the factor is held in
// single precision and the product truncated toward zero.
std::int32_t ScaledSide(std::int32_t side, std::int32_t percentage);

}  // namespace tessolo
