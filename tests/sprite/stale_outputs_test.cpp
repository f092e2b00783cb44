// A build removes the data files and preview page that the previous build
// of the same project wrote and it does not, while they are unchanged, and
// nothing else.
#include "build_fixture.h"
#include "settings/data_formats.h"
#include "platform/byte_hash.h"
#include "sprite/output_record.h"

#include <filesystem>
#include <set>

namespace tessolo {
namespace {

namespace fs = std::filesystem;

struct StaleCase {
    const char* label;
    std::int32_t firstData;
    bool firstHtml;
    std::int32_t secondData;
    bool secondHtml;
    bool editScss;  // sprite.scss changes between the builds
    std::set<std::string> left;  // every entry after the second build
};
void PrintTo(const StaleCase& c, std::ostream* out) { *out << c.label; }

const std::set<std::string> kPlain = {"a@2x.bmp", "sprite.bmp", "sprite@2x.bmp", "sprite.css"};
std::set<std::string> With(std::set<std::string> names)
{
    names.insert(kPlain.begin(), kPlain.end());
    return names;
}

const StaleCase kStale[] = {
    {"DroppedOutputsGo", kDataScss | kDataJson, true, kDataJson, false, false,
     With({"sprite.json", "sprite@2x.json", ".tessolo.outputs"})},
    {"ADefaultBuildLeavesTodaysFolder", kDataScss | kDataLess | kDataJson, true, 0, false, false,
     kPlain},
    {"AChangedFileStays", kDataScss, true, 0, false, true, With({"sprite.scss"})},
    {"NothingDroppedNothingGoes", kDataLess, false, kDataLess, true, false,
     With({"sprite.less", "sprite.html", ".tessolo.outputs"})},
};

class StaleOutputs : public test::Build, public ::testing::WithParamInterface<StaleCase> {
protected:
    void SetUp() override
    {
        test::Build::SetUp();
        settings.Retina = true;  // so "@2x.json" is among the outputs
        AddBmp("a@2x.bmp", 4, 4, kBlack);
    }
    std::set<std::string> Entries()
    {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir.Path()))
            names.insert(entry.path().filename().string());
        return names;
    }
    void Write(const std::string& name, const std::string& text)
    {
        WriteFileReplacing(dir / name, Bytes(text.begin(), text.end()));
    }
};

TEST_P(StaleOutputs, TheNextBuildRemovesOnlyWhatTheLastWroteUnchanged)
{
    const StaleCase& c = GetParam();
    settings.DataFormats = c.firstData;
    settings.HtmlPreview = c.firstHtml;
    ASSERT_EQ(Run(), BuildResult::Done) << recorder.error;
    if (c.editScss)
        Write("sprite.scss", "// mine now\n");
    settings.DataFormats = c.secondData;
    settings.HtmlPreview = c.secondHtml;
    ASSERT_EQ(Run(), BuildResult::Done) << recorder.error;
    EXPECT_EQ(Entries(), c.left);
}

INSTANTIATE_TEST_SUITE_P(, StaleOutputs, ::testing::ValuesIn(kStale),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(StaleOutputs, NeverRemovesAnotherProjectsFilesOrWhatNoBuildWrites)
{
    // Another project's JSON, and a record that claims files no build of
    // this project writes, each with its true hash.
    settings.DataFormats = kDataJson;
    inputs.ProjectName = "other";
    ASSERT_EQ(Run(), BuildResult::Done) << recorder.error;
    Write("sprite.txt", "notes\n");
    const Bytes record = ReadFileBytes(dir / kOutputRecordName);
    std::vector<RecordedOutput> entries =
        ReadRecord({reinterpret_cast<const char*>(record.data()), record.size()});
    ASSERT_EQ(entries.size(), 2u);
    for (const char* name : {"a@2x.bmp", "sprite.txt", "../x.json"})
        entries.push_back({"sprite", name, HashBytes(ReadFileBytes(dir / "sprite.txt"))});
    Write(kOutputRecordName, RecordText(entries));

    inputs.ProjectName = "sprite";
    settings.DataFormats = 0;
    ASSERT_EQ(Run(), BuildResult::Done) << recorder.error;
    EXPECT_EQ(Entries(), With({"other.bmp", "other@2x.bmp", "other.css", "other.json",
                               "other@2x.json", "sprite.txt", ".tessolo.outputs"}));
}

TEST(OutputRecord, ReadsOnlyLinesAsItWritesThem)
{
    const std::vector<RecordedOutput> entries = {{"my sprite", "my sprite.json", 0x0123456789abcdefULL},
                                                 {"a\nb", "a\nb.html", 1}};
    const std::string text = RecordText(entries);
    EXPECT_EQ(ReadRecord(text), entries);
    EXPECT_EQ(ReadRecord(text + "0123456789ABCDEF x x.json\nshort x x.json\n"
                                "0123456789abcdef x\n0123456789abcdef x x%zz\n"),
              entries);
    EXPECT_TRUE(ReadRecord("another file\n" + text.substr(text.find('\n') + 1)).empty());
}

}  // namespace
}  // namespace tessolo
