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

constexpr std::size_t kRecentFolderCount = 10;

std::set<int> InRange(const std::vector<int>& selected, std::size_t size)
{
    std::set<int> chosen;
    for (int index : selected)
        if (index >= 0 && std::size_t(index) < size)
            chosen.insert(index);
    return chosen;
}

}  // namespace

std::string SameNameNotice(const std::string& entry)
{
    return "Did not add the file'" + entry + "' to list.  Same name as output CSS file.";
}

std::string NotAnImageNotice(const std::string& path)
{
    return "Did not add " + path + ": it is not a PNG, JPEG, GIF or BMP file or a folder.";
}

MainWindowModel::MainWindowModel(OrvaneRegistry& settings) : settings_(settings) {}

void MainWindowModel::Activate()
{
    classItems_ = SplitDelimitedText(settings_.SpriteClass);
    if (!classShown_)
        classText_ = classItems_.empty() ? std::string() : classItems_.front();
    classShown_ = true;
    try {
        SetFolder(settings_.DefaultPath);
    } catch (const Error&) {
        SetFolder(UserHomeFolder());  // an unreadable stored folder: start at home instead
    }
    outputType_ = OutputTypeFor(settings_.TargetFileType).type;
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
    // Files picked already stay out of the list they were picked from.
    std::erase_if(listing.files, [&](const std::string& name) {
        return std::ranges::find(process_, ProcessEntry{shown, name}) != process_.end();
    });
    available_ = std::move(listing.files);
    folderWarnings_ = std::move(warnings);
    folder_ = std::move(shown);
    settings_.DefaultPath = folder_;
}

std::vector<std::string> MainWindowModel::TakeFolderWarnings()
{
    return std::exchange(untakenWarnings_, {});
}

std::vector<std::string> MainWindowModel::AddFiles(const std::vector<int>& selected, int insertAt)
{
    std::set<int> chosen = InRange(selected, available_.size());
    std::vector<ProcessEntry> entries;
    std::vector<std::string> kept;
    for (int i = 0; i < int(available_.size()); ++i) {
        if (chosen.count(i))
            entries.push_back({folder_, available_[i]});
        else
            kept.push_back(available_[i]);
    }
    available_ = std::move(kept);
    return Insert(std::move(entries), insertAt);
}

std::vector<std::string> MainWindowModel::AddPaths(const std::vector<std::string>& paths,
                                                   int insertAt)
{
    std::vector<ProcessEntry> entries;
    std::vector<std::string> notices;
    for (const std::string& path : paths) {
        std::error_code failed;
        if (fs::is_directory(path, failed)) {
            std::string folder = ExistingFolder(path);
            for (std::string& name : ListImageFiles(folder).files)
                entries.push_back({folder, std::move(name)});
        } else if (IsImageFileName(path) && fs::exists(path, failed)) {
            fs::path file(path);
            entries.push_back({ExistingFolder(file.parent_path().string()), file.filename().string()});
        } else {
            notices.push_back(NotAnImageNotice(path));
        }
    }
    for (const ProcessEntry& entry : entries)
        if (entry.folder == folder_)
            std::erase(available_, entry.name);
    std::vector<std::string> refused = Insert(std::move(entries), insertAt);
    notices.insert(notices.begin(), refused.begin(), refused.end());
    return notices;
}

std::vector<std::string> MainWindowModel::Insert(std::vector<ProcessEntry> entries, int insertAt)
{
    std::string key = BaseName(projectName_);
    std::vector<std::string> notices;
    std::vector<ProcessEntry> added;
    for (ProcessEntry& entry : entries) {
        if (::strcasecmp(BaseName(entry.name).c_str(), key.c_str()) == 0)
            notices.push_back(SameNameNotice(entry.name));
        else if (std::ranges::find(process_, entry) == process_.end() &&
                 std::ranges::find(added, entry) == added.end())
            added.push_back(std::move(entry));
    }
    auto at = insertAt >= 0 && std::size_t(insertAt) < process_.size() ? process_.begin() + insertAt
                                                                       : process_.end();
    process_.insert(at, std::make_move_iterator(added.begin()), std::make_move_iterator(added.end()));
    return notices;
}

void MainWindowModel::RemoveFiles(const std::vector<int>& selected)
{
    std::set<int> chosen = InRange(selected, process_.size());
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

std::vector<int> MainWindowModel::MoveFiles(const std::vector<int>& selected, int row)
{
    std::set<int> chosen = InRange(selected, process_.size());
    if (row < 0 || std::size_t(row) > process_.size())
        row = int(process_.size());
    std::vector<ProcessEntry> moved, before, after;
    for (int i = 0; i < int(process_.size()); ++i) {
        if (chosen.count(i))
            moved.push_back(std::move(process_[i]));
        else
            (i < row ? before : after).push_back(std::move(process_[i]));
    }
    std::vector<int> placed;
    for (std::size_t i = 0; i < moved.size(); ++i)
        placed.push_back(int(before.size() + i));
    process_ = std::move(before);
    process_.insert(process_.end(), std::make_move_iterator(moved.begin()),
                    std::make_move_iterator(moved.end()));
    process_.insert(process_.end(), std::make_move_iterator(after.begin()),
                    std::make_move_iterator(after.end()));
    return placed;
}

std::vector<int> MainWindowModel::ShiftFiles(const std::vector<int>& selected, int step)
{
    std::set<int> chosen = InRange(selected, process_.size());
    if (chosen.empty())
        return {};
    const int first = *chosen.begin(), last = *chosen.rbegin();
    if ((step < 0 && first == 0) || (step > 0 && last == int(process_.size()) - 1))
        return {chosen.begin(), chosen.end()};
    // Up: before the entry above the first; down: before the entry two below the last.
    return MoveFiles(selected, step < 0 ? first - 1 : last + 2);
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

void MainWindowModel::SetOutputType(std::int32_t type)
{
    outputType_ = OutputTypeFor(type).type;
    settings_.TargetFileType = outputType_;
}

void MainWindowModel::SetLineStyle(int style)
{
    lineStyle_ = style;
    settings_.ListType = style;
}

int MainWindowModel::LineStyle() const
{
    const std::optional<tessolo::LineStyle> style = LineStyleOf(lineStyle_);
    return style ? int(*style) : -1;
}

std::vector<std::string> MainWindowModel::RecentFolders() const
{
    return SplitDelimitedText(settings_.RecentFolders);
}

void MainWindowModel::NoteRecentFolder(const std::string& folder)
{
    std::vector<std::string> folders = RecentFolders();
    std::erase(folders, folder);
    folders.insert(folders.begin(), folder);
    if (folders.size() > kRecentFolderCount)
        folders.resize(kRecentFolderCount);
    settings_.RecentFolders = JoinDelimitedText(folders);
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
