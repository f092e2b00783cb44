#include "app/spritemain.h"

#include "app/spriteview.h"
#include "app/window_build_observer.h"
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
#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

namespace tessolo {

namespace {

const char* const kOutputTypeNames[] = {"JPEG", "PNG", "GIF", "BMP"};

std::vector<int> SelectedRows(const QListWidget& list)
{
    std::vector<int> rows;
    for (const QModelIndex& index : list.selectionModel()->selectedIndexes())
        rows.push_back(index.row());
    return rows;
}

void Fill(QListWidget& list, const std::vector<std::string>& texts)
{
    list.clear();
    for (const std::string& text : texts)
        list.addItem(QString::fromStdString(text));
}

QLabel* Caption(const QString& text, QWidget* buddy)
{
    auto* label = new QLabel(text);
    label->setBuddy(buddy);
    return label;
}

}  // namespace

TSpriteform::TSpriteform(UserPrompts& prompts)
    : prompts_(prompts), locations_(Locations())
{
    setWindowTitle("Tessolo - Sprite Generator");
    CreateControls();
    CreateMenus();
    SetTabOrder();
    resize(788, 707);
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
}

void TSpriteform::CreateControls()
{
    auto* central = new QWidget;
    setCentralWidget(central);

    pOutputFileType = new QGroupBox("Output file type");
    outputTypes_ = new QButtonGroup(this);
    auto* typeColumn = new QVBoxLayout(pOutputFileType);
    for (int i = 0; i < 4; ++i) {
        auto* button = new QRadioButton(kOutputTypeNames[i]);
        outputTypes_->addButton(button, i);
        typeColumn->addWidget(button);
    }
    outputTypes_->button(0)->setChecked(true);
    connect(outputTypes_, &QButtonGroup::idClicked, this,
            [this](int id) { Guarded([&] { model_->SetOutputType(id); }); });

    pedSpriteName = new QLineEdit("sprite");
    connect(pedSpriteName, &QLineEdit::textChanged, this,
            [this](const QString& text) { model_->SetProjectName(text.toStdString()); });

    cbSpriteClass = new QComboBox;
    cbSpriteClass->setEditable(true);
    cbSpriteClass->setInsertPolicy(QComboBox::NoInsert);
    cbSpriteClass->addItem(".sprite");
    cbSpriteClass->lineEdit()->installEventFilter(this);
    connect(cbSpriteClass, &QComboBox::currentTextChanged, this,
            [this](const QString& text) { model_->SetClassText(text.toStdString()); });

    cbCSSStyle = new QComboBox;
    for (const char* text : kLineStyleTexts)
        cbCSSStyle->addItem(text);
    // The long texts may be cut in a narrow window rather than widen it.
    cbCSSStyle->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cbCSSStyle->setMinimumContentsLength(24);
    connect(cbCSSStyle, &QComboBox::activated, this,
            [this](int index) { Guarded([&] { model_->SetLineStyle(index); }); });

    auto* names = new QGridLayout;
    names->addWidget(
        Caption("Project name (will be the name of the sprite and the CSS file):", pedSpriteName),
        0, 0, 1, 2);
    names->addWidget(pedSpriteName, 0, 2);
    names->addWidget(Caption("Class name (.classname):", cbSpriteClass), 1, 0);
    names->addWidget(Caption("CSS line style:", cbCSSStyle), 1, 1, 1, 2);
    names->addWidget(cbSpriteClass, 2, 0);
    names->addWidget(cbCSSStyle, 2, 1, 1, 2);
    names->setHorizontalSpacing(12);
    names->setColumnStretch(0, 0);  // class names are short; the line styles are not
    names->setColumnStretch(1, 80);
    names->setColumnStretch(2, 329);
    names->setRowStretch(3, 1);

    auto* top = new QHBoxLayout;
    top->addWidget(pOutputFileType);
    top->addLayout(names, 1);

    pdcbDirectory = new QComboBox;
    for (const Location& location : locations_)
        pdcbDirectory->addItem(location.label, location.path);
    connect(pdcbDirectory, &QComboBox::activated, this, [this] { pdcbDirectoryChange(); });

    folders_ = new QFileSystemModel(this);
    folders_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    folders_->setRootPath("/");
    pDirListBox = new QTreeView;
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

    FileListBox = new QListWidget;
    FileListBox->setSelectionMode(QAbstractItemView::ExtendedSelection);
    GraphicFiles = new QListWidget;
    GraphicFiles->setSelectionMode(QAbstractItemView::ExtendedSelection);

    btnMakeSprite = new QPushButton("&Make Sprites");
    InBtn = new QPushButton(">>");
    OutBtn = new QPushButton("<<");
    ClearProcs = new QPushButton("Remove &All");
    connect(btnMakeSprite, &QPushButton::clicked, this, [this] { btnMakeSpriteClick(); });
    connect(InBtn, &QPushButton::clicked, this, [this] { InBtnClick(); });
    connect(OutBtn, &QPushButton::clicked, this, [this] { OutBtnClick(); });
    connect(ClearProcs, &QPushButton::clicked, this, [this] { ClearProcsClick(); });

    auto* files = new QGridLayout;
    files->addWidget(Caption("Available image files:", FileListBox), 0, 1);
    files->addWidget(Caption("Image files to process into sprites:", GraphicFiles), 0, 2);
    files->addWidget(pdcbDirectory, 1, 0);
    files->addWidget(pDirListBox, 2, 0);
    files->addWidget(FileListBox, 1, 1, 2, 1);
    files->addWidget(GraphicFiles, 1, 2, 2, 1);
    files->addWidget(btnMakeSprite, 3, 0, Qt::AlignRight);
    files->addWidget(InBtn, 3, 1, Qt::AlignRight);
    auto* outButtons = new QHBoxLayout;
    outButtons->addWidget(OutBtn);
    outButtons->addStretch();
    outButtons->addWidget(ClearProcs);
    files->addLayout(outButtons, 3, 2);
    files->setColumnStretch(0, 279);
    files->setColumnStretch(1, 217);
    files->setColumnStretch(2, 233);
    files->setRowStretch(2, 1);
    btnMakeSprite->setMinimumWidth(177);
    InBtn->setMinimumWidth(75);
    OutBtn->setMinimumWidth(75);
    ClearProcs->setMinimumWidth(115);

    SpriteListBox = new QListWidget;
    SpriteListBox->setUniformItemSizes(true);  // one line each: cheap to lay out during a build

    auto* destination = new QFrame;
    destination->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    plOutputDir = new QLabel;
    plOutputDir->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* destinationRow = new QHBoxLayout(destination);
    destinationRow->setContentsMargins(6, 2, 6, 2);
    destinationRow->addWidget(new QLabel("Destination Directory:"));
    destinationRow->addWidget(plOutputDir, 1);

    auto* page = new QVBoxLayout(central);
    page->addLayout(top);
    page->addLayout(files, 3);
    page->addWidget(Caption("CSS output:", SpriteListBox));
    page->addWidget(SpriteListBox, 1);
    page->addWidget(destination);

    BuildProgress = new QProgressBar;
    BuildProgress->setTextVisible(true);
    BuildProgress->setFormat("%v of %m images");
    BuildProgress->setValue(0);
    statusBar()->addPermanentWidget(BuildProgress, 1);
}

void TSpriteform::CreateMenus()
{
    QMenu* file = menuBar()->addMenu("&File");
    Exit1 = file->addAction("E&xit");
    connect(Exit1, &QAction::triggered, this, [this] { Exit1Click(); });

    QMenu* options = menuBar()->addMenu("&Options");
    Preferences1 = options->addAction("&Preferences");
    connect(Preferences1, &QAction::triggered, this, [this] { Preferences1Click(); });

    QMenu* run = menuBar()->addMenu("&Run");
    MakeSprites1 = run->addAction("Make &Sprites");
    connect(MakeSprites1, &QAction::triggered, this, [this] { MakeSprites1Click(); });

    QMenu* help = menuBar()->addMenu("&Help");
    Help2 = help->addAction("&Help");
    connect(Help2, &QAction::triggered, this, [this] { Help2Click(); });
    VeltrandSoftwareontheWeb1 = help->addAction("Veltrand Software on the &Web");
    connect(VeltrandSoftwareontheWeb1, &QAction::triggered, this,
            [this] { VeltrandSoftwareontheWeb1Click(); });
    CheckforUpdates1 = help->addAction("Check for &Updates");
    connect(CheckforUpdates1, &QAction::triggered, this, [this] { CheckforUpdates1Click(); });
    ChangeLog1 = help->addAction("Change &Log");
    connect(ChangeLog1, &QAction::triggered, this, [this] { ChangeLog1Click(); });
    help->addAction(QString(43, '-'));
    About1 = help->addAction("&About");
    connect(About1, &QAction::triggered, this, [this] { About1Click(); });
}

void TSpriteform::SetTabOrder()
{
    QList<QRadioButton*> types = pOutputFileType->findChildren<QRadioButton*>();
    QWidget* order[] = {pdcbDirectory, pDirListBox, FileListBox,  GraphicFiles,  OutBtn,
                        InBtn,         btnMakeSprite, types.front(), pedSpriteName, ClearProcs,
                        SpriteListBox, cbSpriteClass, cbCSSStyle};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
}

template <typename Work> void TSpriteform::Guarded(Work&& work)
{
    try {
        work();
    } catch (const std::exception& error) {
        prompts_.Show("Tessolo", PrintableText(ErrorReportText(error.what())), PromptIcon::Error);
    }
}

void TSpriteform::MakeSprites()
{
    building_ = true;
    Guarded([this] {
        BuildInputs inputs = model_->Inputs();
        WindowBuildObserver observer(*SpriteListBox, *BuildProgress, *viewer_, prompts_,
                                     int(inputs.GraphicFiles.size()));
        builder_.MakeSprites(inputs, StoredBuildSettings(*settings_, prefs_->Records()), observer);
    });
    building_ = false;
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
    // The tree shows the folders inside the location that holds the folder.
    QString location = LocationOf(folder, locations_);
    pdcbDirectory->setCurrentIndex(pdcbDirectory->findData(location));
    if (folders_->filePath(pDirListBox->rootIndex()) != location)
        pDirListBox->setRootIndex(folders_->index(location));
    if (folders_->filePath(pDirListBox->currentIndex()) != folder)
        pDirListBox->setCurrentIndex(folders_->index(folder));
    scrollToFolder_->start();
    ShowLists();
    AppendNotices(model_->TakeFolderWarnings());
}

void TSpriteform::ShowLists()
{
    Fill(*FileListBox, model_->AvailableFiles());
    Fill(*GraphicFiles, model_->ProcessListTexts());
}

void TSpriteform::ShowChoices()
{
    QSignalBlocker quietClass(cbSpriteClass);
    cbSpriteClass->clear();
    for (const std::string& name : model_->ClassItems())
        cbSpriteClass->addItem(QString::fromStdString(name));
    cbSpriteClass->setEditText(QString::fromStdString(model_->ClassText()));
    int type = model_->OutputType();
    if (QAbstractButton* button = outputTypes_->button(type))
        button->setChecked(true);
    else if (QAbstractButton* checked = outputTypes_->checkedButton()) {
        outputTypes_->setExclusive(false);  // a stored type outside the list selects none
        checked->setChecked(false);
        outputTypes_->setExclusive(true);
    }
    QSignalBlocker quietStyle(cbCSSStyle);
    cbCSSStyle->setCurrentIndex(model_->LineStyle() == 0 || model_->LineStyle() == 1
                                    ? model_->LineStyle()
                                    : -1);
}

void TSpriteform::AppendNotices(const std::vector<std::string>& notices)
{
    for (const std::string& notice : notices)
        SpriteListBox->addItem(QString::fromStdString(PrintableText(notice)));
}

void TSpriteform::InBtnClick()
{
    Guarded([this] { AppendNotices(model_->AddFiles(SelectedRows(*FileListBox))); });
    ShowLists();
}

void TSpriteform::OutBtnClick()
{
    Guarded([this] { model_->RemoveFiles(SelectedRows(*GraphicFiles)); });
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
    // The request runs on the event loop: the window appears and responds
    // at once, and a question comes only when a newer version was found.
    updateCheck_->StartSilent();
    pdcbDirectory->setFocus();
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
}

void TSpriteform::Exit1Click() { close(); }

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
    // A close that arrives while a build repaints the window waits for it.
    if (building_) {
        event->ignore();
        return;
    }
    FormClose();
    QMainWindow::closeEvent(event);
}

bool TSpriteform::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == cbSpriteClass->lineEdit() && event->type() == QEvent::KeyPress) {
        int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            cbSpriteClassKeyPress(key);
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace tessolo
