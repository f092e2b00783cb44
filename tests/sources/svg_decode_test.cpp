// SVG sources: drawn at their own size with their alpha, without what other
// files would add, and damaged documents refused with a message.
#include "codecs/png/png_codec.h"
#include "codecs/svg/svg_codec.h"
#include "platform/files.h"
#include "source_test_support.h"
#include "support/images.h"
#include "support/testdata.h"

#include <gtest/gtest.h>

namespace tessolo {
namespace {

using test::DecodeCase;

constexpr const char* kClear = "FFFFFF00";

std::string Svg(const std::string& attributes, const std::string& content)
{
    return R"(<svg xmlns="http://www.w3.org/2000/svg" xmlns:xlink="http://www.w3.org/1999/xlink" )"
           R"(xmlns:xi="http://www.w3.org/2001/XInclude" )" +
           attributes + ">" + content + "</svg>";
}

// A 2 x 2 document that refers to other files of `folder`, which would draw
// it opaque red: a picture through both spellings of the link, another
// document's shape, and that document included whole.
Bytes ReferringToOtherFiles(const std::string& folder)
{
    const std::string png = folder + "/red.png";
    WriteFileReplacing(png, EncodePngSheet(test::Solid(2, 2, MakeColor(255, 0, 0)), {}));
    WriteFileReplacing(folder + "/shapes.svg",
                       test::BytesOf(Svg(R"(width="2" height="2")",
                                         R"(<rect id="r" width="2" height="2" fill="red"/>)")));
    return test::BytesOf(Svg(R"(width="2" height="2")",
                             R"(<image href="file://)" + png + R"(" width="2" height="2"/>)"
                             R"(<image xlink:href="red.png" width="2" height="2"/>)"
                             R"(<use href="file://)" + folder + R"(/shapes.svg#r"/>)"
                             R"(<use xlink:href="shapes.svg#r"/>)"
                             R"(<xi:include href="file://)" + folder + R"(/shapes.svg" parse="xml"/>)"));
}

const DecodeCase kCases[] = {
    {"WidthAndHeight",
     [](const std::string&) {
         return test::BytesOf(Svg(R"(width="3" height="2")", R"(<rect width="2" height="2" fill="#00ff00"/>)"));
     },
     "00FF00FF 00FF00FF FFFFFF00\n00FF00FF 00FF00FF FFFFFF00\n"},
    {"WidthAndHeightInPoints",
     [](const std::string&) { return test::BytesOf(Svg(R"(width="3pt" height="1.5pt")", "")); },
     std::string(kClear) + " " + kClear + " " + kClear + " " + kClear + "\n" + kClear + " " + kClear +
         " " + kClear + " " + kClear + "\n"},
    {"ViewBoxOnly",
     [](const std::string&) {
         return test::BytesOf(
             Svg(R"(viewBox="10 10 2 1")", R"(<rect x="11" y="10" width="1" height="1" fill="#0000ff" fill-opacity="0.6"/>)"));
     },
     std::string(kClear) + " 0000FF99\n"},
    {"ReferringToOtherFiles", ReferringToOtherFiles,
     std::string(kClear) + " " + kClear + "\n" + kClear + " " + kClear + "\n"},
    // Drawing programs declare names as entities inside the document.
    {"InternalEntity",
     [](const std::string&) {
         return test::BytesOf(R"(<!DOCTYPE svg [<!ENTITY blue "#0000ff">]>)" +
                              Svg(R"(width="1" height="1")", R"(<rect width="1" height="1" fill="&blue;"/>)"));
     },
     "0000FFFF\n"},
    {"ExternalEntity",
     [](const std::string& folder) {
         WriteFileReplacing(folder + "/shape.xml", test::BytesOf(R"(<rect width="2" height="2" fill="red"/>)"));
         return test::BytesOf("<!DOCTYPE svg [<!ENTITY e SYSTEM \"file://" + folder + "/shape.xml\">]>" +
                              Svg(R"(width="2" height="2")", "&e;"));
     },
     "SVG error: ", true},
    {"NoMarkup", [](const std::string&) { return test::BytesOf("GIF89a"); },
     "SVG error: the file is not an SVG document"},
    {"BrokenMarkup", [](const std::string&) { return test::BytesOf("<svg xmlns=\"http://www.w3.org/2000/svg\""); },
     "SVG error: ", true},
    {"NoSize", [](const std::string&) { return test::BytesOf(Svg("", "")); },
     "SVG error: the document has neither a width and height in absolute units nor a viewBox"},
    {"EmptySize", [](const std::string&) { return test::BytesOf(Svg(R"(width="0" height="5")", "")); },
     "SVG error: the document's size is empty"},
    {"TooWide", [](const std::string&) { return test::BytesOf(Svg(R"(width="40000" height="1")", "")); },
     "SVG error: the document is larger than 32767 pixels a side"},
    {"WiderThanAnyWholeNumber",
     [](const std::string&) { return test::BytesOf(Svg(R"(width="4811111111111111111111" height="3")", "")); },
     "SVG error: the document is larger than 32767 pixels a side"},
    {"BeyondTheRasterCap",
     [](const std::string&) { return test::BytesOf(Svg(R"(width="30000" height="30000")", "")); },
     "Bitmap too large: the raster would need more than 1 GiB"},
};

class SvgSource : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(SvgSource, DecodesAsExpected)
{
    test::TempDir folder;
    const std::string outcome = test::DecodeOutcome(kSvgSource, GetParam().file(folder.Path().string()));
    if (GetParam().messageStartOnly)
        EXPECT_EQ(outcome.rfind(GetParam().expected, 0), 0u) << outcome;
    else
        EXPECT_EQ(outcome, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Files, SvgSource, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace tessolo
