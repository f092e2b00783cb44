#include "sprite/sprite_build.h"

#include "platform/error.h"
#include "platform/files.h"
#include "sprite/base_name.h"
#include "sprite/build_lock.h"
#include "sprite/duplicate_images.h"
#include "sprite/image_formats.h"
#include "sprite/stylesheet.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>
#include <optional>

namespace tessolo {

const char* const kBuildMessageCaption = "Can't Make Sprites";

namespace {

// Validation lines end with line feed, carriage return, in that order.
constexpr const char* kLineEnd = "\n\r";

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
    return errors;
}

std::int32_t ScaledSide(std::int32_t side, std::int32_t percentage)
{
    float factor = float(percentage * 0.01L);
    long double product = std::trunc(static_cast<long double>(side) * factor);
    return std::int32_t(std::clamp<long double>(product, 0, std::numeric_limits<std::int32_t>::max()));
}

BuildResult SpriteBuilder::MakeSprites(const BuildInputs& inputs, const BuildSettings& settings,
                                       BuildObserver& observer)
{
    std::string errors = ValidateInputs(inputs, settings);
    if (!errors.empty()) {
        observer.ValidationFailed(std::string("The following errors were found:") + kLineEnd +
                                  kLineEnd + errors);
        return BuildResult::InvalidInputs;
    }

    // The lock is held until both results are in place.
    std::string sheetPath = InFolder(inputs.Folder, inputs.ProjectName);
    std::string cssPath = sheetPath + ".css";
    BuildLock lock;
    StylesheetFile css;
    std::string reason = lock.Take(inputs.Folder);
    if (reason.empty())
        reason = css.Open(cssPath);
    if (!reason.empty()) {
        observer.CannotOpen("Cannot open " + cssPath + " for write: " + reason);
        return BuildResult::CannotOpen;
    }
    observer.ListCleared();
    sheet_.SetHeight(0);
    sheet_.SetWidth(0);

    try {
        Placed placed = PlaceSources(inputs, settings, css, observer);
        if (sheet_.Width() == 0 || sheet_.Height() == 0)
            throw Error(std::string("No image was placed on the sheet: ") +
                        WhyNothingWasPlaced(placed.images, placed.withPixels));
        css.Finish();
        observer.SheetFinished(sheet_);
        WriteResults(sheetPath, inputs, settings, css, observer);
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
    int merged = 0;
    layout_.Reset(settings.Orientation, settings.HorizontalPadding, settings.VerticalPadding,
                  inputs.GraphicFiles.size());
    for (const std::string& entry : inputs.GraphicFiles) {
        SourceInfo info;
        info.Path = InFolder(inputs.Folder, entry);
        bool loaded = false;
        try {
            loaded = LoadSourceImage(info);
        } catch (const std::exception& error) {
            throw Error(NamingTheFile(Describe(error), info.Path));
        }
        if (!loaded) {
            observer.SourceSkipped(info.Path);
            continue;
        }
        Resize(info, settings);
        // A copy of an image placed before shares its place: it is not drawn
        // and takes no room of its own.
        DrawnPixels drawn;
        std::optional<SheetPoint> shared;
        if (settings.DedupeImages) {
            drawn = DrawnPixelsOf(source_);
            shared = duplicates.PlaceOf(drawn);
        }
        SheetPoint at = shared.value_or(SheetPoint{layout_.CursorX, layout_.CursorY});
        if (!shared) {
            layout_.Place(sheet_, info.Width, info.Height);
            sheet_.Draw(source_, at.x, at.y);
        }
        ++placed.images;
        placed.withPixels += info.Width > 0 && info.Height > 0;

        std::string line = StylesheetLine(inputs.SpriteClass, info.Name, at.x, at.y, info.Width,
                                          info.Height, inputs.LineStyleIndex);
        css.WriteLine(line);
        observer.LineWritten(line);
        if (shared) {
            ++merged;
            continue;
        }
        layout_.Advance(sheet_, info.Width, info.Height);
        if (settings.DedupeImages)
            duplicates.Remember(std::move(drawn), at);
    }
    if (merged > 0)
        observer.Remark(MergedImagesRemark(merged));
    return placed;
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
    Bitmap scaled(width, height);
    scaled.StretchDraw(source_, 0, 0, width, height);
    source_ = std::move(scaled);
    info.Width = width;
    info.Height = height;
}

void SpriteBuilder::WriteResults(const std::string& sheetPath, const BuildInputs& inputs,
                                 const BuildSettings& settings, StylesheetFile& css,
                                 BuildObserver& observer)
{
    const OutputTypeInfo& type = OutputTypeFor(inputs.OutputFileType);
    Bytes data = FormatForOutput(type.type).encodeSheet(sheet_, settings.*type.prefs);
    std::string path = sheetPath + std::string(type.extension);
    WriteFileReplacing(path, data);
    css.PutInPlace();
    observer.SheetWritten(path);
}

}  // namespace tessolo
