#include "app/thumbnails.h"

#include "app/bitmap_image.h"
#include "platform/path.h"
#include "sprite/image_formats.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QRunnable>
#include <QThread>

#include <algorithm>

namespace tessolo {

namespace {

// Larger files get no thumbnail: decoding one would hold hundreds of
// megabytes for a 32-pixel picture.
constexpr qint64 kMostBytesForAThumbnail = 64 << 20;

}  // namespace

Thumbnail MakeThumbnail(const QString& path)
{
    const std::string file = path.toStdString();
    const SourceCodec* format = FormatForExtension(ExtensionOf(file));
    if (format == nullptr || QFileInfo(path).size() > kMostBytesForAThumbnail)
        return {};
    try {
        QImage image = ToQImage(format->loadSource(file));
        if (image.isNull())
            return {};
        const QSize size = image.size();
        if (image.width() > kThumbnailSide || image.height() > kThumbnailSide)
            image = image.scaled(kThumbnailSide, kThumbnailSide, Qt::KeepAspectRatio,
                                 Qt::SmoothTransformation);
        return {image, size};
    } catch (const std::exception&) {
        return {};  // the build reports a damaged file; its entry shows no picture
    }
}

ThumbnailLoader::ThumbnailLoader(QObject* parent) : QObject(parent)
{
    // One thread is left to the window and the build.
    pool_.setMaxThreadCount(std::max(1, QThread::idealThreadCount() - 1));
}

ThumbnailLoader::~ThumbnailLoader()
{
    pool_.clear();
    pool_.waitForDone();
}

const Thumbnail* ThumbnailLoader::Find(const QString& path)
{
    auto made = made_.constFind(path);
    if (made != made_.constEnd())
        return &*made;
    if (!waiting_.contains(path)) {
        waiting_.insert(path);
        pool_.start([this, path] {
            Thumbnail thumbnail = MakeThumbnail(path);
            QMetaObject::invokeMethod(
                this, [this, path, thumbnail] { Take(path, thumbnail); }, Qt::QueuedConnection);
        });
    }
    return nullptr;
}

void ThumbnailLoader::DropWaiting()
{
    pool_.clear();
    waiting_.clear();
}

void ThumbnailLoader::WaitForDone()
{
    pool_.waitForDone();
    QCoreApplication::sendPostedEvents(this);
}

void ThumbnailLoader::Take(const QString& path, const Thumbnail& thumbnail)
{
    waiting_.remove(path);
    made_.insert(path, thumbnail);
    emit Ready(path);
}

}  // namespace tessolo
