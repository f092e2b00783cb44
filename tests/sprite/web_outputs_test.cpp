// The outputs for web pages, built from real images: the base rule, the
// data files (compiled by the real SCSS and LESS compilers, the JSON read by
// a strict parser and checked against the sheet's pixels) and the preview
// page's text.
#include "build_fixture.h"
#include "info/version_strings.h"
#include "platform/error.h"
#include "settings/data_formats.h"
#include "sprite/web_escapes.h"
#include "style_compilers.h"
#include "support/file_size_limit.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <set>

namespace tessolo {
namespace {

namespace fs = std::filesystem;
// Objects keep their members in file order, so frames are checked in build order.
using Json = nlohmann::ordered_json;

// File names a page would choke on without the class-name rule.
const std::vector<std::string> kAwkwardNames = {
    "home.bmp", "logo.small.bmp", "my icon.bmp", "50%.bmp", "a:b.bmp", "#1.bmp", "it's.bmp",
    "1st.bmp", "\xC3\xA9t\xC3\xA9.bmp"};

// Names that some data file's language takes for the same: "-" and "_" in
// SCSS, "." and its escape "_2e" in LESS, bytes that are not UTF-8 (whose
// classes are the same), the escape of such a byte written out, and a file
// listed twice. "a_b-2" and "x_2ey-2" are where the first suffix would go.
const std::vector<std::string> kCollidingNames = {
    "a-b.bmp", "a_b.bmp", "a_b-2.bmp", "x.y.bmp", "x_2ey.bmp", "x_2ey-2.bmp",
    "caf\xE9.bmp", "caf\xE8.bmp", "caf\\xe9.bmp", "a-b.bmp"};

class WebOutputs : public test::Build {
protected:
    // An image whose pixels all differ from their neighbours', so a wrong
    // offset or size shows.
    void AddPattern(const std::string& name, int w, int h)
    {
        const int seed = int(sources.size()) + 1;
        Bitmap image(w, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                image.SetPixel(x, y, MakeColor(std::uint8_t(x * 37 + seed * 11),
                                               std::uint8_t(y * 53 + seed * 29),
                                               std::uint8_t(x * y + seed * 71)));
        WriteFileReplacing(dir / name, EncodeBmp(image, 6));
        inputs.GraphicFiles.push_back(name);
        sources.push_back(image);
    }
    // Images of varied sizes; a name listed before lists that file again.
    void AddImages(const std::vector<std::string>& names)
    {
        for (std::size_t i = 0; i < names.size(); ++i) {
            const std::vector<std::string>& listed = inputs.GraphicFiles;
            auto before = std::find(listed.begin(), listed.end(), names[i]);
            if (before == listed.end()) {
                AddPattern(names[i], 3 + int(i % 4), 2 + int(i % 3));
            } else {
                sources.push_back(sources[before - listed.begin()]);
                inputs.GraphicFiles.push_back(names[i]);
            }
        }
    }
    void AddAwkwardImages() { AddImages(kAwkwardNames); }
    std::string Output(const std::string& extension)
    {
        return test::Text(ReadFileBytes(dir / (inputs.ProjectName + extension)));
    }
    std::set<std::string> Entries()
    {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir.Path()))
            names.insert(entry.path().filename().string());
        return names;
    }

    // The frames, named `names` in build order, each at the place of its
    // source's pixels on the sheet.
    void ExpectFramesShowSources(const Json& frames, const std::vector<std::string>& names)
    {
        Bitmap sheet = Sheet();
        ASSERT_EQ(frames.size(), sources.size());
        std::size_t i = 0;
        for (const auto& [name, frame] : frames.items()) {
            EXPECT_EQ(name, names[i]) << "frames in build order";
            const Json& rect = frame.at("frame");
            const int x = rect.at("x").get<int>(), y = rect.at("y").get<int>();
            ASSERT_EQ(rect.at("w"), sources[i].Width()) << name;
            ASSERT_EQ(rect.at("h"), sources[i].Height()) << name;
            for (int sy = 0; sy < sources[i].Height(); ++sy)
                for (int sx = 0; sx < sources[i].Width(); ++sx)
                    ASSERT_EQ(sheet.Pixel(x + sx, y + sy), sources[i].Pixel(sx, sy))
                        << name << " at " << sx << "," << sy;
            EXPECT_EQ(frame.at("rotated"), false) << "a JSON boolean";
            EXPECT_EQ(frame.at("trimmed"), false);
            EXPECT_EQ(frame.at("spriteSourceSize").at("w"), sources[i].Width());
            EXPECT_EQ(frame.at("sourceSize").at("h"), sources[i].Height());
            ++i;
        }
    }

    std::vector<Bitmap> sources;
};

TEST_F(WebOutputs, DefaultBuildWritesNoExtraFiles)
{
    AddPattern("a.bmp", 3, 3);
    ASSERT_EQ(Run(), BuildResult::Done) << recorder.error;
    EXPECT_EQ(Entries(), (std::set<std::string>{"a.bmp", "sprite.bmp", "sprite.css"}));
    EXPECT_EQ(Output(".css"), ".sprite-a { background-position: 0px 0px }\r\n");
}

TEST_F(WebOutputs, AwkwardNamesGetEscapedSelectorsAndCollisionsAWarning)
{
    AddAwkwardImages();
    AddPattern("my-icon.bmp", 2, 2);  // the same class as "my icon.bmp"
    ASSERT_EQ(Run(), BuildResult::Done) << recorder.error;
    std::string css = "\r\n" + Output(".css");
    for (const char* selector : {".sprite-home {", ".sprite-logo\\.small {", ".sprite-my-icon {",
                                 ".sprite-50\\% {", ".sprite-a\\:b {", ".sprite-\\#1 {",
                                 ".sprite-it\\'s {", ".sprite-1st {", ".sprite-\xC3\xA9t\xC3\xA9 {"})
        EXPECT_NE(css.find(std::string("\r\n") + selector), std::string::npos) << selector;
    EXPECT_EQ(recorder.remarks, (std::vector<std::string>{
                                    "warning: my-icon.bmp gets the class \"sprite-my-icon\" that "
                                    "my icon.bmp has already"}));
}

TEST_F(WebOutputs, BaseRuleOpensTheStylesheetWithTheSheetsUrl)
{
    inputs.ProjectName = "my sprite#1";
    settings.BaseRule = true;
    AddPattern("a.bmp", 2, 2);
    ASSERT_EQ(Run(), BuildResult::Done) << recorder.error;
    EXPECT_EQ(Output(".css"),
              ".sprite { background-image: url('my%20sprite%231.bmp'); background-repeat: "
              "no-repeat; display: inline-block; }\r\n"
              ".sprite-a { background-position: 0px 0px }\r\n");
    EXPECT_EQ(recorder.lines.size(), 1u) << "only image lines count as placed images";

    inputs.SpriteClass = ".";
    ASSERT_EQ(Run(), BuildResult::Done) << recorder.error;
    EXPECT_EQ(Output(".css"), ".-a { background-position: 0px 0px }\r\n");
    ASSERT_EQ(recorder.remarks.size(), 1u);
    EXPECT_EQ(recorder.remarks[0].rfind("warning: no base rule written", 0), 0u);
}

TEST_F(WebOutputs, JsonFramesShowEachSourcesPixelsOnTheSheet)
{
    settings.DataFormats = kDataJson;
    AddAwkwardImages();
    AddPattern("say \"hi\"\\.bmp", 4, 4);
    ASSERT_EQ(Run(), BuildResult::Done) << recorder.error;
    std::string text = Output(".json");
    EXPECT_EQ(ValidUtf8(text), text);
    const Json data = Json::parse(text);
    ExpectFramesShowSources(data.at("frames"), inputs.GraphicFiles);

    Bitmap sheet = Sheet();
    const Json& meta = data.at("meta");
    EXPECT_EQ(meta.at("image"), "sprite.bmp");
    EXPECT_EQ(meta.at("size").at("w"), sheet.Width());
    EXPECT_EQ(meta.at("size").at("h"), sheet.Height());
    EXPECT_EQ(meta.at("version"), ProgramFileVersion());
    EXPECT_EQ(meta.at("app"), "Tessolo");
    EXPECT_EQ(meta.at("scale"), "1");
}

TEST_F(WebOutputs, JsonKeepsEveryFrameUnderANameOfItsOwn)
{
    settings.DataFormats = kDataJson;
    AddImages(kCollidingNames);
    ASSERT_EQ(Run(), BuildResult::Done) << recorder.error;
    std::string text = Output(".json");
    EXPECT_EQ(ValidUtf8(text), text);
    ExpectFramesShowSources(Json::parse(text).at("frames"),
                            {"a-b.bmp", "a_b.bmp", "a_b-2.bmp", "x.y.bmp", "x_2ey.bmp",
                             "x_2ey-2.bmp", "caf\\xe9.bmp", "caf\\xe8.bmp", "caf\\xe9.bmp-2",
                             "a-b.bmp-2"});
    EXPECT_NE(std::find(recorder.remarks.begin(), recorder.remarks.end(),
                        "warning: caf\\xe9.bmp gets the JSON frame name \"caf\\xe9.bmp-2\", as "
                        "\"caf\\xe9.bmp\" is caf\xE9.bmp's already"),
              recorder.remarks.end());
}

// A style preprocessor and how its data file is used.
struct Preprocessor {
    const char* label;    // names the test case
    const char* extension;
    char sigil;           // before a variable's name
    std::string command;  // compiles the file named after it into the next one
    const char* import;   // loads the data file
    const char* call;     // includes the mixin `sprite`
    const char* member;   // before a variable of the data file
    const char* missing;  // why a test skips without it
    bool Runs() const { return test::Runs(command); }
};
void PrintTo(const Preprocessor& language, std::ostream* out) { *out << language.label; }
using test::kDartSass, test::kNoDartSass;
// Through the module system: sprite.css beside sprite.scss is not in the way.
const Preprocessor kScss{"scss", ".scss", '$', kDartSass, "@use 'sprite' as s;",
                         "@include s.sprite", "s.", kNoDartSass};
// @import is deprecated itself, so the warning about @import rules is
// silenced; the data file holds none, and must still cause no warning.
const Preprocessor kScssImport{"scssImport", ".scss", '$',
                               kDartSass + " --silence-deprecation=import",
                               "@import 'sprite.scss';", "@include sprite", "", kNoDartSass};
// Debian's LESS modules lie in /usr/share/nodejs, which a node from
// elsewhere does not search by itself.
const Preprocessor kLess{"less", ".less", '@', "env NODE_PATH=/usr/share/nodejs lessc",
                         "@import 'sprite.less';", ".sprite", "",
                         "lessc does not run (Debian package node-less)"};

// Compiles a file that includes every variable of NAME.scss or NAME.less
// into its own rule, without a warning, and checks the rules against the
// stylesheet's.
class CompiledData : public WebOutputs {
protected:
    void CheckCompiled(const Preprocessor& language)
    {
        const char* extension = language.extension;
        const char sigil = language.sigil;
        settings.DataFormats = kDataScss | kDataLess;
        inputs.LineStyle = kPositionAndSize;
        ASSERT_EQ(Run(), BuildResult::Done) << recorder.error;

        // The variables, one per line in build order, up to the ":".
        std::vector<std::string> variables;
        std::string data = Output(extension);
        for (std::size_t at = 0; (at = data.find(std::string("\n") + sigil, at)) != std::string::npos;) {
            std::size_t end = data.find(sigil == '$' ? ": (" : ": ", at);
            variables.push_back(data.substr(at + 1, end - at - 1));
            at = end;
        }
        ASSERT_EQ(variables.size(), sources.size());

        std::string usage = std::string(language.import) + "\n";
        for (std::size_t i = 0; i < variables.size(); ++i)
            usage += ".t" + std::to_string(i) + " { " + language.call + "(" + language.member +
                     variables[i] + "); }\n";
        WriteFileReplacing(dir / (std::string("use") + extension),
                           Bytes(usage.begin(), usage.end()));
        const bool ran = test::RunIn(dir, language.command + " use" + extension + " use.css");
        const std::string messages = test::Text(ReadFileBytes(dir / "compiler.out"));
        ASSERT_TRUE(ran) << messages;
        EXPECT_EQ(test::WarningCount(messages), 0) << messages;

        std::string compiled = test::Text(ReadFileBytes(dir / "use.css"));
        std::vector<std::string> lines = recorder.lines;
        const std::regex rule(R"(\.t(\d+)\s*\{([^}]*)\})");
        auto value = [](const std::string& body, const char* property) {
            std::smatch found;
            std::regex_search(body, found, std::regex(std::string(property) + R"(:\s*([^;]+?)\s*;)"));
            return found.size() > 1 ? found[1].str() : "(missing)";
        };
        std::size_t checked = 0;
        for (std::sregex_iterator it(compiled.begin(), compiled.end(), rule), end; it != end; ++it) {
            std::size_t i = std::stoul((*it)[1]);
            std::string body = (*it)[2].str() + ";";
            std::string line = lines.at(i);
            EXPECT_EQ(line.substr(line.find(" { ")),
                      " { background-position: " + value(body, "background-position") +
                          "; width: " + value(body, "width") + "; height: " + value(body, "height") +
                          "; }");
            EXPECT_TRUE(std::regex_match(value(body, "background-image"),
                                         std::regex(R"(url\(["']?sprite\.bmp["']?\))")))
                << value(body, "background-image");
            ++checked;
        }
        EXPECT_EQ(checked, sources.size()) << compiled;
    }
};

TEST_F(CompiledData, ScssGivesTheStylesheetsPositionsAndSizes)
{
    if (!kScss.Runs())
        GTEST_SKIP() << kScss.missing;
    AddAwkwardImages();
    for (const Preprocessor* language : {&kScss, &kScssImport}) {
        SCOPED_TRACE(language->import);
        CheckCompiled(*language);
    }
}

TEST_F(CompiledData, LessGivesTheStylesheetsPositionsAndSizes)
{
    if (!kLess.Runs())
        GTEST_SKIP() << kLess.missing;
    AddAwkwardImages();
    CheckCompiled(kLess);
}

// A class text and file names whose variables could be invalid or the same.
struct VariableNames {
    const char* label;
    const char* classText;
    std::vector<std::string> files;
};
void PrintTo(const VariableNames& names, std::ostream* out) { *out << names.label; }
const VariableNames kVariableNames[] = {
    {"Colliding", ".sprite", kCollidingNames},
    // "--home", "--1st", "---x", "--" (no base name), "--é", "---", "--_y".
    {"LeadingHyphen", ".-",
     {"home.bmp", "1st.bmp", "-x.bmp", ".bmp", "\xC3\xA9.bmp", "-.bmp", "_y.bmp"}},
    {"LeadingHyphens", ".--", {"home.bmp", "1st.bmp", ".bmp", "-1.bmp"}},
    {"NoClassText", ".", {"home.bmp", "1.bmp", ".bmp"}},
    {"LeadingDigit", ".1", {"home.bmp", "2.bmp"}},
};

class CompiledVariables
    : public CompiledData,
      public ::testing::WithParamInterface<std::tuple<Preprocessor, VariableNames>> {};

TEST_P(CompiledVariables, AreValidAndEachHoldsItsOwnImage)
{
    const auto& [language, names] = GetParam();
    if (!language.Runs())
        GTEST_SKIP() << language.missing;
    inputs.SpriteClass = names.classText;
    AddImages(names.files);
    CheckCompiled(language);
}

INSTANTIATE_TEST_SUITE_P(
    , CompiledVariables,
    ::testing::Combine(::testing::Values(kScss, kScssImport, kLess),
                       ::testing::ValuesIn(kVariableNames)),
    [](const auto& info) {
        return std::string(std::get<0>(info.param).label) + std::get<1>(info.param).label;
    });

TEST_F(WebOutputs, PreviewPageEscapesNamesAndSizesElementsOfPositionOnlyRules)
{
    settings.HtmlPreview = true;
    inputs.ProjectName = "a&b";
    AddPattern("x<y>&\"z'.bmp", 3, 2);
    ASSERT_EQ(Run(), BuildResult::Done) << recorder.error;
    std::string page = Output(".html");
    EXPECT_NE(page.find("<title>a&amp;b</title>"), std::string::npos) << page;
    EXPECT_NE(page.find("<link rel=\"stylesheet\" href=\"a%26b.css\">"), std::string::npos);
    EXPECT_NE(page.find(".preview-frame > span { background-image: url('a%26b.bmp');"),
              std::string::npos);
    EXPECT_NE(page.find("<span class=\"sprite-x&lt;y&gt;&amp;&quot;z&#39;\" style=\"width: 3px; "
                        "height: 2px\"></span>"),
              std::string::npos)
        << page;

    settings.BaseRule = true;
    inputs.LineStyle = kPositionAndSize;
    ASSERT_EQ(Run(), BuildResult::Done) << recorder.error;
    page = Output(".html");
    EXPECT_EQ(page.find(".preview-frame > span {"), std::string::npos)
        << "the stylesheet's base rule shows the sheet";
    EXPECT_NE(page.find("<span class=\"sprite sprite-x&lt;y&gt;&amp;&quot;z&#39;\"></span>"),
              std::string::npos);
}

TEST_F(WebOutputs, FailedWriteOfADataFileKeepsEveryOldOutput)
{
    settings.DataFormats = kDataScss | kDataLess | kDataJson;
    settings.HtmlPreview = true;
    settings.BaseRule = true;
    AddPattern("a.bmp", 1, 1);
    ASSERT_EQ(Run(), BuildResult::Done) << recorder.error;
    std::map<std::string, std::string> before;
    for (const std::string& name : Entries())
        before[name] = test::Text(ReadFileBytes(dir / name));
    EXPECT_EQ(before.size(), 8u) << "the source, six outputs and the record of those beside the stylesheet";

    // Forty images keep the sheet and stylesheet small but the JSON large.
    for (int i = 0; i < 40; ++i)
        inputs.GraphicFiles.push_back("a.bmp");
    test::FileSizeLimit limit(4096);
    EXPECT_EQ(Run(), BuildResult::Failed);
    EXPECT_NE(recorder.error.find("Cannot write file"), std::string::npos) << recorder.error;
    std::map<std::string, std::string> after;
    for (const std::string& name : Entries())
        after[name] = test::Text(ReadFileBytes(dir / name));
    EXPECT_EQ(after, before);
}

}  // namespace
}  // namespace tessolo
