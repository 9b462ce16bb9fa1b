#include "recording/qt/ReadFileListThreadWorker.h"

#include <QDir>
#include <QFileInfo>
#include <QThread>

namespace {

// Recording files at or below this size hold no usable recording.
constexpr qint64 kMinRecordingSize = 300;

// The date of a day folder named yyyymmdd as year * 10000 + month * 100 + day,
// or 0 when the name is not a date. Only the first four, the fifth and sixth
// and the last two characters are read, as the recorder names its folders.
int dayFolderDate(const QString& folderPath) {
    const QStringList parts = folderPath.split('/', Qt::SkipEmptyParts);
    if (parts.isEmpty()) {
        return 0;
    }
    const QString& name = parts.last();
    bool yearOk = false;
    bool monthOk = false;
    bool dayOk = false;
    const int year = name.left(4).toInt(&yearOk);
    const int month = name.mid(4, 2).toInt(&monthOk);
    const int day = name.right(2).toInt(&dayOk);
    if (!yearOk || !monthOk || !dayOk || year < 1970 || month < 1 || day < 1) {
        return 0;
    }
    return year * 10000 + month * 100 + day;
}

}  // namespace

ReadFileListThreadWorker::ReadFileListThreadWorker(QObject* parent) : QObject(parent) {}

void ReadFileListThreadWorker::slotReadFile() {
    const int date = dayFolderDate(m_folderPath);
    if (date == 0) {
        emit signalEndOfReadFileList();
        return;
    }

    // Name filters of QDir match regardless of case unless asked otherwise,
    // so "*.SSF" files written by other card tools are found as well.
    const QDir folder(m_folderPath);
    const QStringList names = folder.entryList(QStringList{QStringLiteral("*.ssf")}, QDir::Files,
                                               QDir::Name | QDir::IgnoreCase);
    for (const QString& name : names) {
        if (m_cancelFlag.load() == Stop) {
            break;
        }
        const QFileInfo file(m_folderPath + QLatin1Char('/') + name);
        const qint64 size = file.isReadable() ? file.size() : 0;
        if (size > kMinRecordingSize) {
            emit signalAddItem(
                QStringLiteral("%1:%2:%3").arg(name.mid(0, 2), name.mid(2, 2), name.mid(4, 2)),
                date);
        }
        // Gives a cancel from the GUI thread a chance between files.
        QThread::msleep(1);
    }
    emit signalEndOfReadFileList();
}
