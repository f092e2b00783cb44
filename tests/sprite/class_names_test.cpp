// Class names that a page can write in a class attribute, and the escapes of
// the other web outputs.
#include "settings/data_formats.h"
#include "sprite/class_names.h"
#include "sprite/data_names.h"
#include "sprite/web_escapes.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace tessolo {
namespace {

// Names and their escaped forms.
using Escapes = std::vector<std::pair<std::string, std::string>>;

TEST(CssIdentifier, EscapesWhatAnIdentifierDoesNotAllowAsItIs)
{
    const Escapes cases = {
        {"sprite-home_2", "sprite-home_2"}, {"logo.small", "logo\\.small"},
        {"50%", "\\35 0\\%"},               {"a:b#c", "a\\:b\\#c"},
        {"say\"hi'", "say\\\"hi\\'"},       {"-1a", "-\\31 a"},
        {"-", "\\-"},                       {"--x", "--x"},
        {"a\x01\x7F", "a\\1 \\7f "},        {"\xC3\xA9t\xC3\xA9", "\xC3\xA9t\xC3\xA9"},
    };
    for (const auto& [name, escaped] : cases)
        EXPECT_EQ(CssIdentifier(name), escaped) << name;
}

TEST(PreprocessorIdentifiers, AreValidWhateverTheName)
{
    // A leading "-" or "_" would make the SCSS variable private to its module.
    const auto scss = [](const char* classText, const char* base) {
        return ScssVariables({{"f.png", ImageClassName(classText, base)}}).names.at(0);
    };
    EXPECT_EQ(scss(".sprite", "a.b"), "$" + CssIdentifier("sprite-a.b"));
    EXPECT_EQ(scss(".", "x"), "$sprite-x");
    EXPECT_EQ(scss(".-", "home"), "$sprite--home");
    EXPECT_EQ(scss(".-", "1st"), "$sprite--1st");
    EXPECT_EQ(scss(".-", ""), "$sprite--");
    EXPECT_EQ(scss("._", "y"), "$sprite_-y");
    EXPECT_EQ(scss(".1", "z"), "$\\31 -z");
    // U+FFFD, which a NUL becomes too, is escaped: Dart Sass refuses a file
    // that holds it.
    EXPECT_EQ(ScssIdentifier(std::string_view("caf\xEF\xBF\xBD\0e", 8)), "caf\\fffd \\fffd e");
    EXPECT_EQ(LessIdentifier("sprite-a_b.c\xC3\xA9"), "sprite-a_b_2ec_c3_a9");
}

TEST(ClassNames, ValidNamesStayAsTheyAre)
{
    ClassName name = ImageClassName(".sprite", "home-2_b");
    EXPECT_EQ(name.attribute, "sprite-home-2_b");
    EXPECT_EQ(name.selector, ".sprite-home-2_b");
    // A leading digit follows the class text, so it needs no escape there.
    EXPECT_EQ(ImageClassName(".sprite", "1st").selector, ".sprite-1st");
    EXPECT_EQ(ImageClassName(".icon", "\xC3\xA9t\xC3\xA9").selector, ".icon-\xC3\xA9t\xC3\xA9");
    EXPECT_EQ(BaseClassName(".sprite").selector, ".sprite");
}

TEST(ClassNames, AwkwardFileNamesGiveAttributeAndMatchingSelector)
{
    struct Case {
        const char* base;
        const char* attribute;
        const char* selector;
    } cases[] = {
        {"logo.small", "sprite-logo.small", ".sprite-logo\\.small"},
        {"my icon\there", "sprite-my-icon-here", ".sprite-my-icon-here"},
        {"50%", "sprite-50%", ".sprite-50\\%"},
        {"a:b", "sprite-a:b", ".sprite-a\\:b"},
        {"#1", "sprite-#1", ".sprite-\\#1"},
        {"it's \"q\"", "sprite-it's-\"q\"", ".sprite-it\\'s-\\\"q\\\""},
        {"a\xFF" "b", "sprite-a\xEF\xBF\xBD" "b", ".sprite-a\xEF\xBF\xBD" "b"},
    };
    for (const Case& c : cases) {
        ClassName name = ImageClassName(".sprite", c.base);
        EXPECT_EQ(name.attribute, c.attribute) << c.base;
        EXPECT_EQ(name.selector, c.selector) << c.base;
    }
    // The class text follows the same rule; an empty one still makes a class.
    EXPECT_EQ(ImageClassName(".my class", "x").selector, ".my-class-x");
    EXPECT_EQ(ImageClassName(".", "1").selector, ".-\\31 ");
    EXPECT_EQ(BaseClassName(".").attribute, "");

    std::string longName(250, 'n');
    longName[100] = '.';
    ClassName name = ImageClassName(".sprite", longName);
    EXPECT_EQ(name.attribute, "sprite-" + longName);
    EXPECT_EQ(name.selector, ".sprite-" + longName.substr(0, 100) + "\\." + longName.substr(101));
}

TEST(ClassNames, CollisionNamesBothFilesOnce)
{
    ClassCollisions collisions;
    EXPECT_EQ(collisions.Add("a b.png", ImageClassName(".s", "a b")), "");
    EXPECT_EQ(collisions.Add("a.png", ImageClassName(".s", "a")), "");
    EXPECT_EQ(collisions.Add("a-b.gif", ImageClassName(".s", "a-b")),
              "warning: a-b.gif gets the class \"s-a-b\" that a b.png has already");
    EXPECT_NE(collisions.Add("a.bmp", ImageClassName(".s", "a")), "");
}

TEST(WebEscapes, Utf8RepairReplacesEveryBadByte)
{
    const std::string bad = "\xEF\xBF\xBD";
    EXPECT_EQ(ValidUtf8("ok \xC3\xA9 \xF0\x9F\x98\x80"), "ok \xC3\xA9 \xF0\x9F\x98\x80");
    EXPECT_EQ(ValidUtf8("\xC0\xAF"), bad + bad);              // overlong "/"
    EXPECT_EQ(ValidUtf8("\xED\xA0\x80"), bad + bad + bad);     // surrogate
    EXPECT_EQ(ValidUtf8("\xF4\x90\x80\x80"), bad + bad + bad + bad);  // above U+10FFFF
    EXPECT_EQ(ValidUtf8("a\xE2\x82"), "a" + bad + bad);       // cut short
}

TEST(WebEscapes, ByteEscapesKeepBadBytesApart)
{
    EXPECT_EQ(ByteEscapedUtf8("caf\xE9 \xC3\xA9\xC0\xAF"), "caf\\xe9 \xC3\xA9\\xc0\\xaf");
    EXPECT_EQ(ByteEscapedUtf8("ok \xF0\x9F\x98\x80"), "ok \xF0\x9F\x98\x80");
}

TEST(WebEscapes, StringsUrlsHtmlAndJson)
{
    EXPECT_EQ(CssString("it's a\\b\n"), "'it\\'s a\\\\b\\a '");
    EXPECT_EQ(UrlEncoded("my sprite#1?.png"), "my%20sprite%231%3f.png");
    EXPECT_EQ(UrlEncoded("a:b%\xC3\xA9~_-.png"), "a%3ab%25%c3%a9~_-.png");
    EXPECT_EQ(HtmlEscaped("<a href=\"x\">&'</a>"),
              "&lt;a href=&quot;x&quot;&gt;&amp;&#39;&lt;/a&gt;");
    EXPECT_EQ(JsonString("a\"b\\c\n\x01\xC3\xA9\xFF"),
              "\"a\\\"b\\\\c\\n\\u0001\xC3\xA9\xEF\xBF\xBD\"");
}

// Each data file's names are unique by its language's equality: later
// images get the first free suffix, and every image's own name is kept when
// no earlier image has it.
TEST(DataNames, LaterImagesOfTheSameNameGetTheFirstFreeSuffix)
{
    struct Case {
        DataNames (*names)(const std::vector<PlacedImage>&);
        std::vector<std::string> files, expected;
    } cases[] = {
        {&ScssVariables,
         {"a-b.png", "a_b.png", "a-b-2.png", "a-b.png", "c.png"},
         {"$s-a-b", "$s-a_b-3", "$s-a-b-2", "$s-a-b-4", "$s-c"}},
        {&LessVariables,
         {"x.y.png", "x_2ey.png", "x_2ey-2.png", "a-b.png", "a_b.png"},
         {"@s-x_2ey", "@s-x_2ey-3", "@s-x_2ey-2", "@s-a-b", "@s-a_b"}},
        {&JsonFrameNames,
         {"caf\xE9.png", "caf\xE8.png", "caf\\xe9.png", "a.png", "a.png"},
         {"caf\\xe9.png", "caf\\xe8.png", "caf\\xe9.png-2", "a.png", "a.png-2"}},
    };
    for (const Case& c : cases) {
        std::vector<PlacedImage> images;
        for (const std::string& file : c.files)
            images.push_back({file, ImageClassName(".s", file.substr(0, file.rfind('.')))});
        EXPECT_EQ(c.names(images).names, c.expected) << c.files[0];
    }
}

TEST(DataNames, WarningsNameBothFilesForTheFormatsAskedFor)
{
    std::vector<PlacedImage> images;
    for (const char* base : {"a-b", "a_b", "x.y", "x_2ey"})
        images.push_back({std::string(base) + ".png", ImageClassName(".s", base)});
    EXPECT_EQ(DataNameWarnings(images, kDataScss | kDataJson),
              (std::vector<std::string>{"warning: a_b.png gets the SCSS variable $s-a_b-2, as "
                                        "$s-a_b is the same as a-b.png's $s-a-b"}));
    EXPECT_EQ(DataNameWarnings(images, kDataLess),
              (std::vector<std::string>{"warning: x_2ey.png gets the LESS variable @s-x_2ey-2, "
                                        "as @s-x_2ey is x.y.png's already"}));
    images.push_back(images[0]);
    EXPECT_EQ(DataNameWarnings(images, kDataJson),
              (std::vector<std::string>{"warning: a-b.png gets the JSON frame name "
                                        "\"a-b.png-2\", as \"a-b.png\" is a-b.png's already"}));
}

}  // namespace
}  // namespace tessolo
