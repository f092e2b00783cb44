#include "cli/cli_options.h"

#include "cli/project_file.h"
#include "codecs/bmp/bmp_codec.h"
#include "platform/path.h"
#include "platform/text_list.h"
#include "settings/data_formats.h"
#include "settings/stored_values.h"
#include "sprite/high_density.h"
#include "sprite/layout.h"
#include "sprite/sheet_background.h"
#include "sprite/stylesheet.h"

#include <CLI/CLI.hpp>

#include <charconv>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <sstream>

namespace tessolo::cli {

namespace {

// A number that the store keeps, in the range the store allows.
std::int32_t ParseInt(const std::string& option, const std::string& text, const ValueRange& range)
{
    std::int32_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
        !range.Holds(value))
        throw UsageError(option + ": '" + text + "' is not a whole number " + RangeText(range));
    return value;
}

template <class Field>
ValueRange RangeOf(Field field)
{
    return StoredValueOf(field).range;
}

ValueRange QualityRange(OutputType type) { return RecordFieldRange(type, &TFormatPrefs::Quality); }

// The GIF coding words.
struct GifCompressionWord {
    std::string_view word;
    TGIFCompression compression;
};
constexpr GifCompressionWord kGifCompressions[] = {{"lzw", gcLZW}, {"rle", gcRLE}};

// The words of --data with their DataFormat bits; the stylesheet is always
// written, so "css" adds no file.
struct DataWord {
    std::string_view word;
    std::int32_t bits;
};
constexpr DataWord kDataWords[] = {
    {"css", 0}, {"scss", kDataScss}, {"less", kDataLess}, {"json", kDataJson}};

// The word of each row of a choice table, and the value it stands for.
std::string WordOf(const OutputTypeInfo& row) { return std::string(row.commandWord); }
std::string WordOf(const OrientationInfo& row) { return std::string(row.commandWord); }
std::string WordOf(const BmpPixelCodeInfo& row) { return std::to_string(BitsPerPixel(row.format)); }
std::string WordOf(const GifCompressionWord& row) { return std::string(row.word); }
std::string WordOf(const DataWord& row) { return std::string(row.word); }
std::string WordOf(const SheetBackgroundInfo& row) { return std::string(row.commandWord); }
std::string WordOf(const StylesheetUnitsInfo& row) { return std::string(row.commandWord); }
OutputType ValueOf(const OutputTypeInfo& row) { return row.type; }
Orientation ValueOf(const OrientationInfo& row) { return row.orientation; }
BmpPixelCode ValueOf(const BmpPixelCodeInfo& row) { return row.code; }
TGIFCompression ValueOf(const GifCompressionWord& row) { return row.compression; }
std::int32_t ValueOf(const DataWord& row) { return row.bits; }
SheetBackground ValueOf(const SheetBackgroundInfo& row) { return row.background; }
StylesheetUnits ValueOf(const StylesheetUnitsInfo& row) { return row.units; }

template <class Rows>
std::vector<std::string> WordsOf(const Rows& rows)
{
    std::vector<std::string> words;
    for (const auto& row : rows)
        words.push_back(WordOf(row));
    return words;
}

// The value of the row whose word is `text`.
template <class Rows>
auto Choose(const std::string& option, const std::string& text, const Rows& rows)
    -> decltype(ValueOf(*std::begin(rows)))
{
    for (const auto& row : rows)
        if (WordOf(row) == text)
            return ValueOf(row);
    throw UsageError(option + ": '" + text + "' is not one of " + JoinAlternatives(WordsOf(rows)));
}

// The word of the row whose value is `value`; its number when none is.
template <class Rows, class Value>
std::string WordFor(const Rows& rows, const Value& value)
{
    for (const auto& row : rows)
        if (ValueOf(row) == value)
            return WordOf(row);
    return std::to_string(static_cast<long long>(value));
}

// The words as the help text lists them: "jpeg|png|gif|bmp".
template <class Rows>
std::string ChoiceList(const Rows& rows)
{
    std::string list;
    for (const std::string& word : WordsOf(rows))
        list += (list.empty() ? "" : "|") + word;
    return list;
}

// --resize none | PERCENT% | WIDTHxHEIGHT
void ParseResize(const std::string& text, BuildSettings& settings)
{
    if (text == "none") {
        settings.ResizeMethod = kResizeNone;
    } else if (!text.empty() && text.back() == '%') {
        settings.ResizeMethod = kResizeByPercentage;
        settings.ResizePercentage = ParseInt("--resize", text.substr(0, text.size() - 1),
                                              RangeOf(&SheetOptions::ResizePercentage));
    } else if (auto x = text.find('x'); x != std::string::npos) {
        settings.ResizeMethod = kResizeToSize;
        settings.ResizeWidth = ParseInt("--resize", text.substr(0, x),
                                         RangeOf(&SheetOptions::ResizeWidth));
        settings.ResizeHeight = ParseInt("--resize", text.substr(x + 1),
                                          RangeOf(&SheetOptions::ResizeHeight));
    } else {
        throw UsageError("--resize: '" + text + "' is not none, PERCENT% or WIDTHxHEIGHT");
    }
}

// --max-size none | WIDTHxHEIGHT
void ParseMaxSize(const std::string& text, BuildSettings& settings)
{
    if (text == "none") {
        settings.MaxSize = {};
        return;
    }
    const std::size_t x = text.find('x');
    if (x == std::string::npos)
        throw UsageError("--max-size: '" + text + "' is not none or WIDTHxHEIGHT");
    const ValueRange sides{1, RangeOf(&SheetOptions::MaxSheetWidth).max};
    settings.MaxSize = {ParseInt("--max-size", text.substr(0, x), sides),
                        ParseInt("--max-size", text.substr(x + 1), sides)};
}

// --scales 1,2,3: the bits of the scales, each 1 to the largest, 1 among them.
std::int32_t ParseScales(const std::string& text)
{
    std::int32_t bits = 0;
    std::istringstream words(text);
    for (std::string word; std::getline(words, word, ',');)
        bits |= 1 << ParseInt("--scales", word, {1, kMaxScale});
    if (!(bits & 2))
        throw UsageError("--scales: '" + text + "' leaves out 1, the sheet that the stylesheet describes");
    return bits;
}

// CLI11 reads "--name=" as "--name" followed by the next word and lets
// "--flag=true" through. A NUL, which no argument can hold, marks the end of
// every "--name=value" word, so an empty value stays a value and a flag sees
// that it was given one.
constexpr char kInlineMark = '\0';

std::string Marked(std::string word)
{
    if (word.starts_with("--") && word.find('=') != std::string::npos)
        word += kInlineMark;
    return word;
}

std::string Unmarked(std::string text)
{
    if (!text.empty() && text.back() == kInlineMark)
        text.pop_back();
    return text;
}

// The words CLI11 has left so far, which name no option: FOLDER and the
// FILEs. Before "--", any of them that starts with "-" is an unknown option,
// refused here; so a callback that calls this first reports the unknown
// option before it as the fault, as the first fault on the line is.
std::vector<std::string> Operands(const CLI::App& app)
{
    std::vector<std::string> operands;
    bool optionsEnded = false;
    for (const std::string& word : app.remaining()) {
        std::string arg = Unmarked(word);
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            throw UsageError("unknown option " + arg.substr(0, arg.find('=')) + " (see --help)");
        } else {
            operands.push_back(std::move(arg));
        }
    }
    return operands;
}

// Where an option's value came from, by its name ("--no-x" counts as "--x").
std::string OptionName(const std::string& name)
{
    return name.starts_with("--no-") ? "--" + name.substr(5) : name;
}

// The options of a CLI11 app, each applied as soon as it is read, so a later
// one wins and the first fault on the line is the one reported. Each option
// that given notes `origin` as where its value came from; those that a
// project file may hold are its keys, with their values as TOML.
class OptionTable {
public:
    // A key of the project file: the option without "--", and its value
    // written as TOML, paths relative to a folder.
    struct ProjectKey {
        std::string key;
        ProjectValue type;
        std::function<std::string(const std::string& folder)> toml;
    };

    OptionTable(CLI::App& app, CliRequest& request, std::string origin)
        : app_(app), request_(request), origin_(std::move(origin))
    {
        app_.set_help_flag();  // --help is ours, and prints our text
    }

    // An option with a value, which `take` reads.
    void Value(const std::string& name, std::function<void(const std::string&)> take)
    {
        app_.add_option_function<std::string>(name, [this, take, name](const std::string& text) {
                Operands(app_);
                take(Unmarked(text));
                request_.origins[name] = origin_;
            })->trigger_on_parse();
    }
    // Likewise, and a key of the project file.
    void Kept(const std::string& name, ProjectValue type,
              std::function<void(const std::string&)> take,
              std::function<std::string(const std::string& folder)> toml)
    {
        Value(name, std::move(take));
        keys_.push_back({name.substr(2), type, std::move(toml)});
    }
    void Text(const std::string& name, std::string& target)
    {
        Kept(name, ProjectValue::Text, [&target](const std::string& text) { target = text; },
             [&target](const std::string&) { return TomlText(target); });
    }
    void Number(const std::string& name, std::int32_t& target, const ValueRange& range)
    {
        Kept(name, ProjectValue::Integer,
             [&target, name, range](const std::string& text) {
                 target = ParseInt(name, text, range);
             },
             [&target](const std::string&) { return std::to_string(target); });
    }
    template <class Target, class Rows>
    void Choice(const std::string& name, Target& target, const Rows& rows)
    {
        Kept(name, ProjectValue::Text,
             [&target, name, &rows](const std::string& text) {
                 target = Choose(name, text, rows);
             },
             [&target, &rows](const std::string&) { return TomlText(WordFor(rows, target)); });
    }

    // An option without a value, which sets `target` to `value`, then does
    // what `then` does.
    void Flag(const std::string& name, bool& target, bool value = true,
              std::function<void()> then = {})
    {
        app_.add_flag_callback(name, [this, &target, value, name, then] {
                target = value;
                if (then)
                    then();
                request_.origins[OptionName(name)] = origin_;
            })
            ->each([this, name](const std::string& given) {
                Operands(app_);
                if (given != "true")
                    throw UsageError(name + " takes no value");
            })
            ->trigger_on_parse();
    }
    // --NAME and --no-NAME, and the key NAME = true or false.
    void Switch(const std::string& name, bool& target, const std::function<void()>& then = {})
    {
        Flag("--" + name, target, true, then);
        Flag("--no-" + name, target, false, then);
        keys_.push_back({name, ProjectValue::Boolean,
                         [&target](const std::string&) { return target ? "true" : "false"; }});
    }

    // --NAME, --NAME=max, --no-NAME, and the key NAME = true or false:
    // `target` says on or off, `max` whether the value was max.
    void SwitchWithMax(const std::string& name, bool& target, bool& max)
    {
        auto givenMax = std::make_shared<bool>(false);
        app_.add_flag_callback("--" + name, [this, &target, &max, givenMax, name] {
                target = true;
                max = *givenMax;
                request_.origins["--" + name] = origin_;
            })
            // A flag's value must read as true, so max is noted and made true.
            ->transform(CLI::Validator(
                [this, name, givenMax](std::string& given) {
                    Operands(app_);
                    given = Unmarked(given);
                    if (given != "true" && given != "max")
                        throw UsageError("--" + name + " takes no value but max");
                    *givenMax = given == "max";
                    given = "true";
                    return std::string();
                },
                ""))
            ->trigger_on_parse();
        Flag("--no-" + name, target, false);
        keys_.push_back({name, ProjectValue::Boolean,
                         [&target](const std::string&) { return target ? "true" : "false"; }});
    }

    const std::vector<ProjectKey>& ProjectKeys() const { return keys_; }

private:
    CLI::App& app_;
    CliRequest& request_;
    std::string origin_;
    std::vector<ProjectKey> keys_;
};

// A path as given on the command line, made absolute so that a build, which
// takes relative paths from the source folder, finds what the user named
// from the working folder. Empty stays empty.
std::string FromWorkingFolder(const std::string& path)
{
    return path.empty() ? path : std::filesystem::absolute(path).lexically_normal().string();
}

// A path as a project file in `folder` keeps it: relative to the folder.
std::string PathFrom(const std::string& folder, const std::string& path)
{
    if (path.empty())
        return path;
    const std::filesystem::path relative = std::filesystem::path(path).lexically_relative(
        std::filesystem::absolute(folder).lexically_normal());
    return relative.empty() ? path : relative.string();
}

std::string TomlArray(const std::vector<std::string>& texts)
{
    std::string array;
    for (const std::string& text : texts)
        array += (array.empty() ? "" : ", ") + TomlText(text);
    return "[" + array + "]";
}

void AddPlaceOptions(OptionTable& table, CliRequest& request)
{
    OutputPlaces& places = request.settings.Places;
    auto folderOption = [&table](const char* name, std::string& target) {
        table.Kept(name, ProjectValue::Path,
                   [&target](const std::string& text) { target = FromWorkingFolder(text); },
                   [&target](const std::string& folder) {
                       return TomlText(PathFrom(folder, target));
                   });
    };
    folderOption("--out", places.sheetFolder);
    folderOption("--css-out", places.stylesheetFolder);
    table.Text("--url", places.sheetUrl);
    table.Switch("cache-bust", places.cacheBust);
    std::vector<std::string>& templates = request.settings.Templates;
    table.Kept("--template", ProjectValue::Paths,
               [&request, &templates](const std::string& text) {
                   if (!request.templatesGiven)
                       templates.clear();
                   request.templatesGiven = true;
                   if (!text.empty())
                       templates.push_back(FromWorkingFolder(text));
               },
               [&templates](const std::string& folder) {
                   std::vector<std::string> paths;
                   for (const std::string& path : templates)
                       paths.push_back(PathFrom(folder, path));
                   return TomlArray(paths);
               });
}

// --also webp,avif: the words of output types, repeatable, the first
// replacing the stored choice; "none" (or nothing) writes no other type.
void AddAlsoOption(OptionTable& table, CliRequest& request)
{
    std::int32_t& formats = request.settings.AlsoFormats;
    table.Kept("--also", ProjectValue::Texts,
               [&request, &formats](const std::string& text) {
                   if (!request.alsoFormatsGiven)
                       formats = 0;
                   request.alsoFormatsGiven = true;
                   std::istringstream words(text);
                   for (std::string word; std::getline(words, word, ',');)
                       if (word != "none")
                           formats |= 1 << Choose("--also", word, kOutputTypes);
               },
               [&formats](const std::string&) {
                   std::vector<std::string> words;
                   for (const OutputTypeInfo& type : kOutputTypes)
                       if (formats & (1 << type.type))
                           words.emplace_back(type.commandWord);
                   return TomlArray(words);
               });
}

void AddOptions(OptionTable& table, CliRequest& request)
{
    BuildInputs& inputs = request.inputs;
    BuildSettings& settings = request.settings;
    SheetEncoding& encoding = settings.Encoding;
    for (const char* name : {"--help", "-h"})
        table.Flag(name, request.showHelp);
    table.Flag("--version", request.showVersion);
    table.Flag("--show-settings", request.showSettings);
    table.Flag("--save-settings", request.saveSettings);
    table.Flag("--watch", request.watch);
    for (const char* name : {"--quiet", "-q"})
        table.Flag(name, request.quiet);
    table.Flag("--verbose", request.quiet, false);
    table.Flag("--init", request.init);
    table.Text("--name", inputs.ProjectName);
    table.Value("--settings", [&request](const std::string& text) { request.storeFile = text; });
    table.Text("--class", inputs.SpriteClass);
    table.Kept("--style", ProjectValue::Integer,
               [&inputs](const std::string& text) {
                   inputs.LineStyle = LineStyleOf(
                       ParseInt("--style", text, RangeOf(&OrvaneRegistry::ListType)));
                   inputs.LineStyleText = kLineStyleTexts[*inputs.LineStyle];
               },
               [&inputs](const std::string&) {
                   return std::to_string(inputs.LineStyle ? *inputs.LineStyle : 0);
               });
    table.Choice("--type", inputs.OutputFileType, kOutputTypes);
    table.Choice("--layout", settings.Orientation, kOrientations);
    table.Kept("--resize", ProjectValue::Text,
               [&settings](const std::string& text) { ParseResize(text, settings); },
               [&settings](const std::string&) { return TomlText(ResizeText(settings)); });
    table.Choice("--background", settings.SheetBackground, kSheetBackgrounds);
    table.Number("--hpad", settings.HorizontalPadding, RangeOf(&SheetOptions::HorizontalPadding));
    table.Number("--vpad", settings.VerticalPadding, RangeOf(&SheetOptions::VerticalPadding));
    table.Number("--jpeg-quality", encoding.jpeg.quality, QualityRange(kOutputJpeg));
    table.Number("--png-level", encoding.png.level, QualityRange(kOutputPng));
    table.Choice("--gif-compression", encoding.gif.compression, kGifCompressions);
    table.Switch("gif-quantizer", encoding.gifQuantizer);
    table.Number("--svg-size", settings.SvgSize, RangeOf(&SheetOptions::SvgSize));
    table.Kept("--data", ProjectValue::Texts,
               [&request](const std::string& text) {
                   if (!request.dataFormatsGiven)
                       request.settings.DataFormats = 0;
                   request.dataFormatsGiven = true;
                   request.settings.DataFormats |= Choose("--data", text.empty() ? "css" : text,
                                                          kDataWords);
               },
               [&settings](const std::string&) {
                   std::vector<std::string> words;
                   for (const DataWord& row : kDataWords)
                       if (row.bits != 0 && (settings.DataFormats & row.bits))
                           words.emplace_back(row.word);
                   return TomlArray(words);
               });
    table.Choice("--bmp-bits", encoding.bmp.pixelFormat, kBmpPixelCodes);
    AddAlsoOption(table, request);
    table.Number("--webp-quality", encoding.webp.quality, QualityRange(kOutputWebp));
    table.Number("--avif-quality", encoding.avif.quality, QualityRange(kOutputAvif));
    table.Switch("jpeg-progressive", encoding.jpeg.progressive);
    table.Switch("png-interlace", encoding.png.interlace);
    table.SwitchWithMax("png-optimize", encoding.png.optimize, encoding.png.exhaustive);
    table.Number("--png-colors", encoding.png.colors, RangeOf(&SheetOptions::PngColors));
    table.Switch("png-dither", encoding.png.dither);
    table.Switch("base-rule", settings.BaseRule);
    table.Switch("html", settings.HtmlPreview);
    table.Switch("pseudo-classes", settings.PseudoClasses);
    table.Choice("--units", settings.Units, kStylesheetUnits);
    table.Switch("dedupe", settings.DedupeImages);
    // --retina is --scales 1,2; the last of the two given wins.
    table.Switch("retina", settings.Retina, [&settings] { settings.Scales = 0; });
    table.Kept("--scales", ProjectValue::Text,
               [&settings](const std::string& text) {
                   settings.Scales = ParseScales(text);
                   settings.Retina = settings.Scales == 0b110;
               },
               [&settings](const std::string&) { return TomlText(ScalesText(settings)); });
    table.Kept("--max-size", ProjectValue::Text,
               [&settings](const std::string& text) { ParseMaxSize(text, settings); },
               [&settings](const std::string&) {
                   return TomlText(SheetLimitText(settings.MaxSize));
               });
    AddPlaceOptions(table, request);
}

}  // namespace

std::string ResizeText(const BuildSettings& settings)
{
    if (settings.ResizeMethod == kResizeByPercentage)
        return std::to_string(settings.ResizePercentage) + "%";
    if (settings.ResizeMethod == kResizeToSize)
        return std::to_string(settings.ResizeWidth) + "x" + std::to_string(settings.ResizeHeight);
    return "none";
}

CliRequest ParseCommandLine(const std::vector<std::string>& args, const CliRequest& defaults,
                            const std::string& origin)
{
    CliRequest request = defaults;
    CLI::App app;
    app.allow_extras();  // FOLDER, FILEs and unknown options: see Operands
    OptionTable table(app, request, origin);
    AddOptions(table, request);
    std::vector<std::string> reversed;  // the order CLI11 reads from
    for (auto arg = args.rbegin(); arg != args.rend(); ++arg)
        reversed.push_back(Marked(*arg));
    try {
        app.parse(std::move(reversed));
    } catch (const CLI::ArgumentMismatch&) {
        // The line ran out: its last word is an option that needs a value.
        Operands(app);
        throw UsageError(args.back() + " needs a value");
    }
    // FILEs replace the files of a project file; FOLDER alone keeps them.
    if (std::vector<std::string> operands = Operands(app); !operands.empty()) {
        request.folder = operands[0];
        if (operands.size() > 1)
            request.files.assign(operands.begin() + 1, operands.end());
    }
    return request;
}

CliRequest ApplyProjectFile(const std::string& path, const CliRequest& defaults)
{
    CliRequest request = defaults;
    CLI::App app;
    OptionTable table(app, request, "");
    AddOptions(table, request);
    std::map<std::string, ProjectValue> keys;
    for (const OptionTable::ProjectKey& key : table.ProjectKeys())
        keys[key.key] = key.type;

    const ProjectFileWords read = ReadProjectFile(path, keys);
    const std::string origin(FileNameOf(path));
    for (const ProjectFileWords::Key& key : read.keys) {
        try {
            request = ParseCommandLine(key.words, request, origin);
        } catch (const UsageError& error) {
            std::string what = error.what();
            if (what.starts_with("--"))
                what.erase(0, 2);
            throw UsageError(path + ", line " + std::to_string(key.line) + ": " + what);
        }
    }
    if (read.filesGiven)
        request.files = read.files;
    // The command line's first --data or --template replaces the file's.
    request.dataFormatsGiven = false;
    request.alsoFormatsGiven = false;
    request.templatesGiven = false;
    return request;
}

std::string ProjectFileOf(const CliRequest& request, const std::string& folder)
{
    CliRequest shown = request;
    CLI::App app;
    OptionTable table(app, shown, "");
    AddOptions(table, shown);
    std::vector<std::pair<std::string, std::string>> values;
    for (const OptionTable::ProjectKey& key : table.ProjectKeys())
        values.emplace_back(key.key, key.toml(folder));
    if (!request.files.empty())
        values.emplace_back("files", TomlArray(request.files));
    return ProjectFileText(values);
}

namespace {

std::string WebOptionsHelp();

// The part of --help that lists the options of a build.
std::string BuildOptionsHelp()
{
    // The choices of --type, --layout, --background, --gif-compression and
    // --bmp-bits come from their tables.
    return R"(Usage: tessolo-cli [options] [FOLDER [FILE...]]

Packs the images of FOLDER (default: the current folder) into one sprite
sheet and writes a stylesheet with one CSS rule per image. Both files are
written to FOLDER (or where --out and --css-out say), named after the
project. Without FILE arguments every .png, .jpg, .jpeg, .gif, .bmp, .webp,
.avif and .svg file of FOLDER is packed, sorted by name (the project's own sheet excepted); with
them, those files in that order.

Every option defaults to the stored settings (see --show-settings), over
which a project file FOLDER/tessolo.toml may set any option below by its long
name (layout = "packed", data = ["scss"], files = [...] for the FILEs); the
values in brackets are those of a first run.

Options:
  --name NAME             project name: NAME.css and NAME.<type> (sprite)
  --class TEXT            CSS class, starting with "." (.sprite)
  --style 0|1             0: background-position only;
                          1: background-position, width and height (0)
  --type )" + ChoiceList(kOutputTypes) + R"( sheet file type (jpeg)
  --layout )" + ChoiceList(kOrientations) +
           R"(
                          how images are arranged (horizontal)
  --resize none|PERCENT%|WIDTHxHEIGHT
                          resize every image first, e.g. 50% or 32x32 (none)
  --hpad N, --vpad N      gap in pixels between neighbours (5, 5)
  --background )" + ChoiceList(kSheetBackgrounds) +
           R"(
                          behind the images; transparent keeps the images'
                          alpha, for png, gif, webp and avif sheets only
                          (white)
  --[no-]dedupe           place images of the same size and pixels once;
                          each keeps its own rule (no)
  --svg-size N            draw SVG sources afresh with their longer side N
                          pixels; 0: at their own size (0)
  --[no-]retina           the sources are double size: write them as
                          NAME@2x.<type> and a half-size NAME.<type>, and
                          switch high-density screens to the big sheet;
                          the same as --scales 1,2 (no)
  --scales 1,2,3          write a sheet for each of these screen densities
                          (1-4), NAME.<type>, NAME@2x.<type>, ...: raster
                          sources are taken at the largest (home@3x.png
                          before home.png), SVG sources drawn afresh at
                          each (1)
  --max-size none|WIDTHxHEIGHT
                          the largest sheet; images beyond it go on more
                          sheets, NAME-1.<type>, NAME-2.<type>, ... (none)
  --jpeg-quality N        JPEG quality 1-100 (100)
  --[no-]jpeg-progressive write a progressive JPEG (no)
  --png-level N           PNG compression level 0-9 (9)
  --[no-]png-interlace    write an interlaced (Adam7) PNG (no)
  --[no-]png-optimize     write the smallest PNG of the same pixels; =max:
                          smaller still, and far slower (no)
  --png-colors N          a lossy PNG of at most N colours (2-256), alpha
                          kept, through a quantiser; 0: exact colours (0)
  --[no-]png-dither       dither that palette (Floyd-Steinberg) (no)
  --gif-compression )" + ChoiceList(kGifCompressions) +
           R"(
                          GIF coding (lzw)
  --[no-]gif-quantizer    colours of a GIF sheet: the 256 that a quantiser
                          picks for it, not the fixed web palette (no)
  --bmp-bits )" + ChoiceList(kBmpPixelCodes) +
           R"( BMP bits per pixel (4)
  --webp-quality N        WebP: 0 lossless, every pixel exact; 1-100 lossy
                          of that quality, alpha kept exactly (0)
  --avif-quality N        AVIF quality 1-100, alpha kept exactly; 100 keeps
                          the colours exactly too (80)
  --also TYPE,...         also write the sheet as these types (of --type's);
                          the rules offer them all through image-set(), best
                          first, after a plain url(); repeatable, the first
                          replaces the stored choice; none: only --type (none)
)" + WebOptionsHelp();
}

// The part of --help that lists the options of the outputs for web pages.
std::string WebOptionsHelp()
{
    // The choices of --units and --data come from their tables.
    return R"(  --[no-]base-rule        open the stylesheet with a rule for the class
                          itself that shows the sheet (no)
  --[no-]pseudo-classes   an image named NAME_hover, _active, _focus,
                          _focus-visible, _visited, _checked or _disabled
                          also shows for NAME:hover and so on (no)
  --units )" + ChoiceList(kStylesheetUnits) +
           R"(      px: places and sizes in pixels; percent: in percent
                          of the sheet, so each image scales with its
                          element (px)
  --data )" + ChoiceList(kDataWords) +
           R"(
                          also write NAME.scss, NAME.less or NAME.json;
                          repeatable, the first replaces the stored choice,
                          "css" alone writes only the stylesheet (css)
  --[no-]html             also write NAME.html, a page that previews every
                          image by its classes (no)
  --out DIR               write the sheets to DIR, created when missing
                          (FOLDER)
  --css-out DIR           write the stylesheet, data files and preview page
                          to DIR (the --out folder)
  --url URL               the sheet's URL in the stylesheet (its path from
                          the --css-out folder)
  --[no-]cache-bust       add "?v=" and a hash of the sheet's bytes to each
                          sheet URL (no)
  --template FILE         also write a file from the Mustache template FILE:
                          sprite.styl.mustache writes NAME.styl; repeatable,
                          the first replaces the stored list, "" clears it

)";
}

}  // namespace

std::string UsageText()
{
    return BuildOptionsHelp() + R"(  --init                  write FOLDER/tessolo.toml, the project file, from
                          the effective options (never over an existing one)
  --show-settings         print the effective options, the store's path and
                          where each option came from
  --save-settings         store the effective options as the new defaults,
                          then pack (with --show-settings: store, show, stop)
  --settings FILE         use FILE as the settings store
  --watch                 after the build, watch FOLDER and build again when
                          an image file is added, changed, renamed or removed;
                          Ctrl+C ends the watch (exit status 0)
  -q, --quiet             print nothing but warnings when the build succeeds
  --verbose               print the CSS lines and where the files went (the
                          default)
  --help                  show this text
  --version               show the version

Exit status: 0 when the sheet and stylesheet were written, 1 when the build
failed, 2 for a bad command line. With --watch: 0 when Ctrl+C (SIGINT),
SIGTERM or SIGHUP ended the watch, 1 when FOLDER went away.
)";
}

}  // namespace tessolo::cli
