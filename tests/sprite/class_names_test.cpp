// Class names that a page can write in a class attribute, and the escapes of
// the other web outputs.
#include "sprite/class_names.h"
#include "sprite/web_escapes.h"

#include <gtest/gtest.h>

namespace tessolo {
namespace {

TEST(CssIdentifier, EscapesWhatAnIdentifierDoesNotAllowAsItIs)
{
    EXPECT_EQ(CssIdentifier("sprite-home_2"), "sprite-home_2");
    EXPECT_EQ(CssIdentifier("logo.small"), "logo\\.small");
    EXPECT_EQ(CssIdentifier("50%"), "\\35 0\\%");
    EXPECT_EQ(CssIdentifier("a:b#c"), "a\\:b\\#c");
    EXPECT_EQ(CssIdentifier("say\"hi'"), "say\\\"hi\\'");
    EXPECT_EQ(CssIdentifier("-1a"), "-\\31 a");
    EXPECT_EQ(CssIdentifier("-"), "\\-");
    EXPECT_EQ(CssIdentifier("--x"), "--x");
    EXPECT_EQ(CssIdentifier("a\x01\x7F"), "a\\1 \\7f ");
    EXPECT_EQ(CssIdentifier("\xC3\xA9t\xC3\xA9"), "\xC3\xA9t\xC3\xA9");
}

TEST(PreprocessorIdentifiers, AreValidWhateverTheName)
{
    EXPECT_EQ(ScssIdentifier("sprite-a.b"), CssIdentifier("sprite-a.b"));
    EXPECT_EQ(ScssIdentifier("-x"), "-x");
    EXPECT_EQ(ScssIdentifier("--home"), "\\--home");
    EXPECT_EQ(ScssIdentifier("--1st"), "\\--\\31 st");
    EXPECT_EQ(ScssIdentifier("--"), "\\-\\-");
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
              "\"a\\\"b\\\\c\\u000a\\u0001\xC3\xA9\xEF\xBF\xBD\"");
}

}  // namespace
}  // namespace tessolo
