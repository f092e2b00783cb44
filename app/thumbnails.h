// Thumbnails of image files with their pixel sizes, for the file lists.
// Each file is decoded by the build's own source decoder on a thread of a
// small pool, so a folder of thousands of images lists at once and its
// pictures fill in as they come. Only the small picture is kept.
#pragma once

#include <QHash>
#include <QImage>
#include <QObject>
#include <QSet>
#include <QSize>
#include <QThreadPool>

namespace tessolo {

struct Thumbnail {
    QImage picture;   // at most kThumbnailSide on each side; null when unreadable
    QSize pixelSize;  // of the image; invalid when unreadable
};

inline constexpr int kThumbnailSide = 32;

// The thumbnail of the image file at `path`, made on the calling thread.
Thumbnail MakeThumbnail(const QString& path);

class ThumbnailLoader : public QObject {
    Q_OBJECT
public:
    explicit ThumbnailLoader(QObject* parent = nullptr);
    // Drops the requests that have not started and waits for the others.
    ~ThumbnailLoader() override;

    // The thumbnail of `path` when it is made; otherwise nullptr, and it is
    // made in the background (once) and Ready tells when.
    const Thumbnail* Find(const QString& path);
    // Drops the requests that have not started, as when another folder is shown.
    void DropWaiting();
    // Waits until every started request has told its result (for tests).
    void WaitForDone();

signals:
    void Ready(const QString& path);

private:
    void Take(const QString& path, const Thumbnail& thumbnail);

    QThreadPool pool_;
    QHash<QString, Thumbnail> made_;
    QSet<QString> waiting_;
};

}  // namespace tessolo
