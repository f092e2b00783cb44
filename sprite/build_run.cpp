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
#include "sprite/source_shaping.h"
#include "sprite/state_classes.h"

#include <algorithm>
#include <exception>
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

// A sheet before the first image: without pixels, transparent or not.
Bitmap BlankSheet(const BuildSettings& settings)
{
    return settings.SheetBackground == kBackgroundTransparent ? TransparentBitmap(0, 0) : Bitmap();
}

// A source read a row at a time is kept whole for a strip or a grid up to
// this many pixels (16 MiB at 32 bits); a larger one is read again to be
// drawn, so that it is never held beside the sheet.
constexpr std::int64_t kKeptSourcePixels = std::int64_t(4) << 20;

// What a source that no longer has the size it was read with ends.
Error SourceChanged(const std::string& path)
{
    return Error("The image " + path + " changed while the build read it");
}

// "a.png, b.png, c.png".
std::string JoinedNames(const std::vector<std::string>& names)
{
    std::string text;
    for (const std::string& name : names)
        text += (text.empty() ? "" : ", ") + name;
    return text;
}

// The type of a sheet that the facts name by its MIME type.
OutputType TypeOfMime(std::string_view mimeType)
{
    return std::ranges::find(kOutputTypes, mimeType, &OutputTypeInfo::mimeType)->type;
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
      density_(SheetScales(settings)),
      settings_(settings),
      folders_(OutputFoldersOf(inputs.Folder, settings.Places)),
      lock_(FoldersToLock(inputs.Folder, settings.Places, folders_)),
      css_(StartStylesheetFile(lock_, folders_, StylesheetPath(inputs, settings))),
      sheets_{BlankSheet(settings)},
      holdRules_(settings.Places.cacheBust || settings.MaxSize.Limits()),
      sharedPlaces_(settings.DedupeImages,
                    [this](std::size_t number) { return Decode(placedSources_[number]).image; })
{
    const std::string_view extension = OutputTypeFor(inputs.OutputFileType).extension;
    facts_.fileName = inputs.ProjectName + std::string(extension);
    facts_.stylesheetName = inputs.ProjectName + ".css";
    facts_.title = inputs.ProjectName;
    facts_.densities = density_.DenseSheets(inputs.ProjectName, extension);
    SetSheetUrls(facts_, folders_, settings.Places);
    AddFormats(facts_, inputs.ProjectName, settings.Places);
}

void BuildRun::AddFormats(SheetFacts& sheet, const std::string& name,
                          const OutputPlaces& places) const
{
    const OutputTypeInfo& primary = OutputTypeFor(inputs_.OutputFileType);
    for (const OutputTypeInfo& type : kOutputTypes) {
        if (!(settings_.AlsoFormats & (1 << type.type)) || type.type == primary.type)
            continue;
        const std::string extension(type.extension);
        SheetFacts format;
        format.fileName = name + extension;
        format.densities = density_.DenseSheets(name, extension);
        format.mimeType = type.mimeType;
        OutputPlaces own = places;
        if (!own.sheetUrl.empty())
            own.sheetUrl = UrlWithExtension(own.sheetUrl, extension);
        SetSheetUrls(format, folders_, own);
        sheet.formats.push_back(std::move(format));
    }
    if (!sheet.formats.empty())
        sheet.mimeType = primary.mimeType;
}

void BuildRun::Run()
{
    density_.Adjust(settings_);
    files_ = inputs_.GraphicFiles;
    if (density_.Scale() > 1) {
        std::vector<std::string> left;
        files_ = LargestScaleFiles(inputs_.GraphicFiles, density_.Scale(), left);
        if (!left.empty())
            observer_.Summary("left out " + std::to_string(left.size()) +
                              (left.size() == 1 ? " image" : " images") +
                              " with a file of a larger scale beside it: " + JoinedNames(left));
    }
    for (const std::string& path : settings_.Templates)
        templates_.push_back(LoadOutputTemplate(FromFolder(inputs_.Folder, path)));
    StartStylesheet();
    if (settings_.Orientation == kPacked)
        PlacePacked();
    else
        PlaceInLine();
    if (std::optional<std::string> remark = sharedPlaces_.Remark())
        observer_.Summary(*remark);
    if (sheets_.front().Empty())
        throw Error(std::string("No image was placed on the sheet: ") +
                    WhyNothingWasPlaced(sourcesRead_, sourcesWithPixels_));
    for (const std::string& warning : DataNameWarnings(placed_, settings_.DataFormats))
        observer_.Remark(warning);
    if (settings_.PseudoClasses)
        for (const std::string& warning : StatesWithoutBase(placed_))
            observer_.Remark(warning);
    SplitFacts();
    FinishSheet();
    observer_.SheetFinished(sheets_.front());
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
        css_.WriteLine(BaseRule(base.selector, RuleImageOf(facts_, 1)));
    baseClass_ = std::move(base);
}

void BuildRun::PlaceInLine()
{
    SheetLayout layout;
    layout.Reset(settings_.Orientation, settings_.HorizontalPadding, settings_.VerticalPadding,
                 files_.size());
    std::vector<SheetPlace> kept;  // where each image that took room went, for its copies
    for (const std::string& entry : files_) {
        std::optional<ReadSource> read = NextSource(entry, kept.size(), kKeptSourcePixels);
        if (!read)
            continue;
        // A copy of an image placed before shares its place: it is not drawn
        // and takes no room of its own.
        const SourceInfo& info = read->source.info;
        if (read->original) {
            WriteRule(info, kept[*read->original]);
            continue;
        }
        placedSources_.push_back({info.path, info.format});
        MakeRoom(layout, info);
        Bitmap& sheet = sheets_.back();
        layout.Place(sheet, info.width, info.height);
        if (read->drawnFromRows)
            DrawRows(placedSources_.size() - 1, info, sheet, layout.CursorX, layout.CursorY);
        else
            sheet.Draw(read->source.image, layout.CursorX, layout.CursorY);
        kept.push_back({sheets_.size() - 1, {layout.CursorX, layout.CursorY}});
        NoteRedrawn(read->source, kept.back());
        WriteRule(info, kept.back());
        layout.Advance(sheet, info.width, info.height);
    }
}

void BuildRun::CheckFitsLimit(const SourceInfo& info) const
{
    if (!settings_.MaxSize.Holds(info.width, info.height))
        throw Error("The image " + info.path + " (" + std::to_string(info.width) + "x" +
                    std::to_string(info.height) + " pixels as placed) is larger than the largest "
                    "sheet, " + SheetLimitText(settings_.MaxSize));
}

void BuildRun::MakeRoom(SheetLayout& layout, const SourceInfo& info)
{
    const SheetLimit& limit = settings_.MaxSize;
    auto fits = [&](const SheetLayout& at) {
        const SheetSize size = at.SizeWith(sheets_.back(), info.width, info.height);
        return limit.Holds(size.width, size.height);
    };
    if (fits(layout))
        return;
    CheckFitsLimit(info);
    if (layout.CanStartRow()) {
        SheetLayout below = layout;
        below.StartRow(sheets_.back());
        if (fits(below)) {
            layout = below;
            return;
        }
    }
    // On a new sheet it fits, as it fits the limit alone.
    sheets_.push_back(BlankSheet(settings_));
    layout.Reset(settings_.Orientation, settings_.HorizontalPadding, settings_.VerticalPadding,
                 files_.size());
}

void BuildRun::PlacePacked()
{
    // Every size must be known before the first image is placed, so every
    // source is decoded for its size, then decoded again when it is drawn:
    // no more than one is held beside the sheet. A copy of an image read
    // before is not drawn: it shares the place of its original.
    std::vector<SourceInfo> infos;
    std::vector<std::size_t> placeOf;  // per info: the number of the place it takes
    std::vector<PackItem> items;
    std::int64_t pixelsHeld = 0;
    for (const std::string& entry : files_) {
        const std::size_t number = placedSources_.size();
        std::optional<ReadSource> read = NextSource(entry, number, 0);
        if (!read)
            continue;
        SourceInfo& info = read->source.info;
        const std::optional<std::size_t> original = read->original;
        placeOf.push_back(original.value_or(number));
        if (!original) {
            // The sheet will hold every source's pixels: once those could
            // not fit in the largest bitmap there is, stop before decoding
            // more.
            pixelsHeld += std::int64_t(info.width) * info.height;
            CheckBitmapSize(int(std::min<std::int64_t>(pixelsHeld, std::numeric_limits<int>::max())),
                            1, sheets_.front().Format());
            CheckFitsLimit(info);
            items.push_back({info.width, info.height, info.name});
            placedSources_.push_back({info.path, info.format});
        }
        infos.push_back(std::move(info));
    }
    if (settings_.HorizontalPadding < 0 || settings_.VerticalPadding < 0)
        observer_.Remark("The packed layout counts a negative padding as 0");

    const SplitPacking packed = PackWithin(items, settings_.HorizontalPadding,
                                           settings_.VerticalPadding, settings_.MaxSize);
    auto decode = [&](std::size_t number) {
        return DecodeAgain(number, items[number].Width, items[number].Height);
    };
    // Decoding holds an image twice for a moment: the largest is decoded
    // before the sheets are made, so that only its decoded pixels are held
    // beside them. One read a row at a time is drawn straight in.
    auto area = [](const PackItem& item) { return std::int64_t(item.Width) * item.Height; };
    const std::size_t largest = std::size_t(
        std::ranges::max_element(items, {}, area) - items.begin());
    Bitmap largestImage = items.empty() || TakesRows(placedSources_[largest]) ? Bitmap()
                                                                              : decode(largest);
    for (std::size_t i = 0; i < packed.sheets.size(); ++i) {
        if (i > 0)
            sheets_.push_back(BlankSheet(settings_));
        sheets_.back().SetSize(packed.sheets[i].width, packed.sheets[i].height);
    }
    std::vector<bool> drawn(items.size(), false);
    for (std::size_t i = 0; i < infos.size(); ++i) {
        StopIfAsked(observer_);
        const std::size_t number = placeOf[i];
        const SheetPlace& place = packed.places[number];
        if (!drawn[number] && TakesRows(placedSources_[number])) {
            DrawRows(number, infos[i], sheets_[place.sheet], place.at.X, place.at.Y);
            drawn[number] = true;
        } else if (!drawn[number]) {
            const Bitmap image = number == largest ? std::move(largestImage) : decode(number);
            if (!image.Empty() && infos[i].redrawn)
                redrawn_.push_back({infos[i], place});
            sheets_[place.sheet].Draw(image, place.at.X, place.at.Y);
            drawn[number] = true;
        }
        WriteRule(infos[i], place);
    }
}

void BuildRun::SplitFacts()
{
    if (sheets_.size() == 1)
        return;
    const std::string extension(OutputTypeFor(inputs_.OutputFileType).extension);
    for (std::size_t i = 0; i < sheets_.size(); ++i) {
        const std::string name = NumberedSheetName(inputs_.ProjectName, i + 1);
        SheetFacts sheet;
        sheet.fileName = name + extension;
        sheet.stylesheetName = facts_.stylesheetName;
        sheet.title = facts_.title;
        sheet.densities = density_.DenseSheets(name, extension);
        OutputPlaces places = settings_.Places;
        if (!places.sheetUrl.empty())
            places.sheetUrl =
                UrlWithSuffix(places.sheetUrl, name.substr(inputs_.ProjectName.size()));
        SetSheetUrls(sheet, folders_, places);
        AddFormats(sheet, name, places);
        facts_.split.push_back(std::move(sheet));
        // The sheet's own class, then the selectors of every rule of its images.
        sheetSelectors_.push_back(
            ImageClassName(inputs_.SpriteClass, NumberedSheetName("sheet", i + 1)).selector);
    }
    for (const PlacedImage& image : placed_)
        sheetSelectors_[image.sheet] +=
            ", " + RuleSelector(image.className, settings_.PseudoClasses);
    observer_.Summary("placed the images on " + std::to_string(sheets_.size()) + " sheets, " +
                      facts_.split.front().fileName + " to " + facts_.split.back().fileName +
                      ", none larger than " + SheetLimitText(settings_.MaxSize));
}

void BuildRun::FinishSheet()
{
    if (facts_.split.empty())
        density_.FinishSheet(sheets_.front(), facts_);
    for (std::size_t i = 0; i < facts_.split.size(); ++i)
        density_.FinishSheet(sheets_[i], facts_.split[i]);
    if (settings_.Units == kUnitsPercent && !settings_.MaxSize.Limits())
        for (const PlacedImage& image : placed_)
            EmitRule(image);
    if (!holdRules_)
        CloseStylesheet();
}

void BuildRun::WriteBaseRules()
{
    if (!baseClass_)
        return;
    if (facts_.split.empty())
        css_.WriteLine(BaseRule(baseClass_->selector, RuleImageOf(facts_, 1)));
    for (std::size_t i = 0; i < facts_.split.size(); ++i)
        css_.WriteLine(BaseRule(sheetSelectors_[i], RuleImageOf(facts_.split[i], 1)));
}

void BuildRun::CloseStylesheet()
{
    auto writeSwitches = [&](const std::string& selector, const SheetFacts& sheet) {
        for (const DenseSheet& dense : sheet.densities)
            css_.WriteLine(DensityRule(selector, dense.scale, RuleImageOf(sheet, dense.scale),
                                       sheet.width, sheet.height, settings_.Units));
    };
    if (baseClass_ && facts_.split.empty())
        writeSwitches(baseClass_->selector, facts_);
    for (std::size_t i = 0; baseClass_ && i < facts_.split.size(); ++i)
        writeSwitches(sheetSelectors_[i], facts_.split[i]);
    css_.Finish();
}

void BuildRun::AddRule(const std::string& line)
{
    if (holdRules_)
        heldRules_.push_back(line);
    else
        css_.WriteLine(line);
}

std::vector<WrittenFile> BuildRun::WriteSheets(OutputSet& outputs)
{
    // The record's entries of numbered sheets and of the other types'.
    std::vector<WrittenFile> recorded;
    auto writeType = [&](const Bitmap& pixels, std::int32_t scale, SheetFacts& facts,
                         OutputType type, bool record) {
        StopIfAsked(observer_);
        const std::string& fileName =
            scale == 1 ? facts.fileName
                       : std::ranges::find(facts.densities, scale, &DenseSheet::scale)->fileName;
        // The file goes to disk as it is encoded, hashed on the way; a long
        // encode may be stopped at any piece.
        ReplacementFile& file = outputs.Add(InFolder(folders_.sheets, fileName));
        std::uint64_t hash = kByteHashStart;
        WriteSheetFile(FormatForOutput(type), pixels, settings_.Encoding,
                       [&](std::span<const std::uint8_t> bytes) {
                           StopIfAsked(observer_);
                           file.Write(bytes);
                           hash = HashBytes(bytes, hash);
                       });
        if (settings_.Places.cacheBust)
            SetSheetHash(facts, fileName, hash);
        if (record)
            recorded.push_back({fileName, hash});
    };
    auto writeSheet = [&](std::size_t index, SheetFacts& facts) {
        density_.ForEachScale(
            sheets_[index],
            [&](std::int32_t scale, Bitmap& pixels) { RedrawAtScale(index, scale, pixels); },
            [&](std::int32_t scale, const Bitmap& pixels) {
                writeType(pixels, scale, facts, OutputTypeFor(inputs_.OutputFileType).type,
                          !facts_.split.empty());
                for (SheetFacts& format : facts.formats)
                    writeType(pixels, scale, format, TypeOfMime(format.mimeType), true);
            });
    };
    if (facts_.split.empty())
        writeSheet(0, facts_);
    for (std::size_t i = 0; i < facts_.split.size(); ++i)
        writeSheet(i, facts_.split[i]);
    return recorded;
}

void BuildRun::NoteRedrawn(const Source& source, SheetPlace place)
{
    if (source.info.redrawn)
        redrawn_.push_back({source.info, place});
}

void BuildRun::RedrawAtScale(std::size_t sheet, std::int32_t scale, Bitmap& pixels) const
{
    const std::int32_t drawn = density_.Scale();
    for (const auto& [info, place] : redrawn_) {
        if (place.sheet != sheet)
            continue;
        StopIfAsked(observer_);
        // The place is cleared, then the image drawn afresh at this scale.
        Bitmap box = BlankSheet(settings_);
        box.SetSize(info.width / drawn * scale, info.height / drawn * scale);
        box.Draw(Render({info.path, info.format}, scale), 0, 0);
        pixels.Draw(box, place.at.X / drawn * scale, place.at.Y / drawn * scale);
    }
}

void BuildRun::WriteOutputs()
{
    // Every file is written in full before the first one is put in place.
    OutputSet outputs;
    auto writeText = [&](const std::string& folder, const std::string& fileName,
                         const std::string& text) {
        const std::span bytes{reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
        outputs.Add(InFolder(folder, fileName)).Write(bytes);
        return WrittenFile{fileName, HashBytes(bytes)};
    };
    std::vector<WrittenFile> sheets = WriteSheets(outputs);
    if (holdRules_) {
        WriteBaseRules();
        if (settings_.MaxSize.Limits())
            for (const PlacedImage& image : placed_)
                EmitRule(image);
        for (const std::string& line : heldRules_)
            css_.WriteLine(line);
        CloseStylesheet();
    }
    PreviewStyle style{baseClass_ ? &*baseClass_ : nullptr,
                       inputs_.LineStyle == kPositionAndSize};
    std::vector<WrittenFile> written;
    for (const WebFile& web : WebFiles(placed_, facts_, settings_.DataFormats,
                                       settings_.HtmlPreview, style))
        written.push_back(
            writeText(folders_.styles, inputs_.ProjectName + web.extension, web.text));
    std::set<std::string> taken{facts_.fileName, facts_.stylesheetName};
    for (const DenseSheet& dense : facts_.densities)
        taken.insert(dense.fileName);
    for (const std::vector<WrittenFile>* files : {&written, &sheets})
        for (const WrittenFile& file : *files)
            taken.insert(file.fileName);
    for (const OutputTemplate& format : templates_) {
        const std::string fileName = inputs_.ProjectName + format.extension;
        if (!taken.insert(fileName).second)
            throw Error("The template " + format.path + " would write " + fileName +
                        ", which the build writes already");
        written.push_back(writeText(folders_.styles, fileName,
                                    RenderOutputTemplate(format, placed_, facts_)));
    }
    css_.JoinOutputs(outputs);
    // The records of what the build wrote go in place last, and what the
    // previous build wrote and this one does not goes after them. The
    // numbered sheets are recorded in their own folder.
    std::vector<std::pair<std::string, RecordUpdate>> records;
    auto plan = [&](const std::string& folder, const std::vector<WrittenFile>& files,
                    std::vector<std::string> extensions) {
        // Sheets of other types from an earlier build are stale too, but
        // never a file that this build writes.
        for (const OutputTypeInfo& type : kOutputTypes)
            for (std::int32_t scale = 1; scale <= kMaxScale; ++scale)
                extensions.push_back(ScaleSuffix(scale) + std::string(type.extension));
        RecordUpdate record = PlanRecordUpdate(folder, inputs_.ProjectName, files, extensions);
        std::erase_if(record.staleFiles, [&](const std::string& name) { return taken.contains(name); });
        if (record.WritesRecord())
            writeText(folder, kOutputRecordName, RecordText(record.entries));
        records.emplace_back(folder, std::move(record));
    };
    if (SameFolder(folders_.sheets, folders_.styles)) {
        written.insert(written.end(), sheets.begin(), sheets.end());
    } else {
        plan(folders_.sheets, sheets, {});
    }
    plan(folders_.styles, written, WebFileExtensions());
    StopIfAsked(observer_);
    outputs.PutInPlace();
    for (const auto& [folder, record] : records)
        RemoveStaleOutputs(folder, record);
    observer_.SheetWritten(
        InFolder(folders_.sheets, (facts_.split.empty() ? facts_ : facts_.split[0]).fileName));
}

std::optional<BuildRun::ReadSource> BuildRun::NextSource(const std::string& entry,
                                                        std::size_t number,
                                                        std::int64_t keepPixels)
{
    StopIfAsked(observer_);
    std::optional<ListedSource> listed = List(entry);
    if (!listed)
        return std::nullopt;
    ReadSource read;
    Source& source = read.source;
    if (TakesRows(*listed)) {
        std::uint64_t hash = 0;
        source.info = Measure(*listed, hash, keepPixels, source.image);
        read.drawnFromRows = source.image.Empty();
        // A source without pixels is never merged, as a whole one is not.
        if (source.info.width > 0 && source.info.height > 0)
            read.original = sharedPlaces_.OriginalOf(
                hash, [&] { return read.drawnFromRows ? Decode(*listed).image : source.image; },
                number);
    } else {
        source = Decode(*listed);
        read.original = sharedPlaces_.OriginalOf(source.image, number);
    }
    ++sourcesRead_;
    sourcesWithPixels_ += source.info.width > 0 && source.info.height > 0;
    return read;
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

Bitmap BuildRun::Render(const ListedSource& listed, std::int32_t scale) const
{
    Bitmap image;
    try {
        image = listed.format->loadSized && (settings_.SvgSize > 0 || scale > 1)
                    ? listed.format->loadSized(listed.path, settings_.SvgSize, scale)
                    : listed.format->loadSource(listed.path);
    } catch (const std::exception& error) {
        throw Error(NamingTheFile(DescribeFailure(error), listed.path));
    }
    if (settings_.SheetBackground != kBackgroundTransparent)
        FlattenOverWhite(image);
    return image;
}

BuildRun::Source BuildRun::Decode(const ListedSource& listed) const
{
    // Scalable sources are drawn at the sheet's scale, and afresh at each
    // smaller one unless they are resized.
    const bool redrawn = listed.format->loadSized && density_.Scale() > 1 &&
                         settings_.ResizeMethod == kResizeNone;
    // Rendered first: an aggregate whose later member throws is not
    // destroyed soundly by every compiler.
    Bitmap image = Render(listed, density_.Scale());
    Source source{{listed.path, BaseName(listed.path), 0, 0, listed.format, redrawn}, std::move(image)};
    Resize(source.image, settings_);
    density_.FitSource(source.image, settings_.SheetBackground == kBackgroundTransparent);
    source.info.width = source.image.Width();
    source.info.height = source.image.Height();
    return source;
}

Bitmap BuildRun::DecodeAgain(std::size_t number, std::int32_t width, std::int32_t height) const
{
    Source source = Decode(placedSources_[number]);
    if (source.info.width != width || source.info.height != height)
        throw SourceChanged(source.info.path);
    return std::move(source.image);
}

bool BuildRun::TakesRows(const ListedSource& listed)
{
    return listed.format->loadRows != nullptr &&
           (listed.format->readsRows == nullptr || listed.format->readsRows(listed.path));
}

BuildRun::SourceInfo BuildRun::Measure(const ListedSource& listed, std::uint64_t& hash,
                                       std::int64_t keepPixels, Bitmap& kept) const
{
    SourceInfo info{listed.path, BaseName(listed.path), 0, 0, listed.format, false};
    std::optional<DrawnPixelHash> pixels;
    ReadRows(
        listed,
        [&](int width, int height) {
            info.width = width;
            info.height = height;
            pixels.emplace(width, height);
        },
        [&](int y, const Bitmap& row) {
            if (settings_.DedupeImages)
                pixels->AddRows(row);
            if (y == 0 && std::int64_t(info.width) * info.height <= keepPixels) {
                kept = Bitmap(info.width, info.height, row.Format());
                kept.HasAlpha = row.HasAlpha;
            }
            if (!kept.Empty())
                kept.Draw(row, 0, y);
        });
    hash = pixels ? pixels->Value() : 0;
    return info;
}

void BuildRun::DrawRows(std::size_t number, const SourceInfo& info, Bitmap& sheet,
                        std::int32_t x, std::int32_t y) const
{
    bool sameSize = false;
    ReadRows(
        placedSources_[number],
        [&](int width, int height) { sameSize = width == info.width && height == info.height; },
        [&](int row, const Bitmap& pixels) {
            if (sameSize)
                sheet.Draw(pixels, x, y + row);
        });
    if (!sameSize)
        throw SourceChanged(placedSources_[number].path);
}

void BuildRun::ReadRows(const ListedSource& listed, const std::function<void(int, int)>& start,
                        const std::function<void(int, const Bitmap&)>& take) const
{
    ShapedRows shaped(settings_, density_.Scale(), {start, take});
    const SourceRows rows = shaped.Input();
    // What shaping and taking the rows throws is the build's, as when a
    // source is decoded whole: it passes without the file's name.
    std::exception_ptr ours;
    auto guarded = [&ours](const auto& step) {
        return [&ours, &step](const auto&... values) {
            try {
                step(values...);
            } catch (...) {
                ours = std::current_exception();
                throw;
            }
        };
    };
    try {
        listed.format->loadRows(listed.path, {guarded(rows.start), guarded(rows.row)});
    } catch (const std::exception& error) {
        if (ours)
            std::rethrow_exception(ours);
        throw Error(NamingTheFile(DescribeFailure(error), listed.path));
    }
}

void BuildRun::WriteRule(const SourceInfo& info, SheetPlace place)
{
    // The rules describe the sheet that the stylesheet names.
    const std::int32_t scale = density_.Scale();
    const PackPosition at = place.at;
    PlacedImage image{std::string(FileNameOf(info.path)),
                      ImageClassName(inputs_.SpriteClass, density_.ClassBaseName(info.name)),
                      at.X / scale, at.Y / scale, info.width / scale, info.height / scale,
                      place.sheet};
    if (settings_.Units == kUnitsPixels && !settings_.MaxSize.Limits())
        EmitRule(image);
    if (std::string warning = collisions_.Add(image.fileName, image.className); !warning.empty())
        observer_.Remark(warning);
    placed_.push_back(std::move(image));
}

void BuildRun::EmitRule(const PlacedImage& image)
{
    const std::string selector = RuleSelector(image.className, settings_.PseudoClasses);
    const SheetFacts& sheet = SheetOf(facts_, image);
    std::string line =
        settings_.Units == kUnitsPercent
            ? PercentStylesheetLine(selector,
                                    PercentPlaceOf(image.x, image.y, image.width, image.height,
                                                   sheet.width, sheet.height),
                                    image.width, image.height, *inputs_.LineStyle)
            : StylesheetLine(selector, image.x, image.y, image.width, image.height,
                             *inputs_.LineStyle);
    if (!baseClass_ && !facts_.split.empty())
        line = RuleWithSheet(line, RuleImageOf(sheet, 1));
    AddRule(line);
    observer_.LineWritten(line);
    // The result viewer shows the first sheet.
    if (image.sheet == 0)
        observer_.ImagePlaced(image, line, density_.Scale());
}

}  // namespace tessolo
