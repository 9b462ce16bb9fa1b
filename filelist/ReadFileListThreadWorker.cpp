#include "filelist/ReadFileListThreadWorker.h"

#include <QFile>
#include <QThread>

#include <string>

#include "recording/DayListing.h"

ReadFileListThreadWorker::ReadFileListThreadWorker(QObject* parent) : QObject(parent) {}

void ReadFileListThreadWorker::slotReadFile() {
    // The listing rules live in recording/DayListing, shared with the tools.
    const std::string folder = QFile::encodeName(m_folderPath).toStdString();
    const int date = dayListing::dayFolderDate(folder);
    if (date == 0) {
        emit signalEndOfReadFileList();
        return;
    }

    for (const std::string& name : dayListing::recordingNames(folder)) {
        if (m_cancelFlag.load() == Stop) {
            break;
        }
        if (dayListing::isListedSize(folder + "/" + name)) {
            emit signalAddItem(
                QFile::decodeName(QByteArray::fromStdString(dayListing::itemName(name))), date);
        }
        // Gives a cancel from the GUI thread a chance between files.
        QThread::msleep(1);
    }
    emit signalEndOfReadFileList();
}
