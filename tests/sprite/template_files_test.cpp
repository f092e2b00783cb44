#include "sprite/template_files.h"

#include "build_fixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace tessolo {
namespace {

using test::Text;

std::vector<PlacedImage> TwoImages()
{
    return {{"home.png", {"sprite-home", ".sprite-home"}, 0, 0, 16, 16},
            {"a&b.png", {"sprite-a-b", ".sprite-a\\&b"}, 21, 0, 8, 4}};
}

SheetFacts SheetOf(bool dense = false)
{
    SheetFacts sheet;
    sheet.fileName = "icons.png";
    sheet.url = "../img/icons.png";
    sheet.title = "icons";
    sheet.width = 29;
    sheet.height = 16;
    if (dense)
        sheet.densities = {{2, "icons@2x.png", "../img/icons@2x.png", {}},
                           {3, "icons@3x.png", "../img/icons@3x.png", {}}};
    return sheet;
}

std::string Render(const std::string& text, const SheetFacts& sheet = SheetOf())
{
    OutputTemplate format{"t.txt.mustache", ".txt", text};
    return RenderOutputTemplate(format, TwoImages(), sheet);
}

struct Rendered {
    const char* text;
    const char* expected;
};
class TemplateContext : public ::testing::TestWithParam<Rendered> {};

TEST_P(TemplateContext, RendersTheSheetAndEachImageInBuildOrder)
{
    EXPECT_EQ(Render(GetParam().text, SheetOf(true)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Values, TemplateContext,
    ::testing::Values(
        Rendered{"{{sheet.name}} {{sheet.url}} {{sheet.width}}x{{sheet.height}}",
                 "icons ../img/icons.png 29x16"},
        Rendered{"{{#sheet.high_density}}{{url}} {{width}}x{{height}} {{scale}}{{/sheet.high_density}}",
                 "../img/icons@2x.png 58x32 2"},
        Rendered{"{{#sheet.densities}}{{scale}}:{{url}} {{/sheet.densities}}",
                 "2:../img/icons@2x.png 3:../img/icons@3x.png "},
        Rendered{"{{#images}}{{base_name}}:{{x}},{{y}},{{offset_x}},{{width}}x{{height}}"
                 "{{^last}};{{/last}}{{/images}}",
                 "home:0,0,0,16x16;a&amp;b:21,0,-21,8x4"},
        Rendered{"{{#images}}{{#first}}[{{/first}}{{{file}}} {{class}} {{{selector}}}{{#last}}]{{/last}} "
                 "{{/images}}",
                 "[home.png sprite-home .sprite-home a&b.png sprite-a-b .sprite-a\\&b] "}));

TEST(TemplateFiles, LeaveOutTheHighDensitySheetWhenThereIsNone)
{
    EXPECT_EQ(Render("[{{#sheet.high_density}}x{{/sheet.high_density}}]"), "[]");
}

TEST(TemplateFiles, WriteTheTypeBeforeTheirLastExtension)
{
    EXPECT_EQ(TemplateOutputExtension("/t/sprite.styl.mustache"), ".styl");
    EXPECT_EQ(TemplateOutputExtension("sprite.vars.css.tpl"), ".vars.css");
    EXPECT_EQ(TemplateOutputExtension("sprite.mustache"), "");
}

struct BadTemplate {
    const char* text;
    int line;
    const char* reason;
};
class TemplateSyntax : public ::testing::TestWithParam<BadTemplate> {};

TEST_P(TemplateSyntax, IsRefusedNamingTheLine)
{
    try {
        CheckTemplateSyntax(GetParam().text, "my.styl.mustache");
        FAIL() << "accepted";
    } catch (const TemplateSyntaxError& error) {
        const std::string message = error.what();
        EXPECT_NE(message.find("my.styl.mustache does not parse at line " +
                               std::to_string(GetParam().line) + ": "),
                  std::string::npos)
            << message;
        EXPECT_NE(message.find(GetParam().reason), std::string::npos) << message;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Faults, TemplateSyntax,
    ::testing::Values(BadTemplate{"a\n{{#images}}\nb\n", 2, "\"images\" is never closed"},
                      BadTemplate{"{{#a}}{{#b}}\n{{/a}}{{/b}}", 2, "while \"b\" (line 1) is open"},
                      BadTemplate{"x\n\n{{/images}}", 3, "not open"},
                      BadTemplate{"{{name", 1, "never closed"},
                      BadTemplate{"\n{{{name}}", 2, "\"}}}\""},
                      BadTemplate{"{{=<% %>=}}\n<%#a%>{{/a}}", 2, "\"a\" is never closed"},
                      BadTemplate{"{{=<%=}}", 1, "two delimiters"},
                      BadTemplate{"{{> part}}", 1, "partial"},
                      BadTemplate{"{{ }}", 1, "names nothing"}));

TEST(TemplateSyntax, AcceptsSetDelimitersCommentsAndUnescapedTags)
{
    EXPECT_NO_THROW(CheckTemplateSyntax("{{! note }}{{&a}}{{{b}}}{{=<% %>=}}<%#c%><%/c%>", "t"));
}

class TemplateBuild : public test::Build {
protected:
    std::string AddTemplate(const std::string& name, const std::string& text)
    {
        WriteFileReplacing(dir / name, Bytes(text.begin(), text.end()));
        settings.Templates.push_back(dir / name);
        return dir / name;
    }
};

TEST_F(TemplateBuild, WritesEachTemplateBesideTheStylesheet)
{
    AddBmp("a.bmp", 4, 2, 0x0000ff);
    AddBmp("b.bmp", 3, 3, 0x00ff00);
    AddTemplate("sprite.styl.mustache",
                "{{#images}}{{class}} = {{offset_x}}px {{offset_y}}px\n{{/images}}");
    ASSERT_EQ(Run(), BuildResult::Done) << recorder.error;
    EXPECT_EQ(Text(ReadFileBytes(dir / "sprite.styl")),
              "sprite-a = 0px 0px\nsprite-b = -" + std::to_string(4 + 5) + "px 0px\n");
}

TEST_F(TemplateBuild, RefusesATemplateThatWouldReplaceAnOutputAndKeepsThePreviousFiles)
{
    AddBmp("a.bmp", 4, 2, 0x0000ff);
    ASSERT_EQ(Run(), BuildResult::Done) << recorder.error;
    const std::string css = Css();
    AddBmp("b.bmp", 3, 3, 0x00ff00);
    const std::string path = AddTemplate("mine.css.mustache", "{{#images}}x{{/images}}");
    EXPECT_EQ(Run(), BuildResult::Failed);
    EXPECT_NE(recorder.error.find(path + " would write sprite.css"), std::string::npos)
        << recorder.error;
    EXPECT_EQ(Css(), css);
}

TEST_F(TemplateBuild, StopsBeforeAnyImageWhenATemplateDoesNotParse)
{
    AddBmp("a.bmp", 4, 2, 0x0000ff);
    AddTemplate("sprite.styl.mustache", "\n{{#images}}");
    EXPECT_EQ(Run(), BuildResult::Failed);
    EXPECT_NE(recorder.error.find("line 2"), std::string::npos) << recorder.error;
    EXPECT_TRUE(recorder.lines.empty());
    EXPECT_FALSE(std::filesystem::exists(CssPath()));
}

// The user guide's Stylus example, compiled by Stylus itself.
TEST_F(TemplateBuild, StylusExampleCompiles)
{
    // Debian's modules lie in /usr/share/nodejs, which a node from
    // elsewhere does not search by itself.
    const std::string stylus = "env NODE_PATH=/usr/share/nodejs stylus";
    if (std::system((stylus + " --version >/dev/null 2>&1").c_str()) != 0)
        GTEST_SKIP() << "stylus is not installed (Debian package node-stylus)";
    AddBmp("a.bmp", 4, 2, 0x0000ff);
    AddBmp("b.bmp", 3, 3, 0x00ff00);
    const Bytes example = ReadFileBytes(TESSOLO_SOURCE_DIR "/docs/templates/sprite.styl.mustache");
    AddTemplate("sprite.styl.mustache", Text(example));
    ASSERT_EQ(Run(), BuildResult::Done) << recorder.error;
    const std::string use = "@import 'sprite'\n.b\n  sprite($sprite-b)\n";
    WriteFileReplacing(dir / "use.styl", Bytes(use.begin(), use.end()));
    const std::string command = "cd '" + dir.Path().string() +
                                "' && timeout 60 " + stylus + " --print use.styl >use.css 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << Text(ReadFileBytes(dir / "use.css"));
    const std::string compiled = Text(ReadFileBytes(dir / "use.css"));
    EXPECT_NE(compiled.find("background-position: -9px 0px"), std::string::npos) << compiled;
    EXPECT_NE(compiled.find("width: 3px"), std::string::npos) << compiled;
    EXPECT_NE(compiled.find("url(\"sprite.bmp\")"), std::string::npos) << compiled;
}

}  // namespace
}  // namespace tessolo
