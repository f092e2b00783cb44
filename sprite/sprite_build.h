// The build of a sprite sheet and its stylesheet from the files of one
// folder. The main window and the command line both drive this component.
#pragma once

#include "platform/bitmap.h"
#include "sprite/build_settings.h"
#include "sprite/class_names.h"
#include "sprite/layout.h"
#include "sprite/web_outputs.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tessolo {

class StylesheetFile;

// Caption of the build's own message boxes.
extern const char* const kBuildMessageCaption;  // "Can't Make Sprites"

// What the main window supplies to a build.
struct BuildInputs {
    std::vector<std::string> GraphicFiles;  // bare file names, in list order
    std::string Folder;                     // where sources are read and results written
    std::string ProjectName;                // sheet and stylesheet name, as typed
    std::string SpriteClass;                // class selector text, starting with "."
    std::string LineStyleText;              // text of the chosen line style
    int LineStyleIndex = 0;                 // 0 or 1; -1 when none is selected
    int OutputFileType = kOutputJpeg;       // an OutputType; other values write BMP
};

// The source being placed.
struct SourceInfo {
    std::int32_t Height = 0;  // as placed, after resizing
    std::int32_t Width = 0;
    std::string Path;  // full path of the file
    std::string Name;  // file name without folder and last extension
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
    // placed. The stylesheet replaces the previous one when the build ends
    // well.
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
    BuildResult MakeSprites(const BuildInputs& inputs, const BuildSettings& settings,
                            BuildObserver& observer);

    // Decodes the file at `info.Path` into the current source and fills the
    // rest of `info`. Returns false when no codec reads the file's type;
    // throws the codec's error when the file cannot be decoded.
    bool LoadSourceImage(SourceInfo& info);

    // The sheet of the last build, as far as it got.
    const Bitmap& SheetBitmap() const { return sheet_; }

private:
    // How many sources were placed, and how many of them took room.
    struct Placed {
        int images = 0;
        int withPixels = 0;
        void Count(const SourceInfo& info)
        {
            ++images;
            withPixels += info.Width > 0 && info.Height > 0;
        }
    };

    // Places the sources one at a time, in a strip or a grid.
    Placed PlaceSources(const BuildInputs& inputs, const BuildSettings& settings,
                        StylesheetFile& css, BuildObserver& observer);
    // Decodes every source first, packs their sizes, then places them.
    Placed PlacePacked(const BuildInputs& inputs, const BuildSettings& settings,
                       StylesheetFile& css, BuildObserver& observer);
    // Decodes and resizes the listed file `entry` into the current source;
    // false when it was skipped.
    bool ReadSource(const std::string& entry, const BuildInputs& inputs,
                    const BuildSettings& settings, BuildObserver& observer, SourceInfo& info);
    // Writes and reports the stylesheet rule of a source placed at (x, y).
    void WriteRule(const BuildInputs& inputs, const SourceInfo& info, std::int32_t x,
                   std::int32_t y, StylesheetFile& css, BuildObserver& observer);
    void Resize(SourceInfo& info, const BuildSettings& settings);
    // Writes the base rule when asked for and the class text names a class.
    void StartStylesheet(const BuildInputs& inputs, const BuildSettings& settings,
                         StylesheetFile& css, BuildObserver& observer);
    // Evens the double-size sheet and adds the rule that switches
    // high-density screens to it.
    void FinishDoubleSizeSheet(StylesheetFile& css);
    // Writes the sheets and the data files and puts them in place together
    // with the stylesheet, which goes last.
    void WriteResults(const std::string& sheetPath, const BuildInputs& inputs,
                      const BuildSettings& settings, StylesheetFile& css,
                      BuildObserver& observer);

    Bitmap source_;  // the current source, one decoded image at a time
    Bitmap sheet_;
    SheetLayout layout_;
    SheetFacts sheetFacts_;
    std::optional<ClassName> baseClass_;  // set when the stylesheet holds its base rule
    std::vector<PlacedImage> placedImages_;
    ClassCollisions collisions_;
    bool halfSize_ = false;  // the sheet is drawn at double size and written at both sizes
};

// The validation lines of a build's inputs, each ended by LF CR; empty when
// the inputs are complete.
std::string ValidateInputs(const BuildInputs& inputs, const BuildSettings& settings);

// The size of one side after proportional resizing: the factor is held in
// single precision and the product truncated toward zero.
std::int32_t ScaledSide(std::int32_t side, std::int32_t percentage);

}  // namespace tessolo
