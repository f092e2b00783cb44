#include "app/spritemain.h"

#include "app/file_list.h"
#include "app/project_settings.h"
#include "app/spriteview.h"
#include "app/thumbnails.h"
#include "app/window_build.h"
#include "app/window_placement.h"
#include "info/about.h"
#include "info/change_log.h"
#include "info/help_entries.h"
#include "info/update_check.h"
#include "platform/error.h"
#include "platform/printable_text.h"
#include "settings/dialog/prefs_dialog.h"
#include "sprite/stored_build_settings.h"
#include "sprite/stylesheet.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>

namespace tessolo {

namespace {

// The window's size as designed.
constexpr QSize kDesignSize(788, 707);

QLabel* Caption(const QString& text, QWidget* buddy)
{
    auto* label = new QLabel(text);
    label->setBuddy(buddy);
    return label;
}

template <typename Widget> Widget* Named(Widget* widget, const char* name)
{
    widget->setObjectName(name);
    return widget;
}

// "JPEG", "PNG", "WebP", ...: an output type as its button shows it, as
// each format writes its own name.
QString OutputTypeLabel(const OutputTypeInfo& type)
{
    if (type.type == kOutputWebp)
        return "WebP";
    return QString::fromUtf8(type.commandWord.data(), qsizetype(type.commandWord.size())).toUpper();
}

QString PixelSizeCaption(const Thumbnail& thumbnail)
{
    if (!thumbnail.pixelSize.isValid())
        return "cannot be read";
    return QString("%1 × %2").arg(thumbnail.pixelSize.width()).arg(thumbnail.pixelSize.height());
}

std::vector<std::string> PathsIn(const std::string& folder, const std::vector<std::string>& names)
{
    std::vector<std::string> paths;
    for (const std::string& name : names)
        paths.push_back(folder + (folder.ends_with('/') ? "" : "/") + name);
    return paths;
}

std::vector<std::string> PathsOf(const std::vector<ProcessEntry>& entries)
{
    std::vector<std::string> paths;
    for (const ProcessEntry& entry : entries)
        paths.push_back(PathsIn(entry.folder, {entry.name}).front());
    return paths;
}

QString DefaultFolderPicker(QWidget* parent, const QString& start)
{
    return QFileDialog::getExistingDirectory(parent, "Open Folder", start);
}

}  // namespace

TSpriteform::TSpriteform(UserPrompts& prompts)
    : prompts_(prompts), locations_(Locations()), pickFolder_(DefaultFolderPicker)
{
    setObjectName("Spriteform");
    setWindowTitle("Tessolo - Sprite Generator");
    build_ = new WindowBuild(this);
    thumbnails_ = new ThumbnailLoader(this);
    CreateControls();
    CreateMenus();
    SetTabOrder();
    ConnectBuild();
    resize(kDesignSize);
}

TSpriteform::~TSpriteform() = default;

void TSpriteform::Attach(const MainFormPeers& peers)
{
    settings_ = &peers.settings;
    prefs_ = &peers.prefs;
    about_ = &peers.about;
    viewer_ = &peers.viewer;
    updateCheck_ = &peers.updateCheck;
    desktop_ = &peers.desktop;
    model_ = std::make_unique<MainWindowModel>(peers.settings);
    model_->SetProjectName(pedSpriteName->text().toStdString());
    if (const QRect stored = StoredBox(settings_->MainWindowGeometry); !stored.isEmpty())
        setGeometry(stored);
    ShowThumbnails1->setChecked(settings_->ShowThumbnails != 0);
    ToggleThumbnails(settings_->ShowThumbnails != 0);
}

QGroupBox* TSpriteform::MakeOutputTypeGroup()
{
    pOutputFileType = Named(new QGroupBox("Output file type"), "pOutputFileType");
    outputTypes_ = new QButtonGroup(this);
    auto* grid = new QGridLayout(pOutputFileType);
    for (const OutputTypeInfo& type : kOutputTypes) {
        auto* button = new QRadioButton(OutputTypeLabel(type));
        button->setObjectName("pOutputFileType" + OutputTypeLabel(type));
        outputTypes_->addButton(button, type.type);
        grid->addWidget(button, type.type / 2, type.type % 2);
    }
    outputTypes_->button(kOutputJpeg)->setChecked(true);
    connect(outputTypes_, &QButtonGroup::idClicked, this,
            [this](int id) { Guarded([&] { model_->SetOutputType(id); }); });
    return pOutputFileType;
}

QLayout* TSpriteform::MakeNameRows()
{
    pedSpriteName = Named(new QLineEdit("sprite"), "pedSpriteName");
    connect(pedSpriteName, &QLineEdit::textChanged, this,
            [this](const QString& text) { model_->SetProjectName(text.toStdString()); });

    cbSpriteClass = Named(new QComboBox, "cbSpriteClass");
    cbSpriteClass->setEditable(true);
    cbSpriteClass->setInsertPolicy(QComboBox::NoInsert);
    cbSpriteClass->addItem(".sprite");
    // Real key presses go to the box, which hands them to its line edit
    // directly; keys sent to the line edit itself are watched too.
    cbSpriteClass->installEventFilter(this);
    cbSpriteClass->lineEdit()->installEventFilter(this);
    connect(cbSpriteClass, &QComboBox::currentTextChanged, this,
            [this](const QString& text) { model_->SetClassText(text.toStdString()); });

    cbCSSStyle = Named(new QComboBox, "cbCSSStyle");
    for (const char* text : kLineStyleTexts)
        cbCSSStyle->addItem(text);
    // The long texts may be cut in a narrow window rather than widen it.
    cbCSSStyle->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cbCSSStyle->setMinimumContentsLength(24);
    connect(cbCSSStyle, &QComboBox::activated, this,
            [this](int index) { Guarded([&] { model_->SetLineStyle(index); }); });

    auto* names = new QGridLayout;
    names->addWidget(
        Caption("Projec&t name (will be the name of the sprite and the CSS file):", pedSpriteName),
        0, 0, 1, 2);
    names->addWidget(pedSpriteName, 0, 2);
    names->addWidget(Caption("C&lass name (.classname):", cbSpriteClass), 1, 0);
    names->addWidget(Caption("CSS line st&yle:", cbCSSStyle), 1, 1, 1, 2);
    names->addWidget(cbSpriteClass, 2, 0);
    names->addWidget(cbCSSStyle, 2, 1, 1, 2);
    names->setHorizontalSpacing(12);
    names->setColumnStretch(0, 0);  // class names are short; the line styles are not
    names->setColumnStretch(1, 80);
    names->setColumnStretch(2, 329);

    auto* top = new QHBoxLayout;
    top->addWidget(MakeOutputTypeGroup());
    top->addLayout(names, 1);
    return top;
}

QLayout* TSpriteform::MakeFolderColumn()
{
    pdcbDirectory = Named(new QComboBox, "pdcbDirectory");
    pdcbDirectory->setEditable(true);
    pdcbDirectory->setInsertPolicy(QComboBox::NoInsert);
    pdcbDirectory->lineEdit()->setPlaceholderText("Type a folder and press Enter");
    for (const Location& location : locations_)
        pdcbDirectory->addItem(location.label, location.path);
    connect(pdcbDirectory, &QComboBox::activated, this, [this] { pdcbDirectoryChange(); });
    connect(pdcbDirectory->lineEdit(), &QLineEdit::returnPressed, this, [this] { ShowTypedFolder(); });

    folders_ = new QFileSystemModel(this);
    folders_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    folders_->setRootPath("/");
    pDirListBox = Named(new QTreeView, "pDirListBox");
    pDirListBox->setModel(folders_);
    pDirListBox->setHeaderHidden(true);
    for (int column = 1; column < folders_->columnCount(); ++column)
        pDirListBox->hideColumn(column);
    connect(pDirListBox->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { pDirListBoxChange(); });
    scrollToFolder_ = new QTimer(this);
    scrollToFolder_->setSingleShot(true);
    scrollToFolder_->setInterval(50);
    connect(scrollToFolder_, &QTimer::timeout, this,
            [this] { pDirListBox->scrollTo(pDirListBox->currentIndex()); });
    connect(folders_, &QFileSystemModel::directoryLoaded, scrollToFolder_,
            qOverload<>(&QTimer::start));

    auto* column = new QVBoxLayout;
    column->addWidget(pdcbDirectory);
    column->addWidget(pDirListBox, 1);
    return column;
}

QLayout* TSpriteform::MakeFileLists()
{
    FileListBox = new FileList("FileListBox", false);
    GraphicFiles = new FileList("GraphicFiles", true);
    for (FileList* list : {FileListBox, GraphicFiles}) {
        connect(list, &FileList::EntriesDropped, this,
                [this, list](const QString& source, const std::vector<int>& rows, int row) {
                    DropEntries(*list, source, rows, row);
                });
    }
    connect(GraphicFiles, &FileList::PathsDropped, this, &TSpriteform::DropPaths);
    connect(GraphicFiles, &FileList::ShiftRequested, this, &TSpriteform::ShiftEntries);
    connect(FileListBox, &QListWidget::itemDoubleClicked, this, [this] { InBtnClick(); });
    connect(GraphicFiles, &QListWidget::itemDoubleClicked, this, [this] { OutBtnClick(); });

    btnMakeSprite = Named(new QPushButton("&Make Sprites"), "btnMakeSprite");
    InBtn = Named(new QPushButton(">>"), "InBtn");
    OutBtn = Named(new QPushButton("<<"), "OutBtn");
    ClearProcs = Named(new QPushButton("Remove &All"), "ClearProcs");
    InBtn->setToolTip("Add the selected files (Ctrl+Right, or double-click a file)");
    OutBtn->setToolTip("Take the selected files back (Ctrl+Left, or double-click a file)");
    connect(btnMakeSprite, &QPushButton::clicked, this, [this] { btnMakeSpriteClick(); });
    connect(InBtn, &QPushButton::clicked, this, [this] { InBtnClick(); });
    connect(OutBtn, &QPushButton::clicked, this, [this] { OutBtnClick(); });
    connect(ClearProcs, &QPushButton::clicked, this, [this] { ClearProcsClick(); });
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Right), this), &QShortcut::activated,
            this, [this] { InBtnClick(); });
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Left), this), &QShortcut::activated,
            this, [this] { OutBtnClick(); });

    auto* files = new QGridLayout;
    files->addWidget(Caption("Available image fil&es:", FileListBox), 0, 1);
    files->addWidget(Caption("Image files to &process into sprites:", GraphicFiles), 0, 2);
    files->addLayout(MakeFolderColumn(), 1, 0);
    files->addWidget(FileListBox, 1, 1);
    files->addWidget(GraphicFiles, 1, 2);
    files->addWidget(btnMakeSprite, 2, 0, Qt::AlignRight);
    files->addWidget(InBtn, 2, 1, Qt::AlignRight);
    auto* outButtons = new QHBoxLayout;
    outButtons->addWidget(OutBtn);
    outButtons->addStretch();
    outButtons->addWidget(ClearProcs);
    files->addLayout(outButtons, 2, 2);
    files->setColumnStretch(0, 279);
    files->setColumnStretch(1, 217);
    files->setColumnStretch(2, 233);
    files->setRowStretch(1, 1);
    btnMakeSprite->setMinimumWidth(177);
    InBtn->setMinimumWidth(75);
    OutBtn->setMinimumWidth(75);
    ClearProcs->setMinimumWidth(115);
    return files;
}

QLayout* TSpriteform::MakeOutputArea()
{
    SpriteListBox = Named(new QListWidget, "SpriteListBox");
    SpriteListBox->setUniformItemSizes(true);  // one line each: cheap to lay out during a build

    auto* destination = new QFrame;
    destination->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    plOutputDir = Named(new QLabel, "plOutputDir");
    plOutputDir->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* destinationRow = new QHBoxLayout(destination);
    destinationRow->setContentsMargins(6, 2, 6, 2);
    destinationRow->addWidget(new QLabel("Destination Directory:"));
    destinationRow->addWidget(plOutputDir, 1);

    auto* area = new QVBoxLayout;
    area->addWidget(Caption("CSS o&utput:", SpriteListBox));
    area->addWidget(SpriteListBox, 1);
    area->addWidget(destination);
    return area;
}

void TSpriteform::MakeStatusBar()
{
    // Both are seen only while a build runs.
    BuildProgress = Named(new QProgressBar, "BuildProgress");
    BuildProgress->setTextVisible(true);
    BuildProgress->setFormat("%v of %m images");
    BuildProgress->hide();
    btnCancel = Named(new QPushButton("Cancel"), "btnCancel");
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this,
            [this] { CancelBuild(); });
    btnCancel->setToolTip("Stop the build at the next image (Esc); the previous files stay");
    btnCancel->hide();
    connect(btnCancel, &QPushButton::clicked, this, [this] { CancelBuild(); });
    statusBar()->addPermanentWidget(BuildProgress, 1);
    statusBar()->addPermanentWidget(btnCancel);
}

void TSpriteform::CreateControls()
{
    auto* central = new QWidget;
    setCentralWidget(central);
    auto* page = new QVBoxLayout(central);
    page->addLayout(MakeNameRows());
    page->addLayout(MakeFileLists(), 3);
    page->addLayout(MakeOutputArea(), 1);
    MakeStatusBar();
    buildControls_ = {pOutputFileType, pedSpriteName, cbSpriteClass, cbCSSStyle,
                      pdcbDirectory,   pDirListBox,   FileListBox,   GraphicFiles,
                      InBtn,           OutBtn,        ClearProcs,    btnMakeSprite};
}

void TSpriteform::CreateMenus()
{
    QMenu* file = menuBar()->addMenu("&File");
    OpenFolder1 = file->addAction("&Open Folder…");
    OpenFolder1->setShortcut(QKeySequence::Open);
    connect(OpenFolder1, &QAction::triggered, this, [this] { OpenFolder1Click(); });
    RecentFolders1 = file->addMenu("&Recent Folders");
    RecentFolders1->setObjectName("RecentFolders");
    connect(RecentFolders1, &QMenu::aboutToShow, this, [this] { ShowRecentFolders(); });
    SaveProjectSettings1 = file->addAction("Save &Project Settings");
    SaveProjectSettings1->setObjectName("SaveProjectSettings");
    connect(SaveProjectSettings1, &QAction::triggered, this, [this] { SaveProjectSettings(); });
    file->addSeparator();
    QAction* exit = file->addAction("E&xit");
    connect(exit, &QAction::triggered, this, [this] { Exit1Click(); });

    QMenu* options = menuBar()->addMenu("&Options");
    QAction* preferences = options->addAction("&Preferences");
    connect(preferences, &QAction::triggered, this, [this] { Preferences1Click(); });
    ShowThumbnails1 = options->addAction("Show &Thumbnails");
    ShowThumbnails1->setCheckable(true);
    connect(ShowThumbnails1, &QAction::toggled, this, &TSpriteform::ToggleThumbnails);

    QMenu* run = menuBar()->addMenu("&Run");
    MakeSprites1 = run->addAction("Make &Sprites");
    connect(MakeSprites1, &QAction::triggered, this, [this] { MakeSprites1Click(); });

    QMenu* help = menuBar()->addMenu("&Help");
    connect(help->addAction("&Help"), &QAction::triggered, this, [this] { Help2Click(); });
    connect(help->addAction("Veltrand Software on the &Web"), &QAction::triggered, this,
            [this] { VeltrandSoftwareontheWeb1Click(); });
    connect(help->addAction("Check for &Updates"), &QAction::triggered, this,
            [this] { CheckforUpdates1Click(); });
    connect(help->addAction("Change &Log"), &QAction::triggered, this,
            [this] { ChangeLog1Click(); });
    help->addAction(QString(43, '-'));
    connect(help->addAction("&About"), &QAction::triggered, this, [this] { About1Click(); });
}

void TSpriteform::SetTabOrder()
{
    QWidget* order[] = {pdcbDirectory, pDirListBox,   FileListBox,
                        GraphicFiles,  OutBtn,        InBtn,
                        btnMakeSprite, outputTypes_->button(kOutputJpeg), pedSpriteName,
                        ClearProcs,    SpriteListBox, cbSpriteClass,
                        cbCSSStyle};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void TSpriteform::ConnectBuild()
{
    WindowBuildObserver& observer = build_->Observer();
    connect(&observer, &WindowBuildObserver::ProgressReady, this, &TSpriteform::ShowBuildProgress);
    connect(&observer, &WindowBuildObserver::MessageReady, this,
            [this](const QString& caption, const QString& text, int icon) {
                prompts_.Show(caption.toStdString(), text.toStdString(), PromptIcon(icon));
            });
    connect(&observer, &WindowBuildObserver::StatusReady, this,
            [this](const QString& text) { statusBar()->showMessage(text); });
    connect(&observer, &WindowBuildObserver::SheetReady, this,
            [this, &observer](const QImage& sheet) {
                int scale = 1;
                std::vector<SheetImage> images = observer.TakeSheetImages(scale);
                viewer_->ShowSheet(sheet, std::move(images), scale);
            });
    connect(&observer, &WindowBuildObserver::SheetPlaced, this, [this](const QString& path) {
        viewer_->SetSheetFile(path.toStdString());
        statusBar()->showMessage("Wrote " + QString::fromStdString(PrintableText(path.toStdString())));
        Guarded([this] { model_->NoteRecentFolder(buildFolder_); });
    });
    connect(build_, &WindowBuild::Finished, this, &TSpriteform::BuildFinished);
    connect(thumbnails_, &ThumbnailLoader::Ready, this, &TSpriteform::ShowThumbnail);
}

template <typename Work> void TSpriteform::Guarded(Work&& work)
{
    try {
        work();
    } catch (const std::exception& error) {
        prompts_.Show(kErrorReportCaption, PrintableText(ErrorReportText(error.what())),
                      PromptIcon::Error);
    }
}

bool TSpriteform::MakeSprites()
{
    if (build_->Running()) {
        statusBar()->showMessage("A build is running: wait for it, or press Cancel (Esc) to stop it.");
        return false;
    }
    BuildInputs inputs = model_->Inputs();
    BuildSettings settings = StoredBuildSettings(*settings_, prefs_->Records());
    if (const std::string project = ProjectFileIn(inputs.Folder); !project.empty()) {
        bool read = false;
        Guarded([&] {
            settings = WithProjectFile(project, inputs, settings);
            read = true;
        });
        if (!read)
            return false;
    }
    buildFolder_ = inputs.Folder;
    buildImages_ = int(inputs.GraphicFiles.size());
    statusBar()->clearMessage();
    build_->Start(std::move(inputs), std::move(settings));
    SetBuilding(true);
    return true;
}

bool TSpriteform::Building() const { return build_->Running(); }

void TSpriteform::CancelBuild()
{
    if (build_->Running()) {
        build_->RequestStop();
        statusBar()->showMessage("Stopping the build…");
    }
}

void TSpriteform::SetBuilding(bool building)
{
    QWidget* focused = QApplication::focusWidget();
    const bool focusInControls = focused && std::ranges::any_of(buildControls_, [&](QWidget* c) {
        return c == focused || c->isAncestorOf(focused);
    });
    if (building && focusInControls) {
        focusBeforeBuild_ = focused;
        SpriteListBox->setFocus();  // the lines to read while the build runs
    }
    for (QWidget* control : buildControls_)
        control->setEnabled(!building);
    MakeSprites1->setEnabled(!building);
    OpenFolder1->setEnabled(!building);
    RecentFolders1->setEnabled(!building);
    btnCancel->setVisible(building);
    if (!building) {
        BuildProgress->hide();
        if (focusBeforeBuild_)
            focusBeforeBuild_->setFocus();
    }
}

void TSpriteform::ShowBuildProgress()
{
    WindowBuildObserver::Progress progress = build_->Observer().TakeProgress();
    if (progress.listCleared) {
        SpriteListBox->clear();
        BuildProgress->setRange(0, buildImages_);
        BuildProgress->show();
    }
    SpriteListBox->addItems(progress.lines);
    if (!progress.lines.isEmpty())
        SpriteListBox->scrollToBottom();
    BuildProgress->setValue(progress.imagesDone);
}

void TSpriteform::BuildFinished(int)
{
    ShowBuildProgress();
    SetBuilding(false);
    if (closeAfterBuild_)
        close();
}

void TSpriteform::ShowFolder(const QString& folder)
{
    QModelIndex index = folders_->index(folder);
    if (!index.isValid()) {
        Guarded([&] { model_->SetFolder(folder.toStdString()); });
        ShowFolderState();
        return;
    }
    if (index == pDirListBox->currentIndex())
        pDirListBoxChange();  // shown already: read it again
    pDirListBox->setCurrentIndex(index);
}

void TSpriteform::ShowFolderState()
{
    QString folder = QString::fromStdString(model_->Folder());
    plOutputDir->setText(folder);
    // The tree shows the folders inside the location that holds the folder;
    // the selector shows the folder's path, which may be typed over.
    QString location = LocationOf(folder, locations_);
    pdcbDirectory->setCurrentIndex(pdcbDirectory->findData(location));
    pdcbDirectory->setEditText(folder);
    if (folders_->filePath(pDirListBox->rootIndex()) != location)
        pDirListBox->setRootIndex(folders_->index(location));
    if (folders_->filePath(pDirListBox->currentIndex()) != folder)
        pDirListBox->setCurrentIndex(folders_->index(folder));
    scrollToFolder_->start();
    thumbnails_->DropWaiting();
    ShowLists();
    AppendNotices(model_->TakeFolderWarnings());
    if (!ProjectFileIn(model_->Folder()).empty())
        statusBar()->showMessage(QString::fromStdString(ProjectFileNotice()));
    else
        statusBar()->clearMessage();
}

void TSpriteform::SaveProjectSettings()
{
    Guarded([this] {
        const std::string path =
            SaveProjectFile(model_->Inputs(), StoredBuildSettings(*settings_, prefs_->Records()));
        statusBar()->showMessage("Wrote " + QString::fromStdString(PrintableText(path)));
    });
}

void TSpriteform::ShowLists()
{
    FileListBox->ShowEntries(model_->AvailableFiles(),
                             PathsIn(model_->Folder(), model_->AvailableFiles()));
    GraphicFiles->ShowEntries(model_->ProcessListTexts(), PathsOf(model_->ProcessList()));
    ShowThumbnails(*FileListBox);
    ShowThumbnails(*GraphicFiles);
}

void TSpriteform::ShowThumbnails(FileList& list)
{
    if (!ShowThumbnails1->isChecked())
        return;
    for (const QString& path : list.Paths())
        if (const Thumbnail* thumbnail = thumbnails_->Find(path))
            list.SetThumbnail(path, QPixmap::fromImage(thumbnail->picture),
                              PixelSizeCaption(*thumbnail));
}

void TSpriteform::ShowThumbnail(const QString& path)
{
    if (!ShowThumbnails1->isChecked())
        return;
    if (const Thumbnail* thumbnail = thumbnails_->Find(path))
        for (FileList* list : {FileListBox, GraphicFiles})
            list->SetThumbnail(path, QPixmap::fromImage(thumbnail->picture),
                               PixelSizeCaption(*thumbnail));
}

void TSpriteform::ToggleThumbnails(bool shown)
{
    if (settings_)
        settings_->ShowThumbnails = shown;
    const QSize side = shown ? QSize(kThumbnailSide, kThumbnailSide) : QSize();
    FileListBox->setIconSize(side);
    GraphicFiles->setIconSize(side);
    if (model_)
        ShowLists();
}

void TSpriteform::ShowChoices()
{
    QSignalBlocker quietClass(cbSpriteClass);
    cbSpriteClass->clear();
    for (const std::string& name : model_->ClassItems())
        cbSpriteClass->addItem(QString::fromStdString(name));
    cbSpriteClass->setEditText(QString::fromStdString(model_->ClassText()));
    outputTypes_->button(model_->OutputType())->setChecked(true);
    QSignalBlocker quietStyle(cbCSSStyle);
    cbCSSStyle->setCurrentIndex(model_->LineStyle());
}

void TSpriteform::AppendNotices(const std::vector<std::string>& notices)
{
    for (const std::string& notice : notices)
        SpriteListBox->addItem(QString::fromStdString(PrintableText(notice)));
}

void TSpriteform::ShowRecentFolders()
{
    RecentFolders1->clear();
    const std::vector<std::string> folders = model_->RecentFolders();
    for (const std::string& folder : folders) {
        const QString path = QString::fromStdString(folder);
        connect(RecentFolders1->addAction(QString::fromStdString(PrintableText(folder))),
                &QAction::triggered, this, [this, path] {
                    ShowFolder(path);
                    Guarded([&] { model_->NoteRecentFolder(model_->Folder()); });
                });
    }
    if (folders.empty())
        RecentFolders1->addAction("No folder opened yet")->setEnabled(false);
}

void TSpriteform::ShowTypedFolder()
{
    const QString typed = pdcbDirectory->currentText();
    if (!QFileInfo(typed).isDir()) {
        prompts_.Show(kErrorReportCaption,
                      "The location \"" + PrintableText(typed.toStdString()) +
                          "\" is not a folder that can be shown.",
                      PromptIcon::Error);
        return;
    }
    ShowFolder(QFileInfo(typed).absoluteFilePath());
    Guarded([this] { model_->NoteRecentFolder(model_->Folder()); });
}

void TSpriteform::DropEntries(FileList& target, const QString& source,
                              const std::vector<int>& rows, int row)
{
    std::vector<int> placed;
    Guarded([&] {
        if (&target == GraphicFiles && source == FileListBox->objectName()) {
            const int before = int(model_->ProcessList().size());
            const int at = row >= 0 && row <= before ? row : before;
            AppendNotices(model_->AddFiles(rows, at));
            for (int i = 0; i < int(model_->ProcessList().size()) - before; ++i)
                placed.push_back(at + i);
        } else if (&target == GraphicFiles && source == GraphicFiles->objectName()) {
            placed = model_->MoveFiles(rows, row);
        } else if (&target == FileListBox && source == GraphicFiles->objectName()) {
            model_->RemoveFiles(rows);
        }
    });
    ShowLists();
    GraphicFiles->SelectRows(placed);
}

void TSpriteform::DropPaths(const QStringList& paths, int row)
{
    std::vector<std::string> dropped;
    for (const QString& path : paths)
        dropped.push_back(path.toStdString());
    Guarded([&] { AppendNotices(model_->AddPaths(dropped, row)); });
    ShowLists();
}

void TSpriteform::ShiftEntries(int step)
{
    std::vector<int> placed;
    Guarded([&] { placed = model_->ShiftFiles(GraphicFiles->SelectedRows(), step); });
    ShowLists();
    GraphicFiles->SelectRows(placed);
}

void TSpriteform::InBtnClick()
{
    Guarded([this] { AppendNotices(model_->AddFiles(FileListBox->SelectedRows())); });
    ShowLists();
}

void TSpriteform::OutBtnClick()
{
    Guarded([this] { model_->RemoveFiles(GraphicFiles->SelectedRows()); });
    ShowLists();
}

void TSpriteform::ClearProcsClick()
{
    Guarded([this] { model_->RemoveAllFiles(); });
    ShowLists();
}

void TSpriteform::btnMakeSpriteClick() { MakeSprites(); }

void TSpriteform::MakeSprites1Click() { MakeSprites(); }

void TSpriteform::cbSpriteClassKeyPress(int key)
{
    if (key != Qt::Key_Return && key != Qt::Key_Enter)
        return;
    Guarded([this] { model_->EnterClass(cbSpriteClass->currentText().toStdString()); });
    ShowChoices();
}

void TSpriteform::pDirListBoxChange()
{
    if (!pDirListBox->currentIndex().isValid())
        return;  // the tree moved to another location and has no folder picked yet
    Guarded([this] { model_->SetFolder(folders_->filePath(pDirListBox->currentIndex()).toStdString()); });
    ShowFolderState();
}

void TSpriteform::pdcbDirectoryChange() { ShowFolder(pdcbDirectory->currentData().toString()); }

void TSpriteform::FormShow()
{
    setWindowTitle("Tessolo Sprite Generator");
    FitOnScreen();
    // The request runs on the event loop: the window appears and responds
    // at once, and a question comes only when a newer version was found.
    updateCheck_->StartSilent();
    pdcbDirectory->setFocus();
}

void TSpriteform::FitOnScreen()
{
    QScreen* screen = this->screen();
    if (screen == nullptr)
        return;
    const QRect area = screen->availableGeometry();
    const QRect frame = frameGeometry();
    const QMargins margins(geometry().left() - frame.left(), geometry().top() - frame.top(),
                           frame.right() - geometry().right(), frame.bottom() - geometry().bottom());
    setGeometry(FitIntoArea(geometry(), margins, area));
}

void TSpriteform::FormActivate()
{
    Guarded([this] { model_->Activate(); });
    ShowChoices();
    ShowFolderState();
}

void TSpriteform::FormClose()
{
    Guarded([this] { model_->Close(); });
    settings_->MainWindowGeometry = StoredBoxText(*this);
}

void TSpriteform::Exit1Click() { close(); }

void TSpriteform::OpenFolder1Click()
{
    const QString folder = pickFolder_(this, QString::fromStdString(model_->Folder()));
    if (folder.isEmpty())
        return;
    ShowFolder(folder);
    Guarded([this] { model_->NoteRecentFolder(model_->Folder()); });
}

void TSpriteform::Preferences1Click() { prefs_->ShowPrefs(); }

void TSpriteform::Help2Click()
{
    Guarded([this] { OpenUserGuide(*desktop_, ProgramDataFolder()); });
}

void TSpriteform::VeltrandSoftwareontheWeb1Click()
{
    Guarded([this] { OpenWebSite(*desktop_); });
}

void TSpriteform::CheckforUpdates1Click() { updateCheck_->StartFromMenu(); }

// The change log window lives for one modal showing.
void TSpriteform::ChangeLog1Click()
{
    Guarded([this] {
        TChangeLog window(ChangeLogPath(ProgramDataFolder()), prompts_, this);
        window.exec();
    });
}

void TSpriteform::About1Click() { about_->ShowOrBringToFront(); }

void TSpriteform::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!shown_) {
        shown_ = true;
        FormShow();
    }
}

void TSpriteform::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && model_)
        FormActivate();
}

void TSpriteform::closeEvent(QCloseEvent* event)
{
    if (build_->Running()) {
        event->ignore();
        if (prompts_.AskYesNo("Tessolo", "A build is running. Stop it and close the window?")) {
            closeAfterBuild_ = true;
            CancelBuild();
        }
        return;
    }
    FormClose();
    QMainWindow::closeEvent(event);
}

bool TSpriteform::eventFilter(QObject* watched, QEvent* event)
{
    const bool classBox = watched == cbSpriteClass || watched == cbSpriteClass->lineEdit();
    if (classBox && event->type() == QEvent::KeyPress) {
        int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            cbSpriteClassKeyPress(key);
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace tessolo
