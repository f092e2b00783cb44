#include "sprite/sprite_build.h"

#include "platform/error.h"
#include "sprite/build_lock.h"
#include "sprite/build_run.h"
#include "sprite/layout.h"
#include "sprite/sheet_background.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace tessolo {

const char* const kBuildMessageCaption = "Can't Make Sprites";

namespace {

// Validation lines end with line feed, carriage return, in that order.
constexpr const char* kLineEnd = "\n\r";

// A project name becomes two file names in the folder, so it must not lead
// out of it.
bool IsPlainFileName(std::string_view name)
{
    return name != "." && name != ".." && name.find('/') == std::string_view::npos &&
           name.find('\0') == std::string_view::npos;
}

}  // namespace

std::string ValidateInputs(const BuildInputs& inputs, const BuildSettings& settings)
{
    std::string errors;
    if (inputs.GraphicFiles.empty())
        errors += std::string("No images files selected") + kLineEnd;
    if (inputs.ProjectName.empty())
        errors += std::string("No sprite project name (output sprite filename) entered") + kLineEnd;
    else if (!IsPlainFileName(inputs.ProjectName))
        errors += std::string("The sprite project name must be a file name: no \"/\", not \".\" "
                              "or \"..\"") + kLineEnd;
    if (inputs.SpriteClass.empty() || inputs.SpriteClass[0] != '.')
        errors += std::string("No sprite classname selected or entered") + kLineEnd;
    if (inputs.LineStyleText.empty() || !inputs.LineStyle)
        errors += std::string("No CSS line style selected") + kLineEnd;
    if (!FindOrientation(settings.Orientation))
        errors += "No valid sheet orientation set (" + std::to_string(settings.Orientation) +
                  "; use " + OrientationChoices() + ")" + kLineEnd;
    if (std::optional<std::string> background =
            BackgroundProblem(inputs.OutputFileType, settings.SheetBackground))
        errors += *background + kLineEnd;
    for (const OutputTypeInfo& type : kOutputTypes)
        if (settings.AlsoFormats & (1 << type.type))
            if (std::optional<std::string> background =
                    BackgroundProblem(type.type, settings.SheetBackground);
                background && type.type != OutputTypeFor(inputs.OutputFileType).type)
                errors += *background + " (asked for as another type)" + kLineEnd;
    return errors;
}

std::int32_t ScaledSide(std::int32_t side, std::int32_t percentage)
{
    float factor = float(percentage * 0.01L);
    long double product = std::trunc(static_cast<long double>(side) * factor);
    return std::int32_t(std::clamp<long double>(product, 0, std::numeric_limits<std::int32_t>::max()));
}

BuildResult SpriteBuilder::MakeSprites(const BuildInputs& inputs, const BuildSettings& settings,
                                       BuildObserver& observer)
{
    sheet_ = Bitmap();
    std::string errors = ValidateInputs(inputs, settings);
    if (!errors.empty()) {
        observer.ValidationFailed(std::string("The following errors were found:") + kLineEnd +
                                  kLineEnd + errors);
        return BuildResult::InvalidInputs;
    }
    std::optional<BuildRun> run;
    try {
        run.emplace(inputs, settings, observer);
    } catch (const FileError& error) {
        observer.CannotOpen("Cannot open " + StylesheetPath(inputs, settings) + " for write: " +
                            error.Reason());
        return dynamic_cast<const FolderBusyError*>(&error) ? BuildResult::FolderBusy
                                                             : BuildResult::CannotOpen;
    }
    observer.ListCleared();
    BuildResult result = BuildResult::Done;
    try {
        run->Run();
    } catch (const BuildStopped& stopped) {
        observer.ErrorReport(stopped.what());
        result = BuildResult::Stopped;
    } catch (const std::exception& error) {
        observer.ErrorReport(DescribeFailure(error));
        result = BuildResult::Failed;
    }
    sheet_ = std::move(run->Sheet());
    return result;
}

}  // namespace tessolo
