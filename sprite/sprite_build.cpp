#include "sprite/sprite_build.h"

#include "platform/error.h"
#include "platform/files.h"
#include "sprite/base_name.h"
#include "sprite/image_formats.h"
#include "sprite/stylesheet.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>

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

const TFormatPrefs& PrefsForOutput(int outputIndex, const BuildSettings& settings)
{
    switch (outputIndex) {
    case 0: return settings.JPGprefs;
    case 1: return settings.PNGprefs;
    case 2: return settings.GIFprefs;
    default: return settings.BMPprefs;
    }
}

}  // namespace

std::string ValidateInputs(const BuildInputs& inputs, const BuildSettings& settings)
{
    std::string errors;
    if (inputs.GraphicFiles.empty())
        errors += std::string("No images files selected") + kLineEnd;
    if (inputs.ProjectName.empty())
        errors += std::string("No sprite project name (output sprite filename) entered") + kLineEnd;
    if (inputs.SpriteClass.empty() || inputs.SpriteClass[0] != '.')
        errors += std::string("No sprite classname selected or entered") + kLineEnd;
    if (inputs.LineStyleText.empty() || inputs.LineStyleIndex < 0)
        errors += std::string("No CSS line style selected") + kLineEnd;
    if (!IsKnownOrientation(settings.Orientation))
        errors += "No valid sheet orientation set (" + std::to_string(settings.Orientation) +
                  "; use 0 horizontal, 1 vertical or 2 grid)" + kLineEnd;
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

    std::string sheetPath = InFolder(inputs.Folder, inputs.ProjectName);
    std::string cssPath = sheetPath + ".css";
    StylesheetFile css;
    if (!css.Open(cssPath)) {
        observer.CannotOpen("Cannot open " + cssPath + " for write");
        return BuildResult::CannotOpen;
    }
    observer.ListCleared();
    sheet_.SetHeight(0);
    sheet_.SetWidth(0);

    try {
        PlaceSources(inputs, settings, css, observer);
        css.Close();
    } catch (const std::exception& error) {
        observer.ErrorReport(Describe(error));
        return BuildResult::Failed;
    }

    observer.SheetFinished(sheet_);
    try {
        WriteSheet(sheetPath, inputs, settings, observer);
    } catch (const std::exception& error) {
        observer.ErrorReport(Describe(error));
        return BuildResult::Failed;
    }
    return BuildResult::Done;
}

void SpriteBuilder::PlaceSources(const BuildInputs& inputs, const BuildSettings& settings,
                                 StylesheetFile& css, BuildObserver& observer)
{
    layout_.Reset(settings.Orientation, settings.HorizontalPadding, settings.VerticalPadding,
                  inputs.GraphicFiles.size());
    for (const std::string& entry : inputs.GraphicFiles) {
        SourceInfo info;
        info.Path = InFolder(inputs.Folder, entry);
        if (!LoadSourceImage(info)) {
            observer.SourceSkipped(info.Path);
            continue;
        }
        Resize(info, settings);
        layout_.Place(sheet_, info.Width, info.Height);
        sheet_.Draw(source_, layout_.CursorX, layout_.CursorY);

        std::string line = StylesheetLine(inputs.SpriteClass, info.Name, layout_.CursorX,
                                          layout_.CursorY, info.Width, info.Height,
                                          inputs.LineStyleIndex);
        css.WriteLine(line);
        observer.LineWritten(line);
        layout_.Advance(sheet_, info.Width, info.Height);
    }
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
    case 1:
        height = ScaledSide(info.Height, settings.ResizePercentage);
        width = ScaledSide(info.Width, settings.ResizePercentage);
        break;
    case 2:
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

void SpriteBuilder::WriteSheet(const std::string& sheetPath, const BuildInputs& inputs,
                               const BuildSettings& settings, BuildObserver& observer)
{
    const ImageFormat& format = FormatForOutput(inputs.OutputFileType);
    Bytes data = format.encodeSheet(sheet_, PrefsForOutput(format.outputIndex, settings));
    std::string path = sheetPath + format.extension;
    WriteFileReplacing(path, data);
    observer.SheetWritten(path);
}

}  // namespace tessolo
