// TSpriteform: the main window. The user picks a folder, moves image files
// to the list of files to process, names the project and the CSS class,
// picks the line style and the output type, and starts the build, which runs
// on a thread of its own while the window shows its progress. The rules live
// in MainWindowModel; the handlers here forward to it and show its state.
// Controls are reached by their object names, which are their design names.
#pragma once

#include "app/location_list.h"
#include "app/main_window_model.h"
#include "platform/user_prompts.h"

#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <memory>

class QAction;
class QButtonGroup;
class QComboBox;
class QFileSystemModel;
class QGroupBox;
class QLabel;
class QLayout;
class QLineEdit;
class QListWidget;
class QMenu;
class QProgressBar;
class QPushButton;
class QTimer;
class QTreeView;

namespace tessolo {

class DesktopServices;
class FileList;
class TAbout;
class ThumbnailLoader;
class TPrefs;
class TSpriteView;
class UpdateCheck;
class WindowBuild;

// The objects that start-up makes after the main window and ties to it.
struct MainFormPeers {
    OrvaneRegistry& settings;
    TPrefs& prefs;
    TAbout& about;
    TSpriteView& viewer;
    UpdateCheck& updateCheck;
    DesktopServices& desktop;
};

// Asks for a folder, starting at `start`; empty when the user cancels.
using FolderPicker = std::function<QString(QWidget* parent, const QString& start)>;

class TSpriteform : public QMainWindow {
    Q_OBJECT
public:
    explicit TSpriteform(UserPrompts& prompts);
    ~TSpriteform() override;

    // Start-up ties the window to the objects that are made after it.
    void Attach(const MainFormPeers& peers);

    // Starts the build, as the "Make Sprites" button and menu entry do.
    // Refused (false, with a note in the status bar) while a build runs.
    bool MakeSprites();
    // File > Save Project Settings: the folder's tessolo.toml from the
    // effective options.
    void SaveProjectSettings();
    bool Building() const;
    // Stops a running build at its next image, as "Cancel" does.
    void CancelBuild();
    // Shows `folder` in the folder tree, as a click on it would.
    void ShowFolder(const QString& folder);
    // File > Open Folder asks this; the platform's folder dialog by default.
    void SetFolderPicker(FolderPicker picker) { pickFolder_ = std::move(picker); }
    // The thumbnails of the file lists, for tests and measurements.
    ThumbnailLoader& Thumbnails() { return *thumbnails_; }
    MainWindowModel& Model() { return *model_; }

    void InBtnClick();
    void OutBtnClick();
    void ClearProcsClick();
    void btnMakeSpriteClick();
    void MakeSprites1Click();
    void cbSpriteClassKeyPress(int key);
    void pDirListBoxChange();
    void pdcbDirectoryChange();
    void FormShow();
    void FormActivate();
    void FormClose();
    void Exit1Click();
    void OpenFolder1Click();
    void Preferences1Click();
    void Help2Click();
    void VeltrandSoftwareontheWeb1Click();
    void CheckforUpdates1Click();
    void ChangeLog1Click();
    void About1Click();

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // One helper per group of controls, each returning the group's layout.
    QGroupBox* MakeOutputTypeGroup();
    QLayout* MakeNameRows();
    QLayout* MakeFolderColumn();
    QLayout* MakeFileLists();
    QLayout* MakeOutputArea();
    void MakeStatusBar();
    void CreateControls();
    void CreateMenus();
    void SetTabOrder();
    void ConnectBuild();
    // Runs a handler's work; an exception that leaves it is shown by the
    // standard error report and the window stays usable.
    template <typename Work> void Guarded(Work&& work);

    // Shows the model's state in the controls.
    void ShowFolderState();
    // The output folders of a build, in the destination line.
    void ShowDestination();
    void ShowLists();
    void ShowChoices();
    void ShowThumbnails(FileList& list);
    void ShowThumbnail(const QString& path);
    void AppendNotices(const std::vector<std::string>& notices);
    void ShowRecentFolders();
    void ShowTypedFolder();
    void FitOnScreen();

    // A drop or a move between the lists, by the model's rules.
    void DropEntries(FileList& target, const QString& source, const std::vector<int>& rows, int row);
    void DropPaths(const QStringList& paths, int row);
    void ShiftEntries(int step);
    void ToggleThumbnails(bool shown);

    // The build's news, on the window's thread.
    void ShowBuildProgress();
    void BuildFinished(int result);
    void SetBuilding(bool building);

    UserPrompts& prompts_;
    QList<Location> locations_;
    OrvaneRegistry* settings_ = nullptr;
    TPrefs* prefs_ = nullptr;
    TSpriteView* viewer_ = nullptr;
    TAbout* about_ = nullptr;
    UpdateCheck* updateCheck_ = nullptr;
    DesktopServices* desktop_ = nullptr;
    std::unique_ptr<MainWindowModel> model_;
    FolderPicker pickFolder_;

    WindowBuild* build_;
    ThumbnailLoader* thumbnails_;
    QFileSystemModel* folders_;
    // Folders load in the background; this keeps the current one in view.
    QTimer* scrollToFolder_;
    QButtonGroup* outputTypes_;

    QComboBox* pdcbDirectory;
    QTreeView* pDirListBox;
    QLabel* plOutputDir;
    FileList* FileListBox;
    FileList* GraphicFiles;
    QPushButton* OutBtn;
    QPushButton* InBtn;
    QPushButton* btnMakeSprite;
    QGroupBox* pOutputFileType;
    QLineEdit* pedSpriteName;
    QPushButton* ClearProcs;
    QListWidget* SpriteListBox;
    QComboBox* cbSpriteClass;
    QComboBox* cbCSSStyle;
    QProgressBar* BuildProgress;
    QPushButton* btnCancel;
    QAction* MakeSprites1;
    QAction* SaveProjectSettings1;
    QAction* OpenFolder1;
    QMenu* RecentFolders1;
    QAction* ShowThumbnails1;
    // The controls that would change a build, disabled while one runs.
    QList<QWidget*> buildControls_;
    QPointer<QWidget> focusBeforeBuild_;

    std::string buildFolder_;  // the folder of the running build
    int buildImages_ = 0;
    bool closeAfterBuild_ = false;
    bool shown_ = false;
};

}  // namespace tessolo
