// tessolo-cli: packs the images of a folder into a sprite sheet and a
// stylesheet, with the same build as the main window.
#include "cli/cli_options.h"
#include "cli/stored_settings.h"
#include "cli/watch_mode.h"
#include "info/version_strings.h"
#include "platform/error.h"
#include "sprite/source_files.h"
#include "sprite/stylesheet.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>

namespace tessolo::cli {

namespace {

// Prints what the window would show: CSS lines on standard output (unless
// `echoLines` is off), message boxes and notices on standard error.
class ConsoleObserver : public BuildObserver {
public:
    explicit ConsoleObserver(bool echoLines) : echoLines_(echoLines) {}
    void ValidationFailed(const std::string& message) override { Box(message); }
    void CannotOpen(const std::string& message) override { Box(message); }
    void ErrorReport(const std::string& message) override
    {
        std::cerr << "tessolo-cli: " << ErrorReportText(message) << "\n";
    }
    void LineWritten(const std::string& line) override
    {
        ++linesWritten;
        if (echoLines_)
            std::cout << line << std::endl;
    }
    void Remark(const std::string& message) override { std::cerr << "tessolo-cli: " << message << "\n"; }
    void SourceSkipped(const std::string& path) override
    {
        std::cerr << "tessolo-cli: skipped " << path << ": not a PNG, JPEG, GIF or BMP file\n";
    }
    void SheetWritten(const std::string& path) override { sheetPath = path; }

    std::string sheetPath;
    int linesWritten = 0;  // one per placed image

private:
    static void Box(const std::string& message)
    {
        // Message boxes end lines with LF CR; a terminal wants plain LF.
        std::string text;
        for (char c : message)
            if (c != '\r')
                text += c;
        std::cerr << kBuildMessageCaption << ":\n" << text;
        if (text.empty() || text.back() != '\n')
            std::cerr << "\n";
    }

    bool echoLines_;
};

// Every image file of `folder`, sorted by name, leaving out the sheets that
// builds wrote there and this project's own outputs (and saying so when
// `noteLeftOut` is set). Entries that cannot be read are warned about.
std::vector<std::string> ImageFilesOf(const std::string& folder, const std::string& project,
                                      bool noteLeftOut)
{
    ImageFileListing listing = ListImageFiles(folder);
    for (const std::string& warning : listing.warnings)
        std::cerr << "tessolo-cli: warning: " << warning << "\n";
    if (noteLeftOut)
        for (const std::string& sheet : listing.writtenSheets)
            std::cerr << "tessolo-cli: leaving out " << sheet << ", a sheet written by Tessolo\n";
    std::vector<std::string> files;
    for (std::string& name : listing.files) {
        if (IsOutputOfProject(name, project)) {
            if (noteLeftOut)
                std::cerr << "tessolo-cli: leaving out " << name << ", this project's own sheet\n";
            continue;
        }
        files.push_back(std::move(name));
    }
    return files;
}

// One build of the request, with the file list taken afresh from the folder
// unless files were named. A first build prints the CSS lines and where the
// results went; a rebuild of the watch prints one summary line instead.
bool BuildSprites(const CliRequest& request, bool rebuild)
{
    auto start = std::chrono::steady_clock::now();
    BuildInputs inputs = request.inputs;
    inputs.Folder = request.folder;
    inputs.GraphicFiles = request.files.empty()
                              ? ImageFilesOf(request.folder, inputs.ProjectName, !rebuild)
                              : request.files;

    ConsoleObserver observer(!rebuild);
    SpriteBuilder builder;
    if (builder.MakeSprites(inputs, request.settings, observer) != BuildResult::Done)
        return false;
    const Bitmap& sheet = builder.SheetBitmap();
    if (rebuild) {
        std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%.2f", took.count());
        std::cerr << "tessolo-cli: rebuilt "
                  << std::filesystem::path(observer.sheetPath).filename().string() << " ("
                  << observer.linesWritten << (observer.linesWritten == 1 ? " image, " : " images, ")
                  << sheet.Width() << " x " << sheet.Height() << ") in " << seconds << " s"
                  << std::endl;
    } else {
        // A double-size sheet was drawn; the named sheet is its half.
        const int scale = request.settings.Retina ? 2 : 1;
        std::cerr << "tessolo-cli: wrote " << observer.sheetPath << " (" << sheet.Width() / scale
                  << " x " << sheet.Height() / scale << ")";
        if (scale == 2)
            std::cerr << ", its double-size sheet (" << sheet.Width() << " x " << sheet.Height()
                      << ")";
        std::cerr << " and " << inputs.Folder << "/" << inputs.ProjectName << ".css\n";
    }
    return true;
}

int Run(const std::vector<std::string>& args)
{
    CliRequest request;
    try {
        // A first pass finds --settings, --help and --version; the second
        // parses over the stored defaults.
        request = ParseCommandLine(args, CliRequest());
    } catch (const UsageError& error) {
        std::cerr << "tessolo-cli: " << error.what() << "\n";
        return 2;
    }
    if (request.showHelp) {
        std::cout << UsageText();
        return 0;
    }
    if (request.showVersion) {
        std::cout << "tessolo-cli " << ProgramFileVersion() << "\n";
        return 0;
    }

    if (std::error_code unknown; std::filesystem::is_directory(request.storeFile, unknown)) {
        std::cerr << "tessolo-cli: --settings: " << request.storeFile << " is a folder, not a settings file\n";
        return 2;
    }
    FormatPrefsSet records;
    OrvaneRegistry store(records, {.storeFile = request.storeFile, .saveOnDestruction = false});
    if (std::string warning = store.LoadWarning(); !warning.empty())
        std::cerr << "tessolo-cli: warning: " << warning << "\n";
    request = ParseCommandLine(args, DefaultsFromStore(store, records));

    if (request.saveSettings) {
        RememberRequest(request, store, records);
        store.SaveSettings();
        std::cerr << "tessolo-cli: settings stored in " << store.StoreFile() << "\n";
    }
    if (request.showSettings) {
        std::cout << DescribeSettings(request, store.StoreFile());
        return 0;
    }

    if (!std::filesystem::is_directory(request.folder)) {
        std::cerr << "tessolo-cli: " << request.folder << " is not a folder\n";
        return 2;
    }
    if (request.watch)
        return WatchFolder(request.folder, request.inputs.ProjectName,
                           [&request](bool rebuild) { BuildSprites(request, rebuild); });
    return BuildSprites(request, false) ? 0 : 1;
}

}  // namespace

}  // namespace tessolo::cli

int main(int argc, char** argv)
{
    try {
        return tessolo::cli::Run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::exception& error) {
        std::cerr << "tessolo-cli: " << tessolo::ErrorReportText(error.what()) << "\n";
        return 1;
    }
}
