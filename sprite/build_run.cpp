#include "sprite/build_run.h"

#include "platform/alpha.h"
#include "platform/byte_hash.h"
#include "platform/files.h"
#include "platform/output_set.h"
#include "platform/path.h"
#include "sprite/data_names.h"
#include "sprite/image_formats.h"
#include "sprite/layout.h"
#include "sprite/output_record.h"
#include "sprite/sheet_background.h"
#include "sprite/state_classes.h"

#include <algorithm>
#include <limits>
#include <new>
#include <set>
#include <span>
#include <utility>

namespace tessolo {

namespace {

void StopIfAsked(BuildObserver& observer)
{
    if (observer.StopRequested())
        throw BuildStopped();
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

// The folders a build locks: the source folder and the output folders; an
// output folder that an option names is created when missing.
std::vector<std::string> FoldersToLock(const std::string& source, const OutputPlaces& places,
                                       const OutputFolders& outputs)
{
    if (!places.sheetFolder.empty())
        CreateFolder(outputs.sheets);
    if (!places.stylesheetFolder.empty())
        CreateFolder(outputs.styles);
    return {source, outputs.sheets, outputs.styles};
}

// The stylesheet of a build that holds its folders' locks. Holding them, the
// build is the only one there, so temporary files that no file lock holds
// were left by a build or a save that was killed.
StylesheetFile StartStylesheetFile(const BuildLock&, const OutputFolders& folders,
                                   const std::string& path)
{
    RemoveStaleTemporaryFiles(folders.sheets);
    if (folders.styles != folders.sheets)
        RemoveStaleTemporaryFiles(folders.styles);
    return StylesheetFile(path);
}

void Resize(Bitmap& source, const BuildSettings& settings)
{
    std::int32_t width, height;
    switch (settings.ResizeMethod) {
    case kResizeByPercentage:
        height = ScaledSide(source.Height(), settings.ResizePercentage);
        width = ScaledSide(source.Width(), settings.ResizePercentage);
        break;
    case kResizeToSize:
        height = std::max(settings.ResizeHeight, 0);
        width = std::max(settings.ResizeWidth, 0);
        break;
    default:
        return;
    }
    Bitmap scaled(width, height, source.HasAlpha ? PixelFormat::Bits32 : PixelFormat::Bits24);
    scaled.HasAlpha = source.HasAlpha;
    scaled.StretchDraw(source, 0, 0, width, height);
    source = std::move(scaled);
}

}  // namespace

std::string StylesheetPath(const BuildInputs& inputs, const BuildSettings& settings)
{
    return InFolder(OutputFoldersOf(inputs.Folder, settings.Places).styles,
                    inputs.ProjectName + ".css");
}

std::string DescribeFailure(const std::exception& error)
{
    if (dynamic_cast<const std::bad_alloc*>(&error))
        return "Out of memory";
    return error.what();
}

BuildRun::BuildRun(const BuildInputs& inputs, const BuildSettings& settings,
                   BuildObserver& observer)
    : inputs_(inputs),
      observer_(observer),
      density_(settings.Retina),
      settings_(settings),
      folders_(OutputFoldersOf(inputs.Folder, settings.Places)),
      lock_(FoldersToLock(inputs.Folder, settings.Places, folders_)),
      css_(StartStylesheetFile(lock_, folders_, StylesheetPath(inputs, settings))),
      sheet_(settings.SheetBackground == kBackgroundTransparent ? TransparentBitmap(0, 0)
                                                                : Bitmap()),
      holdRules_(settings.Places.cacheBust),
      sharedPlaces_(settings.DedupeImages)
{
    const std::string_view extension = OutputTypeFor(inputs.OutputFileType).extension;
    facts_.fileName = inputs.ProjectName + std::string(extension);
    facts_.stylesheetName = inputs.ProjectName + ".css";
    facts_.title = inputs.ProjectName;
    facts_.highDensityFileName = density_.DoubleSizeFileName(inputs.ProjectName, extension);
    SetSheetUrls(facts_, folders_, settings.Places);
}

void BuildRun::Run()
{
    density_.Adjust(settings_);
    for (const std::string& path : settings_.Templates)
        templates_.push_back(LoadOutputTemplate(FromFolder(inputs_.Folder, path)));
    StartStylesheet();
    if (settings_.Orientation == kPacked)
        PlacePacked();
    else
        PlaceInLine();
    if (std::optional<std::string> remark = sharedPlaces_.Remark())
        observer_.Summary(*remark);
    if (sheet_.Empty())
        throw Error(std::string("No image was placed on the sheet: ") +
                    WhyNothingWasPlaced(sourcesRead_, sourcesWithPixels_));
    for (const std::string& warning : DataNameWarnings(placed_, settings_.DataFormats))
        observer_.Remark(warning);
    if (settings_.PseudoClasses)
        for (const std::string& warning : StatesWithoutBase(placed_))
            observer_.Remark(warning);
    FinishSheet();
    observer_.SheetFinished(sheet_);
    WriteOutputs();
}

void BuildRun::StartStylesheet()
{
    if (!settings_.BaseRule)
        return;
    ClassName base = BaseClassName(inputs_.SpriteClass);
    if (base.attribute.empty()) {
        observer_.Remark("warning: no base rule written: the class text \"" + inputs_.SpriteClass +
                         "\" names no class");
        return;
    }
    if (!holdRules_)
        css_.WriteLine(BaseRule(base.selector, facts_));
    baseClass_ = std::move(base);
}

void BuildRun::PlaceInLine()
{
    SheetLayout layout;
    layout.Reset(settings_.Orientation, settings_.HorizontalPadding, settings_.VerticalPadding,
                 inputs_.GraphicFiles.size());
    std::vector<PackPosition> kept;  // where each image that took room went, for its copies
    for (const std::string& entry : inputs_.GraphicFiles) {
        std::optional<Source> source = NextSource(entry);
        if (!source)
            continue;
        // A copy of an image placed before shares its place: it is not drawn
        // and takes no room of its own.
        if (std::optional<std::size_t> original = sharedPlaces_.OriginalOf(source->image,
                                                                            kept.size())) {
            WriteRule(source->info, kept[*original]);
            continue;
        }
        const SourceInfo& info = source->info;
        layout.Place(sheet_, info.width, info.height);
        sheet_.Draw(source->image, layout.CursorX, layout.CursorY);
        kept.push_back({layout.CursorX, layout.CursorY});
        WriteRule(info, kept.back());
        layout.Advance(sheet_, info.width, info.height);
    }
}

void BuildRun::PlacePacked()
{
    // Every size must be known before the first image is placed, so the
    // decoded sources are kept until the sheet is drawn. A copy of an image
    // read before is not kept: it shares the place of its original.
    std::vector<SourceInfo> infos;
    std::vector<std::size_t> keptOf;  // per info: its image among those kept
    std::vector<Bitmap> kept;
    std::vector<PackItem> items;
    std::int64_t pixelsHeld = 0;
    for (const std::string& entry : inputs_.GraphicFiles) {
        std::optional<Source> source = NextSource(entry);
        if (!source)
            continue;
        std::optional<std::size_t> original = sharedPlaces_.OriginalOf(source->image, kept.size());
        keptOf.push_back(original.value_or(kept.size()));
        if (!original) {
            // The sheet will hold every source's pixels: once those held
            // could not fit in the largest bitmap there is, stop before
            // decoding more.
            const SourceInfo& info = source->info;
            pixelsHeld += std::int64_t(info.width) * info.height;
            CheckBitmapSize(int(std::min<std::int64_t>(pixelsHeld, std::numeric_limits<int>::max())),
                            1, sheet_.Format());
            items.push_back({info.width, info.height, info.name});
            kept.push_back(std::move(source->image));
        }
        infos.push_back(std::move(source->info));
    }
    if (settings_.HorizontalPadding < 0 || settings_.VerticalPadding < 0)
        observer_.Remark("The packed layout counts a negative padding as 0");

    PackedSheet packed = PackRectangles(items, settings_.HorizontalPadding,
                                        settings_.VerticalPadding);
    sheet_.SetSize(packed.Width, packed.Height);
    for (std::size_t i = 0; i < infos.size(); ++i) {
        StopIfAsked(observer_);
        std::size_t k = keptOf[i];
        sheet_.Draw(kept[k], packed.Positions[k].X, packed.Positions[k].Y);
        kept[k] = Bitmap();  // a copy finds its original drawn and released
        WriteRule(infos[i], packed.Positions[k]);
    }
}

void BuildRun::FinishSheet()
{
    density_.FinishSheet(sheet_, facts_);
    if (settings_.Units == kUnitsPercent)
        for (const PlacedImage& image : placed_)
            EmitRule(image);
    if (!holdRules_)
        CloseStylesheet();
}

void BuildRun::CloseStylesheet()
{
    if (baseClass_ && !facts_.highDensityFileName.empty())
        css_.WriteLine(HighDensityRule(baseClass_->selector, facts_, settings_.Units));
    css_.Finish();
}

void BuildRun::AddRule(const std::string& line)
{
    if (holdRules_)
        heldRules_.push_back(line);
    else
        css_.WriteLine(line);
}

void BuildRun::WriteOutputs()
{
    const OutputTypeInfo& type = OutputTypeFor(inputs_.OutputFileType);
    const auto encode = FormatForOutput(type.type).encodeSheet;

    // Every file is written in full before the first one is put in place.
    OutputSet outputs;
    auto write = [&](const std::string& folder, const std::string& fileName,
                     std::span<const std::uint8_t> bytes) {
        outputs.Add(InFolder(folder, fileName)).Write(bytes);
    };
    auto writeText = [&](const std::string& fileName, const std::string& text) {
        write(folders_.styles, fileName,
              {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
        return WrittenFile{fileName, HashBytes({reinterpret_cast<const std::uint8_t*>(text.data()),
                                                text.size()})};
    };
    density_.ForEachSheet(sheet_, facts_, [&](const std::string& fileName, const Bitmap& pixels) {
        StopIfAsked(observer_);
        const Bytes bytes = encode(pixels, settings_.Encoding);
        write(folders_.sheets, fileName, bytes);
        if (settings_.Places.cacheBust)
            SetSheetBytes(facts_, fileName, bytes);
    });
    if (holdRules_) {
        if (baseClass_)
            css_.WriteLine(BaseRule(baseClass_->selector, facts_));
        for (const std::string& line : heldRules_)
            css_.WriteLine(line);
        CloseStylesheet();
    }
    PreviewStyle style{baseClass_ ? &*baseClass_ : nullptr,
                       inputs_.LineStyle == kPositionAndSize};
    std::vector<WrittenFile> written;
    for (const WebFile& web : WebFiles(placed_, facts_, settings_.DataFormats,
                                       settings_.HtmlPreview, style))
        written.push_back(writeText(inputs_.ProjectName + web.extension, web.text));
    std::set<std::string> taken{facts_.fileName, facts_.highDensityFileName,
                                facts_.stylesheetName};
    for (const WrittenFile& file : written)
        taken.insert(file.fileName);
    for (const OutputTemplate& format : templates_) {
        const std::string fileName = inputs_.ProjectName + format.extension;
        if (!taken.insert(fileName).second)
            throw Error("The template " + format.path + " would write " + fileName +
                        ", which the build writes already");
        written.push_back(writeText(fileName, RenderOutputTemplate(format, placed_, facts_,
                                                                   facts_.url,
                                                                   facts_.highDensityUrl)));
    }
    css_.JoinOutputs(outputs);
    // The record of the files beside the stylesheet goes in place last, and
    // what the previous build wrote and this one does not goes after it.
    const RecordUpdate record =
        PlanRecordUpdate(folders_.styles, inputs_.ProjectName, written, WebFileExtensions());
    if (record.WritesRecord())
        writeText(kOutputRecordName, RecordText(record.entries));
    StopIfAsked(observer_);
    outputs.PutInPlace();
    RemoveStaleOutputs(folders_.styles, record);
    observer_.SheetWritten(InFolder(folders_.sheets, facts_.fileName));
}

std::optional<BuildRun::Source> BuildRun::NextSource(const std::string& entry)
{
    StopIfAsked(observer_);
    std::optional<ListedSource> listed = List(entry);
    if (!listed)
        return std::nullopt;
    Source source = Decode(*listed);
    ++sourcesRead_;
    sourcesWithPixels_ += !source.image.Empty();
    return source;
}

std::optional<BuildRun::ListedSource> BuildRun::List(const std::string& entry)
{
    std::string path = InFolder(inputs_.Folder, entry);
    const SourceCodec* format = FormatForExtension(ExtensionOf(path));
    if (!format) {
        observer_.SourceSkipped(path);
        return std::nullopt;
    }
    return ListedSource{std::move(path), format};
}

BuildRun::Source BuildRun::Decode(const ListedSource& listed) const
{
    Source source{{listed.path, BaseName(listed.path)}, {}};
    try {
        source.image = listed.format->loadSource(listed.path);
    } catch (const std::exception& error) {
        throw Error(NamingTheFile(DescribeFailure(error), listed.path));
    }
    const bool transparent = settings_.SheetBackground == kBackgroundTransparent;
    if (!transparent)
        FlattenOverWhite(source.image);
    Resize(source.image, settings_);
    density_.FitSource(source.image, transparent);
    source.info.width = source.image.Width();
    source.info.height = source.image.Height();
    return source;
}

void BuildRun::WriteRule(const SourceInfo& info, PackPosition at)
{
    // The rules describe the sheet that the stylesheet names.
    const std::int32_t scale = density_.Scale();
    PlacedImage image{std::string(FileNameOf(info.path)),
                      ImageClassName(inputs_.SpriteClass, density_.ClassBaseName(info.name)),
                      at.X / scale, at.Y / scale, info.width / scale, info.height / scale};
    if (settings_.Units == kUnitsPixels)
        EmitRule(image);
    if (std::string warning = collisions_.Add(image.fileName, image.className); !warning.empty())
        observer_.Remark(warning);
    placed_.push_back(std::move(image));
}

void BuildRun::EmitRule(const PlacedImage& image)
{
    const std::string selector = RuleSelector(image.className, settings_.PseudoClasses);
    const std::string line =
        settings_.Units == kUnitsPercent
            ? PercentStylesheetLine(selector,
                                    PercentPlaceOf(image.x, image.y, image.width, image.height,
                                                   facts_.width, facts_.height),
                                    image.width, image.height, *inputs_.LineStyle)
            : StylesheetLine(selector, image.x, image.y, image.width, image.height,
                             *inputs_.LineStyle);
    AddRule(line);
    observer_.LineWritten(line);
    observer_.ImagePlaced(image, line, density_.Scale());
}

}  // namespace tessolo
