#include "app/location_list.h"

#include <QDir>
#include <QStorageInfo>

#include <algorithm>

namespace tessolo {

QList<Location> Locations()
{
    QList<Location> locations{{"/", "/"}, {"Home (" + QDir::homePath() + ")", QDir::homePath()}};
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid() || !volume.isReady())
            continue;
        QString path = volume.rootPath();
        bool known = std::any_of(locations.begin(), locations.end(),
                                 [&](const Location& l) { return l.path == path; });
        if (!known)
            locations.append({volume.displayName() == path ? path
                                                           : volume.displayName() + " (" + path + ")",
                              path});
    }
    return locations;
}

QString LocationOf(const QString& folder, const QList<Location>& locations)
{
    QString best = "/";
    for (const Location& location : locations) {
        QString prefix = location.path.endsWith('/') ? location.path : location.path + '/';
        bool holds = folder == location.path || folder.startsWith(prefix);
        if (holds && location.path.size() > best.size())
            best = location.path;
    }
    return best;
}

}  // namespace tessolo
