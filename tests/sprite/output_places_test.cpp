// Where a build's outputs go and the URL they name the sheet by: output
// folders made when missing, the relative URL from the stylesheet's folder,
// a given URL, the cache buster, and the lock of every output folder.
#include "build_fixture.h"
#include "platform/byte_hash.h"
#include "platform/path.h"
#include "settings/data_formats.h"
#include "sprite/build_lock.h"
#include "sprite/sheet_urls.h"

#include <filesystem>

namespace tessolo {
namespace {

namespace fs = std::filesystem;

struct PlacesCase {
    const char* label;
    const char* sheetFolder;       // below the scratch folder; "" for none
    const char* stylesheetFolder;  // likewise
    const char* url;
    bool cacheBust;
    bool retina;
    // The URLs every output writes; "{hash}" and "{hash2}" stand for the
    // first 10 digits of the hash of the sheet's and the double-size sheet's bytes.
    const char* sheetUrl;
    const char* doubleSizeUrl;
};
void PrintTo(const PlacesCase& c, std::ostream* out) { *out << c.label; }

const PlacesCase kPlaces[] = {
    {"SameFolder", "", "", "", false, true, "sprite.bmp", "sprite%402x.bmp"},
    {"SheetAndStylesApart", "public/img", "src/styles", "", false, true,
     "../../public/img/sprite.bmp", "../../public/img/sprite%402x.bmp"},
    {"StylesBelowTheSheet", "out", "out/css", "", false, false, "../sprite.bmp", ""},
    {"OnlyTheSheetMoves", "img", "", "", false, false, "sprite.bmp", ""},
    {"GivenUrl", "img", "css", "https://cdn.example/i/s.bmp", false, true,
     "https://cdn.example/i/s.bmp", "https://cdn.example/i/s@2x.bmp"},
    {"CacheBust", "img", "css", "", true, true, "../img/sprite.bmp?v={hash}",
     "../img/sprite%402x.bmp?v={hash2}"},
    {"CacheBustAfterAQuery", "", "", "s.bmp?a=1#top", true, false, "s.bmp?a=1&v={hash}#top", ""},
};

class OutputPlaces : public test::Build, public ::testing::WithParamInterface<PlacesCase> {
protected:
    std::string Under(const char* folder) { return *folder ? dir / folder : std::string(); }
    std::string HashOf(const std::string& path)
    {
        return HashDigits(HashBytes(ReadFileBytes(path))).substr(0, 10);
    }
    static std::string Replaced(std::string text, const std::string& key, const std::string& value)
    {
        for (std::size_t at; (at = text.find(key)) != std::string::npos;)
            text.replace(at, key.size(), value);
        return text;
    }
};

TEST_P(OutputPlaces, EveryOutputNamesTheSheetByItsUrl)
{
    const PlacesCase& c = GetParam();
    settings.Places = {Under(c.sheetFolder), Under(c.stylesheetFolder), c.url, c.cacheBust};
    settings.Retina = c.retina;
    settings.BaseRule = true;
    settings.DataFormats = kDataScss | kDataJson;
    settings.HtmlPreview = true;
    AddBmp(c.retina ? "a@2x.bmp" : "a.bmp", 4, 4, kBlack);
    ASSERT_EQ(Run(), BuildResult::Done) << recorder.error << recorder.cannotOpen;

    const OutputFolders folders = OutputFoldersOf(inputs.Folder, settings.Places);
    const std::string sheet = InFolder(folders.sheets, "sprite.bmp");
    EXPECT_EQ(recorder.written, sheet);
    std::string url = Replaced(c.sheetUrl, "{hash}", HashOf(sheet));
    std::string bigUrl = c.retina ? Replaced(c.doubleSizeUrl, "{hash2}",
                                             HashOf(InFolder(folders.sheets, "sprite@2x.bmp")))
                                  : "";
    auto output = [&](const char* extension) {
        return test::Text(ReadFileBytes(InFolder(folders.styles, std::string("sprite") + extension)));
    };
    const std::string css = output(".css");
    EXPECT_EQ(css.rfind(".sprite { background-image: url('" + url + "');", 0), 0u) << css;
    EXPECT_NE(output(".scss").find("'" + url + "'"), std::string::npos);
    EXPECT_NE(output(".html").find("href=\"sprite.css\""), std::string::npos);
    // The JSON names the sheet by its path, not encoded, unless a URL is asked for.
    auto jsonImage = [&](const std::string& u) {
        return "\"image\": \"" + (*c.url || c.cacheBust ? u : Replaced(u, "%40", "@")) + "\"";
    };
    EXPECT_NE(output(".json").find(jsonImage(url)), std::string::npos) << output(".json");
    if (c.retina) {
        EXPECT_NE(css.find("url('" + bigUrl + "')"), std::string::npos) << css;
        EXPECT_NE(output("@2x.json").find(jsonImage(bigUrl)), std::string::npos);
    }
}

INSTANTIATE_TEST_SUITE_P(, OutputPlaces, ::testing::ValuesIn(kPlaces),
                         [](const auto& info) { return std::string(info.param.label); });

// Relative folders, as the store and the project file keep them, are taken
// from the image folder.
TEST_F(OutputPlaces, ABuildInAnOutputFolderKeepsTheNextOneOut)
{
    settings.Places = {"img", "css", "", false};
    AddBmp("a.bmp", 2, 2, kBlack);
    for (const char* busy : {"img", "css"}) {
        fs::create_directory(dir / busy);
        BuildLock other(std::vector<std::string>{dir / busy});
        EXPECT_EQ(Run(), BuildResult::FolderBusy) << busy;
        EXPECT_FALSE(fs::exists(dir / "img/sprite.bmp"));
        EXPECT_FALSE(fs::exists(dir / "css/sprite.css"));
    }
    EXPECT_EQ(Run(), BuildResult::Done) << recorder.error;
    EXPECT_TRUE(fs::exists(dir / "img/sprite.bmp"));
    EXPECT_TRUE(fs::exists(dir / "css/sprite.css"));
}

TEST_F(OutputPlaces, AFolderThatCannotBeMadeIsReported)
{
    AddBmp("a.bmp", 2, 2, kBlack);
    settings.Places.stylesheetFolder = dir / "a.bmp/css";
    EXPECT_EQ(Run(), BuildResult::CannotOpen);
    EXPECT_NE(recorder.cannotOpen.find("Cannot open " + (dir / "a.bmp/css/sprite.css") +
                                       " for write: "),
              std::string::npos)
        << recorder.cannotOpen;
}

}  // namespace
}  // namespace tessolo
