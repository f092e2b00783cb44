// The rules of the main window without any widget: the folder and its image
// files, the list of files to process, the class list, the four choices that
// are mirrored in the settings store, and the inputs a build gets. The
// window shows this state and forwards every user action here.
#pragma once

#include "settings/settings_store.h"
#include "sprite/sprite_build.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tessolo {

// A file picked for processing, with the folder it was picked in.
struct ProcessEntry {
    std::string folder;
    std::string name;
    friend bool operator==(const ProcessEntry&, const ProcessEntry&) = default;
};

// The notice for a file refused because it would share the stylesheet's name.
std::string SameNameNotice(const std::string& entry);
// The notice for a dropped path that is neither an image file nor a folder.
std::string NotAnImageNotice(const std::string& path);

class MainWindowModel {
public:
    explicit MainWindowModel(OrvaneRegistry& settings);

    // The window became active: takes the class list, folder, output type
    // and line style from the settings. The first activation shows the first
    // stored class name; later ones keep the class text as the user left it.
    void Activate();
    // The window closes: the four mirrored choices go to the settings.
    void Close();

    // Shows another folder and re-reads its image files (see
    // ListImageFiles: the sheets that builds wrote there are left out, and
    // so are the files of the process list). A
    // folder that does not exist falls back to its nearest existing parent.
    // The settings learn the folder at once. Throws Error when the folder
    // cannot be read.
    void SetFolder(const std::string& folder);
    const std::string& Folder() const { return folder_; }
    const std::vector<std::string>& AvailableFiles() const { return available_; }
    // The warnings about entries of the shown folder that could not be
    // read ("warning: skipped ..."), each handed out once: reading the same
    // folder again hands out only those that are new.
    std::vector<std::string> TakeFolderWarnings();

    // ">>": moves the available files at `selected` (indices in any order)
    // into the process list before the entry at `insertAt` (the end when it
    // is out of range), in list order. A file whose base name is the
    // project's is refused and its notice returned; a file already in the
    // process list is not added twice. Every selected file leaves the
    // available list.
    std::vector<std::string> AddFiles(const std::vector<int>& selected, int insertAt = -1);
    // Files and folders dropped from a file manager: each image file, and
    // the image files that ListImageFiles finds in each folder, join the
    // process list before `insertAt` by the rules of AddFiles, and leave the
    // available list when they are of the shown folder. Returns the notices,
    // including one for each file that is not an image a build reads.
    std::vector<std::string> AddPaths(const std::vector<std::string>& paths, int insertAt = -1);
    // "<<": moves the process entries at `selected` back. Those of the shown
    // folder return to the available list (kept sorted); the others are
    // only dropped, as their folder is not shown.
    void RemoveFiles(const std::vector<int>& selected);
    // "Remove All".
    void RemoveAllFiles();
    // Moves the process entries at `selected` to stand, in their order,
    // before the entry that is at `row` now (the end when out of range).
    // Returns their new indices.
    std::vector<int> MoveFiles(const std::vector<int>& selected, int row);
    // Ctrl+Up / Ctrl+Down: moves the selected entries one place up (-1) or
    // down (+1) as a block; nothing moves when the block is at that end.
    // Returns their new indices.
    std::vector<int> ShiftFiles(const std::vector<int>& selected, int step);
    const std::vector<ProcessEntry>& ProcessList() const { return process_; }
    // The process list as shown: the bare name for files of the shown
    // folder, the name and its folder for the others.
    std::vector<std::string> ProcessListTexts() const;

    // Enter in the class box: a text without a leading "." gets one, and a
    // non-empty text joins the class list, which the settings learn at
    // once. Returns the box's new text.
    std::string EnterClass(const std::string& text);
    void SetClassText(const std::string& text) { classText_ = text; }
    const std::string& ClassText() const { return classText_; }
    const std::vector<std::string>& ClassItems() const { return classItems_; }

    void SetProjectName(const std::string& name) { projectName_ = name; }
    const std::string& ProjectName() const { return projectName_; }
    // Stored in the settings at once. A value outside the output types is
    // BMP, as the build writes it (OutputTypeFor).
    void SetOutputType(std::int32_t type);
    tessolo::OutputType OutputType() const { return outputType_; }
    // Stored in the settings at once.
    void SetLineStyle(int style);
    // 0 or 1, or -1 when the stored style is neither: no style is selected
    // and the build reports it.
    int LineStyle() const;

    // The folders opened last, the latest first; at most ten, each once.
    std::vector<std::string> RecentFolders() const;
    // Puts `folder` first in the recent folders; the settings learn it at once.
    void NoteRecentFolder(const std::string& folder);

    // What the build gets: files outside the shown folder are named by their
    // path relative to it, so each is read where it was picked.
    BuildInputs Inputs() const;

private:
    // Puts the entries before `insertAt` by the rules of AddFiles.
    std::vector<std::string> Insert(std::vector<ProcessEntry> entries, int insertAt);

    OrvaneRegistry& settings_;
    std::string folder_;
    std::vector<std::string> available_;
    std::vector<std::string> folderWarnings_;  // of the last reading of the folder
    std::vector<std::string> untakenWarnings_;
    std::vector<ProcessEntry> process_;
    std::vector<std::string> classItems_;
    std::string classText_;
    bool classShown_ = false;  // the first activation has shown a class text
    std::string projectName_ = "sprite";
    tessolo::OutputType outputType_ = kOutputJpeg;
    int lineStyle_ = 0;
};

}  // namespace tessolo
