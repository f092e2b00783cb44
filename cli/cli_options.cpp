#include "cli/cli_options.h"

#include "codecs/bmp/bmp_codec.h"
#include "platform/text_list.h"
#include "settings/data_formats.h"
#include "settings/stored_values.h"
#include "sprite/layout.h"
#include "sprite/sheet_background.h"
#include "sprite/stylesheet.h"

#include <CLI/CLI.hpp>

#include <charconv>
#include <functional>

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

// The options of a CLI11 app, each applied as soon as it is read, so a later
// one wins and the first fault on the line is the one reported.
class OptionTable {
public:
    explicit OptionTable(CLI::App& app) : app_(app) {}

    // An option with a value, which `take` reads.
    void Value(const std::string& name, std::function<void(const std::string&)> take)
    {
        app_.add_option_function<std::string>(name, [this, take](const std::string& text) {
                Operands(app_);
                take(Unmarked(text));
            })->trigger_on_parse();
    }
    void Text(const std::string& name, std::string& target)
    {
        Value(name, [&target](const std::string& text) { target = text; });
    }
    void Number(const std::string& name, std::int32_t& target, const ValueRange& range)
    {
        Value(name, [&target, name, range](const std::string& text) {
            target = ParseInt(name, text, range);
        });
    }
    template <class Target, class Rows>
    void Choice(const std::string& name, Target& target, const Rows& rows)
    {
        Value(name, [&target, name, &rows](const std::string& text) {
            target = Choose(name, text, rows);
        });
    }

    // An option without a value, which sets `target` to `value`.
    void Flag(const std::string& name, bool& target, bool value = true)
    {
        app_.add_flag_callback(name, [&target, value] { target = value; })
            ->each([this, name](const std::string& given) {
                Operands(app_);
                if (given != "true")
                    throw UsageError(name + " takes no value");
            })
            ->trigger_on_parse();
    }
    // --NAME and --no-NAME.
    void Switch(const std::string& name, bool& target)
    {
        Flag("--" + name, target, true);
        Flag("--no-" + name, target, false);
    }

private:
    CLI::App& app_;
};

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
    table.Text("--name", inputs.ProjectName);
    table.Text("--settings", request.storeFile);
    table.Text("--class", inputs.SpriteClass);
    table.Value("--style", [&inputs](const std::string& text) {
        inputs.LineStyle = LineStyleOf(ParseInt("--style", text, RangeOf(&OrvaneRegistry::ListType)));
        inputs.LineStyleText = kLineStyleTexts[*inputs.LineStyle];
    });
    table.Choice("--type", inputs.OutputFileType, kOutputTypes);
    table.Choice("--layout", settings.Orientation, kOrientations);
    table.Value("--resize", [&settings](const std::string& text) { ParseResize(text, settings); });
    table.Choice("--background", settings.SheetBackground, kSheetBackgrounds);
    table.Number("--hpad", settings.HorizontalPadding, RangeOf(&SheetOptions::HorizontalPadding));
    table.Number("--vpad", settings.VerticalPadding, RangeOf(&SheetOptions::VerticalPadding));
    table.Number("--jpeg-quality", encoding.jpeg.quality, QualityRange(kOutputJpeg));
    table.Number("--png-level", encoding.png.level, QualityRange(kOutputPng));
    table.Choice("--gif-compression", encoding.gif.compression, kGifCompressions);
    table.Value("--data", [&request](const std::string& text) {
        if (!request.dataFormatsGiven)
            request.settings.DataFormats = 0;
        request.dataFormatsGiven = true;
        request.settings.DataFormats |= Choose("--data", text, kDataWords);
    });
    table.Choice("--bmp-bits", encoding.bmp.pixelFormat, kBmpPixelCodes);
    table.Switch("jpeg-progressive", encoding.jpeg.progressive);
    table.Switch("png-interlace", encoding.png.interlace);
    table.Switch("png-optimize", encoding.png.optimize);
    table.Switch("base-rule", settings.BaseRule);
    table.Switch("html", settings.HtmlPreview);
    table.Switch("pseudo-classes", settings.PseudoClasses);
    table.Choice("--units", settings.Units, kStylesheetUnits);
    table.Switch("dedupe", settings.DedupeImages);
    table.Switch("retina", settings.Retina);
}

}  // namespace

CliRequest ParseCommandLine(const std::vector<std::string>& args, const CliRequest& defaults)
{
    CliRequest request = defaults;
    CLI::App app;
    app.set_help_flag();  // --help is ours, and prints our text
    app.allow_extras();   // FOLDER, FILEs and unknown options: see Operands
    OptionTable table(app);
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
    if (std::vector<std::string> operands = Operands(app); !operands.empty()) {
        request.folder = operands[0];
        request.files.assign(operands.begin() + 1, operands.end());
    }
    return request;
}

std::string UsageText()
{
    // The choices of --type, --layout, --background, --gif-compression, --bmp-bits and
    // --units come from their tables.
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
