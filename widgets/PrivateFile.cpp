#include "widgets/PrivateFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

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
        if (::chmod(native.constData(), st.st_mode & 0700) != 0) {
            qWarning("%s stays readable by others: %s", native.constData(), std::strerror(errno));
            return false;
        }
        return true;
    }
    QDir().mkpath(QFileInfo(path).absolutePath());
    const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        qWarning("%s cannot be created: %s", native.constData(), std::strerror(errno));
        return false;
    }
    ::close(fd);
    return true;
}
