// The forms of the image rules beyond plain pixels: states from file names
// as pseudo-classes of the base class, and places and sizes in percent.
#include "build_fixture.h"
#include "sprite/state_classes.h"

#include <functional>
#include <sstream>
#include <string>

namespace tessolo {
namespace {

// A state image and its base image, at the plain density or as double-size
// sources whose "@2x" the class drops.
struct StateCase {
    std::string_view state;
    bool retina;
};
void PrintTo(const StateCase& c, std::ostream* out) { *out << c.state << (c.retina ? "@2x" : ""); }

std::vector<StateCase> EveryStateAndTwoDoubleSize()
{
    std::vector<StateCase> cases;
    for (std::string_view state : kStatePseudoClasses)
        cases.push_back({state, false});
    cases.push_back({"hover", true});
    cases.push_back({"focus-visible", true});
    return cases;
}

class StateRules : public test::Build, public ::testing::WithParamInterface<StateCase> {};

TEST_P(StateRules, AlsoRuleThePseudoClassOfTheBaseClass)
{
    const std::string at2x = GetParam().retina ? "@2x" : "";
    const std::string state(GetParam().state);
    // The state image first: the build order does not matter.
    AddBmp("home_" + state + at2x + ".bmp", 8, 4, MakeColor(30, 20, 10));
    AddBmp("home" + at2x + ".bmp", 8, 4, MakeColor(10, 20, 30));
    settings.HorizontalPadding = 2;
    settings.Retina = GetParam().retina;
    settings.PseudoClasses = true;
    ASSERT_EQ(Run(), BuildResult::Done) << recorder.error;

    const std::vector<std::string> rules = {
        ".sprite-home_" + state + ", .sprite-home:" + state + " { background-position: 0px 0px }",
        GetParam().retina ? ".sprite-home { background-position: -5px 0px }"
                          : ".sprite-home { background-position: -10px 0px }"};
    EXPECT_EQ(recorder.lines, rules);
    EXPECT_NE(Css().find(rules[0] + "\r\n" + rules[1] + "\r\n"), std::string::npos) << Css();
    EXPECT_EQ(recorder.remarks, std::vector<std::string>{});

    // Without the option the state image has its own class alone.
    settings.PseudoClasses = false;
    ASSERT_EQ(Run(), BuildResult::Done) << recorder.error;
    EXPECT_EQ(recorder.lines[0], ".sprite-home_" + state + " { background-position: 0px 0px }");
}

INSTANTIATE_TEST_SUITE_P(EveryState, StateRules, ::testing::ValuesIn(EveryStateAndTwoDoubleSize()),
                         [](const auto& info) {
                             std::string name(info.param.state);
                             std::erase(name, '-');
                             return name + (info.param.retina ? "DoubleSize" : "");
                         });

using StateImages = test::Build;

TEST_F(StateImages, WithoutTheirBaseImageAreWarnedAbout)
{
    AddBmp("home_hover.bmp", 4, 4, kBlack);
    AddBmp("logo.bmp", 4, 4, kBlack);
    AddBmp("logo_checked.bmp", 4, 4, kBlack);
    settings.PseudoClasses = true;
    ASSERT_EQ(Run(), BuildResult::Done) << recorder.error;
    EXPECT_EQ(recorder.remarks,
              std::vector<std::string>{"warning: home_hover.bmp is the :hover state of the class "
                                       "\"sprite-home\", which no image has"});
    settings.PseudoClasses = false;
    ASSERT_EQ(Run(), BuildResult::Done) << recorder.error;
    EXPECT_EQ(recorder.remarks, std::vector<std::string>{});
}

// A build in percent: the whole stylesheet, and every image rule reported
// as it is written.
struct Source {
    const char* name;
    int width, height;
};
struct PercentCase {
    const char* label;
    std::vector<Source> sources;
    std::function<void(BuildInputs&, BuildSettings&)> options;
    std::string css;
};
void PrintTo(const PercentCase& c, std::ostream* out) { *out << c.label; }

class PercentRules : public test::Build, public ::testing::WithParamInterface<PercentCase> {};

TEST_P(PercentRules, PlaceEachImageInTheRoomTheSheetLeavesBesideIt)
{
    settings.Units = kUnitsPercent;
    for (const Source& source : GetParam().sources)
        AddBmp(source.name, source.width, source.height, kBlack);
    GetParam().options(inputs, settings);
    ASSERT_EQ(Run(), BuildResult::Done) << recorder.error;
    EXPECT_EQ(Css(), GetParam().css);
    std::vector<std::string> imageRules;
    std::istringstream lines(GetParam().css);
    for (std::string line; std::getline(lines, line);)
        if (line.find("background-position") != std::string::npos)
            imageRules.push_back(line.substr(0, line.size() - 1));  // without the CR
    EXPECT_EQ(recorder.lines, imageRules);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, PercentRules,
    ::testing::Values(
        // The last image fills the sheet's height: no room, 0%.
        PercentCase{"StripOfMixedSizes",
                    {{"a.bmp", 10, 10}, {"b.bmp", 20, 10}, {"c.bmp", 30, 20}},
                    [](BuildInputs&, BuildSettings& s) { s.HorizontalPadding = 0; },
                    ".sprite-a { background-position: 0% 0%; background-size: 600% 200%; "
                    "aspect-ratio: 10 / 10 }\r\n"
                    ".sprite-b { background-position: 25% 0%; background-size: 300% 200%; "
                    "aspect-ratio: 20 / 10 }\r\n"
                    ".sprite-c { background-position: 100% 0%; background-size: 200% 100%; "
                    "aspect-ratio: 30 / 20 }\r\n"},
        PercentCase{"ColumnInThirdsWithSizes",
                    {{"a.bmp", 10, 10}, {"b.bmp", 10, 10}, {"c.bmp", 10, 10}, {"d.bmp", 10, 10}},
                    [](BuildInputs& in, BuildSettings& s) {
                        s.Orientation = kVertical;
                        s.VerticalPadding = 0;
                        in.LineStyle = kPositionAndSize;
                        in.LineStyleText = kLineStyleTexts[kPositionAndSize];
                    },
                    ".sprite-a { background-position: 0% 0%; background-size: 100% 400%; "
                    "width: 10px; height: 10px; }\r\n"
                    ".sprite-b { background-position: 0% 33.3333%; background-size: 100% 400%; "
                    "width: 10px; height: 10px; }\r\n"
                    ".sprite-c { background-position: 0% 66.6667%; background-size: 100% 400%; "
                    "width: 10px; height: 10px; }\r\n"
                    ".sprite-d { background-position: 0% 100%; background-size: 100% 400%; "
                    "width: 10px; height: 10px; }\r\n"},
        // The rules describe the half-size sheet, and the high-density block
        // leaves the size to them.
        PercentCase{"DoubleSizeWithStates",
                    {{"a@2x.bmp", 8, 4}, {"a_active@2x.bmp", 4, 4}},
                    [](BuildInputs&, BuildSettings& s) {
                        s.Retina = true;
                        s.PseudoClasses = true;
                        s.HorizontalPadding = 0;
                    },
                    ".sprite { background-image: url('sprite.bmp'); background-image: "
                    "image-set(url('sprite.bmp') 1x, url('sprite%402x.bmp') 2x); background-repeat: "
                    "no-repeat; display: inline-block; }\r\n"
                    ".sprite-a { background-position: 0% 0%; background-size: 150% 100%; "
                    "aspect-ratio: 4 / 2 }\r\n"
                    ".sprite-a_active, .sprite-a:active { background-position: 100% 0%; "
                    "background-size: 300% 100%; aspect-ratio: 2 / 2 }\r\n"
                    "@media (-webkit-min-device-pixel-ratio: 2), (min-resolution: 192dpi) { "
                    ".sprite { background-image: url('sprite%402x.bmp'); background-image: "
                    "image-set(url('sprite.bmp') 1x, url('sprite%402x.bmp') 2x); } }\r\n"}),
    [](const auto& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace tessolo
