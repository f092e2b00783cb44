#include "app/main_window_model.h"

#include "platform/error.h"
#include "settings/delimited_text.h"
#include "settings/store_location.h"
#include "platform/path.h"
#include "sprite/source_files.h"
#include "sprite/stylesheet.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <utility>
#include <strings.h>

namespace tessolo {

namespace fs = std::filesystem;

namespace {

// The folder itself when it exists, else its nearest existing parent, in
// canonical form so that folders compare by their text.
std::string ExistingFolder(const std::string& folder)
{
    std::error_code failed;
    fs::path path = fs::absolute(folder.empty() ? fs::path("/") : fs::path(folder), failed);
    while (!fs::is_directory(path, failed) && path.has_relative_path())
        path = path.parent_path();
    fs::path canonical = fs::canonical(path, failed);
    return failed ? path.string() : canonical.string();
}

}  // namespace

std::string SameNameNotice(const std::string& entry)
{
    return "Did not add the file'" + entry + "' to list.  Same name as output CSS file.";
}

MainWindowModel::MainWindowModel(OrvaneRegistry& settings) : settings_(settings) {}

void MainWindowModel::Activate()
{
    classItems_ = SplitDelimitedText(settings_.SpriteClass);
    if (std::find(classItems_.begin(), classItems_.end(), classText_) == classItems_.end())
        classText_ = classItems_.empty() ? std::string() : classItems_.front();
    try {
        SetFolder(settings_.DefaultPath);
    } catch (const Error&) {
        SetFolder(UserHomeFolder());  // an unreadable stored folder: start at home instead
    }
    outputType_ = settings_.TargetFileType;
    lineStyle_ = settings_.ListType;
}

void MainWindowModel::Close()
{
    settings_.DefaultPath = folder_;
    settings_.TargetFileType = outputType_;
    settings_.SpriteClass = JoinDelimitedText(classItems_);
    settings_.ListType = lineStyle_;
}

void MainWindowModel::SetFolder(const std::string& folder)
{
    std::string shown = ExistingFolder(folder);
    ImageFileListing listing = ListImageFiles(shown);
    std::vector<std::string> warnings;
    for (const std::string& warning : listing.warnings)
        warnings.push_back("warning: " + warning);
    const bool sameFolder = shown == folder_;
    for (const std::string& warning : warnings)
        if (!sameFolder || std::ranges::find(folderWarnings_, warning) == folderWarnings_.end())
            untakenWarnings_.push_back(warning);
    available_ = std::move(listing.files);
    folderWarnings_ = std::move(warnings);
    folder_ = std::move(shown);
    settings_.DefaultPath = folder_;
}

std::vector<std::string> MainWindowModel::TakeFolderWarnings()
{
    return std::exchange(untakenWarnings_, {});
}

std::vector<std::string> MainWindowModel::AddFiles(const std::vector<int>& selected)
{
    std::set<int> chosen(selected.begin(), selected.end());
    std::string key = BaseName(projectName_);
    std::vector<std::string> notices;
    std::vector<std::string> kept;
    for (int i = 0; i < int(available_.size()); ++i) {
        const std::string& name = available_[i];
        if (!chosen.count(i)) {
            kept.push_back(name);
            continue;
        }
        ProcessEntry entry{folder_, name};
        if (::strcasecmp(BaseName(name).c_str(), key.c_str()) == 0)
            notices.push_back(SameNameNotice(name));
        else if (std::find(process_.begin(), process_.end(), entry) == process_.end())
            process_.push_back(std::move(entry));
    }
    available_ = std::move(kept);
    return notices;
}

void MainWindowModel::RemoveFiles(const std::vector<int>& selected)
{
    std::set<int> chosen(selected.begin(), selected.end());
    std::vector<ProcessEntry> kept;
    for (int i = 0; i < int(process_.size()); ++i) {
        ProcessEntry& entry = process_[i];
        if (!chosen.count(i))
            kept.push_back(std::move(entry));
        else if (entry.folder == folder_ &&
                 std::find(available_.begin(), available_.end(), entry.name) == available_.end())
            available_.insert(std::upper_bound(available_.begin(), available_.end(), entry.name,
                                               ComesBeforeByName),
                              entry.name);
    }
    process_ = std::move(kept);
}

void MainWindowModel::RemoveAllFiles()
{
    std::vector<int> all(process_.size());
    for (int i = 0; i < int(all.size()); ++i)
        all[i] = i;
    RemoveFiles(all);
}

std::vector<std::string> MainWindowModel::ProcessListTexts() const
{
    std::vector<std::string> texts;
    for (const ProcessEntry& entry : process_)
        texts.push_back(entry.folder == folder_ ? entry.name
                                                : entry.name + "  (in " + entry.folder + ")");
    return texts;
}

std::string MainWindowModel::EnterClass(const std::string& text)
{
    if (text.empty())
        return text;
    classText_ = text[0] == '.' ? text : "." + text;
    classItems_.push_back(classText_);
    settings_.SpriteClass = JoinDelimitedText(classItems_);
    return classText_;
}

void MainWindowModel::SetOutputType(int type)
{
    outputType_ = type;
    settings_.TargetFileType = type;
}

void MainWindowModel::SetLineStyle(int style)
{
    lineStyle_ = style;
    settings_.ListType = style;
}

BuildInputs MainWindowModel::Inputs() const
{
    BuildInputs inputs;
    for (const ProcessEntry& entry : process_) {
        fs::path path = fs::path(entry.folder) / entry.name;
        inputs.GraphicFiles.push_back(
            entry.folder == folder_ ? entry.name : path.lexically_relative(folder_).string());
    }
    inputs.Folder = folder_;
    inputs.ProjectName = projectName_;
    inputs.SpriteClass = classText_;
    inputs.LineStyle = LineStyleOf(lineStyle_);
    inputs.LineStyleText = inputs.LineStyle ? kLineStyleTexts[*inputs.LineStyle] : "";
    inputs.OutputFileType = OutputTypeFor(outputType_).type;
    return inputs;
}

}  // namespace tessolo
