#include "app/project_settings.h"

#include "cli/cli_options.h"
#include "cli/project_file.h"
#include "platform/files.h"
#include "platform/path.h"

#include <filesystem>

namespace tessolo {

namespace {

cli::CliRequest RequestOf(const BuildInputs& inputs, const BuildSettings& settings)
{
    cli::CliRequest request;
    request.folder = inputs.Folder;
    request.inputs = inputs;
    request.settings = settings;
    return request;
}

}  // namespace

std::string ProjectFileIn(const std::string& folder)
{
    const std::string path = InFolder(folder, cli::kProjectFileName);
    std::error_code unknown;
    return std::filesystem::is_regular_file(path, unknown) ? path : std::string();
}

BuildSettings WithProjectFile(const std::string& path, const BuildInputs& inputs,
                              const BuildSettings& settings)
{
    return cli::ApplyProjectFile(path, RequestOf(inputs, settings)).settings;
}

std::string SaveProjectFile(const BuildInputs& inputs, const BuildSettings& settings)
{
    const std::string path = InFolder(inputs.Folder, cli::kProjectFileName);
    cli::CliRequest request = RequestOf(inputs, settings);
    if (!ProjectFileIn(inputs.Folder).empty())
        request.settings = WithProjectFile(path, inputs, settings);
    request.files = inputs.GraphicFiles;
    const std::string text = cli::ProjectFileOf(request, inputs.Folder);
    WriteFileReplacing(path, std::span(reinterpret_cast<const std::uint8_t*>(text.data()),
                                       text.size()));
    return path;
}

std::string ProjectFileNotice() { return "Project file: " + std::string(cli::kProjectFileName); }

}  // namespace tessolo
