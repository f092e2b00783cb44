#include "app/file_list.h"

#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QUrl>

#include <algorithm>

namespace tessolo {

namespace {

// The entry's own text, without the caption a thumbnail adds.
constexpr int kEntryRole = Qt::UserRole;
constexpr int kPathRole = Qt::UserRole + 1;
// A name longer than this many average characters may be cut at the
// smallest window size rather than make the window wider than a screen.
constexpr int kMostCharactersKeptReadable = 48;

bool HasLocalFiles(const QMimeData& data)
{
    const QList<QUrl> urls = data.urls();
    return std::ranges::any_of(urls, [](const QUrl& url) { return url.isLocalFile(); });
}

}  // namespace

bool ReadEntriesDrag(const QByteArray& data, QString& source, std::vector<int>& rows)
{
    const QList<QByteArray> parts = data.split(':');
    if (parts.size() != 2 || parts[0].isEmpty())
        return false;
    source = QString::fromUtf8(parts[0]);
    rows.clear();
    for (const QByteArray& row : parts[1].split(',')) {
        bool ok = false;
        int value = row.toInt(&ok);
        if (!ok)
            return false;
        rows.push_back(value);
    }
    return true;
}

FileList::FileList(const QString& objectName, bool takesFiles, QWidget* parent)
    : QListWidget(parent), takesFiles_(takesFiles)
{
    setObjectName(objectName);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::MoveAction);
}

void FileList::ShowEntries(const std::vector<std::string>& texts,
                           const std::vector<std::string>& paths)
{
    clear();
    itemOfPath_.clear();
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const QString text = QString::fromStdString(texts[i]);
        auto* item = new QListWidgetItem(text, this);
        item->setData(kEntryRole, text);
        if (i < paths.size()) {
            const QString path = QString::fromStdString(paths[i]);
            item->setData(kPathRole, path);
            itemOfPath_.insert(path, item);
        }
    }
    FitWidthToEntries();
}

std::vector<int> FileList::SelectedRows() const
{
    std::vector<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedIndexes())
        rows.push_back(index.row());
    std::ranges::sort(rows);
    return rows;
}

void FileList::SelectRows(const std::vector<int>& rows)
{
    clearSelection();
    for (int row : rows)
        if (QListWidgetItem* entry = item(row))
            entry->setSelected(true);
    if (!rows.empty())
        setCurrentRow(rows.front(), QItemSelectionModel::NoUpdate);
}

QStringList FileList::Paths() const
{
    QStringList paths;
    for (int row = 0; row < count(); ++row)
        paths << item(row)->data(kPathRole).toString();
    return paths;
}

void FileList::SetThumbnail(const QString& path, const QIcon& picture, const QString& caption)
{
    QListWidgetItem* entry = itemOfPath_.value(path);
    if (entry == nullptr)
        return;
    entry->setIcon(picture);
    const QString text = entry->data(kEntryRole).toString();
    entry->setText(caption.isEmpty() ? text : text + "\n" + caption);
}

void FileList::startDrag(Qt::DropActions)
{
    const std::vector<int> rows = SelectedRows();
    if (rows.empty())
        return;
    QStringList texts;
    for (int row : rows)
        texts << QString::number(row);
    auto* data = new QMimeData;
    data->setData(kEntriesFormat, (objectName() + ":" + texts.join(',')).toUtf8());
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    // The drop only tells the window; nothing is removed here afterwards.
    drag->exec(Qt::MoveAction);
}

bool FileList::Takes(const QMimeData& data) const
{
    if (data.hasFormat(kEntriesFormat)) {
        QString source;
        std::vector<int> rows;
        if (!ReadEntriesDrag(data.data(kEntriesFormat), source, rows))
            return false;
        return source != objectName() || takesFiles_;  // reordering: the process list only
    }
    return takesFiles_ && HasLocalFiles(data);
}

void FileList::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData() && Takes(*event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void FileList::dragMoveEvent(QDragMoveEvent* event)
{
    if (event->mimeData() && Takes(*event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void FileList::dropEvent(QDropEvent* event)
{
    const QMimeData* data = event->mimeData();
    if (data == nullptr || !Takes(*data)) {
        event->ignore();
        return;
    }
    const int row = DropRow(event->position().toPoint());
    event->acceptProposedAction();
    if (data->hasFormat(kEntriesFormat)) {
        QString source;
        std::vector<int> rows;
        ReadEntriesDrag(data->data(kEntriesFormat), source, rows);
        emit EntriesDropped(source, rows, row);
        return;
    }
    QStringList paths;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile())
            paths << url.toLocalFile();
    emit PathsDropped(paths, row);
}

void FileList::keyPressEvent(QKeyEvent* event)
{
    const bool shift = event->modifiers() == Qt::ControlModifier &&
                       (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down);
    if (takesFiles_ && shift) {
        emit ShiftRequested(event->key() == Qt::Key_Up ? -1 : +1);
        return;
    }
    QListWidget::keyPressEvent(event);
}

int FileList::DropRow(const QPoint& position) const
{
    const QModelIndex index = indexAt(position);
    if (!index.isValid())
        return count();
    return position.y() > visualRect(index).center().y() ? index.row() + 1 : index.row();
}

void FileList::FitWidthToEntries()
{
    const QFontMetrics metrics = fontMetrics();
    int widest = 0;
    for (int row = 0; row < count(); ++row)
        widest = std::max(widest, metrics.horizontalAdvance(item(row)->data(kEntryRole).toString()));
    widest = std::min(widest, metrics.averageCharWidth() * kMostCharactersKeptReadable);
    const int icon = iconSize().isValid() ? iconSize().width() + 2 * spacing() + 8 : 0;
    setMinimumWidth(widest + icon + 2 * frameWidth() + verticalScrollBar()->sizeHint().width() + 12);
}

}  // namespace tessolo
