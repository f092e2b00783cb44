// The places the location selector offers: the file-system root, the home
// folder and the mounted volumes.
#pragma once

#include <QList>
#include <QString>

namespace tessolo {

struct Location {
    QString label;
    QString path;
};

// Root first, then home, then each mounted volume, without repeats.
QList<Location> Locations();

// The path of the location that holds `folder` most closely.
QString LocationOf(const QString& folder, const QList<Location>& locations);

}  // namespace tessolo
