#include "app/PrivateFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool restrictToOwner(const QString& path) {
    if (path.isEmpty()) {
        return false;
    }
    const QByteArray native = QFile::encodeName(path);
    struct stat st {};
    if (::stat(native.constData(), &st) == 0) {
        if ((st.st_mode & 077) == 0) {
            return true;
        }
        return ::chmod(native.constData(), st.st_mode & 0700) == 0;
    }
    QDir().mkpath(QFileInfo(path).absolutePath());
    const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        return false;
    }
    ::close(fd);
    return true;
}
