#include "info/system_desktop_services.h"

#include <QDesktopServices>
#include <QString>
#include <QUrl>

namespace tessolo {

void SystemDesktopServices::OpenUrl(const std::string& url)
{
    QDesktopServices::openUrl(QUrl(QString::fromStdString(url)));
}

void SystemDesktopServices::OpenFile(const std::string& path)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
}

}  // namespace tessolo
