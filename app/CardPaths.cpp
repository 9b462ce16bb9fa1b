#include "app/CardPaths.h"

#include <QDir>
#include <QFileInfo>

#include "recording/DayListing.h"

int dayFolderDate(const QString& folder) {
    return dayListing::dayFolderDate(QDir::fromNativeSeparators(folder).toStdString());
}

QString cardRootOfDayFolder(const QString& dayFolder) {
    // cleanPath drops a trailing "/", so ".../20180102/" still names the day.
    const QString clean = QDir::cleanPath(QFileInfo(dayFolder).absoluteFilePath());
    return QFileInfo(clean).absolutePath();
}

QString initialCardRoot() {
    return QDir::homePath();
}
