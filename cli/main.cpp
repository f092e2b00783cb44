// tessolo-cli: packs the images of a folder into a sprite sheet and a
// stylesheet, with the same build as the main window.
#include "cli/cli_options.h"
#include "cli/project_file.h"
#include "cli/stored_settings.h"
#include "cli/watch_mode.h"
#include "info/version_strings.h"
#include "platform/error.h"
#include "platform/path.h"
#include "platform/printable_text.h"
#include "platform/stop_signals.h"
#include "sprite/high_density.h"
#include "sprite/sheet_urls.h"
#include "sprite/source_files.h"
#include "sprite/stylesheet.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <optional>

namespace tessolo::cli {

namespace {

// A message on standard error, with whatever a file name brought into it
// made harmless to the terminal.
void PrintMessage(const std::string& message)
{
    std::cerr << "tessolo-cli: " << PrintableText(message) << "\n";
}

// Prints what the window would show: CSS lines on standard output (unless
// `echoLines` is off), message boxes, warnings and counts (unless `quiet`)
// on standard error. With `stop`, a stop signal ends the build.
class ConsoleObserver : public BuildObserver {
public:
    ConsoleObserver(bool echoLines, bool quiet, StopSignals* stop)
        : echoLines_(echoLines && !quiet), quiet_(quiet), stop_(stop)
    {
    }
    void ValidationFailed(const std::string& message) override { Box(message); }
    void CannotOpen(const std::string& message) override { Box(message); }
    void ErrorReport(const std::string& message) override
    {
        PrintMessage(ErrorReportText(message));
    }
    void LineWritten(const std::string& line) override
    {
        ++linesWritten;
        if (echoLines_)
            std::cout << PrintableText(line) << std::endl;
    }
    void Remark(const std::string& message) override { PrintMessage(message); }
    void Summary(const std::string& message) override
    {
        if (!quiet_)
            PrintMessage(message);
    }
    void SourceSkipped(const std::string& path) override
    {
        PrintMessage("skipped " + path + ": not a PNG, JPEG, GIF or BMP file");
    }
    void SheetWritten(const std::string& path) override { sheetPath = path; }
    bool StopRequested() override { return stop_ && stop_->Arrived() != 0; }

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
        std::cerr << kBuildMessageCaption << ":\n" << PrintableText(text);
        if (text.empty() || text.back() != '\n')
            std::cerr << "\n";
    }

    bool echoLines_;
    bool quiet_;
    StopSignals* stop_;
};

// Every image file of `folder`, sorted by name, leaving out the sheets that
// builds wrote there and this project's own outputs (and saying so when
// `noteLeftOut` is set). Entries that cannot be read are warned about.
std::vector<std::string> ImageFilesOf(const std::string& folder, const std::string& project,
                                      bool noteLeftOut)
{
    ImageFileListing listing = ListImageFiles(folder);
    for (const std::string& warning : listing.warnings)
        PrintMessage("warning: " + warning);
    if (noteLeftOut)
        for (const std::string& sheet : listing.writtenSheets)
            PrintMessage("leaving out " + sheet + ", a sheet written by Tessolo");
    std::vector<std::string> files;
    for (std::string& name : listing.files) {
        if (IsOutputOfProject(name, project)) {
            if (noteLeftOut)
                PrintMessage("leaving out " + name + ", this project's own sheet");
            continue;
        }
        files.push_back(std::move(name));
    }
    return files;
}

// One build of the request, with the file list taken afresh from the folder
// unless files were named. A first build prints the CSS lines and where the
// results went; a rebuild of the watch prints one summary line instead; a
// quiet one prints neither. With `stop`, a stop signal ends the build.
BuildResult BuildSprites(const CliRequest& request, bool rebuild, StopSignals* stop = nullptr)
{
    auto start = std::chrono::steady_clock::now();
    BuildInputs inputs = request.inputs;
    inputs.Folder = request.folder;
    inputs.GraphicFiles = request.files.empty()
                              ? ImageFilesOf(request.folder, inputs.ProjectName,
                                             !rebuild && !request.quiet)
                              : request.files;

    ConsoleObserver observer(!rebuild, request.quiet, stop);
    SpriteBuilder builder;
    if (BuildResult result = builder.MakeSprites(inputs, request.settings, observer);
        result != BuildResult::Done)
        return result;
    if (request.quiet)
        return BuildResult::Done;
    const Bitmap& sheet = builder.SheetBitmap();
    const auto size = [](int width, int height) {
        return std::to_string(width) + " x " + std::to_string(height);
    };
    if (rebuild) {
        std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%.2f", took.count());
        PrintMessage("rebuilt " + std::filesystem::path(observer.sheetPath).filename().string() +
                     " (" + std::to_string(observer.linesWritten) +
                     (observer.linesWritten == 1 ? " image, " : " images, ") +
                     size(sheet.Width(), sheet.Height()) + ") in " + seconds + " s");
    } else {
        // Dense sheets were drawn at the largest scale; the named sheet is
        // its reduction to one.
        const std::vector<std::int32_t> scales = SheetScales(request.settings);
        const int drawn = scales.back();
        std::string message = "wrote " + observer.sheetPath + " (" +
                              size(sheet.Width() / drawn, sheet.Height() / drawn) + ")";
        for (std::size_t i = 1; i < scales.size(); ++i)
            message += std::string(i == 1 ? ", its " : ", ") +
                       (scales[i] == 2 ? "double-size" : std::to_string(scales[i]) + "x") +
                       " sheet (" +
                       size(sheet.Width() / drawn * scales[i], sheet.Height() / drawn * scales[i]) + ")";
        const std::string styles = OutputFoldersOf(inputs.Folder, request.settings.Places).styles;
        PrintMessage(message + " and " + InFolder(styles, inputs.ProjectName + ".css"));
    }
    return BuildResult::Done;
}

// --init: the folder's project file from the effective options, never over
// an existing one.
int WriteProjectFile(const CliRequest& request, const std::string& path, bool exists)
{
    if (exists) {
        PrintMessage(path + " exists already; edit it, or remove it to write it anew");
        return 1;
    }
    WriteNewFile(path, ProjectFileOf(request, request.folder));
    if (!request.quiet)
        PrintMessage("wrote " + path);
    return 0;
}

int Watch(const CliRequest& request)
{
    return WatchFolder(request.folder, request.inputs.ProjectName, [&request](bool rebuild) {
        return BuildSprites(request, rebuild) == BuildResult::FolderBusy
                   ? WatchBuildOutcome::FolderBusy
                   : WatchBuildOutcome::Finished;
    });
}

int Build(const CliRequest& request, StopSignals& stop)
{
    switch (BuildSprites(request, false, &stop)) {
    case BuildResult::Done:
        return 0;
    case BuildResult::Stopped:
        return 128 + stop.Arrived();  // as a shell reports a program ended by the signal
    default:
        return 1;
    }
}

int Run(const std::vector<std::string>& args)
{
    CliRequest request;
    try {
        // A first pass finds --settings, --help and --version; the second
        // parses over the stored defaults.
        request = ParseCommandLine(args, CliRequest());
    } catch (const UsageError& error) {
        PrintMessage(error.what());
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
        PrintMessage("--settings: " + request.storeFile + " is a folder, not a settings file");
        return 2;
    }
    FormatPrefsSet records;
    OrvaneRegistry store(records, {.storeFile = request.storeFile, .saveOnDestruction = false});
    if (std::string warning = store.LoadWarning(); !warning.empty())
        PrintMessage("warning: " + warning);
    // The project file's values come over the store's, the command line's
    // over both.
    const CliRequest stored = DefaultsFromStore(store, records);
    const std::string projectFile = InFolder(request.folder, kProjectFileName);
    std::error_code unknown;
    const bool hasProject = std::filesystem::is_regular_file(projectFile, unknown);
    try {
        request = ParseCommandLine(
            args, hasProject && !request.init ? ApplyProjectFile(projectFile, stored) : stored);
    } catch (const UsageError& error) {
        PrintMessage(error.what());
        return 2;
    }

    // A plain build ends on a stop signal with its temporary files removed
    // and the previous outputs kept; blocked from here on, the signal waits
    // for a settings save to finish too. The watch takes the signals itself.
    std::optional<StopSignals> stop;
    if (!request.watch)
        stop.emplace();
    if (request.saveSettings) {
        // The store never takes the values of a project file.
        RememberRequest(hasProject ? ParseCommandLine(args, stored) : request, store, records);
        store.SaveSettings();
        if (!request.quiet)
            PrintMessage("settings stored in " + store.StoreFile());
    }
    if (request.showSettings) {
        std::cout << DescribeSettings(request, records, store.StoreFile(),
                                      hasProject ? projectFile : "");
        return 0;
    }

    if (!std::filesystem::is_directory(request.folder)) {
        PrintMessage(request.folder + " is not a folder");
        return 2;
    }
    if (request.init)
        return WriteProjectFile(request, projectFile, hasProject);
    return request.watch ? Watch(request) : Build(request, *stop);
}

}  // namespace

}  // namespace tessolo::cli

int main(int argc, char** argv)
{
    try {
        return tessolo::cli::Run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::exception& error) {
        tessolo::cli::PrintMessage(tessolo::ErrorReportText(error.what()));
        return 1;
    }
}
