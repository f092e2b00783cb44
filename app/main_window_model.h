// The rules of the main window without any widget: the folder and its image
// files, the list of files to process, the class list, the four choices that
// are mirrored in the settings store, and the inputs a build gets. The
// window shows this state and forwards every user action here.
#pragma once

#include "settings/settings_store.h"
#include "sprite/sprite_build.h"

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

class MainWindowModel {
public:
    explicit MainWindowModel(OrvaneRegistry& settings);

    // The window became active: takes the class list, folder, output type
    // and line style from the settings. The class text stays when it is one
    // of the stored names; otherwise it becomes the first of them.
    void Activate();
    // The window closes: the four mirrored choices go to the settings.
    void Close();

    // Shows another folder and re-reads its image files (see
    // ListImageFiles: the sheets that builds wrote there are left out). A
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
    // to the end of the process list, in list order. A file whose base name
    // is the project's is refused and its notice returned; a file already
    // in the process list is not added twice. Every selected file leaves
    // the available list.
    std::vector<std::string> AddFiles(const std::vector<int>& selected);
    // "<<": moves the process entries at `selected` back. Those of the shown
    // folder return to the available list (kept sorted); the others are
    // only dropped, as their folder is not shown.
    void RemoveFiles(const std::vector<int>& selected);
    // "Remove All".
    void RemoveAllFiles();
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
    // 0 JPEG, 1 PNG, 2 GIF, 3 BMP; stored in the settings at once.
    void SetOutputType(int type);
    int OutputType() const { return outputType_; }
    // 0 or 1, -1 for none; stored in the settings at once.
    void SetLineStyle(int style);
    int LineStyle() const { return lineStyle_; }

    // What the build gets: files outside the shown folder are named by their
    // path relative to it, so each is read where it was picked.
    BuildInputs Inputs() const;

private:
    OrvaneRegistry& settings_;
    std::string folder_;
    std::vector<std::string> available_;
    std::vector<std::string> folderWarnings_;  // of the last reading of the folder
    std::vector<std::string> untakenWarnings_;
    std::vector<ProcessEntry> process_;
    std::vector<std::string> classItems_;
    std::string classText_;
    std::string projectName_ = "sprite";
    int outputType_ = 0;
    int lineStyle_ = 0;
};

}  // namespace tessolo
