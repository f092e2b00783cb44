// TSpriteform: the main window. The user picks a folder, moves image files
// to the list of files to process, names the project and the CSS class,
// picks the line style and the output type, and starts the build. The rules
// live in MainWindowModel; the handlers here forward to it and show its state.
#pragma once

#include "app/location_list.h"
#include "app/main_window_model.h"
#include "platform/user_prompts.h"

#include <QMainWindow>

#include <memory>

class QAction;
class QButtonGroup;
class QComboBox;
class QFileSystemModel;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QProgressBar;
class QPushButton;
class QTimer;
class QTreeView;

namespace tessolo {

class DesktopServices;
class TAbout;
class TPrefs;
class TSpriteView;
class UpdateCheck;

// The objects that start-up makes after the main window and ties to it.
struct MainFormPeers {
    OrvaneRegistry& settings;
    TPrefs& prefs;
    TAbout& about;
    TSpriteView& viewer;
    UpdateCheck& updateCheck;
    DesktopServices& desktop;
};

class TSpriteform : public QMainWindow {
    Q_OBJECT
public:
    explicit TSpriteform(UserPrompts& prompts);
    ~TSpriteform() override;

    // Start-up ties the window to the objects that are made after it.
    void Attach(const MainFormPeers& peers);

    // The build, as the "Make Sprites" button and menu entry run it.
    void MakeSprites();
    // Shows `folder` in the folder tree, as a click on it would.
    void ShowFolder(const QString& folder);
    MainWindowModel& Model() { return *model_; }

    // Controls, named as the design names them.
    QComboBox* pdcbDirectory;
    QTreeView* pDirListBox;
    QLabel* plOutputDir;
    QListWidget* FileListBox;
    QListWidget* GraphicFiles;
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
    QAction* MakeSprites1;
    QAction* Preferences1;
    QAction* Exit1;
    QAction* Help2;
    QAction* VeltrandSoftwareontheWeb1;
    QAction* CheckforUpdates1;
    QAction* ChangeLog1;
    QAction* About1;

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
    void CreateControls();
    void CreateMenus();
    void SetTabOrder();
    // Runs a handler's work; an exception that leaves it is shown by the
    // standard error report and the window stays usable.
    template <typename Work> void Guarded(Work&& work);
    // Shows the model's state in the controls.
    void ShowFolderState();
    void ShowLists();
    void ShowChoices();
    void AppendNotices(const std::vector<std::string>& notices);

    UserPrompts& prompts_;
    QList<Location> locations_;
    OrvaneRegistry* settings_ = nullptr;
    TPrefs* prefs_ = nullptr;
    TSpriteView* viewer_ = nullptr;
    TAbout* about_ = nullptr;
    UpdateCheck* updateCheck_ = nullptr;
    DesktopServices* desktop_ = nullptr;
    std::unique_ptr<MainWindowModel> model_;
    SpriteBuilder builder_;  // its bitmaps are reused by every build
    QFileSystemModel* folders_;
    // Folders load in the background; this keeps the current one in view.
    QTimer* scrollToFolder_;
    QButtonGroup* outputTypes_;
    bool shown_ = false;
    bool building_ = false;
};

}  // namespace tessolo
