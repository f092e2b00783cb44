// One of the window's two lists of image files. It shows its entries, with
// a thumbnail and the pixel size of each image when asked, and takes part in
// drag and drop: its selected entries can be dragged to the other list or,
// in the process list, to another place in it, and the process list also
// takes files and folders dropped from a file manager. The list only says
// what was dropped where; the window's model decides what that does.
#pragma once

#include <QHash>
#include <QListWidget>

#include <string>
#include <vector>

namespace tessolo {

class FileList : public QListWidget {
    Q_OBJECT
public:
    // The format of a drag of entries: "<list's object name>:<row>,<row>,...".
    static constexpr const char* kEntriesFormat = "application/x-tessolo-entries";

    // `takesFiles`: file-manager drops and drags within the list are taken.
    FileList(const QString& objectName, bool takesFiles, QWidget* parent = nullptr);

    // Shows one entry per text; `paths[i]` is the file of entry i, which
    // names it for SetThumbnail. The list is made wide enough to read its
    // longest entry.
    void ShowEntries(const std::vector<std::string>& texts, const std::vector<std::string>& paths);
    std::vector<int> SelectedRows() const;
    void SelectRows(const std::vector<int>& rows);
    // The file of each entry, in list order.
    QStringList Paths() const;
    // Shows `picture` beside the entry of `path`, with `caption` under its text.
    void SetThumbnail(const QString& path, const QIcon& picture, const QString& caption);

signals:
    // Files and folders from a file manager, to go before `row`.
    void PathsDropped(const QStringList& paths, int row);
    // Entries of the list named `source` (this one or the other), to go
    // before `row` of this one.
    void EntriesDropped(const QString& source, const std::vector<int>& rows, int row);
    // Ctrl+Up / Ctrl+Down on the selected entries (-1 or +1).
    void ShiftRequested(int step);

protected:
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool Takes(const QMimeData& data) const;
    // The row that a drop at `position` goes before.
    int DropRow(const QPoint& position) const;
    void FitWidthToEntries();

    bool takesFiles_;
    QHash<QString, QListWidgetItem*> itemOfPath_;
};

// The rows named by entry-drag data, and the list they came from.
bool ReadEntriesDrag(const QByteArray& data, QString& source, std::vector<int>& rows);

}  // namespace tessolo
