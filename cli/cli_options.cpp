#include "cli/cli_options.h"

#include "codecs/bmp/bmp_codec.h"
#include "platform/text_list.h"
#include "settings/data_formats.h"
#include "settings/stored_values.h"
#include "sprite/layout.h"
#include "sprite/sheet_background.h"
#include "sprite/stylesheet.h"

#include <charconv>
#include <functional>
#include <map>

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
OutputType ValueOf(const OutputTypeInfo& row) { return row.type; }
Orientation ValueOf(const OrientationInfo& row) { return row.orientation; }
BmpPixelCode ValueOf(const BmpPixelCodeInfo& row) { return row.code; }
TGIFCompression ValueOf(const GifCompressionWord& row) { return row.compression; }
std::int32_t ValueOf(const DataWord& row) { return row.bits; }
SheetBackground ValueOf(const SheetBackgroundInfo& row) { return row.background; }

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

using ValueHandler = std::function<void(const std::string&, CliRequest&)>;
using FlagHandler = std::function<void(CliRequest&)>;

const std::map<std::string, ValueHandler>& ValueOptions()
{
    static const std::map<std::string, ValueHandler> options = {
        {"--name", [](const std::string& v, CliRequest& r) { r.inputs.ProjectName = v; }},
        {"--settings", [](const std::string& v, CliRequest& r) { r.storeFile = v; }},
        {"--class", [](const std::string& v, CliRequest& r) { r.inputs.SpriteClass = v; }},
        {"--style",
         [](const std::string& v, CliRequest& r) {
             r.inputs.LineStyle =
                 LineStyleOf(ParseInt("--style", v, RangeOf(&OrvaneRegistry::ListType)));
             r.inputs.LineStyleText = kLineStyleTexts[*r.inputs.LineStyle];
         }},
        {"--type",
         [](const std::string& v, CliRequest& r) {
             r.inputs.OutputFileType = Choose("--type", v, kOutputTypes);
         }},
        {"--layout",
         [](const std::string& v, CliRequest& r) {
             r.settings.Orientation = Choose("--layout", v, kOrientations);
         }},
        {"--resize", [](const std::string& v, CliRequest& r) { ParseResize(v, r.settings); }},
        {"--background",
         [](const std::string& v, CliRequest& r) {
             r.settings.SheetBackground = Choose("--background", v, kSheetBackgrounds);
         }},
        {"--hpad",
         [](const std::string& v, CliRequest& r) {
             r.settings.HorizontalPadding =
                 ParseInt("--hpad", v, RangeOf(&SheetOptions::HorizontalPadding));
         }},
        {"--vpad",
         [](const std::string& v, CliRequest& r) {
             r.settings.VerticalPadding =
                 ParseInt("--vpad", v, RangeOf(&SheetOptions::VerticalPadding));
         }},
        {"--jpeg-quality",
         [](const std::string& v, CliRequest& r) {
             r.settings.Encoding.jpeg.quality =
                 ParseInt("--jpeg-quality", v, QualityRange(kOutputJpeg));
         }},
        {"--png-level",
         [](const std::string& v, CliRequest& r) {
             r.settings.Encoding.png.level = ParseInt("--png-level", v, QualityRange(kOutputPng));
         }},
        {"--gif-compression",
         [](const std::string& v, CliRequest& r) {
             r.settings.Encoding.gif.compression =
                 Choose("--gif-compression", v, kGifCompressions);
         }},
        {"--data",
         [](const std::string& v, CliRequest& r) {
             if (!r.dataFormatsGiven)
                 r.settings.DataFormats = 0;
             r.dataFormatsGiven = true;
             r.settings.DataFormats |= Choose("--data", v, kDataWords);
         }},
        {"--bmp-bits",
         [](const std::string& v, CliRequest& r) {
             r.settings.Encoding.bmp.pixelFormat = Choose("--bmp-bits", v, kBmpPixelCodes);
         }},
    };
    return options;
}

const std::map<std::string, FlagHandler>& FlagOptions()
{
    static const std::map<std::string, FlagHandler> options = {
        {"--help", [](CliRequest& r) { r.showHelp = true; }},
        {"-h", [](CliRequest& r) { r.showHelp = true; }},
        {"--version", [](CliRequest& r) { r.showVersion = true; }},
        {"--show-settings", [](CliRequest& r) { r.showSettings = true; }},
        {"--save-settings", [](CliRequest& r) { r.saveSettings = true; }},
        {"--watch", [](CliRequest& r) { r.watch = true; }},
        {"--jpeg-progressive", [](CliRequest& r) { r.settings.Encoding.jpeg.progressive = true; }},
        {"--no-jpeg-progressive",
         [](CliRequest& r) { r.settings.Encoding.jpeg.progressive = false; }},
        {"--png-interlace", [](CliRequest& r) { r.settings.Encoding.png.interlace = true; }},
        {"--no-png-interlace", [](CliRequest& r) { r.settings.Encoding.png.interlace = false; }},
        {"--base-rule", [](CliRequest& r) { r.settings.BaseRule = true; }},
        {"--no-base-rule", [](CliRequest& r) { r.settings.BaseRule = false; }},
        {"--html", [](CliRequest& r) { r.settings.HtmlPreview = true; }},
        {"--no-html", [](CliRequest& r) { r.settings.HtmlPreview = false; }},
        {"--png-optimize", [](CliRequest& r) { r.settings.Encoding.png.optimize = true; }},
        {"--no-png-optimize", [](CliRequest& r) { r.settings.Encoding.png.optimize = false; }},
        {"--dedupe", [](CliRequest& r) { r.settings.DedupeImages = true; }},
        {"--no-dedupe", [](CliRequest& r) { r.settings.DedupeImages = false; }},
        {"--retina", [](CliRequest& r) { r.settings.Retina = true; }},
        {"--no-retina", [](CliRequest& r) { r.settings.Retina = false; }},
    };
    return options;
}

}  // namespace

CliRequest ParseCommandLine(const std::vector<std::string>& args, const CliRequest& defaults)
{
    CliRequest request = defaults;
    std::vector<std::string> positional;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            positional.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        std::string name = arg, value;
        bool inlineValue = false;
        if (auto eq = arg.find('='); eq != std::string::npos) {
            name = arg.substr(0, eq);
            value = arg.substr(eq + 1);
            inlineValue = true;
        }
        if (auto flag = FlagOptions().find(name); flag != FlagOptions().end()) {
            if (inlineValue)
                throw UsageError(name + " takes no value");
            flag->second(request);
        } else if (auto option = ValueOptions().find(name); option != ValueOptions().end()) {
            if (!inlineValue) {
                if (i + 1 >= args.size())
                    throw UsageError(name + " needs a value");
                value = args[++i];
            }
            option->second(value, request);
        } else {
            throw UsageError("unknown option " + name + " (see --help)");
        }
    }
    if (!positional.empty()) {
        request.folder = positional[0];
        request.files.assign(positional.begin() + 1, positional.end());
    }
    return request;
}

std::string UsageText()
{
    // The choices of --type, --layout, --background, --gif-compression and --bmp-bits come
    // from their tables.
    return R"(Usage: tessolo-cli [options] [FOLDER [FILE...]]

Packs the images of FOLDER (default: the current folder) into one sprite
sheet and writes a stylesheet with one CSS rule per image. Both files are
written to FOLDER, named after the project. Without FILE arguments every
.png, .jpg, .jpeg, .gif and .bmp file of FOLDER is packed, sorted by name
(the project's own sheet excepted); with them, those files in that order.

Every option defaults to the stored settings (see --show-settings); the
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
                          alpha, for png and gif sheets only (white)
  --[no-]dedupe           place images of the same size and pixels once;
                          each keeps its own rule (no)
  --[no-]retina           the sources are double size: write them as
                          NAME@2x.<type> and a half-size NAME.<type>, and
                          switch high-density screens to the big sheet (no)
  --jpeg-quality N        JPEG quality 1-100 (100)
  --[no-]jpeg-progressive write a progressive JPEG (no)
  --png-level N           PNG compression level 0-9 (9)
  --[no-]png-interlace    write an interlaced (Adam7) PNG (no)
  --[no-]png-optimize     write the smallest PNG of the same pixels (no)
  --gif-compression )" + ChoiceList(kGifCompressions) +
           R"(
                          GIF coding (lzw)
  --bmp-bits )" + ChoiceList(kBmpPixelCodes) +
           R"( BMP bits per pixel (4)
  --[no-]base-rule        open the stylesheet with a rule for the class
                          itself that shows the sheet (no)
  --data )" + ChoiceList(kDataWords) +
           R"(
                          also write NAME.scss, NAME.less or NAME.json;
                          repeatable, the first replaces the stored choice,
                          "css" alone writes only the stylesheet (css)
  --[no-]html             also write NAME.html, a page that previews every
                          image by its classes (no)

  --show-settings         print the effective options and the store's path
  --save-settings         store the effective options as the new defaults,
                          then pack (with --show-settings: store, show, stop)
  --settings FILE         use FILE as the settings store
  --watch                 after the build, watch FOLDER and build again when
                          an image file is added, changed, renamed or removed;
                          Ctrl+C ends the watch (exit status 0)
  --help                  show this text
  --version               show the version

Exit status: 0 when the sheet and stylesheet were written, 1 when the build
failed, 2 for a bad command line. With --watch: 0 when Ctrl+C (SIGINT),
SIGTERM or SIGHUP ended the watch, 1 when FOLDER went away.
)";
}

}  // namespace tessolo::cli
