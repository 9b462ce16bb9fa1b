#include "app/CaptureFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>

namespace captureFiles {

namespace {

// More pictures of one view in one second than anyone takes.
constexpr int kMaxNumbered = 9999;

}  // namespace

bool ensureFolder(const QString& folder) {
    return !folder.isEmpty() && (QFileInfo(folder).isDir() || QDir().mkpath(folder));
}

QString numberedName(const QString& path, int n) {
    if (n <= 0) {
        return path;
    }
    const int dot = path.lastIndexOf('.');
    const int slash = path.lastIndexOf('/');
    if (dot <= slash + 1) {
        return QString("%1-%2").arg(path).arg(n);
    }
    return QString("%1-%2%3").arg(path.left(dot)).arg(n).arg(path.mid(dot));
}

QString saveUnique(const QImage& image, const QString& path) {
    if (image.isNull()) {
        return QString();
    }
    for (int n = 0; n <= kMaxNumbered; ++n) {
        const QString candidate = numberedName(path, n);
        QFile file(candidate);
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            if (file.exists()) {
                continue;
            }
            return QString();  // the folder is missing or not writable
        }
        if (!image.save(&file, "PNG")) {
            file.remove();
            return QString();
        }
        file.close();
        if (file.error() != QFileDevice::NoError) {
            file.remove();
            return QString();
        }
        return candidate;
    }
    return QString();
}

}  // namespace captureFiles
