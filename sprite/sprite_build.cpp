#include "sprite/sprite_build.h"

#include "platform/alpha.h"
#include "platform/error.h"
#include "platform/files.h"
#include "platform/output_set.h"
#include "sprite/base_name.h"
#include "sprite/build_lock.h"
#include "sprite/class_names.h"
#include "sprite/data_names.h"
#include "sprite/duplicate_images.h"
#include "sprite/half_size.h"
#include "sprite/high_density.h"
#include "sprite/image_formats.h"
#include "sprite/rect_packer.h"
#include "sprite/sheet_background.h"
#include "sprite/stylesheet.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <new>
#include <optional>

namespace tessolo {

const char* const kBuildMessageCaption = "Can't Make Sprites";

namespace {

// Validation lines end with line feed, carriage return, in that order.
constexpr const char* kLineEnd = "\n\r";

// Thrown when the observer asks the build to stop.
class BuildStopped : public Error {
public:
    BuildStopped() : Error("The build was stopped; the previous outputs are unchanged") {}
};

void StopIfAsked(BuildObserver& observer)
{
    if (observer.StopRequested())
        throw BuildStopped();
}

std::string Describe(const std::exception& error)
{
    if (dynamic_cast<const std::bad_alloc*>(&error))
        return "Out of memory";
    return error.what();
}

// The path of `name` in `folder`, with one separator between them.
std::string InFolder(const std::string& folder, const std::string& name)
{
    if (!folder.empty() && folder.back() == '/')
        return folder + name;
    return folder + "/" + name;
}

// A project name becomes two file names in the folder, so it must not lead
// out of it.
bool IsPlainFileName(std::string_view name)
{
    return name != "." && name != ".." && name.find('/') == std::string_view::npos &&
           name.find('\0') == std::string_view::npos;
}

// A source's error, followed by the file's path unless it names it already.
std::string NamingTheFile(const std::string& message, const std::string& path)
{
    if (message.find(path) != std::string::npos)
        return message;
    return message + " in file " + path;
}

// Why a build ended with a sheet without pixels.
const char* WhyNothingWasPlaced(int placedImages, int placedWithPixels)
{
    if (placedImages == 0)
        return "no listed file is a PNG, JPEG, GIF or BMP image";
    if (placedWithPixels == 0)
        return "every image was resized to nothing";
    return "the paddings leave no room for the images";
}

// The note that tells how many images share the place of an earlier copy.
std::string MergedImagesRemark(int merged)
{
    return "merged " + std::to_string(merged) +
           (merged == 1 ? " image identical to one placed before"
                        : " images identical to ones placed before");
}

}  // namespace

std::string ValidateInputs(const BuildInputs& inputs, const BuildSettings& settings)
{
    std::string errors;
    if (inputs.GraphicFiles.empty())
        errors += std::string("No images files selected") + kLineEnd;
    if (inputs.ProjectName.empty())
        errors += std::string("No sprite project name (output sprite filename) entered") + kLineEnd;
    else if (!IsPlainFileName(inputs.ProjectName))
        errors += std::string("The sprite project name must be a file name: no \"/\", not \".\" "
                              "or \"..\"") + kLineEnd;
    if (inputs.SpriteClass.empty() || inputs.SpriteClass[0] != '.')
        errors += std::string("No sprite classname selected or entered") + kLineEnd;
    if (inputs.LineStyleText.empty() || inputs.LineStyleIndex < 0)
        errors += std::string("No CSS line style selected") + kLineEnd;
    if (!FindOrientation(settings.Orientation))
        errors += "No valid sheet orientation set (" + std::to_string(settings.Orientation) +
                  "; use " + OrientationChoices() + ")" + kLineEnd;
    if (std::optional<std::string> background =
            BackgroundProblem(inputs.OutputFileType, settings.SheetBackground))
        errors += *background + kLineEnd;
    return errors;
}

std::int32_t ScaledSide(std::int32_t side, std::int32_t percentage)
{
    float factor = float(percentage * 0.01L);
    long double product = std::trunc(static_cast<long double>(side) * factor);
    return std::int32_t(std::clamp<long double>(product, 0, std::numeric_limits<std::int32_t>::max()));
}

BuildResult SpriteBuilder::MakeSprites(const BuildInputs& inputs, const BuildSettings& stored,
                                       BuildObserver& observer)
{
    std::string errors = ValidateInputs(inputs, stored);
    if (!errors.empty()) {
        observer.ValidationFailed(std::string("The following errors were found:") + kLineEnd +
                                  kLineEnd + errors);
        return BuildResult::InvalidInputs;
    }

    // The lock is held until every result is in place. Holding it, the build
    // is the only one here, so temporary files that no file lock holds were
    // left by a build or a save that was killed.
    std::string sheetPath = InFolder(inputs.Folder, inputs.ProjectName);
    std::string cssPath = sheetPath + ".css";
    std::optional<BuildLock> lock;
    std::optional<StylesheetFile> opened;
    try {
        lock.emplace(inputs.Folder);
        RemoveStaleTemporaryFiles(inputs.Folder);
        opened.emplace(cssPath);
    } catch (const FileError& error) {
        observer.CannotOpen("Cannot open " + cssPath + " for write: " + error.Reason());
        return dynamic_cast<const FolderBusyError*>(&error) ? BuildResult::FolderBusy
                                                             : BuildResult::CannotOpen;
    }
    StylesheetFile& css = *opened;
    observer.ListCleared();
    BuildSettings settings = stored;
    halfSize_ = settings.Retina != 0;
    sheet_ = settings.SheetBackground == kBackgroundTransparent ? TransparentBitmap(0, 0) : Bitmap();
    placedImages_.clear();
    collisions_ = ClassCollisions{};
    sheetFacts_ = SheetFacts{};
    sheetFacts_.fileName = inputs.ProjectName + std::string(OutputTypeFor(inputs.OutputFileType).extension);
    sheetFacts_.stylesheetName = inputs.ProjectName + ".css";
    sheetFacts_.title = inputs.ProjectName;
    if (halfSize_)
        sheetFacts_.highDensityFileName = inputs.ProjectName + kDoubleSizeSuffix +
                                          std::string(OutputTypeFor(inputs.OutputFileType).extension);

    try {
        // A double-size sheet needs the base rule for its switch, and even
        // paddings so that every place halves exactly.
        if (halfSize_) {
            settings.BaseRule = 1;
            settings.HorizontalPadding = EvenUp(settings.HorizontalPadding);
            settings.VerticalPadding = EvenUp(settings.VerticalPadding);
        }
        StartStylesheet(inputs, settings, css, observer);
        Placed placed = settings.Orientation == kPacked
                            ? PlacePacked(inputs, settings, css, observer)
                            : PlaceSources(inputs, settings, css, observer);
        if (sheet_.Width() == 0 || sheet_.Height() == 0)
            throw Error(std::string("No image was placed on the sheet: ") +
                        WhyNothingWasPlaced(placed.images, placed.withPixels));
        for (const std::string& warning : DataNameWarnings(placedImages_, settings.DataFormats))
            observer.Remark(warning);
        if (halfSize_)
            FinishDoubleSizeSheet(css);
        css.Finish();
        observer.SheetFinished(sheet_);
        WriteResults(sheetPath, inputs, settings, css, observer);
    } catch (const BuildStopped& stopped) {
        observer.ErrorReport(stopped.what());
        return BuildResult::Stopped;
    } catch (const std::exception& error) {
        observer.ErrorReport(Describe(error));
        return BuildResult::Failed;
    }
    return BuildResult::Done;
}

SpriteBuilder::Placed SpriteBuilder::PlaceSources(const BuildInputs& inputs,
                                                  const BuildSettings& settings,
                                                  StylesheetFile& css, BuildObserver& observer)
{
    Placed placed;
    DuplicateImages duplicates;
    std::vector<PackPosition> kept;  // where each distinct image went, for its copies
    int merged = 0;
    layout_.Reset(settings.Orientation, settings.HorizontalPadding, settings.VerticalPadding,
                  inputs.GraphicFiles.size());
    for (const std::string& entry : inputs.GraphicFiles) {
        StopIfAsked(observer);
        SourceInfo info;
        if (!ReadSource(entry, inputs, settings, observer, info))
            continue;
        placed.Count(info);
        // A copy of an image placed before shares its place: it is not drawn
        // and takes no room of its own.
        DrawnPixels drawn;
        if (settings.DedupeImages) {
            drawn = DrawnPixelsOf(source_);
            if (std::optional<std::size_t> original = duplicates.OriginalOf(drawn)) {
                WriteRule(inputs, info, kept[*original].X, kept[*original].Y, css, observer);
                ++merged;
                continue;
            }
        }
        layout_.Place(sheet_, info.Width, info.Height);
        sheet_.Draw(source_, layout_.CursorX, layout_.CursorY);
        WriteRule(inputs, info, layout_.CursorX, layout_.CursorY, css, observer);
        if (settings.DedupeImages) {
            duplicates.Remember(std::move(drawn), kept.size());
            kept.push_back({layout_.CursorX, layout_.CursorY});
        }
        layout_.Advance(sheet_, info.Width, info.Height);
    }
    if (merged > 0)
        observer.Remark(MergedImagesRemark(merged));
    return placed;
}

SpriteBuilder::Placed SpriteBuilder::PlacePacked(const BuildInputs& inputs,
                                                 const BuildSettings& settings,
                                                 StylesheetFile& css, BuildObserver& observer)
{
    // Every size must be known before the first image is placed, so the
    // decoded sources are kept until the sheet is drawn. A copy of an image
    // read before is not kept: it shares the place of its original.
    std::vector<SourceInfo> infos;
    std::vector<std::size_t> keptOf;  // per info: its image among those kept
    std::vector<Bitmap> sources;
    std::vector<PackItem> items;
    DuplicateImages duplicates;
    int merged = 0;
    std::int64_t pixelsHeld = 0;
    for (const std::string& entry : inputs.GraphicFiles) {
        StopIfAsked(observer);
        SourceInfo info;
        if (!ReadSource(entry, inputs, settings, observer, info))
            continue;
        if (settings.DedupeImages) {
            DrawnPixels drawn = DrawnPixelsOf(source_);
            if (std::optional<std::size_t> original = duplicates.OriginalOf(drawn)) {
                keptOf.push_back(*original);
                infos.push_back(std::move(info));
                ++merged;
                continue;
            }
            duplicates.Remember(std::move(drawn), sources.size());
        }
        // The sheet will hold every source's pixels: once those held could
        // not fit in the largest bitmap there is, stop before decoding more.
        pixelsHeld += std::int64_t(info.Width) * info.Height;
        CheckBitmapSize(int(std::min<std::int64_t>(pixelsHeld, std::numeric_limits<int>::max())), 1,
                        sheet_.Format());
        items.push_back({info.Width, info.Height, info.Name});
        keptOf.push_back(sources.size());
        infos.push_back(std::move(info));
        sources.push_back(std::move(source_));
    }
    if (settings.HorizontalPadding < 0 || settings.VerticalPadding < 0)
        observer.Remark("The packed layout counts a negative padding as 0");

    PackedSheet packed = PackRectangles(items, settings.HorizontalPadding,
                                        settings.VerticalPadding);
    sheet_.SetSize(packed.Width, packed.Height);
    Placed placed;
    for (std::size_t i = 0; i < infos.size(); ++i) {
        StopIfAsked(observer);
        std::size_t k = keptOf[i];
        const PackPosition& at = packed.Positions[k];
        sheet_.Draw(sources[k], at.X, at.Y);  // a copy finds its original drawn and released
        sources[k] = Bitmap();
        placed.Count(infos[i]);
        WriteRule(inputs, infos[i], at.X, at.Y, css, observer);
    }
    if (merged > 0)
        observer.Remark(MergedImagesRemark(merged));
    return placed;
}

bool SpriteBuilder::ReadSource(const std::string& entry, const BuildInputs& inputs,
                               const BuildSettings& settings, BuildObserver& observer,
                               SourceInfo& info)
{
    info.Path = InFolder(inputs.Folder, entry);
    bool loaded = false;
    try {
        loaded = LoadSourceImage(info);
    } catch (const std::exception& error) {
        throw Error(NamingTheFile(Describe(error), info.Path));
    }
    if (!loaded) {
        observer.SourceSkipped(info.Path);
        return false;
    }
    if (settings.SheetBackground != kBackgroundTransparent)
        FlattenOverWhite(source_);
    Resize(info, settings);
    if (halfSize_) {
        PadToEvenSize(source_, settings.SheetBackground == kBackgroundTransparent);
        info.Width = source_.Width();
        info.Height = source_.Height();
    }
    return true;
}

void SpriteBuilder::WriteRule(const BuildInputs& inputs, const SourceInfo& info, std::int32_t x,
                              std::int32_t y, StylesheetFile& css, BuildObserver& observer)
{
    // On a double-size sheet the rules describe the half-size one.
    const int scale = halfSize_ ? 2 : 1;
    const std::string name = halfSize_ ? WithoutDoubleSizeSuffix(info.Name) : info.Name;
    PlacedImage image{std::string(FileNameOf(info.Path)), ImageClassName(inputs.SpriteClass, name),
                      x / scale, y / scale, info.Width / scale, info.Height / scale};
    std::string line = StylesheetLine(image.className.selector, image.x, image.y, image.width,
                                      image.height, inputs.LineStyleIndex);
    css.WriteLine(line);
    observer.LineWritten(line);
    if (std::string warning = collisions_.Add(image.fileName, image.className); !warning.empty())
        observer.Remark(warning);
    placedImages_.push_back(std::move(image));
}

bool SpriteBuilder::LoadSourceImage(SourceInfo& info)
{
    const ImageFormat* format = FormatForExtension(ExtensionOf(info.Path));
    if (!format)
        return false;
    info.Name = BaseName(info.Path);
    source_ = Bitmap();  // release the previous source before decoding the next
    source_ = format->loadSource(info.Path);
    info.Width = source_.Width();
    info.Height = source_.Height();
    return true;
}

void SpriteBuilder::Resize(SourceInfo& info, const BuildSettings& settings)
{
    std::int32_t width, height;
    switch (settings.ResizeMethod) {
    case kResizeByPercentage:
        height = ScaledSide(info.Height, settings.ResizePercentage);
        width = ScaledSide(info.Width, settings.ResizePercentage);
        break;
    case kResizeToSize:
        height = std::max(settings.ResizeHeight, 0);
        width = std::max(settings.ResizeWidth, 0);
        break;
    default:
        return;
    }
    Bitmap scaled(width, height, source_.HasAlpha ? PixelFormat::Bits32 : PixelFormat::Bits24);
    scaled.HasAlpha = source_.HasAlpha;
    scaled.StretchDraw(source_, 0, 0, width, height);
    source_ = std::move(scaled);
    info.Width = width;
    info.Height = height;
}

void SpriteBuilder::StartStylesheet(const BuildInputs& inputs, const BuildSettings& settings,
                                    StylesheetFile& css, BuildObserver& observer)
{
    baseClass_.reset();
    if (!settings.BaseRule)
        return;
    ClassName base = BaseClassName(inputs.SpriteClass);
    if (base.attribute.empty()) {
        observer.Remark("warning: no base rule written: the class text \"" + inputs.SpriteClass +
                        "\" names no class");
        return;
    }
    css.WriteLine(BaseRule(base.selector, sheetFacts_));
    baseClass_ = std::move(base);
}

void SpriteBuilder::FinishDoubleSizeSheet(StylesheetFile& css)
{
    // Every place and size is even already; this keeps halving exact when
    // negative paddings pull a sheet's edge in.
    sheet_.SetSize(EvenUp(sheet_.Width()), EvenUp(sheet_.Height()));
    sheetFacts_.width = sheet_.Width() / 2;
    sheetFacts_.height = sheet_.Height() / 2;
    if (baseClass_)
        css.WriteLine(HighDensityRule(baseClass_->selector, sheetFacts_));
}

void SpriteBuilder::WriteResults(const std::string& sheetPath, const BuildInputs& inputs,
                                 const BuildSettings& settings, StylesheetFile& css,
                                 BuildObserver& observer)
{
    const OutputTypeInfo& type = OutputTypeFor(inputs.OutputFileType);
    const auto encode = FormatForOutput(type.type).encodeSheet;
    const TFormatPrefs& prefs = settings.*type.prefs;
    std::string path = sheetPath + std::string(type.extension);

    // Every file is written in full before the first one is put in place.
    OutputSet outputs;
    auto write = [&outputs](const std::string& filePath, std::span<const std::uint8_t> bytes) {
        outputs.Add(filePath).Write(bytes);
    };
    auto writeText = [&write](const std::string& filePath, const std::string& text) {
        write(filePath, {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
    };
    auto encodeUnlessStopped = [&](const Bitmap& sheet) {
        StopIfAsked(observer);
        return encode(sheet, prefs);
    };
    if (halfSize_) {
        write(path, encodeUnlessStopped(HalfSize(sheet_)));
        write(InFolder(inputs.Folder, sheetFacts_.highDensityFileName),
              encodeUnlessStopped(sheet_));
    } else {
        sheetFacts_.width = sheet_.Width();
        sheetFacts_.height = sheet_.Height();
        write(path, encodeUnlessStopped(sheet_));
    }
    PreviewStyle style{baseClass_ ? &*baseClass_ : nullptr,
                       inputs.LineStyleIndex == kPositionAndSize};
    for (const WebFile& web : WebFiles(placedImages_, sheetFacts_, settings.DataFormats,
                                       settings.HtmlPreview != 0, style))
        writeText(sheetPath + web.extension, web.text);
    if (halfSize_ && (settings.DataFormats & kDataJson))
        writeText(sheetPath + kDoubleSizeSuffix + ".json", DoubleSizeFrames(placedImages_, sheetFacts_));
    css.JoinOutputs(outputs);
    StopIfAsked(observer);
    outputs.PutInPlace();
    observer.SheetWritten(path);
}

}  // namespace tessolo
