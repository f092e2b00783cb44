// One build, from the moment it holds its folder to its outputs in place.
// SpriteBuilder::MakeSprites makes one for each build and drops it at the
// end, so nothing of one build reaches the next.
#pragma once

#include "platform/bitmap.h"
#include "platform/error.h"
#include "platform/output_set.h"
#include "sprite/build_lock.h"
#include "sprite/class_names.h"
#include "sprite/duplicate_images.h"
#include "sprite/high_density.h"
#include "sprite/layout.h"
#include "sprite/output_record.h"
#include "sprite/rect_packer.h"
#include "sprite/sheet_urls.h"
#include "sprite/split_packing.h"
#include "sprite/sprite_build.h"
#include "sprite/stylesheet.h"
#include "sprite/template_files.h"
#include "sprite/web_outputs.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tessolo {

struct SourceCodec;

// Thrown when the observer asks the build to stop.
class BuildStopped : public Error {
public:
    BuildStopped() : Error("The build was stopped; the previous outputs are unchanged") {}
};

// The path of a build's stylesheet.
std::string StylesheetPath(const BuildInputs& inputs, const BuildSettings& settings);
// The message of what ended a build: "Out of memory" for a failed
// allocation, otherwise the exception's own.
std::string DescribeFailure(const std::exception& error);

class BuildRun {
public:
    // Creates the output folders that are missing, takes the build lock of
    // the source and output folders, removes the temporary files that killed
    // builds left in the output folders and starts the stylesheet. Throws
    // FolderBusyError, or FileError when a folder cannot be made or locked
    // or the stylesheet not started. The inputs must have passed
    // ValidateInputs.
    BuildRun(const BuildInputs& inputs, const BuildSettings& settings, BuildObserver& observer);

    // Places every source, then writes the outputs and puts them in place.
    // Throws what ends the build: BuildStopped when the observer asks.
    void Run();
    // The (first) sheet as drawn so far.
    Bitmap& Sheet() { return sheets_.front(); }

private:
    // A listed file whose type a codec reads.
    struct ListedSource {
        std::string path;  // full path of the file
        const SourceCodec* format;
    };
    // What the rule of a decoded source needs, kept while its pixels wait.
    struct SourceInfo {
        std::string path;
        std::string name;  // file name without folder and last extension
        std::int32_t width = 0, height = 0;  // as placed
        const SourceCodec* format = nullptr;
        bool redrawn = false;  // drawn afresh on each smaller dense sheet
    };
    struct Source {
        SourceInfo info;
        Bitmap image;  // as the sheet takes it: flattened, resized, fitted
    };
    // A source read for its place.
    struct ReadSource {
        Source source;
        // The image placed before that it is a copy of, when copies merge.
        std::optional<std::size_t> original;
        // Read a row at a time and too large to keep: the image is empty and
        // the source is drawn by DrawRows.
        bool drawnFromRows = false;
    };

    // The steps of a build, in order.
    void StartStylesheet();
    void PlaceInLine();  // a strip or a grid, one source at a time
    void PlacePacked();  // every source decoded first, then packed
    void SplitFacts();   // the numbered sheets' facts, when there are several
    // Gives the sheet `name` its facts in the other types asked for.
    void AddFormats(SheetFacts& sheet, const std::string& name, const OutputPlaces& places) const;
    void FinishSheet();
    void WriteOutputs();
    // Encodes every sheet into `outputs`; gives the numbered sheets' files.
    std::vector<WrittenFile> WriteSheets(OutputSet& outputs);
    // Writes the base rule, one per sheet when split.
    void WriteBaseRules();
    // Writes the stylesheet's closing block and stores it.
    void CloseStylesheet();
    // Writes a rule now, or keeps it until the sheet's URL is known.
    void AddRule(const std::string& line);

    // The steps of each source: listed, decoded, then placed with its rule.
    // Lists and reads the next source; `number` is the place it takes when
    // it is no copy. A source read a row at a time keeps its pixels only
    // when they are at most `keepPixels`.
    std::optional<ReadSource> NextSource(const std::string& entry, std::size_t number,
                                         std::int64_t keepPixels);
    std::optional<ListedSource> List(const std::string& entry);
    Source Decode(const ListedSource& listed) const;
    // The image that took place `number` of its own, decoded again; throws
    // Error when its file no longer gives the size it had.
    Bitmap DecodeAgain(std::size_t number, std::int32_t width, std::int32_t height) const;
    // Whether a source is read a row at a time, never held whole: one whose
    // codec can.
    static bool TakesRows(const ListedSource& listed);
    // The size of such a source and the hash of its pixels as the sheet
    // takes them (DrawnPixelHash); its pixels go to `kept` only when they
    // are at most `keepPixels`.
    SourceInfo Measure(const ListedSource& listed, std::uint64_t& hash, std::int64_t keepPixels,
                       Bitmap& kept) const;
    // Draws such a source, placed as number `number` with the size in
    // `info`, onto `sheet` at (x, y), row by row; throws Error when it no
    // longer has that size.
    void DrawRows(std::size_t number, const SourceInfo& info, Bitmap& sheet, std::int32_t x,
                  std::int32_t y) const;
    // Hands `take` each row of such a source as Decode shapes it (ShapedRows),
    // after `start` has its shaped size.
    void ReadRows(const ListedSource& listed, const std::function<void(int, int)>& start,
                  const std::function<void(int, const Bitmap&)>& take) const;
    // The source's pixels at `scale` (scalable sources only; others as
    // stored), flattened onto white unless the sheet is transparent.
    Bitmap Render(const ListedSource& listed, std::int32_t scale) const;
    // Remembers where a scalable source went, to draw it afresh at each
    // smaller scale; then does so on the reduction of sheet `sheet`.
    void NoteRedrawn(const Source& source, SheetPlace place);
    void RedrawAtScale(std::size_t sheet, std::int32_t scale, Bitmap& pixels) const;
    // Throws Error naming the source when it alone exceeds the size limit.
    void CheckFitsLimit(const SourceInfo& info) const;
    // Makes room on a sheet within the size limit for the next image in
    // line: in the row below on a grid, else on a new sheet.
    void MakeRoom(SheetLayout& layout, const SourceInfo& info);
    // Records the placed image; its rule follows at once, or with rules in
    // percent once the sheet's size is known.
    void WriteRule(const SourceInfo& info, SheetPlace at);
    void EmitRule(const PlacedImage& image);

    const BuildInputs& inputs_;
    BuildObserver& observer_;
    const SheetDensity density_;
    BuildSettings settings_;  // as given, adjusted to the density when the run starts
    const OutputFolders folders_;
    BuildLock lock_;                // held until every output is in place
    StylesheetFile css_;
    std::vector<std::string> files_;  // the listed files that are drawn
    std::vector<Bitmap> sheets_;  // one, or the numbered sheets of a size limit
    SheetFacts facts_;
    std::vector<std::string> sheetSelectors_;  // per numbered sheet: its base rule's selectors
    std::optional<ClassName> baseClass_;  // set when the stylesheet holds its base rule
    // A cache-busted URL holds the sheet's hash, and under a size limit the
    // rules name their sheets, so the rules wait until the sheets are encoded.
    const bool holdRules_;
    std::vector<std::string> heldRules_;
    std::vector<PlacedImage> placed_;
    std::vector<std::pair<SourceInfo, SheetPlace>> redrawn_;  // as NoteRedrawn keeps them
    std::vector<OutputTemplate> templates_;  // read and checked before the first source
    ClassCollisions collisions_;
    // Per image that took a place of its own: its file, to decode it again
    // when it is drawn or when a copy of it must be compared.
    std::vector<ListedSource> placedSources_;
    SharedPlaces sharedPlaces_;
    int sourcesRead_ = 0;
    int sourcesWithPixels_ = 0;
};

}  // namespace tessolo
